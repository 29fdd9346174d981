#pragma once

#include <QGroupBox>

namespace varnook {

// A frame whose caption sits on its top border, which runs at half the caption's height: the
// controls placed a little below the frame's top stay clear of the border.
class CaptionedFrame : public QGroupBox {
public:
    explicit CaptionedFrame(const QString &caption, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

} // namespace varnook
