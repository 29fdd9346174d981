#include "Form1.h"

#include "DataFile.h"
#include "Design.h"
#include "DesktopOpener.h"
#include "Form8.h"
#include "ListView.h"
#include "Messages.h"
#include "PictureBox.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Skin.h"
#include "StatusBar.h"
#include "WebBrowser.h"
#include "frmAbout.h"
#include "frmAdd.h"
#include "frmSplash.h"
#include "frmWebsite.h"
#include "modGlobals.h"
#include "modListViewEnh.h"

#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QVBoxLayout>

namespace varnook {

namespace {
constexpr int DesignClientWidth = 9015;
constexpr int DesignClientHeight = 6555;
constexpr int StatusBarHeight = 315;

// A field as the delete question shows it: a long one is cut, so that the box stays quick to lay
// out and fits on the screen.
QString shownInQuestion(const QString &field) {
    constexpr qsizetype ShownCharacters = 80;
    if (field.size() <= ShownCharacters)
        return field;
    qsizetype cut = ShownCharacters;
    if (field.at(cut - 1).isHighSurrogate())
        --cut;
    return field.left(cut) + QStringLiteral("\u2026 (%1 characters)").arg(field.size());
}
} // namespace

Form1::Form1(QWidget *parent)
    : Form(parent)
    , m_menuBar(new QMenuBar(this))
    , m_client(new QWidget(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/varnook/icon.png")));
    setFont(verdana(8.25));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menuBar);
    layout->addWidget(m_client);
    m_menuBar->setObjectName(QStringLiteral("menuBar"));
    m_client->setObjectName(QStringLiteral("client"));

    m_cmdAdd = addButton(QStringLiteral("cmdAdd"), 0, QStringLiteral("Add"), {60, 60, 1155, 1035});
    m_cmdDelete = addButton(QStringLiteral("cmdDelete"), -1, QStringLiteral("Delete"), {1260, 60, 1155, 1035});
    m_cmdEdit = addButton(QStringLiteral("cmdEdit"), -1, QStringLiteral("Edit"), {2460, 60, 1155, 1035});
    m_cmdGoto = addButton(QStringLiteral("cmdGoto"), -1, QStringLiteral("Go To"), {3660, 60, 1155, 1035});
    m_cmdWebsite = addButton(QStringLiteral("cmdWebsite"), 0, QString(), {4860, 60, 4095, 1035});
    m_cmdCopy[0] = addButton(QStringLiteral("cmdCopy"), 0, QStringLiteral("Copy Username"), {60, 1140, 2355, 795});
    m_cmdCopy[1] = addButton(QStringLiteral("cmdCopy"), 1, QStringLiteral("Copy Password"), {2460, 1140, 2355, 795});
    m_cmdCopy[2] = addButton(QStringLiteral("cmdCopy"), 2, QStringLiteral("Copy Used At"), {4860, 1140, 4095, 795});

    m_lstPass = new ListView(m_client);
    m_lstPass->setObjectName(QStringLiteral("lstPass"));
    m_lstPass->setGeometry(twipsRect(60, 1980, 8895, 4215));

    m_wbBanner = new WebBrowser(m_client);
    m_wbBanner->setObjectName(QStringLiteral("wbBanner"));
    m_wbBanner->setGeometry(twipsRect(60, 1980, 7335, 945));
    m_wbBanner->hide();

    m_wbPicture = new PictureBox(m_client);
    m_wbPicture->setObjectName(QStringLiteral("wbPicture"));
    m_wbPicture->setGeometry(twipsRect(7050, 2010, 330, 920));

    m_statusBar1 = new StatusBar(m_client);
    m_statusBar1->setObjectName(QStringLiteral("StatusBar1"));

    // Tab order as designed: Add, Edit, Delete, Visit, list, Copy Username, Go To, Copy Password, Copy Used At.
    const QList<QWidget *> tabOrder = {m_cmdAdd,     m_cmdEdit, m_cmdDelete,  m_cmdWebsite, m_lstPass,
                                       m_cmdCopy[0], m_cmdGoto, m_cmdCopy[1], m_cmdCopy[2]};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(m_cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(0); });
    connect(m_cmdDelete, &QPushButton::clicked, this, &Form1::cmdDelete_Click);
    connect(m_cmdEdit, &QPushButton::clicked, this, &Form1::cmdEdit_Click);
    connect(m_cmdGoto, &QPushButton::clicked, this, &Form1::cmdGoto_Click);
    connect(m_cmdWebsite, &QPushButton::clicked, this, [this] { cmdWebsite_Click(0); });
    for (int i = 0; i < 3; ++i)
        connect(m_cmdCopy[size_t(i)], &QPushButton::clicked, this, [this, i] { cmdCopy_Click(i); });
    connect(m_lstPass, &ListView::ColumnClick, this, &Form1::lstPass_ColumnClick);

    buildMenus();
    setClientHeightTwips(DesignClientHeight);
}

QPushButton *Form1::addButton(const QString &name, int index, const QString &caption, const QRect &twips) {
    auto *button = new QPushButton(caption, m_client);
    if (index >= 0)
        setControlIndex(button, name, index);
    else
        button->setObjectName(name);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    button->setAutoDefault(false);
    return button;
}

void Form1::buildMenus() {
    struct Item {
        const char *caption;
    };
    auto addMenu = [this](const QString &name, const QString &title, const QString &itemName,
                          const QStringList &captions, void (Form1::*handler)(int)) {
        QMenu *menu = m_menuBar->addMenu(title);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        for (int i = 0; i < captions.size(); ++i) {
            QAction *action = menu->addAction(captions[i]);
            setControlIndex(action, itemName, i);
            connect(action, &QAction::triggered, this, [this, handler, i] { (this->*handler)(i); });
        }
    };
    addMenu(QStringLiteral("mnuFile"), QStringLiteral("File"), QStringLiteral("mnuFileItem"), {QStringLiteral("Exit")},
            &Form1::mnuFileItem_Click);
    addMenu(QStringLiteral("mnuData"), QStringLiteral("Data"), QStringLiteral("mnuDataItem"),
            {QStringLiteral("Add Username/Password"), QStringLiteral("Delete Selected Item"),
             QStringLiteral("Edit Selected Item"), QStringLiteral("Goto \"Used At\" Location")},
            &Form1::mnuDataItem_Click);
    addMenu(QStringLiteral("mnuCopy"), QStringLiteral("Copy"), QStringLiteral("mnuCopyItem"),
            {QStringLiteral("Selected Username"), QStringLiteral("Selected Password"),
             QStringLiteral("Selected Used At Location")},
            &Form1::mnuCopyItem_Click);
    addMenu(QStringLiteral("mnuHelp"), QStringLiteral("Help"), QStringLiteral("mnuHelpItem"),
            {QStringLiteral("View Help")}, &Form1::mnuHelpItem_Click);
    addMenu(QStringLiteral("mnuAbout"), QStringLiteral("About"), QStringLiteral("mnuAboutItem"),
            {QStringLiteral("About this software")}, &Form1::mnuAboutItem_Click);
}

void Form1::setClientHeightTwips(int heightTwips) {
    m_client->setFixedSize(twipsSize(DesignClientWidth, heightTwips));
    // The status bar is docked at the bottom edge of the client area.
    m_statusBar1->setGeometry(twipsRect(0, heightTwips - StatusBarHeight, DesignClientWidth, StatusBarHeight));
    setFixedSize(m_client->width(), m_client->height() + m_menuBar->sizeHint().height());
}

bool Form1::Form_Load() {
    const BrandingValues &branding = programValues().Branding;
    setWindowTitle(branding.ProgramName + QStringLiteral(" by ") + branding.CompanyName);
    m_cmdWebsite->setText(QStringLiteral("Visit ") + branding.CompanyWebsite);

    m_lstPass->addColumn(QStringLiteral("Username"), pixelsToTwips(m_cmdCopy[0]->width()) - 10);
    m_lstPass->addColumn(QStringLiteral("Password"), pixelsToTwips(m_cmdCopy[1]->width()) + 20);
    m_lstPass->addColumn(QStringLiteral("Website/Location"), pixelsToTwips(m_cmdCopy[2]->width()));
    m_statusBar1->setPanelWidth(1, width());

    if (!LoadData(*m_lstPass->entries()))
        return false;

    if (branding.SkinOn)
        ApplySkin(this);

    if (branding.BannerOn) {
        const int grow = pixelsToTwips(m_wbBanner->height()) + 50;
        setClientHeightTwips(DesignClientHeight + grow);
        m_lstPass->move(m_lstPass->x(), m_lstPass->y() + twipsToPixels(grow));
        ShowBanner(this);
    }

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const auto settings = platform().openSettings();
    if (settings->value(QStringLiteral("Settings/showHelp"), QStringLiteral("1")).toString() == QStringLiteral("1")) {
        if (Form8 *help = loadForm<Form8>())
            help->show();
    }
    return true;
}

void Form1::Form_Unload() {
    saveUnsavedChanges();
    unloadForm<Form8>();
    unloadForm<frmAbout>();
    unloadForm<frmAdd>();
    unloadForm<frmSplash>();

    frmWebsite *browser = findForm<frmWebsite>();
    if (browser && browser->isVisible()) {
        // The program runs on until the browser window is closed.
        programValues().AppClosing = true;
        return;
    }
    unloadForm<frmWebsite>();
    platform().process->endProgram(0);
}

void Form1::saveUnsavedChanges() {
    EntryListModel &list = *m_lstPass->entries();
    while (list.hasUnsavedChanges()) {
        const FileResult saved = WriteList(list);
        if (saved)
            return;
        MessageBoxRequest question;
        question.text = QStringLiteral("The data file could not be saved:\n") +
                        QDir::toNativeSeparators(DataFile::inProgramFolder().path()) + QStringLiteral("\n\n") +
                        saved.reason() +
                        QStringLiteral("\n\nThe list holds changes that are not in the file. Retry saves again; "
                                       "Close without saving loses these changes.");
        question.title = Messages::applicationTitle();
        question.buttons = MessageButtons::RetryCloseWithoutSaving;
        question.icon = MessageIcon::Warning;
        question.defaultButton = MessageAnswer::Retry;
        if (platform().dialogs->messageBox(question) == MessageAnswer::CloseWithoutSaving)
            return;
    }
}

void Form1::showStatus(const QString &text) {
    // Until a save succeeds, every status line says first that the file lacks changes.
    const EntryListModel &list = *m_lstPass->entries();
    if (!list.hasUnsavedChanges()) {
        m_statusBar1->setPanelText(1, text);
        return;
    }
    QString line = QStringLiteral("Not saved: ") + list.unsavedReason();
    if (!text.isEmpty())
        line += QStringLiteral(" | ") + text;
    m_statusBar1->setPanelText(1, line);
}

QString Form1::statusText() const {
    return m_statusBar1->panelText(1);
}

void Form1::showEditor() {
    if (frmAdd *editor = loadForm<frmAdd>()) {
        editor->show();
        editor->raise();
        editor->activateWindow();
    }
}

int Form1::selectedPosition(const QString &mustSelectMessage) {
    const int position = m_lstPass->firstSelectedPosition();
    if (position == 0)
        ShowStatus(mustSelectMessage);
    return position;
}

void Form1::cmdAdd_Click(int) {
    programValues().Editor.EditMode = QStringLiteral("Add");
    showEditor();
}

void Form1::cmdEdit_Click() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to edit."));
    if (position == 0)
        return;
    const Entry &entry = m_lstPass->entries()->entry(position);
    EditorHandOver &handOver = programValues().Editor;
    handOver.EditUsername = entry.username;
    handOver.EditPassword = entry.password;
    handOver.EditWebsite = entry.location;
    handOver.EditIndex = position;
    handOver.EditMode = QStringLiteral("Edit");
    showEditor();
}

void Form1::cmdDelete_Click() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to delete."));
    if (position == 0)
        return;
    const Entry &entry = m_lstPass->entries()->entry(position);
    MessageBoxRequest question;
    question.text = QStringLiteral("Are you sure you want to delete the following information?\r\n\r\n") +
                    QStringLiteral("Username: ") + shownInQuestion(entry.username) + QStringLiteral("\r\nPassword: ") +
                    shownInQuestion(entry.password) + QStringLiteral("\r\nUsed At: ") + shownInQuestion(entry.location);
    question.title = QStringLiteral("Confirm Delete");
    question.buttons = MessageButtons::OkCancel;
    question.defaultButton = MessageAnswer::Ok;
    if (platform().dialogs->messageBox(question) != MessageAnswer::Ok) {
        ShowStatus(QStringLiteral("Entry not deleted, cancelled by user"));
        return;
    }
    EntryListModel &list = *m_lstPass->entries();
    list.remove(position);
    if (SaveData(list))
        ShowStatus(QStringLiteral("Entry deleted successfully, data saved."));
}

void Form1::cmdCopy_Click(int index) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const int position = selectedPosition(QStringLiteral("You must first select a row to copy from."));
    if (position == 0 || index < 0 || index > 2)
        return;
    const Entry &entry = m_lstPass->entries()->entry(position);
    const QString texts[] = {entry.username, entry.password, entry.location};
    const QString captions[] = {QStringLiteral("Copied Username "), QStringLiteral("Copied Password "),
                                QStringLiteral("Copied Location ")};
    auto *data = new QMimeData;
    data->setText(texts[index]);
    if (index == 1) {
        // Desktop clipboard managers keep no history of data marked as a secret.
        data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    }
    clipboard->setMimeData(data);
    ShowStatus(captions[index] + texts[index]);
}

void Form1::cmdGoto_Click() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to go to."));
    if (position == 0)
        return;
    ShowStatus(QStringLiteral("Opening Location..."));
    const QString location = locationToOpen(m_lstPass->entries()->entry(position).location);
    if (opensAsOption(location)) {
        ShowStatus(QStringLiteral("Could not open the location: it begins with \"-\", which the opener would take "
                                  "for an option."));
        return;
    }
    // The location is one argument of the opener, never a command line: it cannot run anything.
    const QString opener = desktopOpener();
    if (!platform().launcher->startDetached(opener, {location}))
        ShowStatus(QStringLiteral("Could not open the location: \"%1\" could not be started.").arg(opener));
}

void Form1::cmdWebsite_Click(int) {
    if (frmWebsite *browser = loadForm<frmWebsite>())
        browser->show();
}

void Form1::lstPass_ColumnClick(int columnIndex) {
    EnhListView_SortColumns(*m_lstPass, columnIndex, false);
}

void Form1::mnuFileItem_Click(int index) {
    if (index == 0)
        unload();
}

void Form1::mnuDataItem_Click(int index) {
    switch (index) {
    case 0:
        cmdAdd_Click(0);
        break;
    case 1:
        cmdDelete_Click();
        break;
    case 2:
        cmdEdit_Click();
        break;
    case 3:
        cmdGoto_Click();
        break;
    default:
        break;
    }
}

void Form1::mnuCopyItem_Click(int index) {
    cmdCopy_Click(index);
}

void Form1::mnuHelpItem_Click(int) {
    if (Form8 *help = loadForm<Form8>())
        help->show();
}

void Form1::mnuAboutItem_Click(int) {
    if (frmAbout *about = loadForm<frmAbout>())
        about->show();
}

} // namespace varnook
