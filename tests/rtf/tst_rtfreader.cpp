#include "RtfCodePage.h"
#include "RtfDocumentBuilder.h"
#include "RtfLoader.h"
#include "RtfReader.h"
#include "RtfTokenizer.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <memory>

using namespace varnook;

namespace {

QByteArray sample(const QString &name) {
    QFile file(QStringLiteral(VARNOOK_RTF_SAMPLES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

std::unique_ptr<QTextDocument> readDocument(const QByteArray &bytes) {
    auto document = std::make_unique<QTextDocument>();
    RtfReader::read(bytes, document.get());
    return document;
}

// A document body as rich text in its simplest form.
QByteArray rtf(const QByteArray &body) {
    return "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}{\\f1\\fnil\\fcharset2 Symbol;}"
           "{\\f2\\froman\\fcharset238 Times CE;}{\\f3\\froman\\fcharset204 Times Cyr;}{\\f4\\fmodern Courier New;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green128\\blue0;\\red255\\green255\\blue0;}" +
           body + "}";
}

// Every paragraph of the document in order, those in table cells included.
QStringList paragraphs(const QTextDocument &document) {
    QStringList texts;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        texts << block.text();
    return texts;
}

QTextCursor find(const QTextDocument &document, const QString &text) {
    return document.find(text, 0, QTextDocument::FindCaseSensitively);
}

// The character format of the first character of the first occurrence of text.
QTextCharFormat formatOf(const QTextDocument &document, const QString &text) {
    QTextCursor cursor = find(document, text);
    if (cursor.isNull())
        return {};
    cursor.setPosition(cursor.selectionStart() + 1);
    return cursor.charFormat();
}

QVariant charProperty(const QTextCharFormat &format, const QString &name) {
    if (name == u"bold")
        return format.fontWeight() >= QFont::Bold;
    if (name == u"italic")
        return format.fontItalic();
    if (name == u"underline")
        return int(format.underlineStyle());
    if (name == u"strike")
        return format.fontStrikeOut();
    if (name == u"vertical")
        return int(format.verticalAlignment());
    if (name == u"points")
        return format.fontPointSize();
    if (name == u"family")
        return format.fontFamilies().toStringList().value(0);
    if (name == u"styleHint")
        return int(format.fontStyleHint());
    if (name == u"foreground")
        return format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color().name() : QString();
    if (name == u"background")
        return format.hasProperty(QTextFormat::BackgroundBrush) ? format.background().color().name() : QString();
    if (name == u"caps")
        return int(format.fontCapitalization());
    if (name == u"href")
        return format.isAnchor() ? format.anchorHref() : QString();
    return {};
}

QString utf16(std::initializer_list<char16_t> codes) {
    QString text;
    for (char16_t c : codes)
        text += QChar(c);
    return text;
}

// A small picture of four by three pixels in the given file format.
QByteArray pictureBytes(const char *format) {
    QImage image(4, 3, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return buffer.data();
}

// The pictures of the document in order, as the text holds them.
QList<QTextImageFormat> picturesIn(const QTextDocument &document) {
    QList<QTextImageFormat> found;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            if (fragment.fragment().charFormat().isImageFormat())
                found << fragment.fragment().charFormat().toImageFormat();
        }
    }
    return found;
}

const QString Bullet = QString(QChar(0x2022));
constexpr Qt::Alignment Horizontal = Qt::AlignLeft | Qt::AlignRight | Qt::AlignHCenter | Qt::AlignJustify;

} // namespace

class tst_RtfReader : public QObject {
    Q_OBJECT

private slots:
    void writerStyles_data();
    void writerStyles();
    void writerFormats_data();
    void writerFormats();
    void text_data();
    void text();
    void characterFormats_data();
    void characterFormats();
    void paragraphFormats();
    void lineSpacing_data();
    void lineSpacing();
    void bulletsHaveTheirHangingIndent();
    void bulletShownOnceWhenGivenTwice();
    void tabStops();
    void pictures_data();
    void pictures();
    void picturesPastTheBounds_data();
    void picturesPastTheBounds();
    void tables();
    void tableBorders_data();
    void tableBorders();
    void tableWithoutParagraphMarks();
    void rowsOfDifferentWidths();
    void nestedTableFlattened();
    void cellOutsideTableKeepsCellsApart();
    void tableColumnWidthsFromCellEdges();
    void malformedInput_data();
    void malformedInput();
    void deepNestingKeepsGroupState();
    void longTableSplitIntoSeveral();
    void tokenizer_data();
    void tokenizer();
    void binaryTakesExactlyItsBytes();
    void codePages_data();
    void codePages();
    void plainTextOrRichText_data();
    void plainTextOrRichText();
    void defaultTabWidth();
    void shippedHelpFile();
    void readingInStepsReadsTheSame_data();
    void readingInStepsReadsTheSame();
    void longParagraphWrittenInPieces_data();
    void longParagraphWrittenInPieces();
    void loaderFillsTheDocumentWhileEventsRun();
};

void tst_RtfReader::writerStyles_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("WordPad, ending in a NUL")
        << "wordpad.rtf"
        << QStringList{"Getting started", "Plain text with italic and red words, café and €.", Bullet + "\tFirst point",
                       Bullet + "\tSecond point", "Centered"};
    QTest::newRow("word processor: styles, lists, fields, table, hidden text")
        << "word.rtf"
        << QStringList{"Heading One",
                       "Visible text with a link and a footnote.",
                       Bullet + "\tFirst item",
                       Bullet + "\tSecond item",
                       "Cell A1",
                       "Cell B1",
                       "Cell A2",
                       "Cell B2",
                       QString("After the table with ") + QChar(0x201C) + "quotes" + QChar(0x201D) + " " +
                           QChar(0x2013) + " and a dash."};
    QTest::newRow("converter without a code page")
        << "pandoc.rtf"
        << QStringList{
               "A Title",
               QString("Text with ") + QChar(0x201C) + "quotes" + QChar(0x201D) + ", emphasis, strong and café.",
               Bullet + "\tOne",
               Bullet + "\tTwo with link",
               "code()",
               "Emoji " + QString::fromUcs4(U"\U0001F600") + " and " + QChar(0x2014) + "dash"};
    QTest::newRow("text editor: font table without groups, backslash line ends")
        << "cocoa.rtf" << QStringList{"Hello world", "Red line", "\t" + Bullet + "\tListed", "Zürich"};
    QTest::newRow("plain text named .rtf")
        << "plain.rtf" << QStringList{"This is not rich text.", "Second line with café"};
}

void tst_RtfReader::writerStyles() {
    QFETCH(QString, file);
    QFETCH(QStringList, expected);
    const QByteArray bytes = sample(file);
    QVERIFY2(!bytes.isEmpty(), qPrintable(file));
    const auto document = readDocument(bytes);
    QCOMPARE(paragraphs(*document), expected);
}

void tst_RtfReader::writerFormats_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("WordPad heading bold") << "wordpad.rtf"
                                          << "Getting"
                                          << "bold" << QVariant(true);
    QTest::newRow("WordPad heading 14 pt") << "wordpad.rtf"
                                           << "Getting"
                                           << "points" << QVariant(14.0);
    QTest::newRow("WordPad heading Arial") << "wordpad.rtf"
                                           << "Getting"
                                           << "family" << QVariant("Arial");
    QTest::newRow("WordPad body not bold") << "wordpad.rtf"
                                           << "Plain"
                                           << "bold" << QVariant(false);
    QTest::newRow("WordPad body 10 pt") << "wordpad.rtf"
                                        << "Plain"
                                        << "points" << QVariant(10.0);
    QTest::newRow("WordPad italic") << "wordpad.rtf"
                                    << "italic"
                                    << "italic" << QVariant(true);
    QTest::newRow("WordPad red") << "wordpad.rtf"
                                 << "red"
                                 << "foreground" << QVariant("#ff0000");
    QTest::newRow("WordPad after red: automatic colour") << "wordpad.rtf"
                                                         << "words"
                                                         << "foreground" << QVariant("");
    QTest::newRow("WordPad bullet in the body font") << "wordpad.rtf" << Bullet << "family" << QVariant("Arial");
    QTest::newRow("word heading bold") << "word.rtf"
                                       << "Heading"
                                       << "bold" << QVariant(true);
    QTest::newRow("word heading 16 pt") << "word.rtf"
                                        << "Heading"
                                        << "points" << QVariant(16.0);
    QTest::newRow("word heading sans serif hint") << "word.rtf"
                                                  << "Heading"
                                                  << "styleHint" << QVariant(int(QFont::SansSerif));
    QTest::newRow("word body Times") << "word.rtf"
                                     << "Visible"
                                     << "family" << QVariant("Times New Roman");
    QTest::newRow("word link underlined") << "word.rtf"
                                          << "link"
                                          << "underline" << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("word link blue") << "word.rtf"
                                    << "link"
                                    << "foreground" << QVariant("#0000ff");
    QTest::newRow("word bold cell") << "word.rtf"
                                    << "Cell B1"
                                    << "bold" << QVariant(true);
    QTest::newRow("word plain cell") << "word.rtf"
                                     << "Cell A1"
                                     << "bold" << QVariant(false);
    QTest::newRow("converter strong") << "pandoc.rtf"
                                      << "strong"
                                      << "bold" << QVariant(true);
    QTest::newRow("converter emphasis") << "pandoc.rtf"
                                        << "emphasis"
                                        << "italic" << QVariant(true);
    QTest::newRow("converter emphasis ends with its group") << "pandoc.rtf"
                                                            << ", strong"
                                                            << "italic" << QVariant(false);
    QTest::newRow("converter code font") << "pandoc.rtf"
                                         << "code()"
                                         << "family" << QVariant("Courier");
    QTest::newRow("converter title 18 pt") << "pandoc.rtf"
                                           << "A Title"
                                           << "points" << QVariant(18.0);
    QTest::newRow("text editor bold face") << "cocoa.rtf"
                                           << "world"
                                           << "bold" << QVariant(true);
    QTest::newRow("text editor bold font") << "cocoa.rtf"
                                           << "world"
                                           << "family" << QVariant("Helvetica-Bold");
    QTest::newRow("text editor colour") << "cocoa.rtf"
                                        << "Red line"
                                        << "foreground" << QVariant("#fb0007");
}

void tst_RtfReader::writerFormats() {
    QFETCH(QString, file);
    QFETCH(QString, text);
    QFETCH(QString, property);
    QFETCH(QVariant, expected);
    const auto document = readDocument(sample(file));
    QVERIFY2(!find(*document, text).isNull(), qPrintable(text));
    QCOMPARE(charProperty(formatOf(*document, text), property), expected);
}

void tst_RtfReader::text_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("control symbols") << QByteArray(R"(a\{b\}c\\d\~e\-f\_g)")
                                     << QStringList{utf16(
                                            {'a', '{', 'b', '}', 'c', '\\', 'd', 0xA0, 'e', 0xAD, 'f', 0x2011, 'g'})};
    QTest::newRow("one swallowed space") << QByteArray(R"(\b  two\b0   three)") << QStringList{" two  three"};
    QTest::newRow("space after a symbol is text")
        << QByteArray(R"(a\~ b)") << QStringList{utf16({'a', 0xA0, ' ', 'b'})};
    QTest::newRow("backslash and newline end a paragraph")
        << QByteArray("one\\\ntwo\\\r\nthree") << QStringList{"one", "two", "three"};
    QTest::newRow("raw line ends ignored") << QByteArray("on\r\ne\ntwo\rthree") << QStringList{"onetwothree"};
    QTest::newRow("raw tab is a tab") << QByteArray("a\tb") << QStringList{"a\tb"};
    QTest::newRow("named characters") << QByteArray(R"(\emdash\endash\lquote\rquote\ldblquote\rdblquote\bullet)")
                                      << QStringList{utf16({0x2014, 0x2013, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022})};
    QTest::newRow("line and tab") << QByteArray(R"(a\line b\tab c)")
                                  << QStringList{utf16({'a', 0x2028, 'b', '\t', 'c'})};
    QTest::newRow("paragraphs") << QByteArray(R"(one\par two\par\par four)") << QStringList{"one", "two", "", "four"};
    QTest::newRow("final paragraph mark starts no empty paragraph")
        << QByteArray(R"(one\par two\par)") << QStringList{"one", "two"};
    QTest::newRow("page and section end a paragraph once")
        << QByteArray(R"(one\page two\par\sect three\sect\page)") << QStringList{"one", "two", "three"};
    QTest::newRow("hex in Windows-1252") << QByteArray(R"(caf\'e9 \'80 \'93x\'94)")
                                         << QStringList{
                                                utf16({'c', 'a', 'f', 0xE9, ' ', 0x20AC, ' ', 0x201C, 'x', 0x201D})};
    QTest::newRow("hex in the document's code page")
        << QByteArray(R"(\ansicpg1250 \'8a\'b9)") << QStringList{utf16({0x160, 0x105})};
    QTest::newRow("hex in the font's character set, Central European")
        << QByteArray(R"(\f2 \'8a\'b9\f0 \'8a)") << QStringList{utf16({0x160, 0x105, 0x160})};
    QTest::newRow("hex in the font's character set, Cyrillic")
        << QByteArray(R"(\f3 \'cf\'f0\'e8\'e2\'e5\'f2)")
        << QStringList{utf16({0x41F, 0x440, 0x438, 0x432, 0x435, 0x442})};
    QTest::newRow("font code page beats the document's")
        << QByteArray(R"(\ansicpg1251 \'c0{\f2 \'c0}\f0 \'c0)") << QStringList{utf16({0x410, 0x154, 0x410})};
    QTest::newRow("raw high bytes in the code page")
        << QByteArray("\\f3 \xcf\xf0\\f0 \xe9") << QStringList{utf16({0x41F, 0x440, 0xE9})};
    QTest::newRow("Symbol font bullet") << QByteArray(R"({\f1\'b7}\tab x)") << QStringList{Bullet + "\tx"};
    QTest::newRow("Symbol font Greek") << QByteArray(R"({\f1 abg})") << QStringList{utf16({0x3B1, 0x3B2, 0x3B3})};
    QTest::newRow("Symbol font in private use") << QByteArray(R"({\f1\u61623 ?})") << QStringList{Bullet};
    QTest::newRow("unicode with fallback skipped")
        << QByteArray(R"(\u8364?\u233e)") << QStringList{utf16({0x20AC, 0xE9})};
    QTest::newRow("negative unicode") << QByteArray(R"(\u-4064?)") << QStringList{utf16({0xF020})};
    QTest::newRow("surrogate pair joined")
        << QByteArray(R"(\u-10179?\u-8704?)") << QStringList{QString::fromUcs4(U"\U0001F600")};
    QTest::newRow("lone surrogates replaced")
        << QByteArray(R"(a\u55357?b\u56832?c)") << QStringList{utf16({'a', 0xFFFD, 'b', 0xFFFD, 'c'})};
    QTest::newRow("uc0 skips nothing") << QByteArray(R"(\uc0\u233 e)") << QStringList{utf16({0xE9, 'e'})};
    QTest::newRow("uc2 skips two, a hex byte counting as one")
        << QByteArray(R"(\uc2\u8364\'80\'80x)") << QStringList{utf16({0x20AC, 'x'})};
    QTest::newRow("uc belongs to the group")
        << QByteArray(R"({\uc2\u233 xx}\u233 xy)") << QStringList{utf16({0xE9, 0xE9, 'y'})};
    QTest::newRow("skipping stops at a group")
        << QByteArray(R"(\uc3\u233 a{b}c)") << QStringList{utf16({0xE9, 'b', 'c'})};
    QTest::newRow("unicode out of range ignored") << QByteArray(R"(a\u2000000000 ?b)") << QStringList{"ab"};
    QTest::newRow("starred destination skipped whole")
        << QByteArray(R"(a{\*\unknown b{c}d}e{\*\generator x;}f)") << QStringList{"aef"};
    QTest::newRow("unknown words ignored, their text shown") << QByteArray(R"(\foo12 a\barx b)") << QStringList{"ab"};
    QTest::newRow("destinations skipped by name")
        << QByteArray(
               R"(a{\info{\title t}}{\stylesheet{\s1 Heading;}}{\header h}{\footerr f}{\footnote n}{\annotation)"
               R"( x}{\nonshppict{\pict\wmetafile8 0a0b}}{\object{\objdata 01}{\result b}}{\listtable{\list x}}c)")
        << QStringList{"abc"};
    QTest::newRow("field result shown, instruction not")
        << QByteArray(R"({\field{\fldinst HYPERLINK "x"}{\fldrslt here}})") << QStringList{"here"};
    QTest::newRow("starred field result shown")
        << QByteArray(R"(A {\field{\*\fldinst HYPERLINK "http://example.org/"}{\*\fldrslt link}} B)")
        << QStringList{"A link B"};
    QTest::newRow("field result in groups of its own")
        << QByteArray(R"({\field{\*\fldinst{ PAGE }}{\fldrslt{\b 3}{ of 4}}})") << QStringList{"3 of 4"};
    QTest::newRow("numbers from \\pn with an empty list text")
        << QByteArray(R"(\pard{\listtext\tab}{\*\pn\pnlvlbody\pndec\pnstart1{\pntxta .}}\fi-360\li720 one\par)"
                      R"(\pard{\listtext\tab}{\*\pn\pnlvlbody\pndec\pnstart1{\pntxta .}}\fi-360\li720 two\par)"
                      R"(\pard after\par\pard{\*\pn\pnlvlbody\pndec\pnstart1{\pntxta .}}again\par)")
        << QStringList{"1.\tone", "2.\ttwo", "after", "1.\tagain"};
    QTest::newRow("\\pn numbers count on until a paragraph without one or with another style")
        << QByteArray(R"(\pard{\*\pn\pnlvlbody\pnucrm\pnstart4{\pntxtb (}{\pntxta )}}a\par b\par)"
                      R"(\pard{\*\pn\pnlvlcont}more\par\pard{\*\pn\pnlcltr\pnlvlbody\pnstart1}c\par\pard d\par)"
                      R"(\pard{\*\pn\pnlvlbody\pnlcltr\pnstart26}e\par f)")
        << QStringList{"(IV)\ta", "(V)\tb", "more", "a\tc", "d", "z\te", "aa\tf"};
    QTest::newRow("a given list number wins over \\pn")
        << QByteArray(R"({\pntext 7.\tab}{\*\pn\pnlvlbody\pndec}x\par)") << QStringList{"7.\tx"};
    QTest::newRow("bullet from \\pn alone, in its font")
        << QByteArray(R"({\*\pn\pnlvlblt\pnf1{\pntxtb\'b7}}x\par)") << QStringList{Bullet + "\tx"};
    QTest::newRow("cells of no width left out")
        << QByteArray(R"(\trowd\cellx1000\cellx1000\cellx2000\intbl a\cell\cell b\cell\row\pard end)")
        << QStringList{"", "a", "b", "end"};
    QTest::newRow("a cell's last paragraph end makes no empty line")
        << QByteArray(R"({\trowd\cellx2000\cellx4000\intbl{{\intbl{\pard\intbl a\par}\cell}{\intbl{\pard\intbl b\par})"
                      R"(\cell}}\intbl\row}\pard end)")
        << QStringList{"", "a", "b", "end"};
    QTest::newRow("hidden text not shown")
        << QByteArray(R"(a{\v hidden}b\v c\v0 d\plain\v e\plain f)") << QStringList{"abdf"};
    QTest::newRow("unicode alternative: the unicode part shown")
        << QByteArray(R"({\upr{a\'e9}{\*\ud{a\u233 ?}}})") << QStringList{utf16({'a', 0xE9})};
    QTest::newRow("binary data skipped") << QByteArray("a{\\objdata\\bin4 }{\\x}b") << QStringList{"ab"};
    QTest::newRow("cells outside a table") << QByteArray(R"(a\cell b\cell\row c)") << QStringList{"a\tb\t", "c"};
    QTest::newRow("text after the document ignored") << QByteArray("a}b{c}\\par d") << QStringList{"a"};
    QTest::newRow("controls in the text dropped")
        << QByteArray(R"(a\'00b\'0ac\u8233 ?d)") << QStringList{utf16({'a', 'b', 'c', 0x2028, 'd'})};
    QTest::newRow("document structure characters refused")
        << QByteArray(R"(a\u-560 ?\u-559 ?\u-4 ?b)") << QStringList{utf16({'a', 0xFFFD, 0xFFFD, 0xFFFD, 'b'})};
}

void tst_RtfReader::text() {
    QFETCH(QByteArray, body);
    QFETCH(QStringList, expected);
    const auto document = readDocument(rtf(body));
    QCOMPARE(paragraphs(*document), expected);
}

void tst_RtfReader::characterFormats_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("expected");

    QTest::newRow("bold") << QByteArray(R"(\b X)") << "bold" << QVariant(true);
    QTest::newRow("bold off by b0") << QByteArray(R"(\b\b0 X)") << "bold" << QVariant(false);
    QTest::newRow("bold ends with its group") << QByteArray(R"({\b a}X)") << "bold" << QVariant(false);
    QTest::newRow("italic") << QByteArray(R"(\i X)") << "italic" << QVariant(true);
    QTest::newRow("plain resets") << QByteArray(R"(\b\i\ul\fs40\cf1 \plain X)") << "points" << QVariant(12.0);
    // A hyperlink field's result is a link to the field's target, drawn as links are.
    const QByteArray link =
        R"(a {\field{\*\fldinst HYPERLINK "http://example.org/a b" \\o "tip"}{\*\fldrslt {\plain\cf2 X}}} b)";
    QTest::newRow("link: its target") << link << "href" << QVariant("http://example.org/a b");
    QTest::newRow("link: blue") << link << "foreground" << QVariant("#0000ff");
    QTest::newRow("link: underlined") << link << "underline" << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("link: with a place in the page")
        << QByteArray(R"({\field{\fldinst {HYPERLINK "http://example.org/" \\l "part"}}{\fldrslt X}})") << "href"
        << QVariant("http://example.org/#part");
    QTest::newRow("link: to a place in this document only is none")
        << QByteArray(R"({\field{\fldinst HYPERLINK \\l "part"}{\fldrslt X}})") << "href" << QVariant(QString());
    QTest::newRow("link: other fields are none")
        << QByteArray(R"({\field{\fldinst PAGE}{\fldrslt X}})") << "href" << QVariant(QString());
    QTest::newRow("link: ends with its field")
        << QByteArray(R"({\field{\fldinst HYPERLINK "http://a/"}{\fldrslt a}}X)") << "href" << QVariant(QString());
    // A bullet's group inherits the heading before it; it shows in its paragraph's formatting.
    const QByteArray bullet = R"(\b\ul\fs36 Heading\par{\pntext X\tab}\pard\fi-360\li720\b0\ulnone\fs20 item)";
    QTest::newRow("list text: not bold like the heading") << bullet << "bold" << QVariant(false);
    QTest::newRow("list text: the paragraph's size") << bullet << "points" << QVariant(10.0);
    QTest::newRow("list text: not underlined") << bullet << "underline" << QVariant(int(QTextCharFormat::NoUnderline));
    QTest::newRow("plain resets bold") << QByteArray(R"(\b\plain X)") << "bold" << QVariant(false);
    QTest::newRow("underline") << QByteArray(R"(\ul X)") << "underline"
                               << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("underline double as single")
        << QByteArray(R"(\uldb X)") << "underline" << QVariant(int(QTextCharFormat::SingleUnderline));
    QTest::newRow("underline dotted") << QByteArray(R"(\uld X)") << "underline"
                                      << QVariant(int(QTextCharFormat::DotLine));
    QTest::newRow("underline dashed") << QByteArray(R"(\uldash X)") << "underline"
                                      << QVariant(int(QTextCharFormat::DashUnderline));
    QTest::newRow("underline wave") << QByteArray(R"(\ulwave X)") << "underline"
                                    << QVariant(int(QTextCharFormat::WaveUnderline));
    QTest::newRow("underline none") << QByteArray(R"(\ul\ulnone X)") << "underline"
                                    << QVariant(int(QTextCharFormat::NoUnderline));
    QTest::newRow("underline off by ul0")
        << QByteArray(R"(\ul\ul0 X)") << "underline" << QVariant(int(QTextCharFormat::NoUnderline));
    QTest::newRow("strike") << QByteArray(R"(\strike X)") << "strike" << QVariant(true);
    QTest::newRow("double strike") << QByteArray(R"(\striked1 X)") << "strike" << QVariant(true);
    QTest::newRow("strike off") << QByteArray(R"(\strike\strike0 X)") << "strike" << QVariant(false);
    QTest::newRow("superscript") << QByteArray(R"(\super X)") << "vertical"
                                 << QVariant(int(QTextCharFormat::AlignSuperScript));
    QTest::newRow("subscript") << QByteArray(R"(\sub X)") << "vertical"
                               << QVariant(int(QTextCharFormat::AlignSubScript));
    QTest::newRow("raised") << QByteArray(R"(\up6 X)") << "vertical"
                            << QVariant(int(QTextCharFormat::AlignSuperScript));
    QTest::newRow("lowered") << QByteArray(R"(\dn6 X)") << "vertical" << QVariant(int(QTextCharFormat::AlignSubScript));
    QTest::newRow("no super or sub") << QByteArray(R"(\super\nosupersub X)") << "vertical"
                                     << QVariant(int(QTextCharFormat::AlignNormal));
    QTest::newRow("size in half points") << QByteArray(R"(\fs17 X)") << "points" << QVariant(8.5);
    QTest::newRow("default size 12 points") << QByteArray("X") << "points" << QVariant(12.0);
    QTest::newRow("huge size limited") << QByteArray(R"(\fs99999999999 X)") << "points" << QVariant(1638.0);
    QTest::newRow("font face") << QByteArray(R"(\f4 X)") << "family" << QVariant("Courier New");
    QTest::newRow("font family hint") << QByteArray(R"(\f4 X)") << "styleHint" << QVariant(int(QFont::TypeWriter));
    QTest::newRow("default font") << QByteArray("X") << "family" << QVariant("Arial");
    QTest::newRow("unknown font: the default") << QByteArray(R"(\f77 X)") << "family" << QVariant("Arial");
    QTest::newRow("colour") << QByteArray(R"(\cf2 X)") << "foreground" << QVariant("#008000");
    QTest::newRow("automatic colour") << QByteArray(R"(\cf1\cf0 X)") << "foreground" << QVariant("");
    QTest::newRow("colour outside the table") << QByteArray(R"(\cf99 X)") << "foreground" << QVariant("");
    QTest::newRow("highlight") << QByteArray(R"(\highlight3 X)") << "background" << QVariant("#ffff00");
    QTest::newRow("character shading") << QByteArray(R"(\chcbpat1 X)") << "background" << QVariant("#ff0000");
    QTest::newRow("background") << QByteArray(R"(\cb2 X)") << "background" << QVariant("#008000");
    QTest::newRow("all capitals") << QByteArray(R"(\caps X)") << "caps" << QVariant(int(QFont::AllUppercase));
    QTest::newRow("small capitals") << QByteArray(R"(\scaps X)") << "caps" << QVariant(int(QFont::SmallCaps));
}

void tst_RtfReader::characterFormats() {
    QFETCH(QByteArray, body);
    QFETCH(QString, property);
    QFETCH(QVariant, expected);
    const auto document = readDocument(rtf(body));
    QCOMPARE(charProperty(formatOf(*document, QStringLiteral("X")), property), expected);
}

void tst_RtfReader::paragraphFormats() {
    const auto document = readDocument(rtf(R"(\qc centred\par\pard\qr right\par\qj justified\par\pard)"
                                           R"(\li1440\ri720\fi-360\sb300\sa150 indented\par\pard plain\par)"
                                           R"({\pard\qc grouped\par}after)"));
    const auto block = [&](const QString &text) {
        return find(*document, text).blockFormat();
    };
    QCOMPARE(block("centred").alignment() & Horizontal, Qt::AlignHCenter);
    QCOMPARE(block("right").alignment() & Horizontal, Qt::AlignRight);
    QCOMPARE(block("justified").alignment() & Horizontal, Qt::AlignJustify);
    QCOMPARE(block("plain").alignment() & Horizontal, Qt::AlignLeft);
    const QTextBlockFormat indented = block("indented");
    QCOMPARE(indented.leftMargin(), 96.0);
    QCOMPARE(indented.rightMargin(), 48.0);
    QCOMPARE(indented.textIndent(), -24.0);
    QCOMPARE(indented.topMargin(), 20.0);
    QCOMPARE(indented.bottomMargin(), 10.0);
    QCOMPARE(block("plain").leftMargin(), 0.0);
    QCOMPARE(block("grouped").alignment() & Horizontal, Qt::AlignHCenter);
    // Paragraph formatting is part of the group's state: the group's end takes it back.
    QCOMPARE(block("after").alignment() & Horizontal, Qt::AlignLeft);
}

void tst_RtfReader::lineSpacing_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<int>("type");
    QTest::addColumn<qreal>("height");

    QTest::newRow("single") << QByteArray(R"(X)") << int(QTextBlockFormat::SingleHeight) << 0.0;
    QTest::newRow("at least") << QByteArray(R"(\sl360 X)") << int(QTextBlockFormat::MinimumHeight) << 24.0;
    QTest::newRow("exactly") << QByteArray(R"(\sl-300 X)") << int(QTextBlockFormat::FixedHeight) << 20.0;
    QTest::newRow("multiple") << QByteArray(R"(\sl276\slmult1 X)") << int(QTextBlockFormat::ProportionalHeight)
                              << 115.0;
}

void tst_RtfReader::lineSpacing() {
    QFETCH(QByteArray, body);
    QFETCH(int, type);
    QFETCH(qreal, height);
    const auto document = readDocument(rtf(body));
    const QTextBlockFormat format = find(*document, "X").blockFormat();
    QCOMPARE(format.lineHeightType(), type);
    QCOMPARE(format.lineHeight(), height);
}

// Where the layout puts the first character of text in its paragraph's first line, from the left margin.
qreal laidOutX(QTextDocument &document, const QString &text) {
    document.setTextWidth(600);
    document.documentLayout()->documentSize();
    const QTextCursor found = find(document, text);
    const QTextBlock block = found.block();
    return block.layout()->lineAt(0).cursorToX(found.selectionStart() - block.position());
}

void tst_RtfReader::bulletsHaveTheirHangingIndent() {
    const auto document = readDocument(sample("wordpad.rtf"));
    const QTextBlockFormat bullet = find(*document, "First point").blockFormat();
    QCOMPARE(bullet.leftMargin(), 48.0);
    QCOMPARE(bullet.textIndent(), -24.0);
    // The bullet hangs out to the left; the text after its tab lines up with the left indent.
    QCOMPARE(laidOutX(*document, Bullet), 24.0);
    QCOMPARE(laidOutX(*document, "First point"), 48.0);
    const QTextBlockFormat body = find(*document, "Plain text").blockFormat();
    QCOMPARE(body.leftMargin(), 0.0);
    QCOMPARE(body.textIndent(), 0.0);
    QCOMPARE(body.bottomMargin(), 200 / 15.0);
}

void tst_RtfReader::bulletShownOnceWhenGivenTwice() {
    const auto document =
        readDocument(rtf(R"({\listtext\f1\'b7\tab}{\pntext\f1\'b7\tab}\fi-360\li720 one\par{\pntext 1.\tab}two\par)"));
    QCOMPARE(paragraphs(*document), (QStringList{Bullet + "\tone", "1.\ttwo"}));
}

void tst_RtfReader::tabStops() {
    // Stops are measured from the paragraph's left edge, wherever its first line starts.
    const auto document = readDocument(rtf(R"(\tx1440 a\tab A\par\pard\li720\tx2160 b\tab B\par)"
                                           R"(\pard\li360\fi-360\tx360 c\tab C\par\pard\li720\fi-720 d\tab D\par)"
                                           R"(\pard\tqr\tx4320 e\tab E)"));
    QCOMPARE(laidOutX(*document, "A"), 96.0);
    QCOMPARE(laidOutX(*document, "B"), 144.0);
    QCOMPARE(laidOutX(*document, "C"), 24.0);
    QCOMPARE(laidOutX(*document, "D"), 48.0);
    const QList<QTextOption::Tab> right = find(*document, "E").blockFormat().tabPositions();
    QCOMPARE(right.size(), 1);
    QCOMPARE(right[0].type, QTextOption::RightTab);
    QCOMPARE(right[0].position, 288.0);
}

void tst_RtfReader::pictures_data() {
    QTest::addColumn<QByteArray>("picture");
    QTest::addColumn<QSizeF>("shownSize");
    QTest::addColumn<QSize>("imageSize");
    QTest::addColumn<QString>("label"); // the frame's, when the picture cannot be drawn

    const QByteArray png = pictureBytes("PNG").toHex();
    const QByteArray jpeg = pictureBytes("JPEG").toHex();
    const QByteArray dib = pictureBytes("BMP").mid(14).toHex(); // without the file header
    const QSize own(4, 3);
    QTest::newRow("PNG at its goal size")
        << "{\\pict\\pngblip\\picw4\\pich3\\picwgoal1500\\pichgoal750 " + png + "}" << QSizeF(100, 50) << own << "";
    QTest::newRow("PNG scaled") << "{\\pict\\pngblip\\picwgoal1500\\pichgoal750\\picscalex50\\picscaley200\n" + png +
                                       "}"
                                << QSizeF(50, 100) << own << "";
    QTest::newRow("JPEG without a goal: its own pixels")
        << "{\\pict\\jpegblip " + jpeg + "}" << QSizeF(4, 3) << own << "";
    QTest::newRow("device-independent bitmap")
        << "{\\pict\\dibitmap0\\picwgoal300\\pichgoal300 " + dib + "}" << QSizeF(20, 20) << own << "";
    QTest::newRow("PNG as binary data") << "{\\pict\\pngblip\\picwgoal150\\pichgoal150\\bin" +
                                               QByteArray::number(png.size() / 2) + " " + QByteArray::fromHex(png) + "}"
                                        << QSizeF(10, 10) << own << "";
    QTest::newRow("metafile: a frame of its size")
        << QByteArray(R"({\pict\wmetafile8\picw2540\pich1270\picwgoal1440\pichgoal720 010009000003})") << QSizeF(96, 48)
        << QSize(96, 48) << "Windows metafile";
    QTest::newRow("enhanced metafile without a goal: hundredths of a millimetre")
        << QByteArray(R"({\pict\emfblip\picw2540\pich1270 0100})") << QSizeF(96, 48) << QSize(96, 48)
        << "Enhanced metafile";
    QTest::newRow("metafile of 22 inches: a frame drawn smaller, to scale")
        << QByteArray(R"({\pict\wmetafile8\picwgoal31680\pichgoal31680 0100})") << QSizeF(2112, 2112) << QSize(724, 724)
        << "Windows metafile";
    QTest::newRow("metafile of no size at all: an inch")
        << QByteArray(R"({\pict\wmetafile8 0100})") << QSizeF(96, 96) << QSize(96, 96) << "Windows metafile";
    QTest::newRow("bitmap Qt knows by its bytes")
        << "{\\pict\\wbitmap0\\picwgoal150\\pichgoal150 " + png + "}" << QSizeF(10, 10) << own << "";
    QTest::newRow("PNG that does not read: a frame") << QByteArray(R"({\pict\pngblip\picwgoal300\pichgoal300 0102})")
                                                     << QSizeF(20, 20) << QSize(20, 20) << "Picture";
    QTest::newRow("Word's picture wins over its stand-in")
        << R"({\*\shppict{\pict\pngblip\picwgoal150\pichgoal150 )" + png +
               R"(}}{\nonshppict{\pict\wmetafile8\picwgoal3000\pichgoal3000 0100}})"
        << QSizeF(10, 10) << own << "";
    QTest::newRow("shape with a picture")
        << R"({\shp{\*\shpinst\shpleft0{\sp{\sn fFilled}{\sv 0}}{\sp{\sn pib}{\sv {\pict\pngblip\picwgoal300)"
           R"(\pichgoal150 )" +
               png + R"(}}}}{\shprslt{\*\do\dobxcolumn shape}}})"
        << QSizeF(20, 10) << own << "";
}

void tst_RtfReader::pictures() {
    QFETCH(QByteArray, picture);
    QFETCH(QSizeF, shownSize);
    QFETCH(QSize, imageSize);
    QFETCH(QString, label);
    const auto document = readDocument(rtf("a" + picture + "b"));
    QCOMPARE(paragraphs(*document), QStringList{"a" + QString(QChar::ObjectReplacementCharacter) + "b"});
    const QList<QTextImageFormat> shown = picturesIn(*document);
    QCOMPARE(shown.size(), 1);
    QCOMPARE(QSizeF(shown[0].width(), shown[0].height()), shownSize);
    const QImage image = document->resource(QTextDocument::ImageResource, QUrl(shown[0].name())).value<QImage>();
    QCOMPARE(image.size(), imageSize);
    QCOMPARE(shown[0].toolTip(), label);
    if (label.isEmpty())
        QVERIFY(image.pixelColor(1, 1).red() > 240); // the red picture itself, not a grey frame
}

void tst_RtfReader::picturesPastTheBounds_data() {
    QTest::addColumn<QByteArray>("pictures");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("logged"); // empty: no line

    const QByteArray inch = R"({\pict\wmetafile8\picwgoal1440\pichgoal1440 0100})";
    const QByteArray pageHigh = R"({\pict\wmetafile8\picwgoal31680\pichgoal31680 0100})"; // 2112 pixels
    const QString bounds =
        " pictures are not shown: a document shows at most 1000 pictures, 500000 pixels high together";
    QTest::newRow("as many as a document shows") << inch.repeated(1000) << 1000 << "";
    QTest::newRow("one more") << inch.repeated(1001) << 1000 << "1 of 1001" + bounds;
    QTest::newRow("taller together than a document shows") << pageHigh.repeated(300) << 236 << "64 of 300" + bounds;
    QTest::newRow("a small one after the first that did not fit")
        << pageHigh.repeated(237) + inch << 236 << "2 of 238" + bounds;
}

// The pictures past the bounds are left out, their text stays, and each one shown draws itself,
// though their frames together would take more memory than the pictures may.
void tst_RtfReader::picturesPastTheBounds() {
    QFETCH(QByteArray, pictures);
    QFETCH(int, shown);
    QFETCH(QString, logged);
    if (logged.isEmpty())
        QTest::failOnWarning(QRegularExpression(QStringLiteral("pictures are not shown")));
    else
        QTest::ignoreMessage(QtWarningMsg, qPrintable(logged));
    const auto document = readDocument(rtf("a" + pictures + "b\\par after"));
    const QList<QTextImageFormat> found = picturesIn(*document);
    QCOMPARE(found.size(), shown);
    QCOMPARE(paragraphs(*document),
             (QStringList{"a" + QString(shown, QChar::ObjectReplacementCharacter) + "b", "after"}));
    for (const QTextImageFormat &picture : found)
        QVERIFY(!document->resource(QTextDocument::ImageResource, QUrl(picture.name())).value<QImage>().isNull());
}

void tst_RtfReader::tables() {
    const auto document = readDocument(sample("word.rtf"));
    QTextCursor cursor = find(*document, "Cell A1");
    QTextTable *table = cursor.currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    const auto cellText = [&](int row, int column) {
        const QTextTableCell cell = table->cellAt(row, column);
        QTextCursor c = cell.firstCursorPosition();
        c.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
        return c.selectedText();
    };
    QCOMPARE(cellText(0, 0), "Cell A1");
    QCOMPARE(cellText(0, 1), "Cell B1");
    QCOMPARE(cellText(1, 0), "Cell A2");
    QCOMPARE(cellText(1, 1), "Cell B2");
    QVERIFY(!find(*document, "After the table").currentTable());
    QVERIFY(!find(*document, "Second item").currentTable());
}

void tst_RtfReader::tableBorders_data() {
    QTest::addColumn<QByteArray>("row");
    QTest::addColumn<QStringList>("borders"); // of the cell holding X: top, left, bottom, right

    const QString none = "none";
    QTest::newRow("none where the file gives none")
        << QByteArray(R"(\trowd\cellx2000\intbl X\cell\row)") << QStringList{none, none, none, none};
    QTest::newRow("only a bottom border")
        << QByteArray(R"(\trowd\clbrdrb\brdrs\brdrw30\brdrcf1\cellx2000\clbrdrb\brdrs\brdrw30\brdrcf1\cellx4000)"
                      R"(\intbl a\cell X\cell\row)")
        << QStringList{none, none, "2 solid #ff0000", none};
    QTest::newRow("brdrnone asks for none, a style without a width is one pixel")
        << QByteArray(R"(\trowd\clbrdrt\brdrnone\clbrdrb\brdrs\cellx2000\intbl X\cell\row)")
        << QStringList{none, none, "1 solid #000000", none};
    QTest::newRow("the row's outer border and the one between its cells")
        << QByteArray(
               R"(\trowd\trbrdrl\brdrs\brdrw15\trbrdrv\brdrdb\brdrw45\cellx1000\cellx2000\intbl a\cell X\cell\row)")
        << QStringList{none, "3 double #000000", none, none};
    QTest::newRow("dashed, and paragraph borders describe no cell")
        << QByteArray(R"(\trowd\clbrdrl\brdrdash\brdrw30\cellx1000\pard\intbl\brdrb\brdrs\brdrw60 X\cell\row)")
        << QStringList{none, "2 dashed #000000", none, none};
    QTest::newRow("a cell's own border wins over the row's")
        << QByteArray(
               R"(\trowd\trbrdrt\brdrs\trbrdrr\brdrs\clbrdrt\brdrdot\brdrw30\brdrcf2\cellx1000\intbl X\cell\row)")
        << QStringList{"2 dotted #008000", none, none, "1 solid #000000"};
}

void tst_RtfReader::tableBorders() {
    QFETCH(QByteArray, row);
    QFETCH(QStringList, borders);
    const auto document = readDocument(rtf(row + R"(\pard after)"));
    QTextTable *table = find(*document, "X").currentTable();
    QVERIFY(table);
    QCOMPARE(table->format().border(), 0.0); // the cells draw every line
    const QTextTableCellFormat cell = table->cellAt(find(*document, "X")).format().toTableCellFormat();
    const auto side = [](qreal width, QTextFrameFormat::BorderStyle style, const QBrush &brush) {
        static const QHash<int, QString> styles = {{QTextFrameFormat::BorderStyle_Solid, "solid"},
                                                   {QTextFrameFormat::BorderStyle_Double, "double"},
                                                   {QTextFrameFormat::BorderStyle_Dotted, "dotted"},
                                                   {QTextFrameFormat::BorderStyle_Dashed, "dashed"}};
        if (width == 0 || style == QTextFrameFormat::BorderStyle_None)
            return QStringLiteral("none");
        return QString::number(width) + u' ' + styles.value(style, "other") + u' ' + brush.color().name();
    };
    QCOMPARE((QStringList{side(cell.topBorder(), cell.topBorderStyle(), cell.topBorderBrush()),
                          side(cell.leftBorder(), cell.leftBorderStyle(), cell.leftBorderBrush()),
                          side(cell.bottomBorder(), cell.bottomBorderStyle(), cell.bottomBorderBrush()),
                          side(cell.rightBorder(), cell.rightBorderStyle(), cell.rightBorderBrush())}),
             borders);
}

void tst_RtfReader::tableWithoutParagraphMarks() {
    // Row definition first and no \intbl, as simple writers do it.
    const auto document =
        readDocument(rtf(R"(before\par\trowd\cellx1000\cellx2000 a\cell b\cell\row\trowd\cellx1000\cellx2000 c\cell)"
                         R"( d\cell\row\pard after)"));
    QCOMPARE(paragraphs(*document), (QStringList{"before", "a", "b", "c", "d", "after"}));
    QTextTable *table = find(*document, "a").currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 2);
    QCOMPARE(find(*document, "d").currentTable(), table);
}

// A document that starts with a table keeps the empty paragraph a QTextDocument always has before it.
void tst_RtfReader::rowsOfDifferentWidths() {
    const auto document = readDocument(rtf(
        R"(\trowd\cellx1000 \intbl a\cell\row\trowd\cellx1000\cellx2000\cellx3000 \intbl b\cell c\par c2\cell d\cell)"
        R"(\row\pard end)"));
    QTextTable *table = find(*document, "a").currentTable();
    QVERIFY(table);
    QCOMPARE(table->rows(), 2);
    QCOMPARE(table->columns(), 3);
    QCOMPARE(paragraphs(*document), (QStringList{"", "a", "", "", "b", "c", "c2", "d", "end"}));
    // A paragraph end inside a cell stays inside it.
    QCOMPARE(table->cellAt(find(*document, "c2")).column(), 1);
}

void tst_RtfReader::nestedTableFlattened() {
    const auto document = readDocument(
        rtf(R"(\trowd\cellx4000\pard\intbl outer\par\itap2 x\nestcell y\nestcell{\*\nesttableprops\trowd\cellx1000)"
            R"(\cellx2000\nestrow}{\nonesttables\par}\itap1 more\cell\row\pard end)"));
    QCOMPARE(paragraphs(*document), (QStringList{"", "outer", "x\ty\t", "more", "end"}));
    QVERIFY(find(*document, "more").currentTable());
    QCOMPARE(find(*document, "more").currentTable(), find(*document, "x").currentTable());
}

void tst_RtfReader::cellOutsideTableKeepsCellsApart() {
    const auto document = readDocument(rtf(R"(a\cell b\cell\row c\cell d)"));
    QCOMPARE(paragraphs(*document), (QStringList{"a\tb\t", "c\td"}));
    QVERIFY(!find(*document, "a").currentTable());
}

void tst_RtfReader::tableColumnWidthsFromCellEdges() {
    const auto document = readDocument(rtf(R"(\trowd\cellx1500\cellx4500\intbl a\cell b\cell\row)"));
    QTextTable *table = find(*document, "a").currentTable();
    QVERIFY(table);
    const QList<QTextLength> widths = table->format().columnWidthConstraints();
    QCOMPARE(widths.size(), 2);
    QCOMPARE(widths[0], QTextLength(QTextLength::FixedLength, 100));
    QCOMPARE(widths[1], QTextLength(QTextLength::FixedLength, 200));
}

void tst_RtfReader::malformedInput_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("mustShow");

    QByteArray deepOpen = "{\\rtf1 start";
    deepOpen += QByteArray(100000, '{');
    deepOpen += "deep";
    QTest::newRow("100,000 nested groups, never closed") << deepOpen << "startdeep";

    QByteArray deepBalanced = "{\\rtf1 ";
    for (int i = 0; i < 100000; ++i)
        deepBalanced += "{\\b ";
    deepBalanced += "deep";
    deepBalanced += QByteArray(100000, '}');
    deepBalanced += " after}";
    QTest::newRow("100,000 nested groups, closed") << deepBalanced << "deep after";

    QByteArray deepSkipped = "{\\rtf1 a{\\*\\x";
    deepSkipped += QByteArray(100000, '{');
    deepSkipped += QByteArray(100000, '}');
    deepSkipped += "}b}";
    QTest::newRow("100,000 nested groups inside a skipped one") << deepSkipped << "ab";

    QTest::newRow("million groups deep") << ("{\\rtf1 x" + QByteArray(1000000, '{') + "y") << "xy";
    QTest::newRow("truncated in a word") << QByteArray("{\\rtf1 {\\fonttbl{\\f0 Arial;}}text\\pa") << "text";
    QTest::newRow("truncated after a backslash") << QByteArray("{\\rtf1 text\\") << "text";
    QTest::newRow("truncated in a hex byte") << QByteArray("{\\rtf1 text\\'") << "text";
    QTest::newRow("truncated in a hex byte's second digit") << QByteArray("{\\rtf1 text\\'4") << "text";
    QTest::newRow("bad hex") << QByteArray("{\\rtf1 a\\'zzb}") << "azzb";
    QTest::newRow("truncated in the font table") << QByteArray("{\\rtf1 {\\fonttbl{\\f0 Ari") << "";
    QTest::newRow("truncated in a parameter") << QByteArray("{\\rtf1 a\\fs-") << "a";
    QTest::newRow("only the header") << QByteArray("{\\rtf") << "";
    QTest::newRow("more closing than opening braces") << QByteArray("{\\rtf1 a}}}}b") << "a";
    QTest::newRow("huge numbers") << QByteArray("{\\rtf1 \\fs99999999999999999999999999\\li-99999999999999999999"
                                                "\\cf2147483648\\f99999999999\\sl-2147483648\\uc99999999999 a"
                                                "\\u-99999999999 \\deftab99999999999 b}")
                                  << "a";
    QTest::newRow("huge lengths in paragraphs and tables")
        << QByteArray("{\\rtf1 \\fi-999999\\tx2147483647\\tx-5\\sl-2147483647 a\\tab b\\par"
                      "\\pard\\li2147483647\\fi2147483647\\tx-2147483647 x\\par"
                      "\\trowd\\cellx-2147483647\\cellx2147483647\\intbl c\\cell d\\cell\\row}")
        << "a\tb";
    QTest::newRow("huge bin length") << QByteArray("{\\rtf1 a\\bin99999999999 xyz}") << "a";
    QTest::newRow("negative bin length") << QByteArray("{\\rtf1 a\\bin-5 b}") << "ab";
    QTest::newRow("huge font and colour numbers")
        << QByteArray("{\\rtf1 {\\fonttbl{\\f2147483647\\fcharset-7 X;}}{\\colortbl\\red-5\\green999;;}"
                      "\\f2147483647\\cf1\\highlight-1 a}")
        << "a";
    QTest::newRow("cells with no table") << QByteArray("{\\rtf1 \\row\\cell\\row\\nestrow a}") << "a";
    QTest::newRow("many cell edges") << ("{\\rtf1 \\trowd" + QByteArray("\\cellx1").repeated(100000) +
                                         "\\intbl a\\cell\\row}")
                                     << "a";
    QTest::newRow("many cells in a row") << ("{\\rtf1 \\trowd\\intbl " + QByteArray("x\\cell ").repeated(1000) +
                                             "\\row}")
                                         << "x";
    QTest::newRow("many tab stops") << ("{\\rtf1 " + QByteArray("\\tx100").repeated(100000) + " a\\par}") << "a";
    QTest::newRow("stars everywhere") << QByteArray("{\\rtf1 a\\*\\*{\\*}\\*}") << "a";
    QTest::newRow("NUL bytes inside") << QByteArray("{\\rtf1 a\0b\\\0c}", 14) << "abc";
    QTest::newRow("all byte values") << [] {
        QByteArray all = "{\\rtf1 ";
        for (int i = 0; i < 256; ++i)
            all += char(i);
        return all + "}";
    }() << "0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[";
}

void tst_RtfReader::malformedInput() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, mustShow);
    const auto document = readDocument(bytes);
    QVERIFY2(document->toPlainText().contains(mustShow), qPrintable(document->toPlainText().left(200)));
}

void tst_RtfReader::deepNestingKeepsGroupState() {
    // Formatting set at every level is taken back level by level.
    QByteArray bytes = rtf("");
    bytes.chop(1);
    for (int i = 0; i < 100000; ++i)
        bytes += i == 50000 ? "{\\b " : "{";
    bytes += "X";
    bytes += QByteArray(50000, '}');
    bytes += "Y";
    bytes += QByteArray(50000, '}');
    bytes += "Z}";
    const auto document = readDocument(bytes);
    QCOMPARE(paragraphs(*document), QStringList{"XYZ"});
    QCOMPARE(charProperty(formatOf(*document, "X"), "bold"), QVariant(true));
    QCOMPARE(charProperty(formatOf(*document, "Y"), "bold"), QVariant(false));
}

void tst_RtfReader::longTableSplitIntoSeveral() {
    QByteArray body = "\\trowd";
    for (int i = 0; i < 63; ++i)
        body += "\\cellx" + QByteArray::number((i + 1) * 100);
    body += "\\intbl ";
    for (int i = 0; i < 63; ++i)
        body += "w\\cell ";
    body += "\\row ";
    for (int i = 0; i < 5000; ++i)
        body += "\\trowd\\cellx100\\intbl q\\cell\\row ";
    body += "\\pard end";
    const auto document = readDocument(rtf(body));
    int cells = 0;
    int tables = 0;
    for (QTextFrame *frame : document->rootFrame()->childFrames()) {
        if (auto *table = qobject_cast<QTextTable *>(frame)) {
            ++tables;
            cells += table->rows() * table->columns();
            QVERIFY(table->rows() * table->columns() <= RtfDocumentBuilder::MaxCellsPerTable);
        }
    }
    QVERIFY(tables > 1);
    QCOMPARE(document->toPlainText().count(QLatin1Char('q')), 5000);
    QVERIFY(paragraphs(*document).endsWith("end"));
}

void tst_RtfReader::tokenizer_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("tokens");

    QTest::newRow("word with parameter and space") << QByteArray("\\fs24 a") << QStringList{"W fs 24", "T a"};
    QTest::newRow("wide parameter") << QByteArray("\\li123456 ") << QStringList{"W li 123456"};
    QTest::newRow("negative parameter") << QByteArray("\\fi-360x") << QStringList{"W fi -360", "T x"};
    QTest::newRow("clamped parameter") << QByteArray("\\u99999999999999999999") << QStringList{"W u 2147483647"};
    QTest::newRow("clamped negative") << QByteArray("\\u-99999999999999999999") << QStringList{"W u -2147483647"};
    QTest::newRow("dash without digits") << QByteArray("\\b-x") << QStringList{"W b", "T -x"};
    QTest::newRow("only one space swallowed") << QByteArray("\\par  x") << QStringList{"W par", "T  x"};
    QTest::newRow("symbols") << QByteArray("\\{\\}\\\\\\*") << QStringList{"S {", "S }", "S \\", "S *"};
    QTest::newRow("hex") << QByteArray("\\'e9\\'A") << QStringList{"H 233", "H 10"};
    QTest::newRow("backslash newline") << QByteArray("\\\n\\\r") << QStringList{"W par", "W par"};
    QTest::newRow("groups and raw tab") << QByteArray("{a\tb}") << QStringList{"{", "T a", "W tab", "T b", "}"};
    QTest::newRow("raw line ends skipped") << QByteArray("a\r\nb") << QStringList{"T a", "T b"};
    QTest::newRow("binary") << QByteArray("\\bin3 {}\\x") << QStringList{"B {}\\", "T x"};
    // A long run comes in pieces, so that a reader reading in steps can stop between them.
    QTest::newRow("long text in pieces") << QByteArray(RtfTokenizer::MaxTextLength + 3, 'a') + "\\b"
                                         << QStringList{"T " + QString(RtfTokenizer::MaxTextLength, 'a'), "T aaa",
                                                        "W b"};
}

void tst_RtfReader::tokenizer() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, tokens);
    RtfTokenizer tokenizer(bytes);
    QStringList seen;
    for (RtfToken token = tokenizer.next(); token.kind != RtfToken::End; token = tokenizer.next()) {
        switch (token.kind) {
        case RtfToken::GroupStart:
            seen << "{";
            break;
        case RtfToken::GroupEnd:
            seen << "}";
            break;
        case RtfToken::ControlWord:
            seen << ("W " + token.text.toByteArray() +
                     (token.hasParameter ? " " + QByteArray::number(token.parameter) : QByteArray()));
            break;
        case RtfToken::ControlSymbol:
            seen << QString("S ") + QLatin1Char(token.symbol);
            break;
        case RtfToken::Text:
            seen << ("T " + token.text.toByteArray());
            break;
        case RtfToken::HexByte:
            seen << "H " + QString::number(token.byte);
            break;
        case RtfToken::Binary:
            seen << ("B " + token.text.toByteArray());
            break;
        case RtfToken::End:
            break;
        }
    }
    QCOMPARE(seen, tokens);
}

void tst_RtfReader::binaryTakesExactlyItsBytes() {
    // Braces inside binary data count for nothing, even in a group that is skipped anyway.
    const auto document = readDocument(rtf("a{\\*\\blob\\bin2 }}}b{\\objdata\\bin1 {}c"));
    QCOMPARE(paragraphs(*document), QStringList{"abc"});
}

void tst_RtfReader::codePages_data() {
    QTest::addColumn<int>("codePage");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("1252 euro and quotes")
        << 1252 << QByteArray("\x80\x84\x93\x94\x9f") << utf16({0x20AC, 0x201E, 0x201C, 0x201D, 0x178});
    QTest::newRow("1252 upper half") << 1252 << QByteArray("\xa0\xe9\xff") << utf16({0xA0, 0xE9, 0xFF});
    QTest::newRow("1252 undefined bytes") << 1252 << QByteArray("\x81\x8d") << utf16({0x81, 0x8D});
    QTest::newRow("1250") << 1250 << QByteArray("\x8a\x9a\xa3\xb9\xe8\xf8")
                          << utf16({0x160, 0x161, 0x141, 0x105, 0x10D, 0x159});
    QTest::newRow("1251") << 1251 << QByteArray("\xc0\xdf\xe0\xff\xa8\xb8\x80")
                          << utf16({0x410, 0x42F, 0x430, 0x44F, 0x401, 0x451, 0x402});
    QTest::newRow("ASCII in every table") << 1251 << QByteArray("Az09") << QString("Az09");
    QTest::newRow("Symbol") << RtfCodePage::Symbol
                            << QByteArray("\xb7"
                                          "ap\xae")
                            << utf16({0x2022, 0x3B1, 0x3C0, 0x2192});
    QTest::newRow("Wingdings") << RtfCodePage::Wingdings << QByteArray("\xa7\xfc\x6c")
                               << utf16({0x25AA, 0x2713, 0x25CF});
}

void tst_RtfReader::codePages() {
    QFETCH(int, codePage);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    RtfCodePage codePages;
    QCOMPARE(codePages.decode(codePage, bytes), expected);
}

void tst_RtfReader::plainTextOrRichText_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("rich text") << QByteArray("{\\rtf1 a\\par b}") << QStringList{"a", "b"};
    QTest::newRow("rich text after a byte order mark") << QByteArray("\xEF\xBB\xBF{\\rtf1 a}") << QStringList{"a"};
    QTest::newRow("not quite rich text") << QByteArray("{\\rtx1 a}") << QStringList{"{\\rtx1 a}"};
    QTest::newRow("leading blank: plain text") << QByteArray(" {\\rtf1 a}") << QStringList{" {\\rtf1 a}"};
    QTest::newRow("UTF-8 text") << QByteArray("caf\xc3\xa9\r\nline") << QStringList{"café", "line"};
    QTest::newRow("Windows-1252 text") << QByteArray("caf\xe9\nline\n") << QStringList{"café", "line"};
    QTest::newRow("empty file") << QByteArray() << QStringList{""};
    QTest::newRow("controls dropped") << QByteArray("a\x01\x00z", 4) << QStringList{"az"};
}

void tst_RtfReader::plainTextOrRichText() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    const auto document = readDocument(bytes);
    QCOMPARE(paragraphs(*document), expected);
}

void tst_RtfReader::defaultTabWidth() {
    QCOMPARE(readDocument(rtf("a"))->defaultTextOption().tabStopDistance(), 48.0);
    QCOMPARE(readDocument(rtf("\\deftab360 a"))->defaultTextOption().tabStopDistance(), 24.0);
}

void tst_RtfReader::shippedHelpFile() {
    QFile file(QStringLiteral(VARNOOK_HELP_FILE));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // Written as WordPad writes: its header, and a NUL after the last brace.
    QVERIFY(bytes.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0"));
    QVERIFY(bytes.contains("{\\fonttbl"));
    QVERIFY(bytes.contains("\\viewkind4\\uc1\\pard"));
    QVERIFY(bytes.endsWith(QByteArray("}\r\n\0", 4)));
    int depth = 0;
    for (qsizetype i = 0; i < bytes.size() - 3; ++i) {
        if (bytes[i] == '\\') {
            ++i;
            continue;
        }
        depth += bytes[i] == '{' ? 1 : bytes[i] == '}' ? -1 : 0;
        QVERIFY(depth > 0 || i == bytes.size() - 4);
    }
    QCOMPARE(depth, 0);

    const auto document = readDocument(bytes);
    const QStringList shown = paragraphs(*document);
    for (const char *heading : {"What Varnook is", "The first start and the master password", "The buttons",
                                "The menus", "The data file", "Backing up"})
        QVERIFY2(shown.contains(QLatin1String(heading)), heading);
    for (const char *caption : {"Add", "Edit", "Delete", "Go To", "Copy Username", "Copy Password", "Copy Used At",
                                "View Help", "Show at Startup", "data.enc", "Help.rtf"})
        QVERIFY2(document->toPlainText().contains(QLatin1String(caption)), caption);
    QVERIFY(!document->toPlainText().contains(QChar(QChar::ReplacementCharacter)));
    QVERIFY(!document->toPlainText().contains(QLatin1Char('\\')));
    QVERIFY(!document->toPlainText().contains(QLatin1Char('{')));
    QCOMPARE(charProperty(formatOf(*document, "What Varnook is"), "bold"), QVariant(true));
}

void tst_RtfReader::readingInStepsReadsTheSame_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("step");

    for (const char *file : {"word.rtf", "wordpad.rtf", "pandoc.rtf", "cocoa.rtf", "plain.rtf"}) {
        QTest::addRow("%s, a byte at a time", file) << sample(file) << 1;
        QTest::addRow("%s, 7 bytes at a time", file) << sample(file) << 7;
    }
    QFile help(QStringLiteral(VARNOOK_HELP_FILE));
    QVERIFY(help.open(QIODevice::ReadOnly));
    QTest::newRow("shipped help file") << help.readAll() << 5;
    // Characters of two bytes are never cut in two, whether raw or as hex.
    QTest::newRow("two-byte code page") << rtf("\\ansicpg932 \x82\xa0\x82\xa2 and \\'82\\'a4\\par") << 1;
    QTest::newRow("text whose table group ends without a cell") << rtf("a{\\intbl i }j\\par k") << 1;
    QTest::newRow("list text past its length limit")
        << rtf("{\\pntext " + QByteArray("ab \\'e9").repeated(1000) + "}x\\par") << 1;
    QTest::newRow("plain text, long lines") << QByteArray(20000, 'x') + "\n" + QByteArray(9000, 'y') << 3000;
    QTest::newRow("table, long cell") << rtf("\\trowd\\cellx1000\\cellx2000\\intbl " + QByteArray(20000, 'c') +
                                             "\\cell d\\cell\\row\\pard end")
                                      << 100;
}

// The Help window reads a long file in steps; what it shows in the end is what one read shows.
void tst_RtfReader::readingInStepsReadsTheSame() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, step);
    QVERIFY(!bytes.isEmpty());
    const auto whole = readDocument(bytes);
    QTextDocument stepped;
    RtfReader reader(bytes, &stepped);
    int steps = 1;
    for (; !reader.readStep(step); ++steps)
        QVERIFY(steps <= bytes.size());
    QVERIFY(steps > 1);
    QCOMPARE(stepped.toHtml(), whole->toHtml());
    QVERIFY(stepped.isUndoRedoEnabled()); // as it was before the reader began
}

void tst_RtfReader::longParagraphWrittenInPieces_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("pieces");

    QByteArray words;
    while (words.size() < 20000)
        words += "keep a backup of the data file ";
    QTest::newRow("words, cut after a space") << words << 3;
    QTest::newRow("one long word") << QByteArray(20000, 'x') << 3;
    QTest::newRow("short paragraph, one piece") << QByteArray("short") << 1;
}

// A view lays out a paragraph in one step; a long one is written as pieces that read as one.
void tst_RtfReader::longParagraphWrittenInPieces() {
    QFETCH(QByteArray, text);
    QFETCH(int, pieces);
    const auto document = readDocument(rtf("\\fi720\\sb120\\sa240 " + text + "\\par\\pard after"));
    QStringList shown = paragraphs(*document);
    QCOMPARE(shown.takeLast(), "after");
    QCOMPARE(shown.size(), pieces);
    QCOMPARE(shown.join(QString()), QString::fromLatin1(text));
    QTextBlock block = document->begin();
    for (int piece = 0; piece < pieces; ++piece, block = block.next()) {
        QVERIFY(block.length() <= RtfDocumentBuilder::MaxParagraphLength + 1);
        if (text.contains(' ') && piece < pieces - 1)
            QVERIFY(block.text().endsWith(u' '));
        const QTextBlockFormat format = block.blockFormat();
        QCOMPARE(format.textIndent(), piece == 0 ? 48.0 : 0.0);
        QCOMPARE(format.topMargin(), piece == 0 ? 8.0 : 0.0);
        QCOMPARE(format.bottomMargin(), piece == pieces - 1 ? 16.0 : 0.0);
    }
    QCOMPARE(block.blockFormat().textIndent(), 0.0); // the paragraph after has its own format
}

void tst_RtfReader::loaderFillsTheDocumentWhileEventsRun() {
    QByteArray body;
    for (int i = 0; body.size() < 2 * RtfLoader::FirstStepBytes; ++i)
        body += "Paragraph " + QByteArray::number(i) + " of a long help file.\\par ";
    const QByteArray bytes = rtf(body + "The end.");
    QTextDocument document;
    document.setUndoRedoEnabled(true);
    RtfLoader loader(bytes, &document);
    // The first part shows at once; the rest comes while the event loop runs.
    QVERIFY(!loader.isFinished());
    QVERIFY(paragraphs(document).startsWith("Paragraph 0 of a long help file."));
    QVERIFY(!document.toPlainText().contains("The end."));
    QTRY_VERIFY(loader.isFinished());
    QCOMPARE(document.toHtml(), readDocument(bytes)->toHtml());
    QVERIFY(document.isUndoRedoEnabled());
    QVERIFY(!document.isUndoAvailable());
}

QTEST_MAIN(tst_RtfReader)
#include "tst_rtfreader.moc"
