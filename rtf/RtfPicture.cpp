#include "RtfPicture.h"

#include "RtfFormatter.h"
#include "RtfTokenizer.h"

#include <QBuffer>
#include <QFont>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>

#include <cmath>

namespace varnook {

namespace {

// Decoded pictures larger than this are not shown (a tiny file can claim a huge picture).
constexpr int MaxDecodedMegabytes = 64;

QImage read(const QByteArray &data, const char *format) {
    QBuffer buffer;
    buffer.setData(data);
    QImageReader reader(&buffer, format);
    reader.setAllocationLimit(MaxDecodedMegabytes);
    return reader.read();
}

// A device-independent bitmap is a BMP file without its 14-byte file header: give it one, with the
// offset of the pixels after the info header, its colour masks and its palette.
QImage readDib(const QByteArray &dib) {
    if (dib.size() < 16)
        return {};
    const auto *bytes = reinterpret_cast<const uchar *>(dib.constData());
    const quint32 headerSize = qFromLittleEndian<quint32>(bytes);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return {};
    quint32 offset = headerSize;
    if (headerSize >= 40 && dib.size() >= 36) {
        const quint16 bitCount = qFromLittleEndian<quint16>(bytes + 14);
        const quint32 compression = qFromLittleEndian<quint32>(bytes + 16);
        quint32 colours = qFromLittleEndian<quint32>(bytes + 32);
        if (colours == 0 && bitCount <= 8)
            colours = 1u << bitCount;
        if (headerSize == 40 && (compression == 3 || compression == 6)) // colour masks after the header
            offset += compression == 3 ? 12 : 16;
        offset += qMin<quint32>(colours, 256) * 4;
    } else if (headerSize == 12) {
        const quint16 bitCount = qFromLittleEndian<quint16>(bytes + 10);
        offset += bitCount <= 8 ? (1u << bitCount) * 3 : 0;
    }
    QByteArray file(14, '\0');
    file[0] = 'B';
    file[1] = 'M';
    qToLittleEndian<quint32>(quint32(14 + dib.size()), file.data() + 2);
    qToLittleEndian<quint32>(14 + offset, file.data() + 10);
    return read(file + dib, "BMP");
}

} // namespace

void RtfPicture::addHex(QByteArrayView text) {
    for (const char c : text) {
        const int value = rtfHexDigitValue(c);
        if (value < 0)
            continue;
        if (m_highNibble < 0) {
            m_highNibble = value;
        } else if (m_data.size() < MaxDataSize) {
            m_data.append(char(m_highNibble << 4 | value));
            m_highNibble = -1;
        }
    }
}

void RtfPicture::addBinary(QByteArrayView bytes) {
    if (m_data.size() + bytes.size() <= MaxDataSize)
        m_data.append(bytes.data(), bytes.size());
}

QImage RtfPicture::decode() const {
    if (m_data.isEmpty() || m_data.size() >= MaxDataSize)
        return {};
    switch (kind) {
    case Kind::Png:
        return read(m_data, "PNG");
    case Kind::Jpeg:
        return read(m_data, "JPEG");
    case Kind::DeviceIndependentBitmap:
        return readDib(m_data);
    case Kind::Bitmap:
    case Kind::Unknown:
        return read(m_data, nullptr); // Qt may know the bytes by their look
    default:
        return {}; // metafiles: Qt draws none of them
    }
}

QSizeF RtfPicture::shownSize(const QImage &image) const {
    const auto side = [&](int goal, int own, int pixels, int scale) -> qreal {
        int twips = goal;
        if (twips <= 0 && own <= 0 && pixels <= 0) {
            twips = 1440; // no size given at all: an inch
        } else if (twips <= 0) {
            const bool metafile = kind == Kind::WindowsMetafile || kind == Kind::EnhancedMetafile ||
                                  kind == Kind::MacPicture || kind == Kind::Os2Metafile;
            if (metafile)
                twips = int(qint64(own) * 1440 / 2540); // hundredths of a millimetre
            else
                twips = int(qMin<qint64>(pixels > 0 ? pixels : own, MaxTwips) * 15);
        }
        const qint64 scaled = qint64(qBound(0, twips, MaxTwips)) * (scale > 0 ? qMin(scale, 1000) : 100) / 100;
        return twipsToDocumentPixels(int(qMax<qint64>(15, qMin<qint64>(scaled, MaxTwips))));
    };
    return {side(widthGoal, width, image.width(), scaleX), side(heightGoal, height, image.height(), scaleY)};
}

QString RtfPicture::label() const {
    switch (kind) {
    case Kind::WindowsMetafile:
        return QStringLiteral("Windows metafile");
    case Kind::EnhancedMetafile:
        return QStringLiteral("Enhanced metafile");
    case Kind::MacPicture:
        return QStringLiteral("Macintosh picture");
    case Kind::Os2Metafile:
        return QStringLiteral("OS/2 metafile");
    default:
        return QStringLiteral("Picture");
    }
}

QSize RtfPicture::placeholderSize(QSize frame) {
    frame = frame.expandedTo(QSize(1, 1));
    const qint64 pixels = qint64(frame.width()) * frame.height();
    if (pixels <= MaxPlaceholderPixels)
        return frame;
    const qreal scale = std::sqrt(qreal(MaxPlaceholderPixels) / qreal(pixels));
    return QSize(qMax(1, int(frame.width() * scale)), qMax(1, int(frame.height() * scale)));
}

QImage RtfPicture::placeholder(QSize frame, const QString &label) {
    QImage image(placeholderSize(frame), QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(0xF4, 0xF4, 0xF4));
    QPainter painter(&image);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(image.rect().adjusted(0, 0, -1, -1));
    if (image.height() >= 10 && image.width() >= 20) {
        QFont font;
        font.setPixelSize(qMin(12, image.height() - 4));
        painter.setFont(font);
        painter.drawText(image.rect().adjusted(2, 2, -2, -2), Qt::AlignCenter | Qt::TextWordWrap, label);
    }
    return image;
}

} // namespace varnook
