#pragma once

#include "Form.h"

class QLabel;

namespace varnook {

class PictureBox;
class SkinLabel;

// The About window: program name, version, owner and web address below a header picture.
// It has no buttons; the close box closes it.
class frmAbout : public Form {
    Q_OBJECT

public:
    explicit frmAbout(QWidget *parent = nullptr);

    SkinLabel *Label1() const { return m_label1; }
    SkinLabel *lblVersion() const { return m_lblVersion; }
    SkinLabel *lblCompany() const { return m_lblCompany; }
    SkinLabel *lblWebsite() const { return m_lblWebsite; }

protected:
    bool Form_Load() override;

private:
    QLabel *addPlainLabel(const QString &name, const QString &caption, const QRect &twips, const QFont &font);
    SkinLabel *addSkinLabel(const QString &name, const QRect &twips, double pointSize);

    PictureBox *m_picture1;
    SkinLabel *m_label1;
    SkinLabel *m_lblVersion;
    SkinLabel *m_lblCompany;
    SkinLabel *m_lblWebsite;
};

} // namespace varnook
