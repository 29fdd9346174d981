#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <unordered_map>

class QStringDecoder;

namespace varnook {

// Turns the bytes of a Windows code page into text. Windows-1250, -1251 and -1252 and the encodings
// of the Symbol and Wingdings fonts come from tables of ours, so they decode the same everywhere;
// other code pages use Qt's converters where the platform has them, and Windows-1252 where not.
class RtfCodePage {
public:
    static constexpr int Western = 1252;
    static constexpr int Symbol = 42; // the number Windows gives the Symbol font's encoding
    static constexpr int Wingdings = -42;

    RtfCodePage();
    ~RtfCodePage();
    RtfCodePage(const RtfCodePage &) = delete;
    RtfCodePage &operator=(const RtfCodePage &) = delete;

    // The code page that a font's character set stands for; 0 for "the document's own".
    static int forCharset(int charset);
    // The character a byte of the Symbol or Wingdings font shows.
    static char16_t symbolCharacter(int codePage, unsigned char byte);

    QString decode(int codePage, QByteArrayView bytes);

private:
    QStringDecoder *converter(int codePage);

    std::unordered_map<int, std::unique_ptr<QStringDecoder>> m_converters;
};

} // namespace varnook
