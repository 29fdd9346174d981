#pragma once

#include <QByteArray>
#include <QStringView>

#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

namespace varnook {

// Some fields of every row, letter case folded and one byte a character in the data file's code
// page, back to back in one block: what finding reads at every key. That is a fraction of the
// strings' memory, read straight through rather than string by string all over the heap. A row
// with a character that the code page cannot hold once folded (µ folds into Greek), or a NUL (which
// parts the fields in the block), is marked and looked at in its strings instead.
class FoldedTexts {
public:
    using Flags = std::vector<quint8>;
    using InStrings = std::function<bool(quint32 row)>;

    // The bytes to look for, for a text folded as CaseBlindFind folds it; none when the code page
    // cannot hold it: then only the rows looked at in their strings can hold it.
    static std::optional<QByteArray> bytesOf(QStringView folded);

    quint32 rowCount() const { return quint32(m_rows.size()); }
    bool isInStrings(quint32 row) const { return m_rows[row].length & InStringsMark; }

    // Room for rows whose fields hold units UTF-16 units in all, so that the block is not copied
    // as it grows.
    void reserve(size_t rows, size_t units);
    // Rows follow the model's slots: added at the end, changed in place, and a removed row's place
    // taken by the last one.
    void appendRow(std::initializer_list<QStringView> fields);
    void setRow(quint32 row, std::initializer_list<QStringView> fields);
    void removeRow(quint32 row);

    // Sets the flag of each row that holds bytes. Only rows flagged in candidates are tried (all of
    // them without), and none flagged already; a row marked is asked of inStrings.
    void flagHolding(const std::optional<QByteArray> &bytes, Flags &flags, const Flags *candidates,
                     const InStrings &inStrings) const;

private:
    static constexpr quint32 InStringsMark = 0x80000000u;
    // From this many rows on, two threads share the work.
    static constexpr quint32 ThreadedRows = 100000;
    // Bytes past the last row that a 16-byte read may touch.
    static constexpr size_t Padding = 16;

    struct Span {
        quint32 start;
        quint32 length; // InStringsMark: the row is looked at in its strings
    };

    Span append(std::initializer_list<QStringView> fields);
    // A block mostly of rows changed or removed since is laid out again.
    void compactIfWasteful();

    // Grown ahead of need, never filled row by row: m_end bytes hold rows, the rest is room.
    std::vector<char> m_bytes{std::vector<char>(Padding, 0)};
    size_t m_end = 0;
    std::vector<Span> m_rows;
    size_t m_unused = 0; // bytes of rows changed or removed
};

} // namespace varnook
