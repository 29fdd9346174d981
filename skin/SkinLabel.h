#pragma once

#include <QLabel>

namespace varnook {

// A label drawn in the skin's style: plain text, wrapped at its width and aligned top left like
// the program's plain labels. Its caption is its default property.
class SkinLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_CLASSINFO("DefaultProperty", "caption")

public:
    explicit SkinLabel(QWidget *parent = nullptr);

    QString caption() const { return text(); }
    void setCaption(const QString &caption) { setText(caption); }
};

} // namespace varnook
