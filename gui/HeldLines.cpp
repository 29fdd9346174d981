#include "HeldLines.h"

namespace varnook {

namespace {

// Lines the other program removed, skipped to find the line after them.
constexpr size_t LookAhead = 8;
// Lines not where the order says: after this many, the file was likely saved in another order.
constexpr int MissesBeforeIndex = 64;

} // namespace

HeldLines::HeldLines(const EntryTableModel &rows, const std::vector<RowId> &fileOrder)
    : m_fileOrder(fileOrder)
    , m_lines(rows.storedLinesOf(fileOrder))
    , m_taken(fileOrder.size(), false) {
    for (size_t index = 0; index < m_lines.size(); ++index)
        m_taken[index] = m_lines[index].isEmpty();
}

HeldLines::RowId HeldLines::takeAt(size_t index) {
    m_taken[index] = true;
    m_next = index + 1;
    return m_fileOrder[index];
}

HeldLines::RowId HeldLines::take(QByteArrayView storedLine) {
    for (size_t index = m_next; index < m_fileOrder.size() && index < m_next + LookAhead; ++index) {
        if (!m_taken[index] && !lineAt(index).isEmpty() && lineAt(index) == storedLine)
            return takeAt(index);
    }
    if (!m_indexed && ++m_missed > MissesBeforeIndex)
        buildIndex();
    return m_indexed ? lookUp(storedLine) : 0;
}

void HeldLines::buildIndex() {
    m_indexed = true;
    m_sameAfter.assign(m_fileOrder.size(), NotFound);
    m_first.reserve(qsizetype(m_fileOrder.size()));
    // From the end, so that equal lines are taken in file order.
    for (size_t index = m_fileOrder.size(); index-- > 0;) {
        if (m_taken[index] || lineAt(index).isEmpty())
            continue;
        const auto at = m_first.find(lineAt(index));
        if (at == m_first.end()) {
            m_first.insert(lineAt(index), index);
        } else {
            m_sameAfter[index] = *at;
            *at = index;
        }
    }
}

HeldLines::RowId HeldLines::lookUp(QByteArrayView storedLine) {
    const auto found = m_first.constFind(storedLine);
    if (found == m_first.constEnd())
        return 0;
    // Lines taken in order since the index was made stay in it: they are skipped here.
    for (size_t index = *found; index != NotFound; index = m_sameAfter[index]) {
        if (!m_taken[index])
            return takeAt(index);
    }
    return 0;
}

} // namespace varnook
