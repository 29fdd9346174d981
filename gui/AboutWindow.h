#pragma once

#include "ControlArray.h"

class QLabel;

namespace varnook {

class PictureBox;
class SkinLabel;

// The About window: program name, version, owner and web address below a header picture.
// It has no buttons; the close box closes it.
class AboutWindow : public Form {
    Q_OBJECT

public:
    explicit AboutWindow(QWidget *parent = nullptr);

    SkinLabel *productLabel() const { return m_productLabel; }
    SkinLabel *versionLabel() const { return m_versionLabel; }
    SkinLabel *companyLabel() const { return m_companyLabel; }
    SkinLabel *websiteLabel() const { return m_websiteLabel; }

protected:
    bool Form_Load() override;

private:
    QLabel *addPlainLabel(const QString &name, const QString &caption, const QRect &twips, const QFont &font);
    SkinLabel *addSkinLabel(const QString &name, const QRect &twips, double pointSize);

    PictureBox *m_headerPicture;
    SkinLabel *m_productLabel;
    SkinLabel *m_versionLabel;
    SkinLabel *m_companyLabel;
    SkinLabel *m_websiteLabel;
};

} // namespace varnook
