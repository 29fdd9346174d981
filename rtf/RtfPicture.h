#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QSizeF>
#include <QString>

namespace varnook {

// One picture as rich text gives it (\pict): its kind, its data in hex or as raw bytes, and the size
// the writer asks it to be shown at.
class RtfPicture {
public:
    enum class Kind : char {
        Unknown,
        Png,
        Jpeg,
        DeviceIndependentBitmap, // \dibitmap: a BMP file without its file header
        Bitmap,                  // \wbitmap
        WindowsMetafile,
        EnhancedMetafile,
        MacPicture,
        Os2Metafile,
    };
    // Pictures larger than this are not kept: no help file's picture is that large.
    static constexpr qsizetype MaxDataSize = 32 * 1024 * 1024;

    Kind kind = Kind::Unknown;
    int width = 0;     // \picw: pixels for bitmaps, hundredths of a millimetre for metafiles
    int height = 0;    // \pich
    int widthGoal = 0; // \picwgoal, \pichgoal: in twips
    int heightGoal = 0;
    int scaleX = 100; // \picscalex, \picscaley: per cent
    int scaleY = 100;

    // Hex digits in any number of pieces; anything else among them is read past.
    void addHex(QByteArrayView text);
    void addBinary(QByteArrayView bytes);

    // The picture as Qt reads it; a null image when Qt cannot draw this kind or these bytes.
    QImage decode() const;
    // The size to show it at in the document's pixels (15 twips each), from the goal, the scale and,
    // without a goal, the picture's own size; image is what decode() gave.
    QSizeF shownSize(const QImage &image) const;
    // What a frame standing in for a picture that cannot be drawn says.
    QString label() const;
    // Frames of more pixels than this are drawn smaller, to scale, and the view stretches them to
    // their size: a page-high frame would otherwise take 18 MB and most of a slice's time.
    static constexpr qint64 MaxPlaceholderPixels = 1024 * 512;
    // The size of the image drawn for a frame of this size.
    static QSize placeholderSize(QSize frame);
    // That frame, for a frame of the given size in pixels, with the label inside.
    static QImage placeholder(QSize frame, const QString &label);

private:
    QByteArray m_data;
    int m_highNibble = -1;
};

} // namespace varnook
