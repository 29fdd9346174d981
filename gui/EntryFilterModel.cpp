#include "EntryFilterModel.h"

#include <algorithm>

namespace varnook {

EntryFilterModel::EntryFilterModel(EntryTableModel *entries, QObject *parent)
    : QAbstractTableModel(parent)
    , m_entries(entries) {
    followEntries();
}

void EntryFilterModel::followEntries() {
    EntryTableModel *entries = m_entries;
    connect(entries, &QAbstractItemModel::columnsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginInsertColumns({}, first, last); });
    connect(entries, &QAbstractItemModel::columnsInserted, this, [this] { endInsertColumns(); });
    connect(entries, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);

    // Without a text to find, the rows are the model's: its changes pass as they are. While
    // filtering, every change of the rows is a change of what is shown, and the rows are found again.
    connect(entries, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) {
                if (m_filtering)
                    beginShownChange();
                else
                    beginInsertRows({}, first, last);
            });
    connect(entries, &QAbstractItemModel::rowsInserted, this, [this] {
        if (m_filtering) {
            findRows(false);
            endShownChange();
        } else {
            endInsertRows();
        }
        emit countsChanged();
    });
    connect(entries, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex &, int first, int last) {
        if (m_filtering)
            beginShownChange();
        else
            beginRemoveRows({}, first, last);
    });
    connect(entries, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (m_filtering) {
            findRows(false);
            endShownChange();
        } else {
            endRemoveRows();
        }
        emit countsChanged();
    });
    connect(entries, &QAbstractItemModel::rowsAboutToBeMoved, this,
            [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                if (m_filtering)
                    beginShownChange();
                else
                    beginMoveRows({}, first, last, {}, to);
            });
    connect(entries, &QAbstractItemModel::rowsMoved, this, [this] {
        if (m_filtering) {
            m_shown = m_entries->flaggedPositions(m_found); // a move leaves every entry as it was
            endShownChange();
        } else {
            endMoveRows();
        }
    });
    connect(entries, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &from, const QModelIndex &to, const QList<int> &roles) {
                if (!m_filtering) {
                    emit dataChanged(index(from.row(), from.column()), index(to.row(), to.column()), roles);
                    return;
                }
                // A changed entry may hold the text now, or no longer.
                beginShownChange();
                findRows(false);
                endShownChange();
                emit countsChanged();
            });
    // A sort keeps the entries, and with them what was found.
    connect(entries, &QAbstractItemModel::layoutAboutToBeChanged, this, &EntryFilterModel::beginShownChange);
    connect(entries, &QAbstractItemModel::layoutChanged, this, [this] {
        if (m_filtering)
            m_shown = m_entries->flaggedPositions(m_found);
        endShownChange();
    });
    connect(entries, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(entries, &QAbstractItemModel::modelReset, this, [this] {
        if (m_filtering)
            findRows(false);
        endResetModel();
        emit countsChanged();
    });
}

void EntryFilterModel::startFinding() {
    m_entries->prepareFinding();
}

void EntryFilterModel::stopFinding() {
    setFindText(QString(), false);
    m_entries->forgetFinding();
}

void EntryFilterModel::setFindText(const QString &text, bool inPasswords) {
    CaseBlindFind find(text);
    if (find.isEmpty())
        inPasswords = false; // nothing is looked for anywhere
    if (find.folded() == m_find.folded() && inPasswords == m_inPasswords)
        return;
    // A longer text finds only among what the shorter one found, and so does leaving passwords out.
    const bool narrowing = m_filtering && !find.isEmpty() && find.narrows(m_find) && (m_inPasswords || !inPasswords);
    beginShownChange();
    m_find = find;
    m_inPasswords = inPasswords;
    m_filtering = !m_find.isEmpty();
    if (m_filtering) {
        findRows(narrowing);
    } else {
        m_found = {};
        m_shown = {};
    }
    endShownChange();
    emit countsChanged();
}

void EntryFilterModel::findRows(bool narrowing) {
    m_found = m_entries->findRows(m_find, m_inPasswords, narrowing ? &m_found : nullptr);
    m_shown = m_entries->flaggedPositions(m_found);
}

void EntryFilterModel::beginShownChange() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_heldRows = persistentIndexList();
    m_heldEntries.clear();
    m_heldEntries.reserve(m_heldRows.size());
    for (const QModelIndex &held : std::as_const(m_heldRows))
        m_heldEntries.append(QPersistentModelIndex(m_entries->index(positionAt(held.row()) - 1, held.column())));
}

void EntryFilterModel::endShownChange() {
    QModelIndexList moved;
    moved.reserve(m_heldRows.size());
    for (qsizetype i = 0; i < m_heldRows.size(); ++i) {
        const QPersistentModelIndex &entry = m_heldEntries[i];
        const int row = entry.isValid() ? rowOf(entry.row() + 1) : -1;
        moved.append(row < 0 ? QModelIndex() : index(row, entry.column()));
    }
    changePersistentIndexList(m_heldRows, moved);
    m_heldRows.clear();
    m_heldEntries.clear();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int EntryFilterModel::positionAt(int row) const {
    if (row < 0 || row >= shownCount())
        return 0;
    return m_filtering ? m_shown[size_t(row)] : row + 1;
}

int EntryFilterModel::rowOf(int position) const {
    const int row = rowAtOrAfter(position);
    return row >= 0 && positionAt(row) == position ? row : -1;
}

int EntryFilterModel::rowAtOrAfter(int position) const {
    if (!m_filtering) {
        const int first = std::max(position, 1);
        return first <= m_entries->count() ? first - 1 : -1;
    }
    const auto found = std::lower_bound(m_shown.begin(), m_shown.end(), position);
    return found == m_shown.end() ? -1 : int(found - m_shown.begin());
}

QModelIndex EntryFilterModel::index(int row, int column, const QModelIndex &parent) const {
    // Asked for every row at each layout of the list: no virtual calls for the counts.
    if (parent.isValid() || row < 0 || column < 0 || row >= shownCount() || column >= m_entries->columnCount())
        return {};
    return createIndex(row, column);
}

int EntryFilterModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : shownCount();
}

int EntryFilterModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_entries->columnCount();
}

QVariant EntryFilterModel::data(const QModelIndex &index, int role) const {
    const int position = index.isValid() ? positionAt(index.row()) : 0;
    if (position == 0)
        return {};
    return m_entries->data(m_entries->index(position - 1, index.column()), role);
}

QVariant EntryFilterModel::headerData(int section, Qt::Orientation orientation, int role) const {
    return m_entries->headerData(section, orientation, role);
}

Qt::ItemFlags EntryFilterModel::flags(const QModelIndex &index) const {
    // Asked for every row at each layout of the list: the model's rows all have the same flags.
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

} // namespace varnook
