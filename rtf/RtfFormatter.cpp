#include "RtfFormatter.h"

#include "RtfCodePage.h"

#include <QFont>

#include <algorithm>

namespace varnook {

namespace {

constexpr int MaxHalfPoints = 3276;

} // namespace

qreal twipsToDocumentPixels(int twips) {
    return boundedTwips(twips) / 15.0;
}

void RtfFormatter::setDefaultFont(int index) {
    m_defaultFont = index;
    forgetFormats();
}

RtfFont &RtfFormatter::defineFont(int index) {
    forgetFormats();
    return m_fonts[index];
}

void RtfFormatter::addColor(const QColor &color) {
    forgetFormats();
    m_colors.append(color);
}

QColor RtfFormatter::color(int index) const {
    return index >= 0 && index < m_colors.size() ? m_colors[index] : QColor();
}

int RtfFormatter::addLink(const QString &address) {
    auto found = m_linkNumbers.constFind(address);
    if (found == m_linkNumbers.constEnd()) {
        found = m_linkNumbers.insert(address, int(m_links.size()));
        m_links.append(address);
    }
    return found.value();
}

// A font the table does not hold stands for the document's default font.
const RtfFont *RtfFormatter::findFont(int fontIndex) const {
    auto found = m_fonts.constFind(fontIndex);
    if (found == m_fonts.constEnd())
        found = m_fonts.constFind(m_defaultFont);
    return found == m_fonts.constEnd() ? nullptr : &found.value();
}

bool RtfFormatter::isSymbolFont(const RtfFont &font) const {
    return font.charset == 2 || font.name.compare(QLatin1String("Symbol"), Qt::CaseInsensitive) == 0 ||
           font.name.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive) ||
           font.name.startsWith(QLatin1String("Webdings"), Qt::CaseInsensitive);
}

int RtfFormatter::codePage(int fontIndex) const {
    const RtfFont *font = findFont(fontIndex);
    if (!font)
        return m_documentCodePage;
    if (font->name.startsWith(QLatin1String("Wingdings"), Qt::CaseInsensitive) ||
        font->name.startsWith(QLatin1String("Webdings"), Qt::CaseInsensitive))
        return RtfCodePage::Wingdings;
    if (isSymbolFont(*font))
        return RtfCodePage::Symbol;
    if (font->codePage > 0)
        return font->codePage;
    if (const int fromCharset = RtfCodePage::forCharset(font->charset))
        return fromCharset;
    return m_documentCodePage;
}

QString RtfFormatter::fontName(int fontIndex) const {
    const RtfFont *font = findFont(fontIndex);
    return font ? font->name : QString();
}

QTextCharFormat RtfFormatter::charFormat(const RtfCharState &state) {
    auto found = m_charFormats.constFind(state);
    if (found == m_charFormats.constEnd())
        found = m_charFormats.insert(state, makeCharFormat(state));
    return found.value();
}

QTextBlockFormat RtfFormatter::blockFormat(const RtfParaState &state) {
    if (!m_hasLastBlockFormat || !(state == m_lastParaState)) {
        m_lastParaState = state;
        m_lastBlockFormat = makeBlockFormat(state);
        m_hasLastBlockFormat = true;
    }
    return m_lastBlockFormat;
}

QTextCharFormat RtfFormatter::makeCharFormat(const RtfCharState &state) const {
    QTextCharFormat format;
    // A symbol font's characters are already turned into their own characters; they show in the
    // document's font, as the platform may have no font of that name or one with another encoding.
    const RtfFont *font = findFont(state.font);
    if (font && isSymbolFont(*font))
        font = findFont(-1);
    if (font && !font->name.isEmpty() && !isSymbolFont(*font)) {
        format.setFontFamilies(QStringList{font->name});
        format.setFontStyleHint(QFont::StyleHint(font->styleHint));
    }
    const int halfPoints = state.halfPoints > 0 ? qMin(state.halfPoints, MaxHalfPoints) : 24;
    format.setFontPointSize(halfPoints / 2.0);
    if (state.bold)
        format.setFontWeight(QFont::Bold);
    if (state.italic)
        format.setFontItalic(true);
    if (state.strike)
        format.setFontStrikeOut(true);
    switch (state.underline) {
    case RtfCharState::Underline::None:
        break;
    case RtfCharState::Underline::Single:
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
        break;
    case RtfCharState::Underline::Dotted:
        format.setUnderlineStyle(QTextCharFormat::DotLine);
        break;
    case RtfCharState::Underline::Dashed:
        format.setUnderlineStyle(QTextCharFormat::DashUnderline);
        break;
    case RtfCharState::Underline::DashDot:
        format.setUnderlineStyle(QTextCharFormat::DashDotLine);
        break;
    case RtfCharState::Underline::DashDotDot:
        format.setUnderlineStyle(QTextCharFormat::DashDotDotLine);
        break;
    case RtfCharState::Underline::Wave:
        format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        break;
    }
    switch (state.vertical) {
    case RtfCharState::Vertical::Normal:
        break;
    case RtfCharState::Vertical::Super:
        format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        break;
    case RtfCharState::Vertical::Sub:
        format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        break;
    }
    switch (state.caps) {
    case RtfCharState::Caps::Normal:
        break;
    case RtfCharState::Caps::All:
        format.setFontCapitalization(QFont::AllUppercase);
        break;
    case RtfCharState::Caps::Small:
        format.setFontCapitalization(QFont::SmallCaps);
        break;
    }
    if (const QColor foreground = color(state.foreground); foreground.isValid())
        format.setForeground(foreground);
    if (const QColor background = color(state.background); background.isValid())
        format.setBackground(background);
    if (state.link >= 0 && state.link < m_links.size()) {
        // Links look as links do in a browser, whatever colour the writer gave them.
        format.setAnchor(true);
        format.setAnchorHref(m_links[state.link]);
        format.setForeground(QColor(Qt::blue));
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    }
    return format;
}

QTextBlockFormat RtfFormatter::makeBlockFormat(const RtfParaState &state) const {
    QTextBlockFormat format;
    switch (state.align) {
    case RtfParaState::Align::Left:
        format.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        break;
    case RtfParaState::Align::Center:
        format.setAlignment(Qt::AlignHCenter);
        break;
    case RtfParaState::Align::Right:
        format.setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
        break;
    case RtfParaState::Align::Justify:
        format.setAlignment(Qt::AlignJustify);
        break;
    }
    if (state.rightToLeft)
        format.setLayoutDirection(Qt::RightToLeft);
    format.setLeftMargin(twipsToDocumentPixels(state.leftIndent));
    format.setRightMargin(twipsToDocumentPixels(state.rightIndent));
    format.setTextIndent(twipsToDocumentPixels(state.firstIndent));
    format.setTopMargin(twipsToDocumentPixels(qMax(0, state.spaceBefore)));
    format.setBottomMargin(twipsToDocumentPixels(qMax(0, state.spaceAfter)));
    if (state.lineSpacing != 0) {
        if (state.lineMultiple && state.lineSpacing > 0)
            format.setLineHeight(qMin(state.lineSpacing, 240 * 10) * 100.0 / 240, QTextBlockFormat::ProportionalHeight);
        else if (state.lineSpacing > 0)
            format.setLineHeight(twipsToDocumentPixels(state.lineSpacing), QTextBlockFormat::MinimumHeight);
        else
            format.setLineHeight(twipsToDocumentPixels(-qMax(state.lineSpacing, -MaxTwips)),
                                 QTextBlockFormat::FixedHeight);
    }
    // Rich text measures tab stops from the paragraph's left edge, and a hanging indent is a tab stop
    // of its own (the text after a bullet's tab lines up with the lines below). Qt measures them from
    // where the line starts, which for the first line is the left indent plus the first-line indent.
    QList<QTextOption::Tab> stops = state.tabs;
    if (state.firstIndent < 0)
        stops.append(QTextOption::Tab(state.leftIndent, QTextOption::LeftTab));
    if (!stops.isEmpty()) {
        std::sort(stops.begin(), stops.end(),
                  [](const QTextOption::Tab &a, const QTextOption::Tab &b) { return a.position < b.position; });
        const int firstLineStart = boundedTwips(state.leftIndent) + boundedTwips(state.firstIndent);
        QList<QTextOption::Tab> tabs;
        for (QTextOption::Tab tab : stops) {
            const int fromLineStart = boundedTwips(int(tab.position)) - firstLineStart;
            if (fromLineStart <= 0)
                continue;
            tab.position = twipsToDocumentPixels(fromLineStart);
            if (tabs.isEmpty() || tabs.last().position != tab.position)
                tabs.append(tab);
        }
        if (!tabs.isEmpty())
            format.setTabPositions(tabs);
    }
    return format;
}

void RtfFormatter::forgetFormats() {
    m_charFormats.clear();
    m_hasLastBlockFormat = false;
}

} // namespace varnook
