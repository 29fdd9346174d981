#include "EntryTableModel.h"

#include "CaseBlindSort.h"
#include "DataFileFormat.h"
#include "ShortenedText.h"

#include <QTimer>

#include <algorithm>
#include <iterator>
#include <numeric>
#include <span>
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

// A stored line without its line end, as the reader splits it into fields.
QByteArrayView scrambledLine(const StoredLine &line) {
    // Every stored line ends with CR LF (a loaded line is given one): looked at byte by byte, since
    // this is asked for every row a sort or a reload compares.
    const QByteArrayView bytes = line.bytes();
    const qsizetype size = bytes.size();
    if (size >= 2 && bytes[size - 2] == '\r' && bytes[size - 1] == '\n')
        return bytes.first(size - 2);
    return bytes;
}

QByteArrayView scrambledField(const DataFileFormat::LineFields &fields, int column) {
    switch (column) {
    case 1:
        return fields.password;
    case 2:
        return fields.location;
    default:
        return fields.username;
    }
}

StoredLine lineOf(const Entry &entry) {
    return StoredLine(DataFileFormat::storedLine(entry));
}

std::unique_ptr<const Entry> typedOf(const Entry &entry) {
    return DataFileFormat::readsBackAsWritten(entry) ? nullptr : std::make_unique<const Entry>(entry);
}

} // namespace

Entry EntryTableModel::entryIn(quint32 slot) const {
    if (const Entry *typed = m_typed.at(slot))
        return *typed;
    return DataFileFormat::readEntry(scrambledLine(m_slots[slot]));
}

QString EntryTableModel::fieldIn(quint32 slot, int column) const {
    if (const Entry *typed = m_typed.at(slot))
        return field(*typed, column);
    return DataFileFormat::plainText(scrambledField(DataFileFormat::fieldsOf(scrambledLine(m_slots[slot])), column));
}

void EntryTableModel::putRow(quint32 slot, const Entry &entry) {
    m_slots[slot] = lineOf(entry);
    m_typed.set(slot, typedOf(entry));
}

bool EntryTableModel::sameField(quint32 a, quint32 b, int column) const {
    if (m_typed.has(a) || m_typed.has(b))
        return fieldIn(a, column) == fieldIn(b, column);
    // Each code stands for one character: equal texts have equal bytes.
    return scrambledField(DataFileFormat::fieldsOf(scrambledLine(m_slots[a])), column) ==
           scrambledField(DataFileFormat::fieldsOf(scrambledLine(m_slots[b])), column);
}

bool EntryTableModel::sameRow(quint32 slot, const StoredLine &line, const Entry *typed) const {
    const Entry *held = m_typed.at(slot);
    if (typed || held)
        return typed && held && *typed == *held;
    return m_slots[slot].bytes() == line.bytes();
}

namespace {

// The rows folded between two events while the find bar waits for its first key.
constexpr size_t FoldingStep = 32768;

} // namespace

EntryTableModel::EntryTableModel(QObject *parent)
    : QAbstractTableModel(parent)
    , m_foldingSteps(new QTimer(this)) {
    m_foldingSteps->setInterval(0);
    connect(m_foldingSteps, &QTimer::timeout, this, [this] {
        const FoldedTexts *names = m_folded[NamesAndLocations].get();
        if (names && names->rowCount() < m_slots.size())
            foldRows(NamesAndLocations, std::min(m_slots.size(), names->rowCount() + FoldingStep));
        if (!names || names->rowCount() >= m_slots.size())
            m_foldingSteps->stop();
    });
}

void EntryTableModel::addColumn(const QString &header) {
    beginInsertColumns(QModelIndex(), int(m_headers.size()), int(m_headers.size()));
    m_headers.append(header);
    endInsertColumns();
}

bool EntryTableModel::lessThan(const QString &a, const QString &b) const {
    const int order = CaseBlindSort::compare(a, b);
    return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
}

size_t EntryTableModel::sortedPlaceIn(size_t first, size_t last, const QString &text) const {
    const auto place = std::upper_bound(
        m_order.begin() + qsizetype(first), m_order.begin() + qsizetype(last), text,
        [this](const QString &value, quint32 slot) { return lessThan(value, fieldIn(slot, m_sortKey)); });
    return size_t(place - m_order.begin());
}

int EntryTableModel::add(const Entry &entry) {
    completeFolding();
    const size_t place = m_sorted ? sortedPlaceIn(0, m_order.size(), field(entry, m_sortKey)) : m_order.size();
    forgetSortKeys();
    forgetSlotIndex();
    beginInsertRows(QModelIndex(), int(place), int(place));
    m_slots.emplace_back();
    putRow(quint32(m_slots.size() - 1), entry);
    m_ids.push_back(m_nextId++);
    m_order.insert(m_order.begin() + qsizetype(place), quint32(m_slots.size() - 1));
    foldRow(quint32(m_slots.size() - 1), true);
    endInsertRows();
    return int(place) + 1;
}

void EntryTableModel::makeRoom(size_t rows) {
    // Room for a quarter more: a file with a few entries more than the list would otherwise move
    // every row to a new block. Room not used costs no memory until it is.
    if (m_slots.capacity() < rows) {
        m_slots.reserve(rows + rows / 4);
        m_ids.reserve(rows + rows / 4);
    }
}

EntryTableModel::RowId EntryTableModel::append(const std::vector<Entry> &entries) {
    return append(std::vector<StoredLine>(entries.size()), entries);
}

EntryTableModel::RowId EntryTableModel::append(std::vector<StoredLine> lines, const std::vector<Entry> &entries) {
    completeFolding();
    const RowId first = m_nextId;
    if (lines.size() < entries.size())
        lines.resize(entries.size());
    if (lines.empty())
        return first;
    forgetSortKeys();
    forgetSlotIndex();
    beginInsertRows(QModelIndex(), count(), count() + int(lines.size()) - 1);
    const size_t firstSlot = m_slots.size();
    if (m_slots.empty()) {
        // A list loaded from the file takes the lines' block as it is: a million rows would
        // otherwise be moved into new memory while the user waits for the list.
        m_slots = std::move(lines);
    } else {
        makeRoom(m_slots.size() + lines.size());
        std::move(lines.begin(), lines.end(), std::back_inserter(m_slots));
    }
    for (size_t slot = firstSlot; slot < m_slots.size(); ++slot) {
        if (m_slots[slot].isNull() && slot - firstSlot < entries.size())
            putRow(quint32(slot), entries[slot - firstSlot]);
    }
    m_order.resize(m_slots.size());
    std::iota(m_order.begin() + qsizetype(firstSlot), m_order.end(), quint32(firstSlot));
    m_ids.resize(m_slots.size());
    std::iota(m_ids.begin() + qsizetype(firstSlot), m_ids.end(), m_nextId);
    m_nextId += m_slots.size() - firstSlot;
    for (size_t slot = firstSlot; slot < m_slots.size(); ++slot)
        foldRow(quint32(slot), true);
    endInsertRows();
    if (m_sorted)
        resort();
    return first;
}

void EntryTableModel::remove(int position) {
    if (position < 1 || position > count())
        return;
    completeFolding();
    forgetSortKeys();
    forgetSlotIndex();
    beginRemoveRows(QModelIndex(), position - 1, position - 1);
    const quint32 slot = m_order[size_t(position - 1)];
    m_order.erase(m_order.begin() + (position - 1));
    const quint32 last = quint32(m_slots.size() - 1);
    if (slot != last) {
        m_slots[slot] = std::move(m_slots[last]);
        m_typed.move(last, slot);
        m_ids[slot] = m_ids[last];
        *std::find(m_order.begin(), m_order.end(), last) = slot;
    }
    m_slots.pop_back();
    m_typed.set(last, nullptr);
    m_ids.pop_back();
    for (const std::unique_ptr<FoldedTexts> &texts : m_folded) {
        if (texts)
            texts->removeRow(slot);
    }
    endRemoveRows();
}

namespace {

size_t hashOf(const StoredLine &line) {
    return qHash(line.bytes());
}

} // namespace

EntryTableModel::SlotIndex::SlotIndex(const std::vector<RowId> &ids) {
    if (ids.empty())
        return;
    const auto [low, high] = std::minmax_element(ids.begin(), ids.end());
    m_first = *low;
    // Ids are handed out in increasing order and rows keep theirs: those of the list's rows mostly
    // lie close together, and a table by id costs a few bytes a row. Otherwise a hash.
    if (*high - *low < 4 * ids.size() + 1024) {
        m_table.assign(size_t(*high - *low + 1), NoSlot);
        for (quint32 slot = 0; slot < ids.size(); ++slot)
            m_table[size_t(ids[slot] - m_first)] = slot;
        return;
    }
    m_hash.reserve(qsizetype(ids.size()));
    for (quint32 slot = 0; slot < ids.size(); ++slot)
        m_hash.insert(ids[slot], slot);
}

const EntryTableModel::SlotIndex &EntryTableModel::slotIndex() const {
    if (!m_slotIndex)
        m_slotIndex = std::make_unique<const SlotIndex>(m_ids);
    return *m_slotIndex;
}

quint32 EntryTableModel::SlotIndex::slotOf(RowId id) const {
    if (!m_table.empty())
        return id >= m_first && id - m_first < m_table.size() ? m_table[size_t(id - m_first)] : NoSlot;
    return m_hash.value(id, NoSlot);
}

std::vector<QByteArrayView> EntryTableModel::storedLinesOf(const std::vector<RowId> &ids) const {
    const SlotIndex &index = slotIndex();
    std::vector<QByteArrayView> found(ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        if (const quint32 slot = index.slotOf(ids[i]); slot != NoSlot)
            found[i] = m_typed.has(slot) ? QByteArrayView() : m_slots[slot].bytes();
    }
    return found;
}

std::vector<EntryTableModel::RowId> EntryTableModel::replaceAll(const std::vector<Entry> &entries,
                                                                const std::vector<RowId> &kept) {
    return replaceAll(std::vector<StoredLine>(entries.size()), entries, kept);
}

std::vector<EntryTableModel::RowId> EntryTableModel::replaceAll(std::vector<StoredLine> lines,
                                                                const std::vector<Entry> &lineless,
                                                                const std::vector<RowId> &kept) {
    // Rows without a line get their entry's, and keep the entry where the line would not give it back.
    if (lines.size() < lineless.size())
        lines.resize(lineless.size());
    std::vector<std::unique_ptr<const Entry>> typed(lines.size());
    for (size_t k = 0; k < lines.size(); ++k) {
        if (lines[k].isNull() && k < lineless.size()) {
            lines[k] = lineOf(lineless[k]);
            typed[k] = typedOf(lineless[k]);
        }
    }
    std::vector<StoredLine> &entries = lines;
    const size_t count = kept.empty() ? entries.size() : kept.size();
    // Each old row goes on in its slot: a kept one as it is, then one equal to a new entry (mostly
    // none are left when the kept rows came from the file's lines). ownOf[i] is where row i's entry
    // is in entries, for a row not kept.
    std::vector<quint32> slotOf(count, NoSlot);
    std::vector<quint32> ownOf(count, NoSlot);
    std::vector<bool> taken(m_slots.size(), false);
    size_t own = 0;
    for (size_t i = 0; i < count; ++i) {
        if (i < kept.size() && kept[i] != 0) {
            const quint32 slot = slotIndex().slotOf(kept[i]);
            Q_ASSERT(slot != NoSlot && !taken[slot]); // each kept row is one of the list's, named once
            if (slot != NoSlot && !taken[slot]) {
                taken[slot] = true;
                slotOf[i] = slot;
            }
            continue;
        }
        ownOf[i] = quint32(own++);
    }
    Q_ASSERT(own == entries.size());
    if (!entries.empty()) {
        std::unordered_multimap<size_t, quint32> slotsByHash;
        for (quint32 slot = 0; slot < m_slots.size(); ++slot) {
            if (!taken[slot])
                slotsByHash.emplace(hashOf(m_slots[slot]), slot);
        }
        for (size_t i = 0; i < count && !slotsByHash.empty(); ++i) {
            if (ownOf[i] == NoSlot)
                continue;
            const StoredLine &entry = entries[ownOf[i]];
            auto [first, last] = slotsByHash.equal_range(hashOf(entry));
            for (auto it = first; it != last; ++it) {
                if (sameRow(it->second, entry, typed[ownOf[i]].get())) {
                    slotOf[i] = it->second;
                    taken[it->second] = true;
                    slotsByHash.erase(it);
                    break;
                }
            }
        }
    }

    beginResetModel();
    forgetFinding(); // made again from the new rows when next needed
    // The rows as they were shown, for a sorted list: kept rows are mostly still in that order.
    std::vector<quint32> shown = m_sorted ? std::move(m_order) : std::vector<quint32>();
    // New entries take the slots of the rows that go, then new slots; slots left over are filled
    // from the end, as remove() does.
    std::vector<quint32> freed;
    for (quint32 slot = quint32(m_slots.size()); slot-- > 0;) {
        if (!taken[slot])
            freed.push_back(slot); // lowest last, so that it is taken first
    }
    makeRoom(count);
    std::vector<RowId> ids(count);
    std::vector<quint32> added; // the slots of the new rows
    for (size_t i = 0; i < count; ++i) {
        if (slotOf[i] != NoSlot) {
            ids[i] = m_ids[slotOf[i]];
            continue;
        }
        ids[i] = m_nextId++;
        StoredLine entry = ownOf[i] != NoSlot ? std::move(entries[ownOf[i]]) : lineOf(Entry());
        std::unique_ptr<const Entry> asTyped = ownOf[i] != NoSlot ? std::move(typed[ownOf[i]]) : nullptr;
        if (!freed.empty()) {
            slotOf[i] = freed.back();
            freed.pop_back();
            m_slots[slotOf[i]] = std::move(entry);
            m_typed.set(slotOf[i], std::move(asTyped));
            m_ids[slotOf[i]] = ids[i];
        } else {
            slotOf[i] = quint32(m_slots.size());
            m_slots.push_back(std::move(entry));
            m_typed.set(slotOf[i], std::move(asTyped));
            m_ids.push_back(ids[i]);
        }
        added.push_back(slotOf[i]);
    }
    std::vector<quint32> movedTo;
    if (!freed.empty()) {
        // Every slot from the new rows' count up goes; the rows kept there move down into the
        // freed slots below it.
        const quint32 size = quint32(count);
        movedTo.assign(m_slots.size(), NoSlot);
        std::vector<quint32> holes;
        for (quint32 slot : freed) {
            if (slot < size)
                holes.push_back(slot);
        }
        for (quint32 slot = size; slot < m_slots.size(); ++slot) {
            if (taken[slot]) {
                movedTo[slot] = holes.back();
                m_slots[holes.back()] = std::move(m_slots[slot]);
                m_typed.move(slot, holes.back());
                m_ids[holes.back()] = m_ids[slot];
                holes.pop_back();
            }
        }
        m_slots.resize(size);
        m_typed.truncate(size);
        m_ids.resize(size);
        for (quint32 &slot : slotOf) {
            if (movedTo[slot] != NoSlot)
                slot = movedTo[slot];
        }
    }
    m_order = std::move(slotOf);
    forgetSortKeys();
    forgetSlotIndex();
    if (m_sorted) {
        std::vector<quint32> kept;
        kept.reserve(shown.size());
        for (quint32 slot : shown) {
            if (taken[slot])
                kept.push_back(movedTo.empty() || movedTo[slot] == NoSlot ? slot : movedTo[slot]);
        }
        std::vector<quint32> order = sortedJoining(kept, std::move(added));
        m_order = order.size() == m_order.size() ? std::move(order) : sortedOrder();
    }
    endResetModel();
    return ids;
}

std::vector<quint32> EntryTableModel::sortedJoining(const std::vector<quint32> &kept,
                                                    std::vector<quint32> added) const {
    // Many new rows: sorting them all costs no more.
    if (added.size() > kept.size() / 8 + 16)
        return {};
    std::vector<quint32> present(m_slots.size());
    for (size_t position = 0; position < m_order.size(); ++position)
        present[m_order[position]] = quint32(position);
    const auto text = [this](quint32 slot) {
        return fieldIn(slot, m_sortKey);
    };
    // The kept rows are still in the order of their texts, as the list showed them; a sort puts
    // equal texts in their present order, which the list may not have (the file holds them in
    // another order, or the list was turned round).
    // The rows lie all over memory in this order: asking for them some rows ahead (first the row,
    // then its line) lets the waits for memory overlap.
    constexpr size_t Ahead = 16;
    for (size_t i = 1; i < kept.size(); ++i) {
        if (i + 2 * Ahead < kept.size()) {
            __builtin_prefetch(&m_slots[kept[i + 2 * Ahead]]);
            __builtin_prefetch(&present[kept[i + 2 * Ahead]]);
        }
        if (i + Ahead < kept.size())
            __builtin_prefetch(m_slots[kept[i + Ahead]].bytes().data());
        if (present[kept[i - 1]] > present[kept[i]] && sameField(kept[i - 1], kept[i], m_sortKey))
            return {};
    }
    // The order a sort gives: by the texts, equal ones in their present order.
    const auto before = [&](quint32 a, quint32 b) {
        const int order = CaseBlindSort::compare(text(a), text(b));
        if (order != 0)
            return m_sortOrder == Qt::AscendingOrder ? order < 0 : order > 0;
        return present[a] < present[b];
    };
    std::sort(added.begin(), added.end(), before);
    std::vector<quint32> joined;
    joined.reserve(kept.size() + added.size());
    auto from = kept.begin();
    for (quint32 slot : added) {
        const auto at = std::upper_bound(from, kept.end(), slot, before);
        joined.insert(joined.end(), from, at);
        joined.push_back(slot);
        from = at;
    }
    joined.insert(joined.end(), from, kept.end());
    return joined;
}

void EntryTableModel::clear() {
    beginResetModel();
    m_slots.clear();
    m_typed.clear();
    m_ids.clear();
    m_order.clear();
    forgetSortKeys();
    forgetSlotIndex();
    forgetFinding();
    endResetModel();
}

int EntryTableModel::setEntry(int position, const Entry &entry) {
    if (position < 1 || position > count())
        return 0;
    completeFolding();
    putRow(m_order[size_t(position - 1)], entry);
    forgetSortKeys();
    foldRow(m_order[size_t(position - 1)], false);
    emit dataChanged(index(position - 1, 0), index(position - 1, columnCount() - 1));
    return m_sorted ? int(moveToSortedPlace(size_t(position - 1))) + 1 : position;
}

size_t EntryTableModel::moveToSortedPlace(size_t from) {
    const QString text = fieldIn(m_order[from], m_sortKey);
    // The other rows are still in order, on either side of this one.
    size_t to = from;
    if (from > 0 && lessThan(text, fieldIn(m_order[from - 1], m_sortKey)))
        to = sortedPlaceIn(0, from, text);
    else if (from + 1 < m_order.size() && lessThan(fieldIn(m_order[from + 1], m_sortKey), text))
        to = sortedPlaceIn(from + 1, m_order.size(), text);
    if (to == from || to == from + 1)
        return from;
    beginMoveRows(QModelIndex(), int(from), int(from), QModelIndex(), int(to));
    const auto at = [this](size_t index) {
        return m_order.begin() + qsizetype(index);
    };
    if (to < from)
        std::rotate(at(to), at(from), at(from + 1));
    else
        std::rotate(at(from), at(from + 1), at(to));
    endMoveRows();
    return to < from ? to : to - 1;
}

std::vector<Entry> EntryTableModel::entries() const {
    std::vector<Entry> result;
    result.reserve(m_order.size());
    for (quint32 slot : m_order)
        result.push_back(entryIn(slot));
    return result;
}

int EntryTableModel::positionOf(RowId id) const {
    for (size_t i = 0; i < m_order.size(); ++i) {
        if (m_ids[m_order[i]] == id)
            return int(i) + 1;
    }
    return 0;
}

namespace {

// Hands use the fields of an entry that a folded block holds: the user name and the location, or
// the password.
template <typename Text, typename Use> void withFoldedFields(Text &&fieldIn, bool namesAndLocations, Use &&use) {
    if (namesAndLocations) {
        const std::array<QString, 2> texts{fieldIn(0), fieldIn(2)};
        const std::array<QStringView, 2> fields{texts[0], texts[1]};
        use(std::span<const QStringView>(fields));
    } else {
        const QString text = fieldIn(1);
        const std::array<QStringView, 1> fields{text};
        use(std::span<const QStringView>(fields));
    }
}

} // namespace

FoldedTexts &EntryTableModel::folded(FoldedFields fields) {
    foldRows(fields, m_slots.size());
    return *m_folded[fields];
}

void EntryTableModel::foldRows(FoldedFields fields, size_t last) {
    std::unique_ptr<FoldedTexts> &texts = m_folded[fields];
    const bool names = fields == NamesAndLocations;
    if (!texts) {
        texts = std::make_unique<FoldedTexts>();
        texts->reserveRows(m_slots.size());
    }
    for (size_t slot = texts->rowCount(); slot < last; ++slot) {
        withFoldedFields([this, slot](int column) { return fieldIn(quint32(slot), column); }, names,
                         [&texts](std::span<const QStringView> row) { texts->appendRow(row); });
    }
}

void EntryTableModel::completeFolding() {
    if (m_foldingSteps->isActive() && m_folded[NamesAndLocations])
        foldRows(NamesAndLocations, m_slots.size());
    m_foldingSteps->stop();
}

void EntryTableModel::foldRow(quint32 slot, bool added) {
    for (const FoldedFields fields : {NamesAndLocations, Passwords}) {
        FoldedTexts *texts = m_folded[fields].get();
        if (!texts)
            continue;
        withFoldedFields([this, slot](int column) { return fieldIn(slot, column); }, fields == NamesAndLocations,
                         [&](std::span<const QStringView> row) {
                             if (added)
                                 texts->appendRow(row);
                             else
                                 texts->setRow(slot, row);
                         });
    }
}

void EntryTableModel::prepareFinding() {
    if (m_folded[NamesAndLocations])
        return;
    foldRows(NamesAndLocations, 0); // the block, with room for every row
    m_foldingSteps->start();
}

void EntryTableModel::forgetFinding() {
    m_foldingSteps->stop();
    m_folded = {};
}

EntryTableModel::RowFlags EntryTableModel::findRows(const CaseBlindFind &find, bool inPasswords,
                                                    const RowFlags *within) {
    RowFlags flags(m_slots.size(), 0);
    if (within && within->size() != m_slots.size())
        within = nullptr;
    const std::optional<QByteArray> bytes = FoldedTexts::bytesOf(find.folded());
    folded(NamesAndLocations).flagHolding(bytes, flags, within, [&](quint32 slot) {
        return find.isIn(fieldIn(slot, 0)) || find.isIn(fieldIn(slot, 2));
    });
    if (inPasswords) {
        folded(Passwords).flagHolding(bytes, flags, within, [&](quint32 slot) { return find.isIn(fieldIn(slot, 1)); });
    }
    return flags;
}

std::vector<int> EntryTableModel::flaggedPositions(const RowFlags &flags) const {
    std::vector<int> positions;
    if (flags.size() != m_slots.size())
        return positions;
    for (size_t i = 0; i < m_order.size(); ++i) {
        if (flags[m_order[i]])
            positions.push_back(int(i) + 1);
    }
    return positions;
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
        reorder(std::vector<quint32>(m_order.rbegin(), m_order.rend()));
    else
        resort();
    return true;
}

std::vector<quint32> EntryTableModel::sortedOrder() {
    const CaseBlindSort::Text text = [this](quint32 slot) {
        return fieldIn(slot, m_sortKey);
    };
    std::shared_ptr<const CaseBlindSort::Keys> &keys = m_sortKeys[size_t(std::clamp(m_sortKey, 0, 2))];
    if (!keys)
        keys = std::make_shared<const CaseBlindSort::Keys>(quint32(m_slots.size()), text, [this](quint32 slot) {
            // One character a byte: the decoded text is as long as the field's bytes.
            if (const Entry *typed = m_typed.at(slot))
                return quint32(field(*typed, m_sortKey).size());
            return quint32(scrambledField(DataFileFormat::fieldsOf(scrambledLine(m_slots[slot])), m_sortKey).size());
        });
    return CaseBlindSort::order(*keys, m_order, text, m_sortOrder);
}

void EntryTableModel::resort() {
    reorder(sortedOrder());
}

void EntryTableModel::reorder(std::vector<quint32> order) {
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // Only the rows the views hold on to (selection, current row) need their indexes moved.
    const QModelIndexList held = persistentIndexList();
    if (!held.isEmpty()) {
        std::vector<quint32> newPosition(m_slots.size());
        for (size_t position = 0; position < order.size(); ++position)
            newPosition[order[position]] = quint32(position);
        QModelIndexList moved;
        moved.reserve(held.size());
        for (const QModelIndex &index : held)
            moved.append(this->index(int(newPosition[m_order[size_t(index.row())]]), index.column()));
        changePersistentIndexList(held, moved);
    }
    m_order = std::move(order);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int EntryTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

int EntryTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant EntryTableModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole || index.row() >= count())
        return {};
    if (m_passwordsHidden && index.column() == 1)
        return hiddenPassword();
    // The cell shows the field shortened; the editor and the copies take it whole from entry().
    return shortenedText(fieldIn(m_order[size_t(index.row())], index.column()));
}

void EntryTableModel::setPasswordsHidden(bool hidden) {
    if (hidden == m_passwordsHidden)
        return;
    m_passwordsHidden = hidden;
    // Not dataChanged: no entry changed, and the stored lines of the rows must stay as they are.
    emit shownTextsChanged();
}

QVariant EntryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= m_headers.size())
        return {};
    return m_headers[section];
}

} // namespace varnook
