#include "AboutWindow.h"

#include "Artwork.h"
#include "Branding.h"
#include "Design.h"
#include "PictureBox.h"
#include "Skin.h"
#include "SkinLabel.h"
#include "SkinLabelArray.h"
#include "WindowKeys.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace varnook {

namespace {
constexpr int ClientWidth = 7455;
constexpr int ClientHeight = 2925;
} // namespace

AboutWindow::~AboutWindow() = default;

AboutWindow::AboutWindow(const Branding &branding, const VersionRecord &record, const SkinEngine *skin, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("frmAbout"));
    WindowKeys::closeOnEscape(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowIcon(programIcon());
    setFont(verdana(8.25));
    setFixedSize(twipsSize(ClientWidth, ClientHeight));

    // Created in the design's control order, in which replaceLabels covers the plain labels.
    m_headerPicture = new PictureBox(this);
    m_headerPicture->setObjectName(QStringLiteral("Picture1"));
    m_headerPicture->setGeometry(twipsRect(0, 0, 7515, 1035));
    m_headerPicture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ArtworkPicture::show(m_headerPicture, Artwork::AboutHeader);

    m_productLabel = addSkinLabel(QStringLiteral("Label1"), {120, 1200, 7095, 435}, 14.25);
    addPlainLabel(QStringLiteral("Label2"), QStringLiteral("Version:"), {180, 1680, 2295, 315}, verdana(12, true));
    m_versionLabel = addSkinLabel(QStringLiteral("lblVersion"), {2580, 1680, 4635, 315}, 12);
    addPlainLabel(QStringLiteral("Label3"), QStringLiteral("Owned By:"), {180, 2100, 2295, 315}, verdana(12, true));
    m_companyLabel = addSkinLabel(QStringLiteral("lblCompany"), {2580, 2100, 4635, 315}, 12);
    addPlainLabel(QStringLiteral("Label4"), QStringLiteral("Website:"), {180, 2520, 2295, 315}, verdana(12, true));
    m_websiteLabel = addSkinLabel(QStringLiteral("lblWebsite"), {2580, 2520, 4635, 315}, 12);
    // Lies below the client area: never seen.
    addPlainLabel(QStringLiteral("Label5"),
                  QStringLiteral("This program is provided as is, without warranty of any kind. Keep a copy of "
                                 "your data file and do not forget your master password: it cannot be recovered."),
                  {120, 3300, 7215, 1275}, font());

    // The hidden template of the SkinLabel1 array, outside the visible area.
    auto *templateLabel = new SkinLabel(this);
    m_skinLabels = std::make_unique<SkinLabelArray>(templateLabel);
    templateLabel->setGeometry(twipsRect(480, 2940, 555, 195));
    templateLabel->hide();

    setWindowTitle(QStringLiteral("About ") + branding.programName);
    m_productLabel->setCaption(record.productName);
    m_companyLabel->setCaption(record.companyName);
    m_versionLabel->setCaption(QStringLiteral("%1.%2").arg(record.major).arg(record.minor));
    m_websiteLabel->setCaption(record.comments);

    if (skin) {
        replaceLabels(*m_skinLabels, m_plainLabels);
        SkinnedControls controls(this);
        controls.add(m_headerPicture).add({m_productLabel, m_versionLabel, m_companyLabel, m_websiteLabel});
        controls.add(m_plainLabels).add(m_skinLabels->elements());
        applySkin(controls, skin);
    }

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QLabel *AboutWindow::addPlainLabel(const QString &name, const QString &caption, const QRect &twips, const QFont &font) {
    auto *label = new QLabel(caption, this);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    label->setFont(font);
    m_plainLabels.append(label);
    return label;
}

SkinLabel *AboutWindow::addSkinLabel(const QString &name, const QRect &twips, double pointSize) {
    // Every skinned label of this window is bold Verdana.
    auto *label = new SkinLabel(this);
    label->setObjectName(name);
    label->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    label->setFont(verdana(pointSize, true));
    return label;
}

void AboutWindow::keyPressEvent(QKeyEvent *event) {
    if (!WindowKeys::pressFocusedButton(this, event))
        QWidget::keyPressEvent(event);
}

void AboutWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace varnook
