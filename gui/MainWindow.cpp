#include "MainWindow.h"

#include "AboutWindow.h"
#include "BrowserWindow.h"
#include "Design.h"
#include "DesktopOpener.h"
#include "EntryEditor.h"
#include "EntryListView.h"
#include "HelpWindow.h"
#include "PictureBox.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "Session.h"
#include "Skin.h"
#include "SplashScreen.h"
#include "StatusBar.h"
#include "WebBrowser.h"

#include <QClipboard>
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
} // namespace

MainWindow::MainWindow(QWidget *parent)
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

    m_addButton = addButton(QStringLiteral("cmdAdd"), 0, QStringLiteral("Add"), {60, 60, 1155, 1035});
    m_deleteButton = addButton(QStringLiteral("cmdDelete"), -1, QStringLiteral("Delete"), {1260, 60, 1155, 1035});
    m_editButton = addButton(QStringLiteral("cmdEdit"), -1, QStringLiteral("Edit"), {2460, 60, 1155, 1035});
    m_goToButton = addButton(QStringLiteral("cmdGoto"), -1, QStringLiteral("Go To"), {3660, 60, 1155, 1035});
    m_visitButton = addButton(QStringLiteral("cmdWebsite"), 0, QString(), {4860, 60, 4095, 1035});
    m_copyButtons[0] = addButton(QStringLiteral("cmdCopy"), 0, QStringLiteral("Copy Username"), {60, 1140, 2355, 795});
    m_copyButtons[1] =
        addButton(QStringLiteral("cmdCopy"), 1, QStringLiteral("Copy Password"), {2460, 1140, 2355, 795});
    m_copyButtons[2] = addButton(QStringLiteral("cmdCopy"), 2, QStringLiteral("Copy Used At"), {4860, 1140, 4095, 795});

    m_entryList = new EntryListView(m_client);
    m_entryList->setObjectName(QStringLiteral("lstPass"));
    m_entryList->setGeometry(twipsRect(60, 1980, 8895, 4215));

    m_banner = new WebBrowser(m_client);
    m_banner->setObjectName(QStringLiteral("wbBanner"));
    m_banner->setGeometry(twipsRect(60, 1980, 7335, 945));
    m_banner->hide();

    m_bannerPicture = new PictureBox(m_client);
    m_bannerPicture->setObjectName(QStringLiteral("wbPicture"));
    m_bannerPicture->setGeometry(twipsRect(7050, 2010, 330, 920));

    m_statusBar = new StatusBar(m_client);
    m_statusBar->setObjectName(QStringLiteral("StatusBar1"));

    // Tab order as designed: Add, Edit, Delete, Visit, list, Copy Username, Go To, Copy Password, Copy Used At.
    const QList<QWidget *> tabOrder = {m_addButton,      m_editButton, m_deleteButton,   m_visitButton,   m_entryList,
                                       m_copyButtons[0], m_goToButton, m_copyButtons[1], m_copyButtons[2]};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(m_addButton, &QPushButton::clicked, this, [this] { onAddClicked(0); });
    connect(m_deleteButton, &QPushButton::clicked, this, &MainWindow::onDeleteClicked);
    connect(m_editButton, &QPushButton::clicked, this, &MainWindow::onEditClicked);
    connect(m_goToButton, &QPushButton::clicked, this, &MainWindow::onGoToClicked);
    connect(m_visitButton, &QPushButton::clicked, this, [this] { onVisitClicked(0); });
    for (int i = 0; i < 3; ++i)
        connect(m_copyButtons[size_t(i)], &QPushButton::clicked, this, [this, i] { onCopyClicked(i); });
    connect(m_entryList, &EntryListView::columnClicked, this, &MainWindow::onColumnClicked);

    buildMenus();
    setClientHeightTwips(DesignClientHeight);
}

QPushButton *MainWindow::addButton(const QString &name, int index, const QString &caption, const QRect &twips) {
    auto *button = new QPushButton(caption, m_client);
    if (index >= 0)
        setControlIndex(button, name, index);
    else
        button->setObjectName(name);
    button->setGeometry(twipsRect(twips.x(), twips.y(), twips.width(), twips.height()));
    button->setAutoDefault(false);
    return button;
}

void MainWindow::buildMenus() {
    struct Item {
        const char *caption;
    };
    auto addMenu = [this](const QString &name, const QString &title, const QString &itemName,
                          const QStringList &captions, void (MainWindow::*handler)(int)) {
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
            &MainWindow::onFileMenu);
    addMenu(QStringLiteral("mnuData"), QStringLiteral("Data"), QStringLiteral("mnuDataItem"),
            {QStringLiteral("Add Username/Password"), QStringLiteral("Delete Selected Item"),
             QStringLiteral("Edit Selected Item"), QStringLiteral("Goto \"Used At\" Location")},
            &MainWindow::onDataMenu);
    addMenu(QStringLiteral("mnuCopy"), QStringLiteral("Copy"), QStringLiteral("mnuCopyItem"),
            {QStringLiteral("Selected Username"), QStringLiteral("Selected Password"),
             QStringLiteral("Selected Used At Location")},
            &MainWindow::onCopyMenu);
    addMenu(QStringLiteral("mnuHelp"), QStringLiteral("Help"), QStringLiteral("mnuHelpItem"),
            {QStringLiteral("View Help")}, &MainWindow::onHelpMenu);
    addMenu(QStringLiteral("mnuAbout"), QStringLiteral("About"), QStringLiteral("mnuAboutItem"),
            {QStringLiteral("About this software")}, &MainWindow::onAboutMenu);
}

void MainWindow::setClientHeightTwips(int heightTwips) {
    m_client->setFixedSize(twipsSize(DesignClientWidth, heightTwips));
    // The status bar is docked at the bottom edge of the client area.
    m_statusBar->setGeometry(twipsRect(0, heightTwips - StatusBarHeight, DesignClientWidth, StatusBarHeight));
    setFixedSize(m_client->width(), m_client->height() + m_menuBar->sizeHint().height());
}

bool MainWindow::Form_Load() {
    const BrandingValues &branding = programValues().Branding;
    setWindowTitle(branding.programName + QStringLiteral(" by ") + branding.companyName);
    m_visitButton->setText(QStringLiteral("Visit ") + branding.companyWebsite);

    m_entryList->addColumn(QStringLiteral("Username"), pixelsToTwips(m_copyButtons[0]->width()) - 10);
    m_entryList->addColumn(QStringLiteral("Password"), pixelsToTwips(m_copyButtons[1]->width()) + 20);
    m_entryList->addColumn(QStringLiteral("Website/Location"), pixelsToTwips(m_copyButtons[2]->width()));
    m_statusBar->setPanelWidth(1, width());

    if (!LoadData(*m_entryList->entries()))
        return false;

    if (branding.skinOn)
        applySkin(this);

    if (branding.bannerOn) {
        const int grow = pixelsToTwips(m_banner->height()) + 50;
        setClientHeightTwips(DesignClientHeight + grow);
        m_entryList->move(m_entryList->x(), m_entryList->y() + twipsToPixels(grow));
        showBanner(this);
    }

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    const auto settings = platform().openSettings();
    if (settings->value(QStringLiteral("Settings/showHelp"), QStringLiteral("1")).toString() == QStringLiteral("1")) {
        if (HelpWindow *help = loadForm<HelpWindow>())
            help->show();
    }
    return true;
}

void MainWindow::Form_Unload() {
    unloadForm<HelpWindow>();
    unloadForm<AboutWindow>();
    unloadForm<EntryEditor>();
    unloadForm<SplashScreen>();

    BrowserWindow *browser = findForm<BrowserWindow>();
    if (browser && browser->isVisible()) {
        // The program runs on until the browser window is closed.
        programValues().AppClosing = true;
        return;
    }
    unloadForm<BrowserWindow>();
    platform().process->endProgram(0);
}

void MainWindow::showStatus(const QString &text) {
    m_statusBar->setPanelText(1, text);
}

QString MainWindow::statusText() const {
    return m_statusBar->panelText(1);
}

void MainWindow::showEditor() {
    if (EntryEditor *editor = loadForm<EntryEditor>()) {
        editor->show();
        editor->raise();
        editor->activateWindow();
    }
}

int MainWindow::selectedPosition(const QString &mustSelectMessage) {
    const int position = m_entryList->firstSelectedPosition();
    if (position == 0)
        ShowStatus(mustSelectMessage);
    return position;
}

void MainWindow::onAddClicked(int) {
    programValues().Editor.EditMode = QStringLiteral("Add");
    showEditor();
}

void MainWindow::onEditClicked() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to edit."));
    if (position == 0)
        return;
    const Entry &entry = m_entryList->entries()->entry(position);
    EditorHandOver &handOver = programValues().Editor;
    handOver.EditUsername = entry.username;
    handOver.EditPassword = entry.password;
    handOver.EditWebsite = entry.location;
    handOver.EditIndex = position;
    handOver.EditMode = QStringLiteral("Edit");
    showEditor();
}

void MainWindow::onDeleteClicked() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to delete."));
    if (position == 0)
        return;
    const Entry &entry = m_entryList->entries()->entry(position);
    MessageBoxRequest question;
    question.text = QStringLiteral("Are you sure you want to delete the following information?\r\n\r\n") +
                    QStringLiteral("Username: ") + entry.username + QStringLiteral("\r\nPassword: ") + entry.password +
                    QStringLiteral("\r\nUsed At: ") + entry.location;
    question.title = QStringLiteral("Confirm Delete");
    question.buttons = MessageButtons::OkCancel;
    question.defaultButton = MessageAnswer::Ok;
    if (platform().dialogs->messageBox(question) != MessageAnswer::Ok) {
        ShowStatus(QStringLiteral("Entry not deleted, cancelled by user"));
        return;
    }
    EntryTableModel &list = *m_entryList->entries();
    list.remove(position);
    if (SaveData(list))
        ShowStatus(QStringLiteral("Entry deleted successfully, data saved."));
}

void MainWindow::onCopyClicked(int index) {
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const int position = selectedPosition(QStringLiteral("You must first select a row to copy from."));
    if (position == 0 || index < 0 || index > 2)
        return;
    const Entry &entry = m_entryList->entries()->entry(position);
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

void MainWindow::onGoToClicked() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to go to."));
    if (position == 0)
        return;
    ShowStatus(QStringLiteral("Opening Location..."));
    const QString location = locationToOpen(m_entryList->entries()->entry(position).location);
    // The location is one argument of the opener, never a command line: it cannot run anything.
    const QString opener = desktopOpener();
    if (!platform().launcher->startDetached(opener, {location}))
        ShowStatus(QStringLiteral("Could not open the location: \"%1\" could not be started.").arg(opener));
}

void MainWindow::onVisitClicked(int) {
    if (BrowserWindow *browser = loadForm<BrowserWindow>())
        browser->show();
}

void MainWindow::onColumnClicked(int columnIndex) {
    if (m_entryList->entries()->toggleSort(columnIndex))
        m_entryList->showSortIndicator();
}

void MainWindow::onFileMenu(int index) {
    if (index == 0)
        unload();
}

void MainWindow::onDataMenu(int index) {
    switch (index) {
    case 0:
        onAddClicked(0);
        break;
    case 1:
        onDeleteClicked();
        break;
    case 2:
        onEditClicked();
        break;
    case 3:
        onGoToClicked();
        break;
    default:
        break;
    }
}

void MainWindow::onCopyMenu(int index) {
    onCopyClicked(index);
}

void MainWindow::onHelpMenu(int) {
    if (HelpWindow *help = loadForm<HelpWindow>())
        help->show();
}

void MainWindow::onAboutMenu(int) {
    if (AboutWindow *about = loadForm<AboutWindow>())
        about->show();
}

} // namespace varnook
