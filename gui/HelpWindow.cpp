#include "HelpWindow.h"

#include "Design.h"
#include "DesktopOpener.h"
#include "FileExists.h"
#include "OnTop.h"
#include "Platform.h"
#include "ProgramFolders.h"
#include "RtfLoader.h"
#include "Settings.h"
#include "Skin.h"
#include "WindowKeys.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>

namespace varnook {

namespace {

Q_LOGGING_CATEGORY(helpLog, "varnook.help")

constexpr int DesignClientWidth = 10290;
constexpr int DesignClientHeight = 7920;

} // namespace

HelpWindow::HelpWindow(const SkinEngine *skin, QWidget *parent)
    // A fixed dialog frame: no minimise or maximise box, no taskbar button.
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint)
    , m_skin(skin)
    , m_textView(new QTextBrowser(this))
    , m_showAtStartupBox(new QCheckBox(QStringLiteral("Show at Startup"), this)) {
    setObjectName(QStringLiteral("Form8"));
    WindowKeys::closeOnEscape(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Readme/Help"));
    setFont(verdana(8.25));
    setFixedSize(twipsSize(DesignClientWidth, DesignClientHeight));

    m_textView->setObjectName(QStringLiteral("rtf1"));
    m_textView->setGeometry(twipsRect(0, 0, 10275, 7515));
    m_textView->setReadOnly(true);
    m_textView->setOpenLinks(false);
    connect(m_textView, &QTextBrowser::anchorClicked, this, &HelpWindow::openLink);

    m_showAtStartupBox->setObjectName(QStringLiteral("Check1"));
    m_showAtStartupBox->setGeometry(twipsRect(60, 7620, 1995, 255));
    m_showAtStartupBox->setChecked(true); // as designed
}

HelpWindow::~HelpWindow() = default;

// Each step stands on its own: one that cannot be done is skipped and the next one runs.
bool HelpWindow::load() {
    if (m_skin)
        applySkin(SkinnedControls(this).add(m_textView).add(m_showAtStartupBox), m_skin);

    const QString path = platform().programFile(QString::fromLatin1(ProgramFolders::HelpFileName));
    if (!fileExists(path)) {
        qCWarning(helpLog) << "No help file at" << path;
        return false;
    }
    loadHelpFile(path);
    setOnTop(this, true);
    // Every change of the box writes the setting, the one made here too: a stored value that reads
    // as 0 is written back as "0".
    connect(m_showAtStartupBox, &QCheckBox::toggled, this, &HelpWindow::onShowAtStartupToggled);
    m_showAtStartupBox->setChecked(Settings().showHelp());

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    return true;
}

// A file that cannot be read leaves the box as it was.
void HelpWindow::loadHelpFile(const QString &path) {
    QFile file(path);
    if (file.size() > MaxHelpFileSize) {
        qCWarning(helpLog) << "The help file" << path << "is too large to read:" << file.size() << "bytes";
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(helpLog) << "The help file" << path << "could not be opened:" << file.errorString();
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        qCWarning(helpLog) << "The help file" << path << "could not be read:" << file.errorString();
        return;
    }
    auto *document = new QTextDocument(m_textView);
    document->setDefaultFont(m_textView->font());
    m_helpLoader = std::make_unique<RtfLoader>(bytes, document);
    m_textView->setDocument(document);
}

void HelpWindow::onShowAtStartupToggled() {
    Settings settings;
    if (settings.setShowHelp(m_showAtStartupBox->isChecked()) || !platform().dialogs)
        return;
    MessageBoxRequest request;
    request.text = QStringLiteral("The \"Show at Startup\" choice could not be saved in ") + settings.location() + u'.';
    request.title = platform().version.productName;
    request.icon = MessageIcon::Warning;
    platform().dialogs->messageBox(request);
}

// Only addresses of the web and of mail are opened: a help file is no place to start local programs.
void HelpWindow::openLink(const QUrl &address) {
    QUrl url = address;
    if (url.scheme().isEmpty())
        url = QUrl(QStringLiteral("http://") + address.toString());
    static const QStringList openable = {QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("ftp"),
                                         QStringLiteral("mailto")};
    if (!url.isValid() || !openable.contains(url.scheme().toLower())) {
        qCWarning(helpLog) << "The link" << address.toString() << "is not a web or mail address; not opened";
        return;
    }
    const QString opener = desktopOpener();
    if (!platform().launcher || !platform().launcher->startDetached(opener, {url.toString()}))
        qCWarning(helpLog) << opener << "could not be started to open a link";
}

void HelpWindow::keyPressEvent(QKeyEvent *event) {
    if (!WindowKeys::pressFocusedButton(this, event))
        QWidget::keyPressEvent(event);
}

void HelpWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    emit closed();
}

} // namespace varnook
