#include "EntryTableModel.h"

#include "DataFileFormat.h"

#include <algorithm>

namespace varnook {

namespace {

const QString &field(const Entry &entry, int column) {
    switch (column) {
    case 1:
        return entry.password;
    case 2:
        return entry.location;
    default:
        return entry.username;
    }
}

// The first four UTF-16 units of a folded text as one number that orders as the text does: most
// comparisons of a sort then never leave the array being sorted.
quint64 prefixOf(const QString &folded) {
    quint64 prefix = 0;
    for (qsizetype i = 0; i < 4; ++i)
        prefix = (prefix << 16) | (i < folded.size() ? folded[i].unicode() : 0u);
    return prefix;
}

} // namespace

EntryTableModel::EntryTableModel(QObject *parent)
    : QAbstractTableModel(parent) {}

void EntryTableModel::addColumn(const QString &header) {
    beginInsertColumns(QModelIndex(), int(m_headers.size()), int(m_headers.size()));
    m_headers.append(header);
    endInsertColumns();
}

// Letter case is ignored first so that "alice" and "Bob" sort as people expect; it only breaks ties.
int EntryTableModel::compareAscending(const QString &foldedA, const Entry &a, const QString &foldedB,
                                      const Entry &b) const {
    const int folded = foldedA.compare(foldedB, Qt::CaseSensitive);
    return folded != 0 ? folded : field(a, m_sortKey).compare(field(b, m_sortKey), Qt::CaseSensitive);
}

bool EntryTableModel::lessThan(const QString &foldedA, const Entry &a, const Row &b) const {
    const int order = compareAscending(foldedA, a, b.foldedKey, b.entry);
    return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

size_t EntryTableModel::sortedInsertPlace(const QString &folded, const Entry &entry) const {
    // After its equals, as a stable sort would place it.
    const auto place = std::upper_bound(m_rows.begin(), m_rows.end(), entry, [&](const Entry &value, const Row &row) {
        return lessThan(folded, value, row);
    });
    return size_t(place - m_rows.begin());
}

QString EntryTableModel::foldedKeyOf(const Entry &entry) const {
    return m_foldedColumn < 0 ? QString() : field(entry, m_foldedColumn).toCaseFolded();
}

int EntryTableModel::add(const Entry &entry) {
    const QString folded = foldedKeyOf(entry);
    const size_t place = m_sorted ? sortedInsertPlace(folded, entry) : m_rows.size();
    beginInsertRows(QModelIndex(), int(place), int(place));
    m_rows.insert(m_rows.begin() + qsizetype(place), Row{entry, m_nextId++, {}, folded});
    endInsertRows();
    return int(place) + 1;
}

void EntryTableModel::append(std::vector<Entry> entries) {
    if (entries.empty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + entries.size() - 1));
    m_rows.reserve(m_rows.size() + entries.size());
    for (Entry &entry : entries) {
        QString folded = foldedKeyOf(entry);
        m_rows.push_back(Row{std::move(entry), m_nextId++, {}, std::move(folded)});
    }
    endInsertRows();
    if (m_sorted)
        resort();
}

void EntryTableModel::remove(int position) {
    if (position < 1 || position > count())
        return;
    beginRemoveRows(QModelIndex(), position - 1, position - 1);
    m_rows.erase(m_rows.begin() + (position - 1));
    endRemoveRows();
}

void EntryTableModel::clear() {
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int EntryTableModel::setEntry(int position, const Entry &entry) {
    if (position < 1 || position > count())
        return 0;
    Row &row = m_rows[size_t(position - 1)];
    row.entry = entry;
    row.storedLine.clear();
    row.foldedKey = foldedKeyOf(entry);
    emit dataChanged(index(position - 1, 0), index(position - 1, columnCount() - 1));
    return m_sorted ? int(moveToSortedPlace(size_t(position - 1))) + 1 : position;
}

size_t EntryTableModel::moveToSortedPlace(size_t from) {
    const Row &row = m_rows[from];
    // The other rows are still in order, on either side of this one.
    size_t to = from;
    if (from > 0 && lessThan(row.foldedKey, row.entry, m_rows[from - 1]))
        to = sortedPlaceIn(0, from, row);
    else if (from + 1 < m_rows.size() && lessThan(m_rows[from + 1].foldedKey, m_rows[from + 1].entry, row))
        to = sortedPlaceIn(from + 1, m_rows.size(), row);
    if (to == from || to == from + 1)
        return from;
    beginMoveRows(QModelIndex(), int(from), int(from), QModelIndex(), int(to));
    const auto at = [this](size_t index) {
        return m_rows.begin() + qsizetype(index);
    };
    if (to < from)
        std::rotate(at(to), at(from), at(from + 1));
    else
        std::rotate(at(from), at(from + 1), at(to));
    endMoveRows();
    return to < from ? to : to - 1;
}

size_t EntryTableModel::sortedPlaceIn(size_t first, size_t last, const Row &row) const {
    const auto place = std::upper_bound(
        m_rows.begin() + qsizetype(first), m_rows.begin() + qsizetype(last), row,
        [this](const Row &value, const Row &other) { return lessThan(value.foldedKey, value.entry, other); });
    return size_t(place - m_rows.begin());
}

std::vector<Entry> EntryTableModel::entries() const {
    std::vector<Entry> result;
    result.reserve(m_rows.size());
    for (const Row &row : m_rows)
        result.push_back(row.entry);
    return result;
}

QByteArrayView EntryTableModel::storedLine(int position) const {
    const Row &row = m_rows[size_t(position - 1)];
    if (row.storedLine.isEmpty()) // never empty once made: it holds at least its line end
        row.storedLine = DataFileFormat::storedLine(row.entry);
    return row.storedLine;
}

int EntryTableModel::positionOf(RowId id) const {
    for (size_t i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].id == id)
            return int(i) + 1;
    }
    return 0;
}

bool EntryTableModel::toggleSort(int columnHeader) {
    if (count() < 1)
        return true;
    if (columnHeader < 1 || columnHeader > columnCount())
        return false;
    // Rows already in one order of this column only need turning round for the other.
    const bool sortedByThisColumn = m_sorted && m_sortKey == columnHeader - 1;
    m_sorted = true;
    m_sortKey = columnHeader - 1;
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    if (sortedByThisColumn)
        reverseRows();
    else
        resort();
    return true;
}

void EntryTableModel::buildSortKeys() {
    if (m_foldedColumn == m_sortKey)
        return;
    m_foldedColumn = m_sortKey;
    for (Row &row : m_rows)
        row.foldedKey = foldedKeyOf(row.entry);
}

void EntryTableModel::resort() {
    buildSortKeys();
    struct Item {
        quint64 prefix;
        quint32 index;
    };
    std::vector<Item> items;
    items.reserve(m_rows.size());
    for (size_t i = 0; i < m_rows.size(); ++i)
        items.push_back(Item{prefixOf(m_rows[i].foldedKey), quint32(i)});
    const bool ascending = m_sortOrder == Qt::AscendingOrder;
    // Equal rows keep their order, in either direction, as a stable sort would leave them.
    std::sort(items.begin(), items.end(), [&](const Item &a, const Item &b) {
        int order = a.prefix < b.prefix ? -1 : a.prefix > b.prefix ? 1 : 0;
        if (order == 0) {
            const Row &rowA = m_rows[a.index];
            const Row &rowB = m_rows[b.index];
            order = compareAscending(rowA.foldedKey, rowA.entry, rowB.foldedKey, rowB.entry);
        }
        if (order != 0)
            return ascending ? order < 0 : order > 0;
        return a.index < b.index;
    });
    std::vector<quint32> order;
    order.reserve(items.size());
    for (const Item &item : items)
        order.push_back(item.index);
    items = {};
    reorder(order);
}

void EntryTableModel::reverseRows() {
    std::vector<quint32> order(m_rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = quint32(order.size() - 1 - i);
    reorder(order);
}

// Puts the row at index order[i] at index i, in place: the rows are moved along each cycle of the
// permutation, never copied.
void EntryTableModel::reorder(const std::vector<quint32> &order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    std::vector<bool> placed(order.size(), false);
    for (size_t start = 0; start < order.size(); ++start) {
        if (placed[start])
            continue;
        Row moving = std::move(m_rows[start]);
        size_t at = start;
        while (order[at] != start) {
            m_rows[at] = std::move(m_rows[order[at]]);
            placed[at] = true;
            at = order[at];
        }
        m_rows[at] = std::move(moving);
        placed[at] = true;
    }

    // Only the rows the views hold on to (selection, current row) need their indexes moved.
    const QModelIndexList held = persistentIndexList();
    if (!held.isEmpty()) {
        std::vector<quint32> newIndex(order.size());
        for (size_t i = 0; i < order.size(); ++i)
            newIndex[order[i]] = quint32(i);
        QModelIndexList moved;
        moved.reserve(held.size());
        for (const QModelIndex &index : held)
            moved.append(this->index(int(newIndex[size_t(index.row())]), index.column()));
        changePersistentIndexList(held, moved);
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int EntryTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int EntryTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant EntryTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || size_t(index.row()) >= m_rows.size())
        return {};
    return field(m_rows[size_t(index.row())].entry, index.column());
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
        return {};
    return m_headers[section];
}

} // namespace varnook
