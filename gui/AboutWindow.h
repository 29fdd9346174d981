#pragma once

#include <QWidget>

#include <memory>

class QLabel;

namespace varnook {

struct Branding;
class PictureBox;
class SkinEngine;
struct VersionRecord;
class SkinLabel;
class SkinLabelArray;

// The About window: program name, version, owner and web address below a header picture.
// It has no buttons; the close box closes it.
class AboutWindow : public QWidget {
    Q_OBJECT

public:
    AboutWindow(const Branding &branding, const VersionRecord &record, const SkinEngine *skin,
                QWidget *parent = nullptr);
    ~AboutWindow() override;

    SkinLabel *productLabel() const { return m_productLabel; }
    SkinLabel *versionLabel() const { return m_versionLabel; }
    SkinLabel *companyLabel() const { return m_companyLabel; }
    SkinLabel *websiteLabel() const { return m_websiteLabel; }

signals:
    // The window has closed and goes away.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLabel *addPlainLabel(const QString &name, const QString &caption, const QRect &twips, const QFont &font);
    SkinLabel *addSkinLabel(const QString &name, const QRect &twips, double pointSize);

    PictureBox *m_headerPicture;
    SkinLabel *m_productLabel;
    SkinLabel *m_versionLabel;
    SkinLabel *m_companyLabel;
    SkinLabel *m_websiteLabel;
    QList<QLabel *> m_plainLabels; // in control order
    std::unique_ptr<SkinLabelArray> m_skinLabels;
};

} // namespace varnook
