#pragma once

#include "RtfState.h"

#include <QHash>
#include <QStringList>
#include <QTextBlockFormat>
#include <QTextCharFormat>

namespace varnook {

// Holds a document's font and colour tables and turns the reader's formatting state into Qt's
// character and paragraph formats, each distinct state converted once.
class RtfFormatter {
public:
    void setDefaultFont(int index);
    int defaultFont() const { return m_defaultFont; }
    void setDocumentCodePage(int codePage) { m_documentCodePage = codePage; }
    int documentCodePage() const { return m_documentCodePage; }

    // The font entry with this number, created empty when the table has none yet.
    RtfFont &defineFont(int index);
    void addColor(const QColor &color); // an invalid colour stands for "automatic"
    int colorCount() const { return int(m_colors.size()); }
    QColor color(int index) const;
    // The number of the link to this address, for RtfCharState::link.
    int addLink(const QString &address);

    // The code page text in this font is written in; the Symbol and Wingdings encodings for those fonts.
    int codePage(int fontIndex) const;
    QString fontName(int fontIndex) const;

    QTextCharFormat charFormat(const RtfCharState &state);
    QTextBlockFormat blockFormat(const RtfParaState &state);

private:
    const RtfFont *findFont(int fontIndex) const;
    bool isSymbolFont(const RtfFont &font) const;
    QTextCharFormat makeCharFormat(const RtfCharState &state) const;
    QTextBlockFormat makeBlockFormat(const RtfParaState &state) const;
    void forgetFormats();

    QHash<int, RtfFont> m_fonts;
    QList<QColor> m_colors;
    QStringList m_links;
    QHash<QString, int> m_linkNumbers;
    int m_defaultFont = 0;
    int m_documentCodePage = 1252;
    QHash<RtfCharState, QTextCharFormat> m_charFormats;
    RtfParaState m_lastParaState;
    QTextBlockFormat m_lastBlockFormat;
    bool m_hasLastBlockFormat = false;
};

// Lengths beyond this many twips (22 inches, wider than any page) are taken as this long.
constexpr int MaxTwips = 31680;
inline int boundedTwips(int twips) {
    return qBound(-MaxTwips, twips, MaxTwips);
}

// Lengths in twips as the document's pixels (15 twips to a pixel), limited to MaxTwips.
qreal twipsToDocumentPixels(int twips);

} // namespace varnook
