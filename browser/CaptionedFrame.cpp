#include "CaptionedFrame.h"

#include <QPainter>

namespace varnook {

namespace {
// Where the caption starts on the top border, and the room left either side of its text.
constexpr int CaptionLeft = 6;
constexpr int CaptionPadding = 2;
} // namespace

CaptionedFrame::CaptionedFrame(const QString &caption, QWidget *parent)
    : QGroupBox(caption, parent) {}

void CaptionedFrame::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int borderTop = metrics.height() / 2;
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(QRect(0, borderTop, width() - 1, height() - borderTop - 1));

    if (title().isEmpty())
        return;
    // The caption covers the border where it stands.
    const QRect captionRect(CaptionLeft, 0, metrics.horizontalAdvance(title()) + 2 * CaptionPadding, metrics.height());
    painter.fillRect(captionRect, palette().color(backgroundRole()));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(captionRect, Qt::AlignCenter, title());
}

} // namespace varnook
