#include "frmWebsite.h"

#include "Branding.h"
#include "BrowserLayout.h"
#include "Design.h"
#include "OnTop.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Skin.h"
#include "SkinLabel.h"
#include "StatusBar.h"
#include "WebBrowser.h"

#include <QApplication>
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
constexpr int KeyEnter = 13;

// The layout's values are twips in single precision; the widgets take whole pixels.
int toPixels(float twips) {
    return int(std::lround(twips / float(TwipsPerPixel)));
}

float toTwips(int pixels) {
    return float(pixelsToTwips(pixels));
}
} // namespace

frmWebsite::frmWebsite(QWidget *parent)
    : Form(parent)
    , m_frmBrowser(new QGroupBox(QStringLiteral("Browser"), this)) {
    setObjectName(QStringLiteral("frmWebsite"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    resize(twipsSize(ClientWidth, ClientHeight));

    m_frmBrowser->setObjectName(QStringLiteral("frmBrowser"));
    m_frmBrowser->setGeometry(twipsRect(0, 0, 6375, 7215));
    // Only the frame's caption is in Verdana; the controls inside keep the program's own font.
    const QFont controlFont = QApplication::font();
    m_frmBrowser->setFont(verdana(8.25));

    // Made before the address box, so that the box lies above the label's right part.
    m_label5 = new QLabel(QStringLiteral("URL:"), m_frmBrowser);
    m_label5->setObjectName(QStringLiteral("Label5"));
    m_label5->setGeometry(twipsRect(120, 300, 1215, 255));
    m_label5->setFont(controlFont);

    m_text1 = new QLineEdit(m_frmBrowser);
    m_text1->setObjectName(QStringLiteral("Text1"));
    m_text1->setGeometry(twipsRect(540, 240, 4875, 315));
    m_text1->setFont(controlFont);
    m_text1->installEventFilter(this);

    const QStyle *look = style();
    m_command3 = addButton(QStringLiteral("Go"), QStringLiteral("browse the entered url"), 5460, 240, 795, 315);
    m_command3->setObjectName(QStringLiteral("Command3"));
    m_command3->setIcon(look->standardIcon(QStyle::SP_ArrowRight));
    m_command4 = addButton(QStringLiteral("Back"), QStringLiteral("back"), 540, 600, 1000, 435);
    m_command4->setObjectName(QStringLiteral("Command4"));
    m_command4->setIcon(look->standardIcon(QStyle::SP_ArrowBack));
    m_command5 = addButton(QStringLiteral("Forward"), QStringLiteral("forward"), 1620, 600, 1000, 435);
    m_command5->setObjectName(QStringLiteral("Command5"));
    m_command5->setIcon(look->standardIcon(QStyle::SP_ArrowForward));
    m_command6 = addButton(QStringLiteral("Stop"), QStringLiteral("stop"), 2700, 600, 1000, 435);
    m_command6->setObjectName(QStringLiteral("Command6"));
    m_command6->setIcon(look->standardIcon(QStyle::SP_BrowserStop));
    m_command7 = addButton(QStringLiteral("Refresh"), QStringLiteral("refresh"), 3780, 600, 1000, 435);
    setControlIndex(m_command7, QStringLiteral("Command7"), 1);
    m_command7->setIcon(look->standardIcon(QStyle::SP_BrowserReload));

    m_webBrowser1 = new WebBrowser(m_frmBrowser);
    m_webBrowser1->setObjectName(QStringLiteral("WebBrowser1"));
    m_webBrowser1->setGeometry(twipsRect(120, 1140, 6135, 5595));

    // The template ReplaceLabels copies when it covers Label5 with a skinned label.
    m_skinLabel1 = new SkinLabel(m_frmBrowser);
    m_skinLabel1->setCaption(QStringLiteral("Windowed Label"));
    setControlIndex(m_skinLabel1, QStringLiteral("SkinLabel1"), 0);
    m_skinLabel1->setGeometry(twipsRect(3180, 6840, 555, 135));
    m_skinLabel1->setFont(controlFont);
    m_skinLabel1->hide();

    m_statusBar1 = new StatusBar(this);
    m_statusBar1->setObjectName(QStringLiteral("StatusBar1"));
    m_statusBar1->setFixedHeight(twipsToPixels(StatusBarHeight));
    m_statusBar1->setGeometry(0, height() - m_statusBar1->height(), width(), m_statusBar1->height());

    connect(m_command3, &QPushButton::clicked, this, &frmWebsite::Command3_Click);
    connect(m_command4, &QPushButton::clicked, this, &frmWebsite::Command4_Click);
    connect(m_command5, &QPushButton::clicked, this, &frmWebsite::Command5_Click);
    connect(m_command6, &QPushButton::clicked, this, &frmWebsite::Command6_Click);
    connect(m_command7, &QPushButton::clicked, this, [this] { Command7_Click(controlIndex(m_command7)); });
    // The control's DownloadBegin and ProgressChange need nothing here.
    connect(m_webBrowser1, &WebBrowser::StatusTextChange, this, &frmWebsite::WebBrowser1_StatusTextChange);
    connect(m_webBrowser1, &WebBrowser::DownloadComplete, this, &frmWebsite::WebBrowser1_DownloadComplete);
}

QPushButton *frmWebsite::addButton(const QString &caption, const QString &toolTip, int left, int top, int width,
                                   int height) {
    auto *button = new QPushButton(caption, m_frmBrowser);
    button->setToolTip(toolTip);
    button->setGeometry(twipsRect(left, top, width, height));
    button->setFont(QApplication::font());
    button->setAutoDefault(false);
    return button;
}

bool frmWebsite::Form_Load() {
    ProgramValues &values = programValues();
    SetBranding();
    m_statusBar1->addPanel();
    setWindowTitle(values.Branding.CompanyWebsite);
    SetOnTop(this, -1);
    if (values.Branding.SkinOn) {
        ReplaceLabels(this);
        ApplySkin(this);
    }
    // The first opening in a run shows the product page, every later one the company's site.
    const QString &address =
        values.BrowserPage == QStringLiteral("Website") ? values.Branding.CompanyWebsite : values.Branding.ProductPage;
    m_webBrowser1->Navigate(address);
    values.BrowserPage = QStringLiteral("Website");
    setWindowState(Qt::WindowMaximized);
    SetOnTop(this, 0);
    return true;
}

void frmWebsite::Form_Unload() {
    // Closed last, after the main window: the program ends with this window.
    if (programValues().AppClosing)
        platform().process->endProgram(0);
}

void frmWebsite::Form_Resize() {
    ArrangeControls();
}

void frmWebsite::Form_Paint() {
    ArrangeControls();
}

void frmWebsite::ArrangeControls() {
    BrowserLayout::Input in;
    const QRect outer = frameGeometry();
    in.windowWidth = toTwips(outer.width());
    in.windowHeight = toTwips(outer.height());
    in.statusBarHeight = toTwips(m_statusBar1->height());
    in.text1Left = toTwips(m_text1->x());
    in.command3Width = toTwips(m_command3->width());
    in.webBrowserLeft = toTwips(m_webBrowser1->x());
    in.webBrowserTop = toTwips(m_webBrowser1->y());
    const BrowserLayout out = BrowserLayout::arrange(in);

    m_statusBar1->setPanelWidth(1, toPixels(out.panel1Width));
    m_statusBar1->setPanelWidth(2, toPixels(out.panel2Width));
    m_frmBrowser->resize(toPixels(out.frameWidth), toPixels(out.frameHeight));
    m_text1->resize(toPixels(out.text1Width), m_text1->height());
    m_command3->move(toPixels(out.command3Left), m_command3->y());
    m_webBrowser1->resize(toPixels(out.webBrowserWidth), toPixels(out.webBrowserHeight));
}

void frmWebsite::Command3_Click() {
    // The address goes to the control exactly as typed.
    m_webBrowser1->Navigate(m_text1->text());
}

void frmWebsite::Command4_Click() {
    m_webBrowser1->GoBack();
}

void frmWebsite::Command5_Click() {
    m_webBrowser1->GoForward();
}

void frmWebsite::Command6_Click() {
    m_webBrowser1->Stop();
}

void frmWebsite::Command7_Click(int) {
    m_webBrowser1->Refresh();
}

void frmWebsite::Text1_KeyPress(int keyAscii) {
    if (keyAscii == KeyEnter)
        Command3_Click();
}

void frmWebsite::WebBrowser1_StatusTextChange(const QString &text) {
    m_statusBar1->setPanelText(1, text);
}

void frmWebsite::WebBrowser1_DownloadComplete() {
    m_text1->setText(m_webBrowser1->LocationURL());
    setWindowTitle(m_webBrowser1->LocationName());
}

void frmWebsite::resizeEvent(QResizeEvent *event) {
    Form::resizeEvent(event);
    // The status bar is docked at the bottom edge.
    m_statusBar1->setGeometry(0, height() - m_statusBar1->height(), width(), m_statusBar1->height());
    Form_Resize();
}

void frmWebsite::paintEvent(QPaintEvent *event) {
    Form::paintEvent(event);
    Form_Paint();
}

bool frmWebsite::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_text1 && event->type() == QEvent::KeyPress) {
        // Enter reaches the handler as character 13, typed characters as their code; keys that type
        // nothing do not reach it. The key goes on to the address box either way.
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            Text1_KeyPress(KeyEnter);
        else if (!key->text().isEmpty())
            Text1_KeyPress(key->text().front().unicode());
    }
    return Form::eventFilter(watched, event);
}

} // namespace varnook
