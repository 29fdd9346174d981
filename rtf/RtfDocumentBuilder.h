#pragma once

#include <QBrush>
#include <QList>
#include <QTextFrameFormat>

#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextTableCell>
#include <array>

class QTextDocument;

namespace varnook {

// Writes the reader's text, paragraphs and table cells into a QTextDocument through one cursor.
// Paragraph formats arrive with the paragraph's end, as rich text gives them. A table's rows are
// gathered until the table ends and then written as real text tables in one pass, since growing a
// QTextTable row by row costs time in proportion to its size on every row.
class RtfDocumentBuilder {
public:
    static constexpr int MaxColumns = 63;
    // Longer tables are written as several: a view lays out a whole table in one step, so one
    // table of many thousand cells would stop the program for seconds.
    static constexpr int MaxCellsPerTable = 250;
    // Longer paragraphs are written as several, split at a space where there is one: a view lays out
    // a paragraph in one step, and a word longer than a line costs it time in the square of the length.
    static constexpr qsizetype MaxParagraphLength = 8192;

    // A cell's border on one side; none unless the file asks for one.
    struct Border {
        qreal width = 0;
        QTextFrameFormat::BorderStyle style = QTextFrameFormat::BorderStyle_None;
        QBrush brush;
        bool operator==(const Border &) const = default;
    };
    enum Side { Top, Left, Bottom, Right };
    using CellBorders = std::array<Border, 4>; // by Side

    explicit RtfDocumentBuilder(QTextDocument *document);

    // paragraphFormat: the format of the paragraph as it stands, for the pieces of a long one.
    void insertText(const QString &text, const QTextCharFormat &format, bool inTable,
                    const QTextBlockFormat &paragraphFormat = QTextBlockFormat());
    void endParagraph(const QTextBlockFormat &format, const QTextCharFormat &markFormat, bool inTable);
    // Ends the cell's last paragraph; the next text goes to the next cell of the row.
    void endCell(const QTextBlockFormat &format, const QTextCharFormat &markFormat);
    // Ends the row; cellEdges are the right edges of its cells in twips, as its definition gave them,
    // and borders the cells' borders. Cells of no width that hold nothing are left out.
    void endRow(QList<int> cellEdges, QList<CellBorders> borders);
    // Writes what is still gathered and gives the last paragraph its format; the empty paragraph that
    // a final paragraph end leaves is dropped. The document is one edit until then, or until pause().
    void finish(const QTextBlockFormat &format, const QTextCharFormat &markFormat);
    // Ends the edit so far, so that views show it and lay it out; resume() starts the next one.
    void pause();
    void resume();

    bool inTable() const { return m_tableOpen; }

private:
    struct Run {
        QString text;
        QTextCharFormat format;
    };
    struct Paragraph {
        QList<Run> runs;
        QTextBlockFormat format;
        QTextCharFormat markFormat;
    };
    struct Cell {
        QList<Paragraph> paragraphs;
        bool isEmpty() const {
            return paragraphs.size() <= 1 && (paragraphs.isEmpty() || paragraphs[0].runs.isEmpty());
        }
    };
    struct Row {
        QList<Cell> cells;
        QList<int> edges;
        QList<CellBorders> borders;
    };

    void setParagraphFormat(const QTextBlockFormat &format, const QTextCharFormat &markFormat);
    void insertPiece(const QString &text, const QTextCharFormat &format, bool inTable);
    static QTextBlockFormat pieceFormat(QTextBlockFormat format, bool first, bool last);
    void finishSplitParagraph(const QTextBlockFormat &format);
    static qsizetype splitPoint(const QString &text, qsizetype room);
    void writeFullTables();
    Paragraph &tableParagraph();
    void leaveTable();
    void writeTable(const QList<Row> &rows, qsizetype first, qsizetype end);
    static void setBorders(QTextTableCell cell, const CellBorders &borders);
    void writeCell(QTextCursor &cursor, const Cell &cell, const QTextBlockFormat &cellFormat);
    void dropEmptyParagraphBefore();

    QTextCursor m_cursor;
    bool m_editing = false;
    bool m_finished = false;
    qsizetype m_paragraphLength = 0;      // of the paragraph being written, in or out of a table
    int m_paragraphFirstBlock = -1;       // where a paragraph that was split starts
    QTextBlockFormat m_splitFormat;       // the format its pieces were given
    qsizetype m_paragraphFirstPiece = -1; // the same in a table cell: its first paragraph
    bool m_tableOpen = false;
    bool m_rowOpen = false;
    bool m_cellOpen = false;
    QList<Row> m_rows;
    qsizetype m_gatheredColumns = 1; // the most cells of a row in m_rows
    QTextBlockFormat m_blockFormat;  // what the cursor's paragraph has now
    QTextCharFormat m_markFormat;
};

} // namespace varnook
