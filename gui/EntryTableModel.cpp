#include "EntryTableModel.h"

#include "DataFileFormat.h"

#include <algorithm>
#include <unordered_map>

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

// Letter case is ignored first so that "alice" and "Bob" sort as people expect; it only breaks ties.
int compareTexts(const QString &a, const QString &b) {
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded : a.compare(b, Qt::CaseSensitive);
}

} // namespace

EntryTableModel::EntryTableModel(QObject *parent)
    : QAbstractTableModel(parent) {}

void EntryTableModel::addColumn(const QString &header) {
    beginInsertColumns(QModelIndex(), int(m_headers.size()), int(m_headers.size()));
    m_headers.append(header);
    endInsertColumns();
}

bool EntryTableModel::lessThan(const Entry &a, const Entry &b) const {
    const int order = compareTexts(field(a, m_sortKey), field(b, m_sortKey));
    return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

size_t EntryTableModel::sortedInsertPlace(const Entry &entry) const {
    // After its equals, as a stable sort would place it.
    const auto place =
        std::upper_bound(m_rows.begin(), m_rows.end(), entry,
                         [this](const Entry &value, const Row &row) { return lessThan(value, row.entry); });
    return size_t(place - m_rows.begin());
}

int EntryTableModel::add(const Entry &entry) {
    const size_t place = m_sorted ? sortedInsertPlace(entry) : m_rows.size();
    beginInsertRows(QModelIndex(), int(place), int(place));
    m_rows.insert(m_rows.begin() + qsizetype(place), Row{entry, m_nextId++, {}});
    endInsertRows();
    return int(place) + 1;
}

void EntryTableModel::append(std::vector<Entry> entries, std::vector<StoredLine> storedLines) {
    if (entries.empty())
        return;
    beginInsertRows(QModelIndex(), int(m_rows.size()), int(m_rows.size() + entries.size() - 1));
    m_rows.reserve(m_rows.size() + entries.size());
    const bool withLines = storedLines.size() == entries.size();
    for (size_t i = 0; i < entries.size(); ++i)
        m_rows.push_back(Row{std::move(entries[i]), m_nextId++, withLines ? std::move(storedLines[i]) : StoredLine()});
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
    row.storedLine = {};
    emit dataChanged(index(position - 1, 0), index(position - 1, columnCount() - 1));
    if (!m_sorted)
        return position;
    const RowId id = rowId(position);
    resort();
    return positionOf(id);
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
    if (row.storedLine.isNull())
        row.storedLine = StoredLine(DataFileFormat::storedLine(row.entry));
    return row.storedLine.bytes();
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
    m_sorted = true;
    m_sortKey = columnHeader - 1;
    m_sortOrder = m_sortOrder == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
    // One re-sort for all three settings: tens of thousands of rows stay instant.
    resort();
    return true;
}

void EntryTableModel::resort() {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Only the rows the views hold on to (selection, current row) need their indexes moved.
    const QModelIndexList held = persistentIndexList();
    std::vector<RowId> heldIds;
    heldIds.reserve(size_t(held.size()));
    for (const QModelIndex &index : held)
        heldIds.push_back(m_rows[size_t(index.row())].id);

    std::stable_sort(m_rows.begin(), m_rows.end(),
                     [this](const Row &a, const Row &b) { return lessThan(a.entry, b.entry); });

    if (!held.isEmpty()) {
        std::unordered_map<RowId, int> newRow;
        newRow.reserve(heldIds.size());
        for (RowId id : heldIds)
            newRow.emplace(id, -1);
        for (size_t i = 0; i < m_rows.size(); ++i) {
            if (auto found = newRow.find(m_rows[i].id); found != newRow.end())
                found->second = int(i);
        }
        QModelIndexList moved;
        moved.reserve(held.size());
        for (qsizetype i = 0; i < held.size(); ++i)
            moved.append(index(newRow[heldIds[size_t(i)]], held[i].column()));
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
