#pragma once

#include "RtfCodePage.h"
#include "RtfDocumentBuilder.h"
#include "RtfFormatter.h"
#include "RtfListNumbering.h"
#include "RtfPicture.h"
#include "RtfPictureBudget.h"
#include "RtfState.h"
#include "RtfTokenizer.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

class QTextDocument;

namespace varnook {

// Reads rich text (RTF) as WordPad, word processors and converters write it into a QTextDocument:
// text in its code pages and Unicode, character and paragraph formats, bullets, tables. Whatever it
// does not understand it leaves out; malformed, truncated or hostile input never makes it fail,
// recurse or take more than linear time. Bytes that are not rich text are shown as plain text.
class RtfReader {
public:
    // Replaces the document's content with what the bytes show.
    static void read(QByteArrayView bytes, QTextDocument *document);

    // Reads in steps instead: the document is emptied now and grows with every step, each one edit
    // that views show. The bytes must stay as they are until the reader is done or gone.
    RtfReader(QByteArrayView bytes, QTextDocument *document);
    ~RtfReader();
    RtfReader(const RtfReader &) = delete;
    RtfReader &operator=(const RtfReader &) = delete;
    // Reads on for about this many bytes of the input; true once all of it is read.
    bool readStep(qsizetype bytes);
    bool isFinished() const { return m_finished; }

    // True when the bytes start as rich text does ("{\rtf").
    static bool isRichText(QByteArrayView bytes);
    // Groups nested deeper than this share the state of the deepest saved one.
    static constexpr int MaxSavedGroups = 250000;

private:
    enum class Destination : char {
        Text, // shown
        Skip, // read past: holds nothing to show
        FontTable,
        ColorTable,
        Alternative,       // \upr: its own text is the ANSI stand-in of the \ud group inside it
        FieldInstruction,  // \fldinst: what the field does, kept to make its result a link
        ListText,          // \pntext, \listtext: the paragraph's bullet or number, shown with its text
        ListNumbering,     // \pn: how the paragraph is numbered
        NumberBefore,      // \pntxtb: the text before the number, or the bullet itself
        NumberAfter,       // \pntxta: the text after the number
        Picture,           // \pict: its hex digits are the picture's bytes
        ShapeInstructions, // \shpinst: a drawn shape's properties, a picture among them
    };
    struct Group {
        RtfCharState chars;
        RtfParaState para;
        Destination destination = Destination::Text;
        int unicodeSkip = 1;
    };

    // One control word as read, with the value its entry in the word table gives it (a character,
    // a code page, an alignment…).
    struct Word {
        bool hasParameter = false;
        int parameter = 0;
        int value = 0;
        bool on() const { return !hasParameter || parameter != 0; } // \b and \b1 switch on, \b0 off
        int number() const { return hasParameter ? parameter : 0; }
    };
    using WordHandler = void (*)(RtfReader &, const Word &);
    struct WordEntry {
        WordHandler handle = nullptr;
        int value = 0;
        bool readWhenStarred = false; // a destination read even after \* (which skips unknown ones)
    };
    using WordTable = std::unordered_map<std::string_view, WordEntry>;
    static const WordTable &wordTable(); // in RtfControlWords.cpp

    void readPlainTextStep(qsizetype characters);
    void readRichTextStep(qsizetype bytes);
    void flushWholeCharacters();
    void applyDefaultTab();

    Group &group() { return m_groups.back(); }
    void handle(const RtfToken &token);
    void openGroup();
    void closeGroup();
    void controlWord(QByteArrayView word, bool hasParameter, int parameter);
    void controlSymbol(char symbol);
    void text(QByteArrayView bytes);
    void hexByte(unsigned char byte);
    void finishDocument();
    void addBytes(QByteArrayView bytes);
    void flushBytes();
    void appendUnicode(int value);
    void appendText(const QString &text);
    void appendVisible(const QString &text);
    void appendRun(const QString &text, const RtfCharState &chars);
    void showListText(const RtfCharState &chars);
    QString listNumberText();
    void paragraphEnded();
    bool paragraphHasContent() const { return m_paragraphHasContent || !m_listText.isEmpty(); }
    void startPicture();
    void finishPicture();
    QImage placeholder(QSize frame, const QString &label);
    void startField();
    void startFieldResult();
    QString *collectedText();
    void flushRun();
    void flushSurrogate();
    void endParagraph();
    void endCell();
    void endRow();
    bool inTableContext() const;
    bool shown() const { return m_groups.back().destination == Destination::Text; }
    int textCodePage() const;
    void finishFontEntry();
    void setColorPart(int &part, int value);
    void finishColor();

    QTextDocument *m_document;
    bool m_undoWasEnabled;
    bool m_plainText = false;
    bool m_finished = false;
    QString m_text; // a file that is not rich text, as the text it shows
    qsizetype m_textRead = 0;
    RtfTokenizer m_tokenizer;
    int m_appliedDefaultTab = -1;
    RtfFormatter m_formatter;
    RtfCodePage m_codePages;
    RtfDocumentBuilder m_builder;

    std::vector<Group> m_groups;
    long long m_unsavedDepth = 0;
    bool m_done = false;
    bool m_ignorableNext = false; // \* seen: the group is skipped unless its word is one we read
    int m_skipFallback = 0;       // characters still to skip after \uN

    QByteArray m_pendingBytes;
    int m_pendingCodePage = RtfCodePage::Western;
    char16_t m_highSurrogate = 0;
    QString m_run;
    RtfCharState m_runState;
    bool m_runInTable = false;

    using ListNumbering = RtfListNumbering;
    ListNumbering m_listNumbering;  // the paragraph's numbering (\pn); a \pard forgets it
    ListNumbering m_numberedBefore; // the last numbered paragraph's numbering
    bool m_numberContinues = false; // the paragraph before was numbered: count on from its number
    bool m_numberTaken = false;
    int m_number = 0;
    QString m_listText; // the paragraph's bullet or number, waiting for its text
    QString m_fieldInstruction;

    std::unique_ptr<RtfPicture> m_picture; // the picture being read
    size_t m_pictureDepth = 0;             // the number of groups open where it started
    RtfPictureBudget m_pictureBudget;
    QImage m_placeholder; // the last frame drawn for a picture, and what it was drawn for
    QSize m_placeholderFrame;
    QString m_placeholderLabel;

    bool m_paragraphHasListText = false;
    bool m_paragraphHasContent = false;
    bool m_rowDefinitionOpen = false;
    QList<int> m_cellEdges;
    // Borders as the row definition gives them: its own by side (top, left, bottom, right, between
    // rows, between cells), each defined cell's, and the one of the cell being defined.
    using CellBorderWords = std::array<std::optional<RtfBorder>, 4>;
    std::array<std::optional<RtfBorder>, 6> m_rowBorders;
    QList<CellBorderWords> m_cellBorders;
    CellBorderWords m_nextCellBorders;
    RtfBorder *m_border = nullptr; // what \brdrs, \brdrw and \brdrcf describe now
    QList<RtfDocumentBuilder::CellBorders> rowBorders();
    RtfDocumentBuilder::Border border(const std::optional<RtfBorder> &cellSide,
                                      const std::optional<RtfBorder> &rowSide);
    int m_defaultTab = 720;

    bool m_fontEntryOpen = false;
    int m_fontEntry = 0;
    RtfFont m_entryFont;
    QString m_fontName;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colorGiven = false;
};

} // namespace varnook
