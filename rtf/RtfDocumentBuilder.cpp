#include "RtfDocumentBuilder.h"

#include "RtfFormatter.h"

#include <QTextDocument>
#include <QTextTable>

namespace varnook {

RtfDocumentBuilder::RtfDocumentBuilder(QTextDocument *document)
    : m_cursor(document) {
    m_cursor.movePosition(QTextCursor::End);
    // One edit for the whole document: the document tells its views of the change once, and the
    // cursor does not lay out the growing paragraph after every insertion.
    m_cursor.beginEditBlock();
    m_editing = true;
    m_blockFormat = m_cursor.blockFormat();
    m_markFormat = m_cursor.blockCharFormat();
}

void RtfDocumentBuilder::pause() {
    if (m_editing)
        m_cursor.endEditBlock();
    m_editing = false;
}

void RtfDocumentBuilder::resume() {
    if (!m_editing && !m_finished)
        m_cursor.beginEditBlock();
    m_editing = !m_finished;
}

void RtfDocumentBuilder::insertText(const QString &text, const QTextCharFormat &format, bool inTable,
                                    const QTextBlockFormat &paragraphFormat) {
    if (!inTable && m_tableOpen)
        leaveTable();
    QStringView rest(text);
    while (m_paragraphLength + rest.size() > MaxParagraphLength) {
        const qsizetype cut = splitPoint(rest.toString(), MaxParagraphLength - m_paragraphLength);
        insertPiece(rest.first(cut).toString(), format, inTable);
        rest = rest.sliced(cut);
        // The paragraph goes on in a new one; its format comes with its end, as for any paragraph.
        if (inTable) {
            QList<Paragraph> &paragraphs = m_rows.last().cells.last().paragraphs;
            if (m_paragraphFirstPiece < 0)
                m_paragraphFirstPiece = paragraphs.size() - 1;
            paragraphs.append(Paragraph{});
        } else {
            // The paragraph's format as it stands now; its end rarely brings another.
            const bool first = m_paragraphFirstBlock < 0;
            if (first) {
                m_paragraphFirstBlock = m_cursor.block().blockNumber();
                m_splitFormat = paragraphFormat;
            }
            m_cursor.setBlockFormat(pieceFormat(m_splitFormat, first, false));
            m_blockFormat = pieceFormat(m_splitFormat, false, true);
            m_cursor.insertBlock(m_blockFormat);
        }
        m_paragraphLength = 0;
    }
    if (!rest.isEmpty())
        insertPiece(rest.size() == text.size() ? text : rest.toString(), format, inTable);
}

void RtfDocumentBuilder::insertPiece(const QString &text, const QTextCharFormat &format, bool inTable) {
    m_paragraphLength += text.size();
    if (inTable) {
        m_tableOpen = true;
        tableParagraph().runs.append(Run{text, format});
    } else {
        m_cursor.insertText(text, format);
    }
}

// Where to end the piece of a long paragraph that fits in room: after its last space there, or at
// room itself without one, never between the two halves of a surrogate pair.
qsizetype RtfDocumentBuilder::splitPoint(const QString &text, qsizetype room) {
    room = qBound<qsizetype>(1, room, text.size());
    const qsizetype space = text.lastIndexOf(QLatin1Char(' '), room - 1);
    if (space >= room / 2)
        return space + 1;
    if (room < text.size() && text[room].isLowSurrogate() && room > 1)
        return room - 1;
    return room;
}

// The pieces of a paragraph that was split read as one: no indent or space between them.
QTextBlockFormat RtfDocumentBuilder::pieceFormat(QTextBlockFormat format, bool first, bool last) {
    if (!first) {
        format.setTextIndent(0);
        format.setTopMargin(0);
    }
    if (!last)
        format.setBottomMargin(0);
    return format;
}

// Gives the pieces of the split paragraph its format, where its end brought another than its start.
void RtfDocumentBuilder::finishSplitParagraph(const QTextBlockFormat &format) {
    if (format != m_splitFormat) {
        const int end = m_cursor.block().blockNumber();
        QTextCursor cursor(m_cursor.document()->findBlockByNumber(m_paragraphFirstBlock));
        for (int block = m_paragraphFirstBlock; block < end; ++block) {
            cursor.setBlockFormat(pieceFormat(format, block == m_paragraphFirstBlock, false));
            cursor.movePosition(QTextCursor::NextBlock);
        }
    }
    m_paragraphFirstBlock = -1;
}

void RtfDocumentBuilder::endParagraph(const QTextBlockFormat &format, const QTextCharFormat &markFormat, bool inTable) {
    if (inTable) {
        m_tableOpen = true;
        Paragraph &paragraph = tableParagraph();
        paragraph.format = format;
        paragraph.markFormat = markFormat;
        QList<Paragraph> &paragraphs = m_rows.last().cells.last().paragraphs;
        for (qsizetype piece = qMax<qsizetype>(0, m_paragraphFirstPiece); piece < paragraphs.size(); ++piece)
            paragraphs[piece].format = format;
        m_paragraphFirstPiece = -1;
        m_paragraphLength = 0;
        paragraphs.append(Paragraph{});
        return;
    }
    if (m_tableOpen)
        leaveTable();
    if (m_paragraphFirstBlock >= 0) {
        finishSplitParagraph(format);
        setParagraphFormat(pieceFormat(format, false, true), markFormat);
    } else {
        setParagraphFormat(format, markFormat);
    }
    m_cursor.insertBlock(format, markFormat);
    m_blockFormat = format;
    m_paragraphLength = 0;
}

// The paragraph got the formats of the one before it; most often they are its own already.
void RtfDocumentBuilder::setParagraphFormat(const QTextBlockFormat &format, const QTextCharFormat &markFormat) {
    if (format != m_blockFormat) {
        m_cursor.setBlockFormat(format);
        m_blockFormat = format;
    }
    if (markFormat != m_markFormat) {
        m_cursor.setBlockCharFormat(markFormat);
        m_markFormat = markFormat;
    }
}

void RtfDocumentBuilder::endCell(const QTextBlockFormat &format, const QTextCharFormat &markFormat) {
    m_tableOpen = true;
    Paragraph &paragraph = tableParagraph();
    paragraph.format = format;
    paragraph.markFormat = markFormat;
    if (m_paragraphFirstPiece >= 0) {
        QList<Paragraph> &pieces = m_rows.last().cells.last().paragraphs;
        for (qsizetype piece = m_paragraphFirstPiece; piece < pieces.size(); ++piece)
            pieces[piece].format = format;
    }
    m_paragraphFirstPiece = -1;
    m_paragraphLength = 0;
    // Converters end a cell's last paragraph and then the cell: that makes no empty line of its own.
    QList<Paragraph> &paragraphs = m_rows.last().cells.last().paragraphs;
    if (paragraphs.size() > 1 && paragraphs.last().runs.isEmpty())
        paragraphs.removeLast();
    m_cellOpen = false;
}

void RtfDocumentBuilder::endRow(QList<int> cellEdges, QList<CellBorders> borders) {
    if (!m_tableOpen)
        return;
    if (m_rowOpen) {
        Row &row = m_rows.last();
        int left = 0;
        for (qsizetype i = 0; i < cellEdges.size();) {
            if (cellEdges[i] <= left && (i >= row.cells.size() || row.cells[i].isEmpty())) {
                cellEdges.removeAt(i);
                if (i < borders.size())
                    borders.removeAt(i);
                if (i < row.cells.size())
                    row.cells.removeAt(i);
            } else {
                left = qMax(left, cellEdges[i]);
                ++i;
            }
        }
        row.edges = std::move(cellEdges);
        row.borders = std::move(borders);
    }
    m_rowOpen = false;
    m_cellOpen = false;
    writeFullTables();
}

void RtfDocumentBuilder::finish(const QTextBlockFormat &format, const QTextCharFormat &markFormat) {
    resume();
    QTextBlockFormat lastFormat = format;
    if (m_paragraphFirstBlock >= 0 && !m_tableOpen) {
        finishSplitParagraph(format);
        lastFormat = pieceFormat(format, false, true);
    }
    if (m_tableOpen) {
        leaveTable(); // the paragraph after a table is the document's own
    } else {
        const QTextBlock block = m_cursor.block();
        const QTextBlock previous = block.previous();
        if (block.length() == 1 && previous.isValid() &&
            QTextCursor(previous).currentFrame() == m_cursor.currentFrame()) {
            // The last paragraph mark ends the last paragraph; it starts no empty one of its own.
            m_cursor.deletePreviousChar();
        } else {
            m_cursor.setBlockFormat(lastFormat);
            m_cursor.setBlockCharFormat(markFormat);
        }
    }
    m_cursor.endEditBlock();
    m_editing = false;
    m_finished = true;
}

RtfDocumentBuilder::Paragraph &RtfDocumentBuilder::tableParagraph() {
    m_paragraphFirstBlock = -1; // a paragraph split before the table ends where the table begins
    if (!m_rowOpen) {
        m_rows.append(Row{});
        m_rowOpen = true;
    }
    Row &row = m_rows.last();
    if (!m_cellOpen) {
        if (row.cells.size() < MaxColumns) {
            row.cells.append(Cell{{Paragraph{}}});
        } else {
            // No more columns: further cells go on in the last one, after a tab.
            QList<Run> &runs = row.cells.last().paragraphs.last().runs;
            runs.append(Run{QStringLiteral("\t"), runs.isEmpty() ? QTextCharFormat() : runs.last().format});
        }
        m_cellOpen = true;
    }
    return row.cells.last().paragraphs.last();
}

// Long tables are written as several of at most MaxCellsPerTable cells, empty ones included: once
// the last row gathered would make more, the rows before it are written as one table.
void RtfDocumentBuilder::writeFullTables() {
    if (m_rows.isEmpty())
        return;
    const qsizetype columns = qMax(m_gatheredColumns, m_rows.last().cells.size());
    if (m_rows.size() > 1 && m_rows.size() * columns > MaxCellsPerTable) {
        writeTable(m_rows, 0, m_rows.size() - 1);
        m_rows.remove(0, m_rows.size() - 1);
        m_gatheredColumns = qMax<qsizetype>(1, m_rows.last().cells.size());
    } else {
        m_gatheredColumns = columns;
    }
}

void RtfDocumentBuilder::leaveTable() {
    writeFullTables();
    const QList<Row> rows = std::move(m_rows);
    m_rows.clear();
    m_gatheredColumns = 1;
    m_tableOpen = false;
    m_rowOpen = false;
    m_cellOpen = false;
    m_paragraphFirstPiece = -1;
    m_paragraphLength = 0;
    if (!rows.isEmpty())
        writeTable(rows, 0, rows.size());
}

void RtfDocumentBuilder::writeTable(const QList<Row> &rows, qsizetype first, qsizetype end) {
    qsizetype columns = 1;
    for (qsizetype row = first; row < end; ++row)
        columns = qMax(columns, rows[row].cells.size());

    // The cells draw the borders the file asks for; the table itself draws none.
    QTextTableFormat format;
    format.setBorder(0);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_None);
    format.setBorderCollapse(true);
    format.setCellPadding(4);
    format.setCellSpacing(0);
    format.setAlignment(Qt::AlignLeft);
    // Column widths from the first row that defines every column's right edge.
    for (qsizetype row = first; row < end; ++row) {
        const QList<int> &edges = rows[row].edges;
        if (edges.size() < columns)
            continue;
        QList<QTextLength> widths;
        int left = 0;
        for (qsizetype column = 0; column < columns; ++column) {
            const int width = edges[column] - left;
            widths.append(width > 0 ? QTextLength(QTextLength::FixedLength, twipsToDocumentPixels(width))
                                    : QTextLength(QTextLength::VariableLength, 0));
            left = qMax(left, edges[column]);
        }
        format.setColumnWidthConstraints(widths);
        break;
    }

    dropEmptyParagraphBefore();
    QTextTable *table = m_cursor.insertTable(int(end - first), int(columns), format);
    // Cells follow one another as blocks in row order; walk them once instead of looking each one up.
    QTextCursor cell = table->cellAt(0, 0).firstCursorPosition();
    const QTextBlockFormat cellFormat = cell.blockFormat();
    for (qsizetype row = first; row < end; ++row) {
        for (qsizetype column = 0; column < columns; ++column) {
            if (column < rows[row].borders.size() && rows[row].borders[column] != CellBorders{})
                setBorders(table->cellAt(int(row - first), int(column)), rows[row].borders[column]);
            if (column < rows[row].cells.size())
                writeCell(cell, rows[row].cells[column], cellFormat);
            // Not movePosition(): that lays the paragraph out first.
            if (const QTextBlock next = cell.block().next(); next.isValid())
                cell.setPosition(next.position());
        }
    }
    m_cursor.setPosition(table->lastPosition() + 1);
    m_blockFormat = m_cursor.blockFormat();
    m_markFormat = m_cursor.blockCharFormat();
}

void RtfDocumentBuilder::writeCell(QTextCursor &cursor, const Cell &cell, const QTextBlockFormat &cellFormat) {
    for (qsizetype i = 0; i < cell.paragraphs.size(); ++i) {
        const Paragraph &paragraph = cell.paragraphs[i];
        if (i > 0)
            cursor.insertBlock(paragraph.format);
        else if (paragraph.format != cellFormat)
            cursor.setBlockFormat(paragraph.format);
        for (const Run &run : paragraph.runs)
            cursor.insertText(run.text, run.format);
        // Only an empty paragraph shows its mark's format, in its height. The first block of a cell
        // carries the cell's own character format: add to it, never replace it.
        if (paragraph.runs.isEmpty())
            cursor.mergeBlockCharFormat(paragraph.markFormat);
    }
}

void RtfDocumentBuilder::setBorders(QTextTableCell cell, const CellBorders &borders) {
    QTextTableCellFormat format = cell.format().toTableCellFormat();
    format.setTopBorder(borders[Top].width);
    format.setTopBorderStyle(borders[Top].style);
    format.setTopBorderBrush(borders[Top].brush);
    format.setLeftBorder(borders[Left].width);
    format.setLeftBorderStyle(borders[Left].style);
    format.setLeftBorderBrush(borders[Left].brush);
    format.setBottomBorder(borders[Bottom].width);
    format.setBottomBorderStyle(borders[Bottom].style);
    format.setBottomBorderBrush(borders[Bottom].brush);
    format.setRightBorder(borders[Right].width);
    format.setRightBorderStyle(borders[Right].style);
    format.setRightBorderBrush(borders[Right].brush);
    cell.setFormat(format);
}

// A table inserted into an empty paragraph would keep that paragraph above it: join it to the one before.
void RtfDocumentBuilder::dropEmptyParagraphBefore() {
    const QTextBlock block = m_cursor.block();
    const QTextBlock previous = block.previous();
    if (block.length() == 1 && previous.isValid() && QTextCursor(previous).currentFrame() == m_cursor.currentFrame())
        m_cursor.deletePreviousChar();
}

} // namespace varnook
