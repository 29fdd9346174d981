#pragma once

#include <QLabel>

namespace varnook {

// A label drawn in the skin's style: plain text, wrapped at its width and aligned top left like
// the program's plain labels. Its caption is its default property.
class SkinLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_CLASSINFO("DefaultProperty", "Caption")

public:
    explicit SkinLabel(QWidget *parent = nullptr);

    QString Caption() const { return text(); }
    void setCaption(const QString &caption) { setText(caption); }
};

} // namespace varnook
