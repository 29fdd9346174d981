#pragma once

#include <QLabel>

namespace varnook {

// A plain picture area: a container that may show an image.
class PictureBox : public QLabel {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr)
        : QLabel(parent) {}
};

} // namespace varnook
