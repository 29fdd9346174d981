#include "CaseBlindSort.h"

#include "CaseFold.h"

#include <QVarLengthArray>

#include <algorithm>
#include <atomic>
#include <thread>

namespace varnook {

namespace {

// A row in the sort: four units of its folded text from the depth being sorted, the first in the
// highest bits and 0 past its end, so that most steps read the array being sorted, not the block.
// Where its text lies is the keys' to say: a million rows sort in 16 MB, not 24.
struct SortItem {
    quint64 units;
    quint32 position; // in the present order: equal texts keep it
    quint32 slot;
};

constexpr quint32 UnitsPerWord = 4;
constexpr size_t SmallRange = 16;
// From this many rows on, folding and sorting are shared by two threads.
constexpr size_t TwoThreadsFrom = 100000;
// The first steps of a long sort run until this many ranges wait: enough to share them evenly.
constexpr size_t RangesToShare = 64;

template <typename Unit> const Unit *unitsOf(const CaseBlindSort::Keys &keys);
template <> const quint8 *unitsOf<quint8>(const CaseBlindSort::Keys &keys) {
    return keys.narrowBlock();
}
template <> const char16_t *unitsOf<char16_t>(const CaseBlindSort::Keys &keys) {
    return keys.block();
}

// Unit: the type of the keys' folded units (one byte or two).
template <typename Unit> class Sorter {
public:
    Sorter(const CaseBlindSort::Keys &keys, const CaseBlindSort::Text &text, Qt::SortOrder sortOrder)
        : m_keys(keys)
        , m_text(text)
        , m_descending(sortOrder == Qt::DescendingOrder) {}

    void load(SortItem &item, quint32 depth) const {
        const Unit *units = unitsOf<Unit>(m_keys) + m_keys.start(item.slot);
        const quint32 length = m_keys.length(item.slot);
        quint64 word = 0;
        for (quint32 i = depth; i < depth + UnitsPerWord; ++i)
            word = (word << 16) | (i < length ? units[i] : 0u);
        // Turned round for a descending sort: a text that ends first then comes last.
        item.units = m_descending ? ~word : word;
    }

    bool endsInWord(quint64 units) const { return ((m_descending ? ~units : units) & 0xffff) == 0; }

    // Folded texts first (their beginnings up to depth being equal), then the texts as written,
    // both in the sort's direction; then the present order.
    bool lessFrom(const SortItem &a, const SortItem &b, quint32 depth) const {
        const int order = compareFrom(a, b, depth);
        if (order != 0)
            return m_descending ? order > 0 : order < 0;
        return a.position < b.position;
    }

    int compareFrom(const SortItem &a, const SortItem &b, quint32 depth) const {
        const quint32 lengthA = m_keys.length(a.slot);
        const quint32 lengthB = m_keys.length(b.slot);
        const Unit *unitsA = unitsOf<Unit>(m_keys) + m_keys.start(a.slot);
        const Unit *unitsB = unitsOf<Unit>(m_keys) + m_keys.start(b.slot);
        for (quint32 i = depth; i < std::min(lengthA, lengthB); ++i) {
            if (unitsA[i] != unitsB[i])
                return unitsA[i] < unitsB[i] ? -1 : 1;
        }
        if (lengthA != lengthB)
            return lengthA < lengthB ? -1 : 1;
        return m_text(a.slot).compare(m_text(b.slot), Qt::CaseSensitive);
    }

    struct Range {
        size_t first;
        size_t last;
        quint32 depth;
    };

    // Three-way radix quicksort on the folded texts. Ranges still to sort wait on a stack rather
    // than in recursion, so that long common beginnings cannot exhaust the call stack. A long list
    // is first split, its longest range at a time, into ranges that two threads then sort, each
    // its own.
    void sort(std::vector<SortItem> &items) const {
        loadAll(items, 0, items.size(), 0);
        std::vector<Range> pending{{0, items.size(), 0}};
        if (items.size() < TwoThreadsFrom) {
            sortRanges(items, pending);
            return;
        }
        const auto longer = [](const Range &a, const Range &b) {
            return a.last - a.first > b.last - b.first;
        };
        while (pending.size() < RangesToShare) {
            const auto longest = std::min_element(pending.begin(), pending.end(), longer);
            if (longest == pending.end() || longest->last - longest->first <= SmallRange)
                break;
            const Range range = *longest;
            pending.erase(longest);
            step(items, range, pending);
        }
        // The longest ranges first, each to the thread with fewer items so far.
        std::sort(pending.begin(), pending.end(), longer);
        std::vector<Range> mine;
        std::vector<Range> theirs;
        size_t myCount = 0;
        size_t theirCount = 0;
        for (const Range &range : pending) {
            const bool toMe = myCount <= theirCount;
            (toMe ? mine : theirs).push_back(range);
            (toMe ? myCount : theirCount) += range.last - range.first;
        }
        std::thread second([&] { sortRanges(items, theirs); });
        sortRanges(items, mine);
        second.join();
    }

    // Sorts the pending ranges, which no other thread touches.
    void sortRanges(std::vector<SortItem> &items, std::vector<Range> &pending) const {
        while (!pending.empty()) {
            const Range range = pending.back();
            pending.pop_back();
            step(items, range, pending);
        }
    }

    // Sorts a small range, or splits a range by its four units at its depth into the ranges below,
    // equal to and above the pivot, which wait in pending.
    void step(std::vector<SortItem> &items, const Range &range, std::vector<Range> &pending) const {
        const auto at = [&items](size_t index) {
            return items.begin() + qsizetype(index);
        };
        const size_t count = range.last - range.first;
        const auto less = [&](const SortItem &a, const SortItem &b) {
            return lessFrom(a, b, range.depth);
        };
        if (count < 2)
            return;
        if (count <= SmallRange) {
            // The four units held decide most pairs of a small range without reading the block:
            // where they differ, so do the texts from this depth, in the same order (a text that
            // ends holds 0 there, and comes first, as it does in full).
            std::sort(at(range.first), at(range.last), [&](const SortItem &a, const SortItem &b) {
                return a.units != b.units ? a.units < b.units : lessFrom(a, b, range.depth);
            });
            return;
        }
        const quint64 a = items[range.first].units;
        const quint64 b = items[range.first + count / 2].units;
        const quint64 c = items[range.last - 1].units;
        const quint64 pivot = std::max(std::min(a, b), std::min(std::max(a, b), c));
        // [first, lt) below the pivot, [lt, gt) equal to it, [gt, last) above it.
        size_t lt = range.first;
        size_t gt = range.last;
        size_t i = range.first;
        while (i < gt) {
            const quint64 units = items[i].units;
            if (units < pivot)
                std::swap(items[lt++], items[i++]);
            else if (units > pivot)
                std::swap(items[i], items[--gt]);
            else
                ++i;
        }
        pending.push_back({range.first, lt, range.depth});
        pending.push_back({gt, range.last, range.depth});
        if (endsInWord(pivot)) {
            // The folded texts end here (or hold a NUL character): compared in full.
            std::sort(at(lt), at(gt), less);
        } else {
            loadAll(items, lt, gt, range.depth + UnitsPerWord);
            pending.push_back({lt, gt, range.depth + UnitsPerWord});
        }
    }

private:
    // The texts lie all over the block: asking for them a few items ahead lets the waits overlap.
    void loadAll(std::vector<SortItem> &items, size_t first, size_t last, quint32 depth) const {
        constexpr size_t Ahead = 8;
        for (size_t i = first; i < last; ++i) {
            if (i + 2 * Ahead < last)
                m_keys.prefetchStart(items[i + 2 * Ahead].slot);
            if (i + Ahead < last)
                __builtin_prefetch(unitsOf<Unit>(m_keys) + m_keys.start(items[i + Ahead].slot) + depth);
            load(items[i], depth);
        }
    }

    const CaseBlindSort::Keys &m_keys;
    const CaseBlindSort::Text &m_text;
    bool m_descending;
};

} // namespace

CaseBlindSort::Keys::Keys(quint32 slotCount, const Text &text, const Length &length) {
    // A folded text has as many units as the text: the block is made at its size, once.
    m_start.resize(size_t(slotCount) + 1);
    quint32 units = 0;
    for (quint32 slot = 0; slot < slotCount; ++slot) {
        m_start[slot] = units;
        units += length(slot);
    }
    m_start[slotCount] = units;
    // One byte a unit first; the first unit that needs two makes every text folded again in two.
    m_narrowUnits.resize(units);
    std::atomic<bool> needsTwoBytes = false;
    const auto foldNarrow = [&](quint32 first, quint32 last) {
        for (quint32 slot = first; slot < last && !needsTwoBytes.load(std::memory_order_relaxed); ++slot) {
            quint8 *out = m_narrowUnits.data() + m_start[slot];
            const QString folded = text(slot);
            Q_ASSERT(quint32(folded.size()) == length(slot));
            char16_t widest = 0;
            caseFold::foldInto(folded, [&](char16_t unit) {
                widest = std::max(widest, unit);
                *out++ = quint8(unit);
            });
            if (widest > 0xFF)
                needsTwoBytes = true;
        }
    };
    if (slotCount < TwoThreadsFrom) {
        foldNarrow(0, slotCount);
    } else {
        std::thread second(foldNarrow, slotCount / 2, slotCount);
        foldNarrow(0, slotCount / 2);
        second.join();
    }
    if (!needsTwoBytes)
        return;
    std::vector<quint8>().swap(m_narrowUnits);
    m_units.resize(units);
    const auto fold = [&](quint32 first, quint32 last) {
        for (quint32 slot = first; slot < last; ++slot) {
            char16_t *out = m_units.data() + m_start[slot];
            const QString folded = text(slot);
            Q_ASSERT(quint32(folded.size()) == length(slot));
            caseFold::foldInto(folded, [&out](char16_t unit) { *out++ = unit; });
        }
    };
    if (slotCount < TwoThreadsFrom) {
        fold(0, slotCount);
        return;
    }
    // Each half of the rows into its own part of the block, on a thread of its own.
    std::thread second(fold, slotCount / 2, slotCount);
    fold(0, slotCount / 2);
    second.join();
}

std::vector<quint32> CaseBlindSort::order(const Keys &keys, const std::vector<quint32> &present, const Text &text,
                                          Qt::SortOrder sortOrder) {
    std::vector<SortItem> items(present.size());
    for (size_t position = 0; position < present.size(); ++position)
        items[position] = SortItem{0, quint32(position), present[position]};
    if (keys.isNarrow())
        Sorter<quint8>(keys, text, sortOrder).sort(items);
    else
        Sorter<char16_t>(keys, text, sortOrder).sort(items);
    std::vector<quint32> order;
    order.reserve(items.size());
    for (const SortItem &item : items)
        order.push_back(item.slot);
    return order;
}

int CaseBlindSort::compare(const QString &a, const QString &b) {
    // Texts mostly differ within their first characters, and those are mostly ASCII: they are
    // folded as they are read. A folded text has as many units as the text, so one that ends
    // first comes first.
    const auto *unitsA = reinterpret_cast<const char16_t *>(a.utf16());
    const auto *unitsB = reinterpret_cast<const char16_t *>(b.utf16());
    const qsizetype common = std::min(a.size(), b.size());
    qsizetype i = 0;
    for (; i < common && unitsA[i] < 0x80 && unitsB[i] < 0x80; ++i) {
        const char16_t foldedA = caseFold::unit(unitsA[i]);
        const char16_t foldedB = caseFold::unit(unitsB[i]);
        if (foldedA != foldedB)
            return foldedA < foldedB ? -1 : 1;
    }
    if (i == common) {
        if (a.size() != b.size())
            return a.size() < b.size() ? -1 : 1;
        return a.compare(b, Qt::CaseSensitive);
    }
    QVarLengthArray<char16_t, 64> foldedA;
    QVarLengthArray<char16_t, 64> foldedB;
    caseFold::foldInto(a, [&](char16_t unit) { foldedA.append(unit); });
    caseFold::foldInto(b, [&](char16_t unit) { foldedB.append(unit); });
    const int folded = QStringView(foldedA.data(), foldedA.size()).compare(QStringView(foldedB.data(), foldedB.size()));
    return folded != 0 ? folded : a.compare(b, Qt::CaseSensitive);
}

} // namespace varnook
