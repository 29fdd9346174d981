#include "RtfReader.h"

#include <QFont>
#include <QStringDecoder>
#include <QTextDocument>

#include <algorithm>
#include <string_view>
#include <unordered_map>

namespace varnook {

namespace {

enum class Word {
    // document
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    DefaultTab,
    UnicodeSkip,
    Unicode,
    Alternative,
    UnicodeAlternative,
    // destinations
    FontTable,
    ColorTable,
    Skip,
    ListText,
    Shown,
    // font table
    Font,
    FontFamily,
    FontCharset,
    FontCodePage,
    // colour table
    Red,
    Green,
    Blue,
    // characters
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineDotted,
    UnderlineDashed,
    UnderlineDashDot,
    UnderlineDashDotDot,
    UnderlineWave,
    UnderlineNone,
    Strike,
    Sub,
    Super,
    NoSuperSub,
    Up,
    Down,
    FontSize,
    Foreground,
    Background,
    Hidden,
    Caps,
    SmallCaps,
    // paragraphs
    Pard,
    AlignLeft,
    AlignCenter,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    LineSpacing,
    LineMultiple,
    TabStop,
    TabRight,
    TabCenter,
    TabDecimal,
    BarTab,
    InTable,
    TableLevel,
    RightToLeft,
    LeftToRight,
    // structure
    Par,
    Line,
    Section,
    Page,
    Tab,
    Cell,
    Row,
    NestedCell,
    NestedRow,
    RowDefinition,
    CellEdge,
    // characters by name
    Character,
};

struct WordInfo {
    Word word;
    int value = 0; // the character for Character, the family hint for FontFamily
};

const std::unordered_map<std::string_view, WordInfo> &words() {
    static const std::unordered_map<std::string_view, WordInfo> table = [] {
        std::unordered_map<std::string_view, WordInfo> t;
        t["ansi"] = {Word::Ansi};
        t["mac"] = {Word::Mac};
        t["pc"] = {Word::Pc};
        t["pca"] = {Word::Pca};
        t["ansicpg"] = {Word::AnsiCodePage};
        t["deff"] = {Word::DefaultFont};
        t["deftab"] = {Word::DefaultTab};
        t["uc"] = {Word::UnicodeSkip};
        t["u"] = {Word::Unicode};
        t["upr"] = {Word::Alternative};
        t["ud"] = {Word::UnicodeAlternative};

        t["fonttbl"] = {Word::FontTable};
        t["colortbl"] = {Word::ColorTable};
        // Destinations that hold nothing to show, skipped whole even where no \* marks them.
        for (const char *name : {"stylesheet", "info",
                                 "pict",       "objdata",
                                 "header",     "headerl",
                                 "headerr",    "headerf",
                                 "footer",     "footerl",
                                 "footerr",    "footerf",
                                 "footnote",   "annotation",
                                 "listtable",  "listoverridetable",
                                 "fldinst",    "pn",
                                 "pntxta",     "pntxtb",
                                 "revtbl",     "rsidtbl",
                                 "filetbl",    "xe",
                                 "tc",         "txe",
                                 "rxe",        "template",
                                 "ftnsep",     "ftnsepc",
                                 "ftncn",      "aftnsep",
                                 "aftnsepc",   "aftncn",
                                 "nonshppict", "bkmkstart",
                                 "bkmkend",    "atnid",
                                 "atnauthor",  "atndate",
                                 "atntime",    "atnref",
                                 "atnicn",     "atrfstart",
                                 "atrfend",    "objclass",
                                 "objname",    "objalias",
                                 "objsect",    "objtime",
                                 "datafield",  "docvar",
                                 "userprops",  "generator",
                                 "background", "xmlnstbl",
                                 "themedata",  "colorschememapping",
                                 "datastore",  "latentstyles",
                                 "pgdsctbl",   "listpicture",
                                 "private",    "do",
                                 "author",     "operator",
                                 "title",      "subject",
                                 "keywords",   "comment",
                                 "doccomm",    "company",
                                 "manager",    "category",
                                 "hlinkbase",  "creatim",
                                 "revtim",     "printim",
                                 "buptim",     "fldtype"})
            t[name] = {Word::Skip};
        t["pntext"] = {Word::ListText};
        t["listtext"] = {Word::ListText};
        t["fldrslt"] = {Word::Shown};
        t["field"] = {Word::Shown};
        t["result"] = {Word::Shown};

        t["f"] = {Word::Font};
        t["fnil"] = {Word::FontFamily, QFont::AnyStyle};
        t["froman"] = {Word::FontFamily, QFont::Serif};
        t["fswiss"] = {Word::FontFamily, QFont::SansSerif};
        t["fmodern"] = {Word::FontFamily, QFont::TypeWriter};
        t["fscript"] = {Word::FontFamily, QFont::Cursive};
        t["fdecor"] = {Word::FontFamily, QFont::Decorative};
        t["ftech"] = {Word::FontFamily, QFont::AnyStyle};
        t["fbidi"] = {Word::FontFamily, QFont::AnyStyle};
        t["fcharset"] = {Word::FontCharset};
        t["cpg"] = {Word::FontCodePage};
        t["red"] = {Word::Red};
        t["green"] = {Word::Green};
        t["blue"] = {Word::Blue};

        t["plain"] = {Word::Plain};
        t["b"] = {Word::Bold};
        t["i"] = {Word::Italic};
        for (const char *name : {"ul", "uldb", "ulth", "ulw"})
            t[name] = {Word::Underline};
        t["uld"] = {Word::UnderlineDotted};
        t["ulthd"] = {Word::UnderlineDotted};
        for (const char *name : {"uldash", "ulldash", "ulthdash", "ulthldash"})
            t[name] = {Word::UnderlineDashed};
        t["uldashd"] = {Word::UnderlineDashDot};
        t["ulthdashd"] = {Word::UnderlineDashDot};
        t["uldashdd"] = {Word::UnderlineDashDotDot};
        t["ulthdashdd"] = {Word::UnderlineDashDotDot};
        for (const char *name : {"ulwave", "ulhwave", "ululdbwave"})
            t[name] = {Word::UnderlineWave};
        t["ulnone"] = {Word::UnderlineNone};
        t["strike"] = {Word::Strike};
        t["striked"] = {Word::Strike};
        t["sub"] = {Word::Sub};
        t["super"] = {Word::Super};
        t["nosupersub"] = {Word::NoSuperSub};
        t["up"] = {Word::Up};
        t["dn"] = {Word::Down};
        t["fs"] = {Word::FontSize};
        t["cf"] = {Word::Foreground};
        t["cb"] = {Word::Background};
        t["highlight"] = {Word::Background};
        t["chcbpat"] = {Word::Background};
        t["v"] = {Word::Hidden};
        t["caps"] = {Word::Caps};
        t["scaps"] = {Word::SmallCaps};

        t["pard"] = {Word::Pard};
        t["ql"] = {Word::AlignLeft};
        t["qc"] = {Word::AlignCenter};
        t["qr"] = {Word::AlignRight};
        t["qj"] = {Word::AlignJustify};
        t["qd"] = {Word::AlignJustify};
        t["li"] = {Word::LeftIndent};
        t["lin"] = {Word::LeftIndent};
        t["ri"] = {Word::RightIndent};
        t["rin"] = {Word::RightIndent};
        t["fi"] = {Word::FirstIndent};
        t["sb"] = {Word::SpaceBefore};
        t["sa"] = {Word::SpaceAfter};
        t["sl"] = {Word::LineSpacing};
        t["slmult"] = {Word::LineMultiple};
        t["tx"] = {Word::TabStop};
        t["tqr"] = {Word::TabRight};
        t["tqc"] = {Word::TabCenter};
        t["tqdec"] = {Word::TabDecimal};
        t["tb"] = {Word::BarTab};
        t["intbl"] = {Word::InTable};
        t["itap"] = {Word::TableLevel};
        t["rtlpar"] = {Word::RightToLeft};
        t["ltrpar"] = {Word::LeftToRight};

        t["par"] = {Word::Par};
        t["line"] = {Word::Line};
        t["sect"] = {Word::Section};
        t["page"] = {Word::Page};
        t["tab"] = {Word::Tab};
        t["cell"] = {Word::Cell};
        t["row"] = {Word::Row};
        t["nestcell"] = {Word::NestedCell};
        t["nestrow"] = {Word::NestedRow};
        t["trowd"] = {Word::RowDefinition};
        t["cellx"] = {Word::CellEdge};

        t["emdash"] = {Word::Character, 0x2014};
        t["endash"] = {Word::Character, 0x2013};
        t["lquote"] = {Word::Character, 0x2018};
        t["rquote"] = {Word::Character, 0x2019};
        t["ldblquote"] = {Word::Character, 0x201C};
        t["rdblquote"] = {Word::Character, 0x201D};
        t["bullet"] = {Word::Character, 0x2022};
        t["emspace"] = {Word::Character, 0x2003};
        t["enspace"] = {Word::Character, 0x2002};
        t["qmspace"] = {Word::Character, 0x2005};
        t["zwj"] = {Word::Character, 0x200D};
        t["zwnj"] = {Word::Character, 0x200C};
        t["zwbo"] = {Word::Character, 0x200B};
        t["ltrmark"] = {Word::Character, 0x200E};
        t["rtlmark"] = {Word::Character, 0x200F};
        return t;
    }();
    return table;
}

constexpr int MaxTabStops = 64;

bool switchedOn(bool hasParameter, int parameter) {
    return !hasParameter || parameter != 0;
}

} // namespace

RtfReader::RtfReader(QTextDocument *document)
    : m_document(document)
    , m_builder(document) {}

bool RtfReader::isRichText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    return bytes.startsWith("{\\rtf");
}

void RtfReader::read(QByteArrayView bytes, QTextDocument *document) {
    const bool undo = document->isUndoRedoEnabled();
    document->setUndoRedoEnabled(false);
    document->clear();
    if (isRichText(bytes)) {
        RtfReader reader(document);
        reader.readRichText(bytes);
    } else {
        readPlainText(bytes, document);
    }
    document->setUndoRedoEnabled(undo);
}

void RtfReader::readPlainText(QByteArrayView bytes, QTextDocument *document) {
    QStringDecoder utf8(QStringConverter::Utf8);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = RtfCodePage().decode(RtfCodePage::Western, bytes);
    // Characters the document reserves for its own structure, and invisible controls, stay out.
    text.removeIf([](QChar c) { return c.unicode() < 0x20 && c != u'\t' && c != u'\n' && c != u'\r'; });
    for (QChar &c : text) {
        if (c.unicode() == 0xFDD0 || c.unicode() == 0xFDD1 || c.unicode() == 0xFFFC)
            c = QChar(0xFFFD);
    }
    // Every line end makes one paragraph end; the last one ends the last line and starts no other.
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    document->setPlainText(text);
}

void RtfReader::readRichText(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    RtfTokenizer tokenizer(bytes);
    m_groups.reserve(64);
    m_groups.push_back(Group{});
    while (!m_done) {
        const RtfToken token = tokenizer.next();
        if (token.kind == RtfToken::End)
            break;
        handle(token);
    }
    if (!m_done) // a truncated file: show what was read
        finishDocument();
    QTextOption option = m_document->defaultTextOption();
    option.setTabStopDistance(twipsToDocumentPixels(m_defaultTab));
    m_document->setDefaultTextOption(option);
}

void RtfReader::finishDocument() {
    flushBytes();
    flushSurrogate();
    flushRun();
    m_builder.finish(m_formatter.blockFormat(group().para), m_formatter.charFormat(group().chars));
    m_done = true;
}

void RtfReader::handle(const RtfToken &token) {
    if (token.kind != RtfToken::Text && token.kind != RtfToken::HexByte)
        flushBytes();
    if (m_ignorableNext && token.kind != RtfToken::ControlWord) {
        m_ignorableNext = false;
        group().destination = Destination::Skip;
    }
    switch (token.kind) {
    case RtfToken::GroupStart:
        m_skipFallback = 0;
        openGroup();
        break;
    case RtfToken::GroupEnd:
        m_skipFallback = 0;
        closeGroup();
        break;
    case RtfToken::ControlWord:
        if (m_skipFallback > 0) {
            --m_skipFallback;
            break;
        }
        controlWord(token.text, token.hasParameter, token.parameter);
        break;
    case RtfToken::ControlSymbol:
        if (m_skipFallback > 0) {
            --m_skipFallback;
            break;
        }
        controlSymbol(token.symbol);
        break;
    case RtfToken::Text:
        text(token.text);
        break;
    case RtfToken::HexByte:
        if (m_skipFallback > 0) {
            --m_skipFallback;
            break;
        }
        hexByte(token.byte);
        break;
    case RtfToken::Binary:
        if (m_skipFallback > 0)
            --m_skipFallback;
        break; // pictures and objects only: nothing to show
    case RtfToken::End:
        break;
    }
}

void RtfReader::openGroup() {
    if (m_groups.size() < size_t(MaxSavedGroups))
        m_groups.push_back(m_groups.back());
    else
        ++m_unsavedDepth;
}

void RtfReader::closeGroup() {
    if (m_unsavedDepth > 0) {
        --m_unsavedDepth;
        return;
    }
    if (m_groups.size() <= 2) {
        // The outermost group ends the document; anything after it (WordPad writes a NUL) is not read.
        finishDocument();
        return;
    }
    const Destination closing = group().destination;
    m_groups.pop_back();
    if (closing == Destination::FontTable)
        finishFontEntry();
    if (closing == Destination::ColorTable && group().destination != Destination::ColorTable && m_colorGiven)
        finishColor();
}

void RtfReader::controlWord(QByteArrayView word, bool hasParameter, int parameter) {
    Group &g = group();
    if (m_ignorableNext) {
        m_ignorableNext = false;
        if (word == "ud" && g.destination == Destination::Alternative)
            g.destination = Destination::Text;
        else
            g.destination = Destination::Skip;
        return;
    }
    const auto found = words().find(std::string_view(word.data(), size_t(word.size())));
    if (found == words().end())
        return;
    const WordInfo info = found->second;
    const bool on = switchedOn(hasParameter, parameter);
    const int value = hasParameter ? parameter : 0;
    const bool shown = g.destination == Destination::Text;
    RtfCharState &chars = g.chars;
    RtfParaState &para = g.para;

    switch (info.word) {
    case Word::Ansi:
        m_formatter.setDocumentCodePage(1252);
        break;
    case Word::Mac:
        m_formatter.setDocumentCodePage(10000);
        break;
    case Word::Pc:
        m_formatter.setDocumentCodePage(437);
        break;
    case Word::Pca:
        m_formatter.setDocumentCodePage(850);
        break;
    case Word::AnsiCodePage:
        if (value > 0)
            m_formatter.setDocumentCodePage(value);
        break;
    case Word::DefaultFont:
        m_formatter.setDefaultFont(value);
        break;
    case Word::DefaultTab:
        if (value > 0)
            m_defaultTab = boundedTwips(value);
        break;
    case Word::UnicodeSkip:
        g.unicodeSkip = qMax(0, value);
        break;
    case Word::Unicode:
        if (hasParameter)
            appendUnicode(parameter);
        m_skipFallback = g.unicodeSkip;
        break;
    case Word::Alternative:
        if (shown)
            g.destination = Destination::Alternative;
        break;
    case Word::UnicodeAlternative:
        if (g.destination == Destination::Alternative)
            g.destination = Destination::Text;
        break;

    case Word::FontTable:
        if (g.destination != Destination::Skip)
            g.destination = Destination::FontTable;
        break;
    case Word::ColorTable:
        if (g.destination != Destination::Skip) {
            g.destination = Destination::ColorTable;
            m_red = m_green = m_blue = 0;
            m_colorGiven = false;
        }
        break;
    case Word::Skip:
        g.destination = Destination::Skip;
        break;
    case Word::ListText:
        // Writers may give a paragraph's bullet twice (old and new style); it is shown once.
        if (shown) {
            if (m_paragraphHasListText)
                g.destination = Destination::Skip;
            m_paragraphHasListText = true;
        }
        break;
    case Word::Shown:
        break;

    case Word::Font:
        if (g.destination == Destination::FontTable) {
            finishFontEntry();
            m_fontEntryOpen = true;
            m_fontEntry = value;
            m_entryFont = RtfFont{};
            m_fontName.clear();
        } else {
            chars.font = value;
        }
        break;
    case Word::FontFamily:
        if (g.destination == Destination::FontTable)
            m_entryFont.styleHint = info.value;
        break;
    case Word::FontCharset:
        if (g.destination == Destination::FontTable)
            m_entryFont.charset = value;
        break;
    case Word::FontCodePage:
        if (g.destination == Destination::FontTable)
            m_entryFont.codePage = value;
        break;
    case Word::Red:
        m_red = qBound(0, value, 255);
        m_colorGiven = true;
        break;
    case Word::Green:
        m_green = qBound(0, value, 255);
        m_colorGiven = true;
        break;
    case Word::Blue:
        m_blue = qBound(0, value, 255);
        m_colorGiven = true;
        break;

    case Word::Plain:
        chars = RtfCharState{};
        break;
    case Word::Bold:
        chars.bold = on;
        break;
    case Word::Italic:
        chars.italic = on;
        break;
    case Word::Underline:
        chars.underline = on ? RtfCharState::Underline::Single : RtfCharState::Underline::None;
        break;
    case Word::UnderlineDotted:
        chars.underline = on ? RtfCharState::Underline::Dotted : RtfCharState::Underline::None;
        break;
    case Word::UnderlineDashed:
        chars.underline = on ? RtfCharState::Underline::Dashed : RtfCharState::Underline::None;
        break;
    case Word::UnderlineDashDot:
        chars.underline = on ? RtfCharState::Underline::DashDot : RtfCharState::Underline::None;
        break;
    case Word::UnderlineDashDotDot:
        chars.underline = on ? RtfCharState::Underline::DashDotDot : RtfCharState::Underline::None;
        break;
    case Word::UnderlineWave:
        chars.underline = on ? RtfCharState::Underline::Wave : RtfCharState::Underline::None;
        break;
    case Word::UnderlineNone:
        chars.underline = RtfCharState::Underline::None;
        break;
    case Word::Strike:
        chars.strike = on;
        break;
    case Word::Sub:
        chars.vertical = on ? RtfCharState::Vertical::Sub : RtfCharState::Vertical::Normal;
        break;
    case Word::Super:
        chars.vertical = on ? RtfCharState::Vertical::Super : RtfCharState::Vertical::Normal;
        break;
    case Word::NoSuperSub:
        chars.vertical = RtfCharState::Vertical::Normal;
        break;
    case Word::Up:
        chars.vertical = on ? RtfCharState::Vertical::Super : RtfCharState::Vertical::Normal;
        break;
    case Word::Down:
        chars.vertical = on ? RtfCharState::Vertical::Sub : RtfCharState::Vertical::Normal;
        break;
    case Word::FontSize:
        chars.halfPoints = value > 0 ? value : 24;
        break;
    case Word::Foreground:
        chars.foreground = value;
        break;
    case Word::Background:
        chars.background = value;
        break;
    case Word::Hidden:
        chars.hidden = on;
        break;
    case Word::Caps:
        chars.caps = on ? RtfCharState::Caps::All : RtfCharState::Caps::Normal;
        break;
    case Word::SmallCaps:
        chars.caps = on ? RtfCharState::Caps::Small : RtfCharState::Caps::Normal;
        break;

    case Word::Pard:
        flushRun();
        para = RtfParaState{};
        m_rowDefinitionOpen = false;
        break;
    case Word::AlignLeft:
        para.align = RtfParaState::Align::Left;
        break;
    case Word::AlignCenter:
        para.align = RtfParaState::Align::Center;
        break;
    case Word::AlignRight:
        para.align = RtfParaState::Align::Right;
        break;
    case Word::AlignJustify:
        para.align = RtfParaState::Align::Justify;
        break;
    case Word::LeftIndent:
        para.leftIndent = boundedTwips(value);
        break;
    case Word::RightIndent:
        para.rightIndent = boundedTwips(value);
        break;
    case Word::FirstIndent:
        para.firstIndent = boundedTwips(value);
        break;
    case Word::SpaceBefore:
        para.spaceBefore = boundedTwips(value);
        break;
    case Word::SpaceAfter:
        para.spaceAfter = boundedTwips(value);
        break;
    case Word::LineSpacing:
        para.lineSpacing = boundedTwips(value);
        break;
    case Word::LineMultiple:
        para.lineMultiple = value != 0;
        break;
    case Word::TabStop:
    case Word::BarTab:
        if (para.tabs.size() < MaxTabStops) {
            QTextOption::Tab tab(boundedTwips(value),
                                 info.word == Word::BarTab ? QTextOption::LeftTab : para.nextTabType);
            if (tab.type == QTextOption::DelimiterTab)
                tab.delimiter = QLatin1Char('.');
            para.tabs.append(tab);
        }
        para.nextTabType = QTextOption::LeftTab;
        break;
    case Word::TabRight:
        para.nextTabType = QTextOption::RightTab;
        break;
    case Word::TabCenter:
        para.nextTabType = QTextOption::CenterTab;
        break;
    case Word::TabDecimal:
        para.nextTabType = QTextOption::DelimiterTab;
        break;
    case Word::InTable:
        flushRun();
        para.inTable = on;
        break;
    case Word::TableLevel:
        flushRun();
        para.inTable = value > 0;
        break;
    case Word::RightToLeft:
        para.rightToLeft = true;
        break;
    case Word::LeftToRight:
        para.rightToLeft = false;
        break;

    case Word::Par:
    case Word::NestedRow:
        if (shown)
            endParagraph();
        break;
    case Word::Section:
    case Word::Page:
        // A break between sections or pages ends the paragraph it interrupts; it adds no empty one.
        if (shown && m_paragraphHasContent)
            endParagraph();
        break;
    case Word::Line:
        appendText(QString(QChar::LineSeparator));
        break;
    case Word::Tab:
    case Word::NestedCell:
        appendText(QStringLiteral("\t"));
        break;
    case Word::Cell:
        if (shown)
            endCell();
        break;
    case Word::Row:
        if (shown)
            endRow();
        break;
    case Word::RowDefinition:
        if (!shown)
            break; // a nested table's row, say, in a group that is skipped
        flushRun();
        m_cellEdges.clear();
        m_rowDefinitionOpen = true;
        break;
    case Word::CellEdge:
        if (shown && m_cellEdges.size() < RtfDocumentBuilder::MaxColumns)
            m_cellEdges.append(boundedTwips(value));
        break;
    case Word::Character:
        appendText(QString(QChar(char16_t(info.value))));
        break;
    }
}

void RtfReader::controlSymbol(char symbol) {
    switch (symbol) {
    case '\\':
    case '{':
    case '}':
        appendText(QString(QLatin1Char(symbol)));
        break;
    case '~':
        appendText(QString(QChar(0x00A0)));
        break;
    case '-':
        appendText(QString(QChar(0x00AD)));
        break;
    case '_':
        appendText(QString(QChar(0x2011)));
        break;
    case '*':
        m_ignorableNext = true;
        break;
    default:
        break; // \: \| and the rest show nothing
    }
}

void RtfReader::text(QByteArrayView bytes) {
    if (m_skipFallback > 0) {
        const qsizetype skipped = qMin<qsizetype>(m_skipFallback, bytes.size());
        bytes = bytes.sliced(skipped);
        m_skipFallback -= int(skipped);
    }
    if (bytes.isEmpty())
        return;
    switch (group().destination) {
    case Destination::Text:
        if (!group().chars.hidden)
            addBytes(bytes);
        break;
    case Destination::FontTable:
        if (m_fontEntryOpen) {
            const qsizetype end = bytes.indexOf(';');
            if (end < 0) {
                addBytes(bytes);
            } else {
                addBytes(bytes.first(end));
                flushBytes();
                finishFontEntry();
            }
        }
        break;
    case Destination::ColorTable:
        for (const char c : bytes) {
            if (c == ';')
                finishColor();
        }
        break;
    case Destination::Skip:
    case Destination::Alternative:
        break;
    }
}

void RtfReader::hexByte(unsigned char byte) {
    const Destination destination = group().destination;
    if ((destination == Destination::Text && !group().chars.hidden) ||
        (destination == Destination::FontTable && m_fontEntryOpen)) {
        const char c = char(byte);
        addBytes(QByteArrayView(&c, 1));
    }
}

int RtfReader::textCodePage() const {
    if (m_groups.back().destination != Destination::FontTable)
        return m_formatter.codePage(m_groups.back().chars.font);
    // A font's name is written in its own character set; a symbol font's name in the document's.
    int codePage = m_entryFont.codePage > 0 ? m_entryFont.codePage : RtfCodePage::forCharset(m_entryFont.charset);
    if (codePage == 0 || codePage == RtfCodePage::Symbol)
        codePage = m_formatter.documentCodePage();
    return codePage;
}

void RtfReader::addBytes(QByteArrayView bytes) {
    const int codePage = textCodePage();
    if (!m_pendingBytes.isEmpty() && codePage != m_pendingCodePage)
        flushBytes();
    m_pendingCodePage = codePage;
    m_pendingBytes.append(bytes.data(), bytes.size());
}

// Bytes are gathered until something else comes, so that a character of two bytes (\'hh\'hh in
// the East Asian code pages) is decoded whole.
void RtfReader::flushBytes() {
    if (m_pendingBytes.isEmpty())
        return;
    const QString decoded = m_codePages.decode(m_pendingCodePage, m_pendingBytes);
    m_pendingBytes.resize(0);
    appendText(decoded);
}

void RtfReader::appendUnicode(int value) {
    if (value < 0)
        value += 65536; // written as a signed 16-bit number
    if (value <= 0 || value > 0x10FFFF)
        return;
    if (group().destination == Destination::Text && value >= 0xF020 && value <= 0xF0FF) {
        // Symbol fonts' characters as some writers give them: in the private-use area, by their byte.
        const int codePage = textCodePage();
        if (codePage == RtfCodePage::Symbol || codePage == RtfCodePage::Wingdings)
            value = RtfCodePage::symbolCharacter(codePage, uchar(value - 0xF000));
    }
    if (QChar::isHighSurrogate(char32_t(value))) {
        flushSurrogate();
        m_highSurrogate = char16_t(value);
        return;
    }
    if (QChar::isLowSurrogate(char32_t(value))) {
        if (!m_highSurrogate) {
            appendText(QString(QChar(QChar::ReplacementCharacter)));
            return;
        }
        const QChar pair[2] = {QChar(m_highSurrogate), QChar(char16_t(value))};
        m_highSurrogate = 0;
        appendText(QString(pair, 2));
        return;
    }
    const char32_t codePoint = char32_t(value);
    appendText(QString::fromUcs4(&codePoint, 1));
}

// A high surrogate that no low one follows is shown as the replacement character.
void RtfReader::flushSurrogate() {
    if (!m_highSurrogate)
        return;
    m_highSurrogate = 0;
    appendText(QString(QChar(QChar::ReplacementCharacter)));
}

void RtfReader::appendText(const QString &text) {
    flushSurrogate();
    switch (group().destination) {
    case Destination::Text:
        if (!group().chars.hidden)
            appendVisible(text);
        break;
    case Destination::FontTable:
        if (m_fontEntryOpen)
            m_fontName += text;
        break;
    default:
        break;
    }
}

void RtfReader::appendVisible(const QString &text) {
    if (text.isEmpty())
        return;
    const RtfCharState &chars = group().chars;
    if (m_run.isEmpty()) {
        m_runState = chars;
    } else if (!(m_runState == chars)) {
        flushRun();
        m_runState = chars;
    }
    // Line and paragraph ends are the reader's to make, and the document reserves a few characters
    // for its own structure: none of them may come in as text.
    const auto unfit = [](char16_t c) {
        return (c < 0x20 && c != u'\t') || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1 || c == 0xFFFC;
    };
    if (std::none_of(text.cbegin(), text.cend(), [&](QChar c) { return unfit(c.unicode()); })) {
        m_run += text;
    } else {
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0x20 && u != u'\t')
                continue;
            m_run += !unfit(u) ? c : u == 0x2029 ? QChar(QChar::LineSeparator) : QChar(QChar::ReplacementCharacter);
        }
    }
    m_paragraphHasContent = true;
}

bool RtfReader::inTableContext() const {
    return m_groups.back().para.inTable || m_rowDefinitionOpen;
}

void RtfReader::flushRun() {
    if (m_run.isEmpty())
        return;
    m_builder.insertText(m_run, m_formatter.charFormat(m_runState), inTableContext());
    m_run.resize(0);
}

void RtfReader::endParagraph() {
    flushSurrogate();
    flushRun();
    m_builder.endParagraph(m_formatter.blockFormat(group().para), m_formatter.charFormat(group().chars),
                           inTableContext());
    m_paragraphHasListText = false;
    m_paragraphHasContent = false;
}

void RtfReader::endCell() {
    flushSurrogate();
    flushRun();
    if (!inTableContext() && !m_builder.inTable()) {
        appendText(QStringLiteral("\t")); // a cell outside any table: at least keep the cells apart
        return;
    }
    m_builder.endCell(m_formatter.blockFormat(group().para), m_formatter.charFormat(group().chars));
    m_paragraphHasListText = false;
    m_paragraphHasContent = false;
}

void RtfReader::endRow() {
    flushSurrogate();
    flushRun();
    if (m_builder.inTable())
        m_builder.endRow(m_cellEdges);
    else if (m_paragraphHasContent)
        endParagraph();
    m_rowDefinitionOpen = false;
}

void RtfReader::finishFontEntry() {
    if (!m_fontEntryOpen)
        return;
    flushBytes();
    m_fontEntryOpen = false;
    m_entryFont.name = m_fontName.trimmed();
    m_fontName.clear();
    m_formatter.defineFont(m_fontEntry) = m_entryFont;
}

void RtfReader::finishColor() {
    m_formatter.addColor(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
}

} // namespace varnook
