#include "RtfReader.h"

#include "RtfLog.h"

#include <QStringDecoder>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <algorithm>

namespace varnook {

namespace {

constexpr qsizetype MaxCollected = 2048; // characters of a field instruction or list number kept
constexpr int MaxListNumber = 1000000;
constexpr int MaxBorderTwips = 150;

// HYPERLINK "address" \l "place" \o "tip": the address, with the place after a '#'; empty for any
// other field, and for a link to a place in this document only.
QString hyperlinkAddress(const QString &instruction) {
    QStringList arguments;
    for (qsizetype i = 0; i < instruction.size();) {
        if (instruction[i].isSpace()) {
            ++i;
        } else if (instruction[i] == u'"') {
            QString argument;
            for (++i; i < instruction.size() && instruction[i] != u'"'; ++i) {
                if (instruction[i] == u'\\' && i + 1 < instruction.size())
                    ++i; // \\ and \" stand for the character after the backslash
                argument += instruction[i];
            }
            ++i;
            arguments << argument;
        } else {
            const qsizetype start = i;
            while (i < instruction.size() && !instruction[i].isSpace() && instruction[i] != u'"')
                ++i;
            arguments << instruction.mid(start, i - start);
        }
    }
    if (arguments.isEmpty() || arguments[0].compare(QLatin1String("HYPERLINK"), Qt::CaseInsensitive) != 0)
        return {};
    QString address;
    QString place;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument.size() == 2 && argument[0] == u'\\') {
            const char16_t name = argument[1].toLower().unicode();
            if (name == u'l' && i + 1 < arguments.size())
                place = arguments[++i];
            else if ((name == u'o' || name == u't') && i + 1 < arguments.size())
                ++i; // a tip or a target frame: nothing to open
        } else if (address.isEmpty()) {
            address = argument.trimmed();
        }
    }
    if (address.isEmpty())
        return {};
    return place.isEmpty() ? address : address + u'#' + place;
}

} // namespace

namespace {

// The reader's document starts empty, without undo steps for what the reader writes.
QTextDocument *emptied(QTextDocument *document) {
    document->setUndoRedoEnabled(false);
    document->clear();
    return document;
}

QByteArrayView withoutByteOrderMark(QByteArrayView bytes) {
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

// A file that is not rich text as the text it shows: UTF-8, or else Windows-1252.
QString plainText(QByteArrayView bytes) {
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
    return text;
}

} // namespace

RtfReader::RtfReader(QByteArrayView bytes, QTextDocument *document)
    : m_document(document)
    , m_undoWasEnabled(document->isUndoRedoEnabled())
    , m_plainText(!isRichText(bytes))
    , m_text(m_plainText ? plainText(bytes) : QString())
    , m_tokenizer(m_plainText ? QByteArrayView() : withoutByteOrderMark(bytes))
    , m_builder(emptied(document)) {
    m_groups.reserve(64);
    m_groups.push_back(Group{});
}

RtfReader::~RtfReader() {
    if (!m_finished) {
        m_builder.pause();
        m_document->setUndoRedoEnabled(m_undoWasEnabled);
    }
}

bool RtfReader::isRichText(QByteArrayView bytes) {
    return withoutByteOrderMark(bytes).startsWith("{\\rtf");
}

void RtfReader::read(QByteArrayView bytes, QTextDocument *document) {
    RtfReader reader(bytes, document);
    reader.readStep(bytes.size());
}

bool RtfReader::readStep(qsizetype bytes) {
    if (m_finished)
        return true;
    m_builder.resume();
    if (m_plainText)
        readPlainTextStep(bytes);
    else
        readRichTextStep(bytes);
    if (m_finished) {
        m_document->setUndoRedoEnabled(m_undoWasEnabled);
        return true;
    }
    m_builder.pause();
    return false;
}

void RtfReader::readPlainTextStep(qsizetype characters) {
    qsizetype end = m_textRead + qMin(qMax<qsizetype>(1, characters), m_text.size() - m_textRead);
    if (end < m_text.size() && m_text[end].isLowSurrogate())
        ++end;
    const QTextCharFormat format;
    for (qsizetype lineEnd; (lineEnd = m_text.indexOf(u'\n', m_textRead)) >= 0 && lineEnd < end;) {
        if (lineEnd > m_textRead)
            m_builder.insertText(m_text.mid(m_textRead, lineEnd - m_textRead), format, false);
        m_builder.endParagraph(QTextBlockFormat(), format, false);
        m_textRead = lineEnd + 1;
    }
    if (end > m_textRead)
        m_builder.insertText(m_text.mid(m_textRead, end - m_textRead), format, false);
    m_textRead = qMax(m_textRead, end);
    if (m_textRead >= m_text.size()) {
        m_builder.pause();
        m_finished = true;
    }
}

void RtfReader::readRichTextStep(qsizetype bytes) {
    const qsizetype until = m_tokenizer.position() + qMax<qsizetype>(1, bytes);
    while (!m_done && (m_tokenizer.position() < until || m_tokenizer.atEnd())) {
        const RtfToken token = m_tokenizer.next();
        if (token.kind == RtfToken::End) {
            finishDocument(); // a truncated file: show what was read
            break;
        }
        handle(token);
    }
    if (!m_done) {
        // What was read so far shows now; the run and the bytes go on in the next step.
        flushWholeCharacters();
        flushRun();
    }
    applyDefaultTab();
    m_finished = m_done;
}

// The document's tab stops, set once: setting them lays the whole document out again.
void RtfReader::applyDefaultTab() {
    if (m_appliedDefaultTab == m_defaultTab)
        return;
    m_appliedDefaultTab = m_defaultTab;
    QTextOption option = m_document->defaultTextOption();
    option.setTabStopDistance(twipsToDocumentPixels(m_defaultTab));
    m_document->setDefaultTextOption(option);
}

// Decodes the gathered bytes up to the last one that cannot be part of a character of two bytes in
// any code page (those below 0x40), so that no character is cut in two between steps.
void RtfReader::flushWholeCharacters() {
    qsizetype end = m_pendingBytes.size();
    while (end > 0 && uchar(m_pendingBytes[end - 1]) >= 0x40)
        --end;
    if (end == m_pendingBytes.size()) {
        flushBytes();
    } else if (end > 0) {
        const QByteArray rest = m_pendingBytes.sliced(end);
        m_pendingBytes.truncate(end);
        flushBytes();
        m_pendingBytes = rest;
    }
}

void RtfReader::finishDocument() {
    flushBytes();
    flushSurrogate();
    if (!m_paragraphHasContent && !m_listText.isEmpty())
        showListText(group().chars);
    flushRun();
    m_builder.finish(m_formatter.blockFormat(group().para), m_formatter.charFormat(group().chars));
    m_done = true;
    if (const int leftOut = m_pictureBudget.leftOut(); leftOut > 0) {
        qCWarning(rtfLog).nospace() << leftOut << " of " << leftOut + m_pictureBudget.shown()
                                    << " pictures are not shown: a document shows at most "
                                    << RtfPictureBudget::MaxPictures << " pictures, "
                                    << qint64(RtfPictureBudget::MaxTotalHeight) << " pixels high together";
    }
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
        else if (m_picture && group().destination == Destination::Picture)
            m_picture->addBinary(token.text);
        break; // otherwise objects only: nothing to show
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
    if (m_picture && m_groups.size() < m_pictureDepth)
        finishPicture();
    if (closing == Destination::FontTable)
        finishFontEntry();
    if (closing == Destination::ColorTable && group().destination != Destination::ColorTable && m_colorGiven)
        finishColor();
}

void RtfReader::controlWord(QByteArrayView word, bool hasParameter, int parameter) {
    const auto found = wordTable().find(std::string_view(word.data(), size_t(word.size())));
    if (m_ignorableNext) {
        m_ignorableNext = false;
        Group &g = group();
        if (word == "ud" && g.destination == Destination::Alternative) {
            g.destination = Destination::Text;
            return;
        }
        if (found == wordTable().end() || !found->second.readWhenStarred) {
            g.destination = Destination::Skip;
            return;
        }
    }
    if (found != wordTable().end())
        found->second.handle(*this, Word{hasParameter, parameter, found->second.value});
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
    case Destination::FieldInstruction:
    case Destination::ListText:
    case Destination::NumberBefore:
    case Destination::NumberAfter:
        if (!group().chars.hidden)
            addBytes(bytes);
        break;
    case Destination::Picture:
        if (m_picture)
            m_picture->addHex(bytes);
        break;
    case Destination::Skip:
    case Destination::Alternative:
    case Destination::ListNumbering:
    case Destination::ShapeInstructions:
        break;
    }
}

void RtfReader::hexByte(unsigned char byte) {
    const Destination destination = group().destination;
    if (((destination == Destination::Text || collectedText()) && !group().chars.hidden) ||
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
    const Destination destination = group().destination;
    if ((destination == Destination::Text || destination == Destination::ListText ||
         destination == Destination::NumberBefore) &&
        value >= 0xF020 && value <= 0xF0FF) {
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
        // Kept up to a length, to the character, however the text came in.
        if (QString *collected = collectedText(); collected && !group().chars.hidden)
            collected->append(QStringView(text).first(qMin(text.size(), MaxCollected - collected->size())));
        break;
    }
}

// Where the text of a field instruction or a list number goes while it is read.
QString *RtfReader::collectedText() {
    switch (group().destination) {
    case Destination::FieldInstruction:
        return &m_fieldInstruction;
    case Destination::ListText:
        return &m_listText;
    case Destination::NumberBefore:
        return &m_listNumbering.before;
    case Destination::NumberAfter:
        return &m_listNumbering.after;
    default:
        return nullptr;
    }
}

void RtfReader::appendVisible(const QString &text) {
    if (text.isEmpty())
        return;
    if (!m_paragraphHasContent)
        showListText(group().chars);
    appendRun(text, group().chars);
    m_paragraphHasContent = true;
}

// A paragraph's bullet or number waits for the paragraph's first text or its end, and takes that
// text's formatting: its own group inherits whatever came before, a heading's size say.
void RtfReader::showListText(const RtfCharState &chars) {
    QString text = std::exchange(m_listText, QString());
    if (m_listNumbering.style != ListNumbering::Style::None && !m_listNumbering.continuation) {
        // A writer may give the number only in the paragraph's numbering, with an empty list text.
        const QString number = listNumberText();
        if (text.trimmed().isEmpty())
            text = number;
    }
    if (!text.isEmpty())
        appendRun(text, chars);
}

QString RtfReader::listNumberText() {
    const ListNumbering &numbering = m_listNumbering;
    if (numbering.isNumbered() && !m_numberTaken) {
        const bool countOn = m_numberContinues && m_number < MaxListNumber && numbering.sameStyle(m_numberedBefore);
        m_number = countOn ? m_number + 1 : numbering.start;
        m_numberTaken = true;
        m_numberedBefore = numbering;
    }
    return numbering.text(m_number);
}

void RtfReader::paragraphEnded() {
    const bool numbered = m_listNumbering.isNumbered();
    if (numbered && !m_listNumbering.continuation)
        listNumberText(); // counted even when its text was given
    // The list goes on through its unnumbered paragraphs (\pnlvlcont); any other paragraph ends it.
    m_numberContinues = numbered || m_listNumbering.continuation;
    m_numberTaken = false;
    m_listText.clear();
    m_paragraphHasListText = false;
    m_paragraphHasContent = false;
}

void RtfReader::startPicture() {
    const Destination destination = group().destination;
    if ((destination != Destination::Text && destination != Destination::ShapeInstructions) || group().chars.hidden ||
        m_unsavedDepth > 0) {
        group().destination = Destination::Skip;
        return;
    }
    group().destination = Destination::Picture;
    m_picture = std::make_unique<RtfPicture>();
    m_pictureDepth = m_groups.size();
}

// Shows the picture where it stood, at the size the file asks for; one that Qt cannot draw, or that
// would take more memory than all the others may, as a frame of that size saying what it is. The
// pictures past the document's bounds are left out; those after the first one left out are not
// even decoded.
void RtfReader::finishPicture() {
    const std::unique_ptr<RtfPicture> picture = std::move(m_picture);
    if (!m_pictureBudget.hasRoom()) {
        m_pictureBudget.leaveOut();
        return;
    }
    QImage image = picture->decode();
    const QSizeF size = picture->shownSize(image);
    if (!m_pictureBudget.take(size.height()))
        return;
    QTextImageFormat format;
    if (!image.isNull() && m_pictureBudget.fitsInMemory(image.sizeInBytes())) {
        m_pictureBudget.useMemory(image.sizeInBytes());
    } else {
        image = placeholder(size.toSize(), picture->label());
        format.setToolTip(picture->label());
    }
    const QUrl name(QStringLiteral("rtf-picture:%1").arg(m_pictureBudget.shown()));
    m_document->addResource(QTextDocument::ImageResource, name, image);
    format.setName(name.toString());
    format.setWidth(size.width());
    format.setHeight(size.height());

    if (!m_paragraphHasContent)
        showListText(group().chars);
    flushRun();
    m_builder.insertText(QString(QChar::ObjectReplacementCharacter), format, inTableContext());
    m_paragraphHasContent = true;
}

// A frame like the last one shares its image, which costs neither time nor memory again; none is
// drawn once the images have used up their memory.
QImage RtfReader::placeholder(QSize frame, const QString &label) {
    if (!m_placeholder.isNull() && frame == m_placeholderFrame && label == m_placeholderLabel)
        return m_placeholder;
    const QSize drawn = RtfPicture::placeholderSize(frame);
    if (!m_pictureBudget.fitsInMemory(qint64(drawn.width()) * drawn.height() * 4))
        return {};
    m_placeholder = RtfPicture::placeholder(frame, label);
    m_placeholderFrame = frame;
    m_placeholderLabel = label;
    m_pictureBudget.useMemory(m_placeholder.sizeInBytes());
    return m_placeholder;
}

void RtfReader::startField() {
    if (shown())
        m_fieldInstruction.clear();
}

void RtfReader::startFieldResult() {
    if (!shown())
        return;
    if (const QString address = hyperlinkAddress(m_fieldInstruction); !address.isEmpty())
        group().chars.link = m_formatter.addLink(address);
}

void RtfReader::appendRun(const QString &text, const RtfCharState &chars) {
    // A run holds text of one format, in one place: in a table or not, as it was when the text came.
    const bool inTable = inTableContext();
    if (!m_run.isEmpty() && (!(m_runState == chars) || m_runInTable != inTable))
        flushRun();
    m_runState = chars;
    m_runInTable = inTable;
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
}

bool RtfReader::inTableContext() const {
    return m_groups.back().para.inTable || m_rowDefinitionOpen;
}

void RtfReader::flushRun() {
    if (m_run.isEmpty())
        return;
    m_builder.insertText(m_run, m_formatter.charFormat(m_runState), m_runInTable,
                         m_formatter.blockFormat(group().para));
    m_run.resize(0);
}

void RtfReader::endParagraph() {
    flushSurrogate();
    if (!m_paragraphHasContent)
        showListText(group().chars);
    flushRun();
    m_builder.endParagraph(m_formatter.blockFormat(group().para), m_formatter.charFormat(group().chars),
                           inTableContext());
    paragraphEnded();
}

void RtfReader::endCell() {
    flushSurrogate();
    flushRun();
    if (!inTableContext() && !m_builder.inTable()) {
        appendText(QStringLiteral("\t")); // a cell outside any table: at least keep the cells apart
        return;
    }
    if (!m_paragraphHasContent) {
        showListText(group().chars);
        flushRun();
    }
    m_builder.endCell(m_formatter.blockFormat(group().para), m_formatter.charFormat(group().chars));
    paragraphEnded();
}

void RtfReader::endRow() {
    flushSurrogate();
    flushRun();
    if (m_builder.inTable())
        m_builder.endRow(m_cellEdges, rowBorders());
    else if (paragraphHasContent())
        endParagraph();
    m_rowDefinitionOpen = false;
}

// A cell's own border on a side wins over the row's on that side.
RtfDocumentBuilder::Border RtfReader::border(const std::optional<RtfBorder> &cellSide,
                                             const std::optional<RtfBorder> &rowSide) {
    const std::optional<RtfBorder> &given = cellSide ? cellSide : rowSide;
    RtfDocumentBuilder::Border border;
    if (!given || given->style == RtfBorder::Style::None || given->width <= 0)
        return border;
    border.width = twipsToDocumentPixels(qMin(given->width, MaxBorderTwips));
    switch (given->style) {
    case RtfBorder::Style::Double:
        border.style = QTextFrameFormat::BorderStyle_Double;
        break;
    case RtfBorder::Style::Dotted:
        border.style = QTextFrameFormat::BorderStyle_Dotted;
        break;
    case RtfBorder::Style::Dashed:
        border.style = QTextFrameFormat::BorderStyle_Dashed;
        break;
    default:
        border.style = QTextFrameFormat::BorderStyle_Solid;
        break;
    }
    const QColor color = m_formatter.color(given->color);
    border.brush = color.isValid() ? color : QColor(Qt::black);
    return border;
}

QList<RtfDocumentBuilder::CellBorders> RtfReader::rowBorders() {
    enum { Top, Left, Bottom, Right, BetweenRows, BetweenCells };
    QList<RtfDocumentBuilder::CellBorders> borders;
    for (qsizetype i = 0; i < m_cellBorders.size(); ++i) {
        const CellBorderWords &cell = m_cellBorders[i];
        const bool first = i == 0;
        const bool last = i == m_cellBorders.size() - 1;
        RtfDocumentBuilder::CellBorders sides;
        sides[RtfDocumentBuilder::Top] = border(cell[0], m_rowBorders[Top]);
        sides[RtfDocumentBuilder::Left] = border(cell[1], m_rowBorders[first ? Left : BetweenCells]);
        sides[RtfDocumentBuilder::Bottom] = border(cell[2], m_rowBorders[Bottom]);
        sides[RtfDocumentBuilder::Right] = border(cell[3], m_rowBorders[last ? Right : BetweenCells]);
        borders.append(sides);
    }
    return borders;
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

void RtfReader::setColorPart(int &part, int value) {
    part = qBound(0, value, 255);
    m_colorGiven = true;
}

void RtfReader::finishColor() {
    m_formatter.addColor(m_colorGiven ? QColor(m_red, m_green, m_blue) : QColor());
    m_red = m_green = m_blue = 0;
    m_colorGiven = false;
}

} // namespace varnook
