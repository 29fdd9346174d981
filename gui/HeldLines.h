#pragma once

#include "EntryTableModel.h"
#include "StoredLine.h"

#include <QByteArrayView>
#include <QHash>

#include <vector>

namespace varnook {

// The lines of the data file as last read or written that the list's rows still hold, by their
// bytes: to tell which lines of a file another program wrote the list shows already. Such a line
// needs no decoding, and its row stays the same row. It borrows the lines: it is valid until they
// change.
//
// The other program mostly kept the lines in the order of the file it read, changing a few: each
// line is first compared with the lines after the last one found, and only when many lines were
// not there are all of them looked up by their bytes. A line not found is not known, which costs
// its decoding and nothing else.
class HeldLines {
public:
    using RowId = EntryTableModel::RowId;

    // fileOrder holds the rows' ids in the order of the file's lines; each row is found by the line
    // it holds now. Rows that are no longer in the list are never found. rows must not change while
    // this is in use.
    HeldLines(const EntryTableModel &rows, const std::vector<RowId> &fileOrder);

    // The id of a row in the list whose line is storedLine, each once (a file may hold a line
    // twice); 0 when there is none.
    RowId take(QByteArrayView storedLine);

private:
    static constexpr size_t NotFound = ~size_t(0);

    // The line at index in the file order, empty when its row is gone.
    QByteArrayView lineAt(size_t index) const { return m_lines[index]; }
    RowId takeAt(size_t index);
    RowId lookUp(QByteArrayView storedLine);
    void buildIndex();

    const std::vector<RowId> &m_fileOrder;
    const std::vector<QByteArrayView> m_lines; // by index in the file order
    std::vector<bool> m_taken;                 // by index; rows no longer in the list count as taken
    size_t m_next = 0;                         // where the next line most likely is
    int m_missed = 0;                          // lines not found in order
    bool m_indexed = false;
    QHash<QByteArrayView, size_t> m_first; // the first index with those bytes
    std::vector<size_t> m_sameAfter;       // the next index with the same bytes, or NotFound
};

} // namespace varnook
