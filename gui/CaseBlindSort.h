#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace varnook {

// Orders texts as people expect to find names in a list: letter case ignored first, then letter
// case breaking ties; equal texts keep their order, in either direction, as a stable sort would.
class CaseBlindSort {
public:
    using Text = std::function<QString(quint32 slot)>;
    // The length of a slot's text, known without making the text.
    using Length = std::function<quint32(quint32 slot)>;

    // Every text folded once, back to back in one block, by slot: kept by the caller until a text
    // changes, so that sorting again by the same texts reads no string at all.
    class Keys {
    public:
        Keys(quint32 slotCount, const Text &text, const Length &length);

        quint32 length(quint32 slot) const { return m_start[slot + 1] - m_start[slot]; }
        quint32 start(quint32 slot) const { return m_start[slot]; }
        void prefetchStart(quint32 slot) const { __builtin_prefetch(m_start.data() + slot); }
        // The folded units: one byte each when every one is below 256, as in most lists (half the
        // memory a sort keeps), else two.
        bool isNarrow() const { return m_units.empty(); }
        const quint8 *narrowBlock() const { return m_narrowUnits.data(); }
        const char16_t *block() const { return m_units.data(); }

    private:
        std::vector<quint8> m_narrowUnits;
        std::vector<char16_t> m_units;
        std::vector<quint32> m_start;
    };

    // The slots in sorted order; present holds them in their present order, which equal texts keep.
    static std::vector<quint32> order(const Keys &keys, const std::vector<quint32> &present, const Text &text,
                                      Qt::SortOrder sortOrder);
    // Negative, zero or positive as a comes before, with or after b in ascending order.
    static int compare(const QString &a, const QString &b);
};

} // namespace varnook
