#include "Form8.h"

#include "Design.h"
#include "DesktopOpener.h"
#include "OnTop.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "RtfLoader.h"
#include "Skin.h"
#include "xfileExists.h"

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

namespace varnook {

namespace {

constexpr int DesignClientWidth = 10290;
constexpr int DesignClientHeight = 7920;
const QString SettingKey = QStringLiteral("Settings/showHelp");

// The help file counts when it is a file (not a folder) of that name.
} // namespace

Form8::Form8(QWidget *parent)
    : Form(parent)
    , m_rtf1(new QTextBrowser(this))
    , m_Check1(new QCheckBox(QStringLiteral("Show at Startup"), this)) {
    setObjectName(QStringLiteral("Form8"));
    // A fixed dialog frame: no minimise or maximise box, no taskbar button.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Readme/Help"));
    setFont(verdana(8.25));
    setFixedSize(twipsSize(DesignClientWidth, DesignClientHeight));

    m_rtf1->setObjectName(QStringLiteral("rtf1"));
    m_rtf1->setGeometry(twipsRect(0, 0, 10275, 7515));
    m_rtf1->setReadOnly(true);
    m_rtf1->setOpenLinks(false);
    connect(m_rtf1, &QTextBrowser::anchorClicked, this, &Form8::openLink);

    m_Check1->setObjectName(QStringLiteral("Check1"));
    m_Check1->setGeometry(twipsRect(60, 7620, 1995, 255));
    m_Check1->setChecked(true); // as designed
    connect(m_Check1, &QCheckBox::toggled, this, &Form8::Check1_Click);
}

Form8::~Form8() = default;

// Each step stands on its own: one that cannot be done is skipped and the next one runs.
bool Form8::Form_Load() {
    if (programValues().Branding.SkinOn)
        ApplySkin(this);

    const QString path = platform().programFile(QStringLiteral("Help.rtf"));
    if (!FileExists(path)) {
        // Without a help file no Help window is shown: the opener's show() finds it refusing and gone.
        m_withoutHelpFile = true;
        unload();
        return true;
    }
    loadHelpFile(path);
    SetOnTop(this, -1);
    showStoredSetting();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return true;
}

void Form8::setVisible(bool visible) {
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
void Form8::loadHelpFile(const QString &path) {
    QFile file(path);
    if (file.size() > MaxHelpFileSize || !file.open(QIODevice::ReadOnly))
        return;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return;
    auto *document = new QTextDocument(m_rtf1);
    document->setDefaultFont(m_rtf1->font());
    m_helpLoader = std::make_unique<RtfLoader>(bytes, document);
    m_rtf1->setDocument(document);
}

// The stored value sets the box when it is one of the box's states, 1 or 0; any other text or number
// leaves the box as designed, checked. A change of state writes the setting through Check1_Click.
void Form8::showStoredSetting() {
    const auto settings = platform().openSettings();
    const QString stored = settings->value(SettingKey, QStringLiteral("1")).toString();
    bool isNumber = false;
    const int state = stored.trimmed().toInt(&isNumber);
    if (!isNumber)
        return;
    if (state == 0)
        m_Check1->setChecked(false);
    else if (state == 1)
        m_Check1->setChecked(true);
}

void Form8::Check1_Click() {
    const auto settings = platform().openSettings();
    settings->setValue(SettingKey, m_Check1->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    settings->sync();
    if (settings->status() == QSettings::NoError || !platform().dialogs)
        return;
    MessageBoxRequest request;
    request.text =
        QStringLiteral("The \"Show at Startup\" choice could not be saved in ") + settings->fileName() + u'.';
    request.title = platform().version.ProductName;
    request.icon = MessageIcon::Warning;
    platform().dialogs->messageBox(request);
}

// Only addresses of the web and of mail are opened: a help file is no place to start local programs.
void Form8::openLink(const QUrl &address) {
    QUrl url = address;
    if (url.scheme().isEmpty())
        url = QUrl(QStringLiteral("http://") + address.toString());
    static const QStringList openable = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),
                                         QStringLiteral("mailto")};
    if (!url.isValid() || !openable.contains(url.scheme().toLower())) {
        qWarning("Help window: the link \"%s\" is not a web or mail address; not opened",
                 qUtf8Printable(address.toString()));
        return;
    }
    const QString opener = desktopOpener();
    if (!platform().launcher || !platform().launcher->startDetached(opener, {url.toString()}))
        qWarning("Help window: \"%s\" could not be started to open a link", qUtf8Printable(opener));
}

} // namespace varnook
