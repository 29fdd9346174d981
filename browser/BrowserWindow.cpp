#include "BrowserWindow.h"

#include "Branding.h"
#include "BrowserLayout.h"
#include "CaptionedFrame.h"
#include "ControlArray.h"
#include "Design.h"
#include "OnTop.h"
#include "Skin.h"
#include "SkinLabel.h"
#include "SkinLabelArray.h"
#include "StatusBar.h"
#include "WebBrowser.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>

#include <cmath>

namespace varnook {

namespace {
constexpr int ClientWidth = 10545;
constexpr int ClientHeight = 8580;
constexpr int StatusBarHeight = 315;

// The layout's values are twips in single precision; the widgets take whole pixels.
int toPixels(float twips) {
    return int(std::lround(twips / float(TwipsPerPixel)));
}

float toTwips(int pixels) {
    return float(pixelsToTwips(pixels));
}
} // namespace

BrowserWindow::~BrowserWindow() = default;

BrowserWindow::BrowserWindow(const Branding &branding, const SkinEngine *skin, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint)
    , m_companyWebsite(branding.companyWebsite)
    , m_skin(skin)
    , m_frame(new CaptionedFrame(QStringLiteral("Browser"), this)) {
    setObjectName(QStringLiteral("frmWebsite"));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(twipsSize(ClientWidth, ClientHeight));

    m_frame->setObjectName(QStringLiteral("frmBrowser"));
    m_frame->setGeometry(twipsRect(0, 0, 6375, 7215));
    // Only the frame's caption is in Verdana; the controls inside keep the program's own font.
    const QFont controlFont = QApplication::font();
    m_frame->setFont(verdana(8.25));

    // Made before the address box, so that the box lies above the label's right part.
    m_urlLabel = new QLabel(QStringLiteral("URL:"), m_frame);
    m_urlLabel->setObjectName(QStringLiteral("Label5"));
    m_urlLabel->setGeometry(twipsRect(120, 300, 1215, 255));
    m_urlLabel->setFont(controlFont);

    m_addressEdit = new QLineEdit(m_frame);
    m_addressEdit->setObjectName(QStringLiteral("Text1"));
    m_addressEdit->setGeometry(twipsRect(540, 240, 4875, 315));
    m_addressEdit->setFont(controlFont);
    m_addressEdit->installEventFilter(this);

    const QStyle *look = style();
    m_goButton = addButton(QStringLiteral("Go"), QStringLiteral("browse the entered url"), 5460, 240, 795, 315);
    m_goButton->setObjectName(QStringLiteral("Command3"));
    m_goButton->setIcon(look->standardIcon(QStyle::SP_ArrowRight));
    m_backButton = addButton(QStringLiteral("Back"), QStringLiteral("back"), 540, 600, 1000, 435);
    m_backButton->setObjectName(QStringLiteral("Command4"));
    m_backButton->setIcon(look->standardIcon(QStyle::SP_ArrowBack));
    m_forwardButton = addButton(QStringLiteral("Forward"), QStringLiteral("forward"), 1620, 600, 1000, 435);
    m_forwardButton->setObjectName(QStringLiteral("Command5"));
    m_forwardButton->setIcon(look->standardIcon(QStyle::SP_ArrowForward));
    m_stopButton = addButton(QStringLiteral("Stop"), QStringLiteral("stop"), 2700, 600, 1000, 435);
    m_stopButton->setObjectName(QStringLiteral("Command6"));
    m_stopButton->setIcon(look->standardIcon(QStyle::SP_BrowserStop));
    m_refreshButton = addButton(QStringLiteral("Refresh"), QStringLiteral("refresh"), 3780, 600, 1000, 435);
    setControlIndex(m_refreshButton, QStringLiteral("Command7"), 1);
    m_refreshButton->setIcon(look->standardIcon(QStyle::SP_BrowserReload));

    m_page = new WebBrowser(m_frame);
    m_page->setObjectName(QStringLiteral("WebBrowser1"));
    m_page->setGeometry(twipsRect(120, 1140, 6135, 5595));

    // The template replaceLabels copies when it covers Label5 with a skinned label.
    m_labelTemplate = new SkinLabel(m_frame);
    m_labelTemplate->setCaption(QStringLiteral("Windowed Label"));
    m_skinLabels = std::make_unique<SkinLabelArray>(m_labelTemplate);
    m_labelTemplate->setGeometry(twipsRect(3180, 6840, 555, 135));
    m_labelTemplate->setFont(controlFont);
    m_labelTemplate->hide();

    m_statusBar = new StatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar->setFixedHeight(twipsToPixels(StatusBarHeight));
    m_statusBar->setGeometry(0, height() - m_statusBar->height(), width(), m_statusBar->height());

    connect(m_goButton, &QPushButton::clicked, this, &BrowserWindow::onGoClicked);
    connect(m_backButton, &QPushButton::clicked, this, &BrowserWindow::onBackClicked);
    connect(m_forwardButton, &QPushButton::clicked, this, &BrowserWindow::onForwardClicked);
    connect(m_stopButton, &QPushButton::clicked, this, &BrowserWindow::onStopClicked);
    connect(m_refreshButton, &QPushButton::clicked, this, &BrowserWindow::onRefreshClicked);
    // The control's downloadBegin and progressChanged need nothing here.
    connect(m_page, &WebBrowser::statusTextChanged, this, &BrowserWindow::showStatusText);
    connect(m_page, &WebBrowser::downloadComplete, this, &BrowserWindow::onDownloadComplete);
}

QPushButton *BrowserWindow::addButton(const QString &caption, const QString &toolTip, int left, int top, int width,
                                      int height) {
    auto *button = new QPushButton(caption, m_frame);
    button->setToolTip(toolTip);
    button->setGeometry(twipsRect(left, top, width, height));
    button->setFont(QApplication::font());
    // A small picture: with the style's 16 pixels, "Forward" and "Refresh" ran into their buttons'
    // edges.
    button->setIconSize(QSize(12, 12));
    button->setAutoDefault(false);
    return button;
}

void BrowserWindow::open(const QString &address) {
    m_statusBar->addPanel();
    setWindowTitle(m_companyWebsite);
    setOnTop(this, true);
    if (m_skin) {
        replaceLabels(*m_skinLabels, {m_urlLabel});
        SkinnedControls controls(this);
        controls.add(m_frame).add(m_urlLabel).add(m_addressEdit).add(m_skinLabels->elements());
        controls.add({m_goButton, m_backButton, m_forwardButton, m_stopButton, m_refreshButton});
        applySkin(controls, m_skin);
    }
    m_page->navigate(address);
    setWindowState(Qt::WindowMaximized);
    setOnTop(this, false);
}

void BrowserWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    emit closed();
}

void BrowserWindow::arrangeControls() {
    BrowserLayout::Input in;
    // The height is the window's inside, not its outer height: with a title bar counted, the frame
    // would run under the status bar.
    in.windowWidth = toTwips(frameGeometry().width());
    in.windowHeight = toTwips(height());
    in.statusBarHeight = toTwips(m_statusBar->height());
    in.addressLeft = toTwips(m_addressEdit->x());
    in.goWidth = toTwips(m_goButton->width());
    in.webBrowserLeft = toTwips(m_page->x());
    in.webBrowserTop = toTwips(m_page->y());
    const BrowserLayout out = BrowserLayout::arrange(in);

    m_statusBar->setPanelWidth(1, toPixels(out.panel1Width));
    m_statusBar->setPanelWidth(2, toPixels(out.panel2Width));
    m_frame->resize(toPixels(out.frameWidth), toPixels(out.frameHeight));
    m_addressEdit->resize(toPixels(out.addressWidth), m_addressEdit->height());
    m_goButton->move(toPixels(out.goLeft), m_goButton->y());
    m_page->resize(toPixels(out.webBrowserWidth), toPixels(out.webBrowserHeight));
}

void BrowserWindow::onGoClicked() {
    // The address goes to the control exactly as typed.
    m_page->navigate(m_addressEdit->text());
}

void BrowserWindow::onBackClicked() {
    m_page->goBack();
}

void BrowserWindow::onForwardClicked() {
    m_page->goForward();
}

void BrowserWindow::onStopClicked() {
    m_page->stop();
}

void BrowserWindow::onRefreshClicked() {
    m_page->refresh();
}

void BrowserWindow::showStatusText(const QString &text) {
    m_statusBar->setPanelText(1, text);
}

void BrowserWindow::onDownloadComplete() {
    m_addressEdit->setText(m_page->locationUrl());
    setWindowTitle(m_page->locationName());
}

void BrowserWindow::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    // The status bar is docked at the bottom edge.
    m_statusBar->setGeometry(0, height() - m_statusBar->height(), width(), m_statusBar->height());
    arrangeControls();
}

void BrowserWindow::paintEvent(QPaintEvent *event) {
    QWidget::paintEvent(event);
    arrangeControls();
}

bool BrowserWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_addressEdit && event->type() == QEvent::KeyPress) {
        // Enter goes to the typed address; the key goes on to the address box either way.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            onGoClicked();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace varnook
