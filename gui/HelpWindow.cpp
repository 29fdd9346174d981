#include "HelpWindow.h"

#include "Design.h"
#include "FileExists.h"
#include "OnTop.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "RtfReader.h"
#include "Skin.h"

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTextBrowser>
#include <QTextDocument>

namespace varnook {

namespace {

constexpr int DesignClientWidth = 10290;
constexpr int DesignClientHeight = 7920;
const QString SettingKey = QStringLiteral("Settings/showHelp");

// The help file counts when it is a file (not a folder) of that name.
} // namespace

HelpWindow::HelpWindow(QWidget *parent)
    : Form(parent)
    , m_textView(new QTextBrowser(this))
    , m_showAtStartupBox(new QCheckBox(QStringLiteral("Show at Startup"), this)) {
    setObjectName(QStringLiteral("Form8"));
    // A fixed dialog frame: no minimise or maximise box, no taskbar button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Readme/Help"));
    setFont(verdana(8.25));
    setFixedSize(twipsSize(DesignClientWidth, DesignClientHeight));

    m_textView->setObjectName(QStringLiteral("rtf1"));
    m_textView->setGeometry(twipsRect(0, 0, 10275, 7515));
    m_textView->setReadOnly(true);
    m_textView->setOpenLinks(false);

    m_showAtStartupBox->setObjectName(QStringLiteral("Check1"));
    m_showAtStartupBox->setGeometry(twipsRect(60, 7620, 1995, 255));
    m_showAtStartupBox->setChecked(true); // as designed
    connect(m_showAtStartupBox, &QCheckBox::toggled, this, &HelpWindow::onShowAtStartupToggled);
}

// Each step stands on its own: one that cannot be done is skipped and the next one runs.
bool HelpWindow::Form_Load() {
    if (programValues().Branding.skinOn)
        applySkin(this);

    const QString path = platform().programFile(QStringLiteral("Help.rtf"));
    if (!fileExists(path)) {
        // Without a help file no Help window is shown: the opener's show() finds it refusing and gone.
        m_withoutHelpFile = true;
        unload();
        return true;
    }
    loadHelpFile(path);
    setOnTop(this, -1);
    showStoredSetting();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return true;
}

void HelpWindow::setVisible(bool visible) {
    if (visible && m_withoutHelpFile)
        return;
    const bool wasVisible = isVisible();
    Form::setVisible(visible);
    if (visible && wasVisible) {
        // Opening it again while it is open brings the same window forward.
        raise();
        activateWindow();
    }
}

// A file that cannot be read leaves the box as it was.
void HelpWindow::loadHelpFile(const QString &path) {
    QFile file(path);
    if (file.size() > MaxHelpFileSize || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return;
    auto *document = new QTextDocument(m_textView);
    document->setDefaultFont(m_textView->font());
    RtfReader::read(bytes, document);
    m_textView->setDocument(document);
}

// The stored value sets the box when it is one of the box's states, 1 or 0; any other text or number
// leaves the box as designed, checked. A change of state writes the setting through onShowAtStartupToggled.
void HelpWindow::showStoredSetting() {
    const auto settings = platform().openSettings();
    const QString stored = settings->value(SettingKey, QStringLiteral("1")).toString();
    bool isNumber = false;
    const int state = stored.trimmed().toInt(&isNumber);
    if (!isNumber)
        return;
    if (state == 0)
        m_showAtStartupBox->setChecked(false);
    else if (state == 1)
        m_showAtStartupBox->setChecked(true);
}

void HelpWindow::onShowAtStartupToggled() {
    const auto settings = platform().openSettings();
    settings->setValue(SettingKey, m_showAtStartupBox->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    settings->sync();
    if (settings->status() == QSettings::NoError || !platform().dialogs)
        return;
    MessageBoxRequest request;
    request.text =
        QStringLiteral("The \"Show at Startup\" choice could not be saved in ") + settings->fileName() + u'.';
    request.title = platform().version.productName;
    request.icon = MessageIcon::Warning;
    platform().dialogs->messageBox(request);
}

} // namespace varnook
