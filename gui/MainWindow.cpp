#include "MainWindow.h"

#include "AboutWindow.h"
#include "Artwork.h"
#include "Clipboard.h"
#include "ControlArray.h"
#include "DataFile.h"
#include "Design.h"
#include "DesktopOpener.h"
#include "EntryListView.h"
#include "ErrorBox.h"
#include "FindBar.h"
#include "HelpWindow.h"
#include "Messages.h"
#include "PictureBox.h"
#include "Platform.h"
#include "Session.h"
#include "Settings.h"
#include "ShortenedText.h"
#include "Skin.h"
#include "StatusLine.h"
#include "WebBrowser.h"
#include "WindowKeys.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTimer>
#include <QVBoxLayout>

namespace varnook {

namespace {
constexpr int DesignClientWidth = 9015;
constexpr int DesignClientHeight = 6555;
constexpr int StatusBarHeight = 315;
} // namespace

MainWindow::MainWindow(Session &session, const Branding &branding, const SkinEngine *skin, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
    , m_session(session)
    , m_branding(branding)
    , m_skin(skin)
    , m_menuBar(new QMenuBar(this))
    , m_client(new QWidget(this))
    , m_protection(session)
    , m_idleLock(qint64(Settings().lockAfterMinutes()) * 60 * 1000) {
    setObjectName(QStringLiteral("Form1"));
    setWindowIcon(programIcon());
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

    m_entryList = new EntryListView(&session.entries(), m_client);
    m_entryList->setObjectName(QStringLiteral("lstPass"));
    m_entryList->setGeometry(twipsRect(60, 1980, 8895, 4215));

    m_banner = new WebBrowser(m_client);
    m_banner->setObjectName(QStringLiteral("wbBanner"));
    m_banner->setWhenUnreached(WebBrowser::WhenUnreached::ShowOwnBanner);
    m_banner->setGeometry(twipsRect(60, 1980, 7335, 945));
    m_banner->hide();

    m_bannerPicture = new PictureBox(m_client);
    m_bannerPicture->setObjectName(QStringLiteral("wbPicture"));
    m_bannerPicture->setGeometry(twipsRect(7050, 2010, 330, 920));

    m_statusLine = new StatusLine(m_client);
    m_statusLine->setObjectName(QStringLiteral("StatusBar1"));

    m_findBar = new FindBar(m_client);
    m_findBar->hide();
    m_closeFindBarKey = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_closeFindBarKey->setContext(Qt::WindowShortcut);
    m_closeFindBarKey->setEnabled(false);

    // Tab goes in reading order: the buttons left to right, top to bottom, then the list.
    const QList<QWidget *> tabOrder = {m_addButton,
                                       m_deleteButton,
                                       m_editButton,
                                       m_goToButton,
                                       m_visitButton,
                                       m_copyButtons[0],
                                       m_copyButtons[1],
                                       m_copyButtons[2],
                                       m_entryList,
                                       m_findBar->findBox(),
                                       m_findBar->passwordsBox(),
                                       m_findBar->closeButton()};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    connect(m_addButton, &QPushButton::clicked, this, &MainWindow::onAddClicked);
    connect(m_deleteButton, &QPushButton::clicked, this, &MainWindow::onDeleteClicked);
    connect(m_editButton, &QPushButton::clicked, this, &MainWindow::onEditClicked);
    connect(m_goToButton, &QPushButton::clicked, this, &MainWindow::onGoToClicked);
    connect(m_visitButton, &QPushButton::clicked, this, &MainWindow::browserRequested);
    for (int i = 0; i < 3; ++i)
        connect(m_copyButtons[size_t(i)], &QPushButton::clicked, this, [this, i] { onCopyClicked(i); });
    connect(m_entryList, &EntryListView::columnClicked, this, &MainWindow::onColumnClicked);
    connect(m_entryList, &EntryListView::editRequested, this, &MainWindow::onEditClicked);
    connect(&m_session, &Session::status, this, &MainWindow::showStatus);
    connect(m_findBar, &FindBar::findChanged, m_entryList, &EntryListView::setFindText);
    connect(&m_entryList->shownRows(), &EntryFilterModel::countsChanged, this, &MainWindow::showFindCounts);
    connect(m_findBar, &FindBar::closeRequested, this, &MainWindow::closeFindBar);
    connect(m_closeFindBarKey, &QShortcut::activated, this, &MainWindow::closeFindBar);
    connect(m_findBar, &FindBar::listRequested, this, [this] {
        // The user goes on in the list, on the first entry found unless one is selected.
        if (m_entryList->firstSelectedPosition() == 0 && m_entryList->shownRows().shownCount() > 0)
            m_entryList->selectPosition(m_entryList->shownRows().positionAt(0));
        m_entryList->setFocus(Qt::ShortcutFocusReason);
    });

    buildMenus();
    setClientHeightTwips(DesignClientHeight);
    connect(&m_idleLock, &IdleLock::idle, this, [this] { lock(false); });
    connect(&m_clipboardEraser, &ClipboardEraser::erased, this,
            [this] { showStatus(QStringLiteral("The copied password was cleared from the clipboard.")); });

    setWindowTitle(m_branding.programName + QStringLiteral(" by ") + m_branding.companyName);
    m_visitButton->setText(QStringLiteral("Visit ") + m_branding.companyWebsite);
    m_entryList->addColumn(QStringLiteral("Username"), pixelsToTwips(m_copyButtons[0]->width()) - 10);
    m_entryList->addColumn(QStringLiteral("Password"), pixelsToTwips(m_copyButtons[1]->width()) + 20);
    m_entryList->addColumn(QStringLiteral("Website/Location"), pixelsToTwips(m_copyButtons[2]->width()));
    m_statusLine->setPanelWidth(1, width());
}

MainWindow::~MainWindow() {
    delete m_editor.data();
    delete m_help.data();
    delete m_about.data();
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
    auto addMenu = [this](const QString &name, const QString &title, const QString &itemName,
                          const QList<QPair<QString, std::function<void()>>> &items) {
        QMenu *menu = m_menuBar->addMenu(title);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        for (int i = 0; i < items.size(); ++i) {
            QAction *action = menu->addAction(items[i].first);
            setControlIndex(action, itemName, i);
            connect(action, &QAction::triggered, this, items[i].second);
        }
        return menu;
    };
    QMenu *file = addMenu(QStringLiteral("mnuFile"), QStringLiteral("File"), QStringLiteral("mnuFileItem"),
                          {{QStringLiteral("Exit"), [this] {
                                close();
                            }}});
    // Below the original's one item: the data file's form, its master password, and the lock.
    file->addSeparator();
    m_protectAction = file->addAction(QStringLiteral("Protect the Data File…"), this, [this] {
        m_protection.protect();
        updateProtectionItems();
    });
    m_removeProtectionAction = file->addAction(QStringLiteral("Remove Protection…"), this, [this] {
        m_protection.removeProtection();
        updateProtectionItems();
    });
    m_changePasswordAction = file->addAction(QStringLiteral("Change Master Password…"), this,
                                             [this] { m_protection.changeMasterPassword(); });
    file->addSeparator();
    m_lockAction = file->addAction(QStringLiteral("Lock"), this, [this] { lock(true); });
    m_lockAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    m_lockAction->setShortcutContext(Qt::ApplicationShortcut);
    addAction(m_lockAction); // the shortcut works with the menu closed
    connect(file, &QMenu::aboutToShow, this, &MainWindow::updateProtectionItems);
    updateProtectionItems();
    QMenu *data = addMenu(QStringLiteral("mnuData"), QStringLiteral("Data"), QStringLiteral("mnuDataItem"),
                          {{QStringLiteral("Add Username/Password"),
                            [this] {
                                onAddClicked();
                            }},
                           {QStringLiteral("Delete Selected Item"),
                            [this] {
                                onDeleteClicked();
                            }},
                           {QStringLiteral("Edit Selected Item"),
                            [this] {
                                onEditClicked();
                            }},
                           {QStringLiteral("Goto \"Used At\" Location"), [this] {
                                onGoToClicked();
                            }}});
    QMenu *copy = addMenu(QStringLiteral("mnuCopy"), QStringLiteral("Copy"), QStringLiteral("mnuCopyItem"),
                          {{QStringLiteral("Selected Username"),
                            [this] {
                                onCopyClicked(0);
                            }},
                           {QStringLiteral("Selected Password"),
                            [this] {
                                onCopyClicked(1);
                            }},
                           {QStringLiteral("Selected Used At Location"), [this] {
                                onCopyClicked(2);
                            }}});
    QMenu *help = addMenu(QStringLiteral("mnuHelp"), QStringLiteral("Help"), QStringLiteral("mnuHelpItem"),
                          {{QStringLiteral("View Help"), [this] {
                                openHelp();
                            }}});
    addMenu(QStringLiteral("mnuAbout"), QStringLiteral("About"), QStringLiteral("mnuAboutItem"),
            {{QStringLiteral("About this software"), [this] {
                  openAbout();
              }}});
    // Shortcuts as desktop password stores have them; the captions stay the original's.
    const auto shortcuts = [](QMenu *menu, int item, const QList<QKeySequence> &keys) {
        menu->actions().at(item)->setShortcuts(keys);
    };
    shortcuts(file, 0, {QKeySequence(Qt::CTRL | Qt::Key_Q)});
    shortcuts(data, 0, {QKeySequence(Qt::CTRL | Qt::Key_N)});
    shortcuts(data, 1, {QKeySequence(Qt::Key_Delete)});
    shortcuts(data, 2, {QKeySequence(Qt::CTRL | Qt::Key_E)});
    shortcuts(data, 3, {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_U)});
    shortcuts(copy, 0, {QKeySequence(Qt::CTRL | Qt::Key_B)});
    shortcuts(copy, 1, {QKeySequence(Qt::CTRL | Qt::Key_C)});
    shortcuts(copy, 2, {QKeySequence(Qt::CTRL | Qt::Key_U)});
    shortcuts(help, 0, {QKeySequence(Qt::Key_F1)});

    // Below the Data menu's own items: sorting without a mouse, and passwords out of sight.
    data->addSeparator();
    const QStringList columns = {QStringLiteral("Username"), QStringLiteral("Password"),
                                 QStringLiteral("Website/Location")};
    for (int column = 0; column < columns.size(); ++column) {
        m_sortActions[size_t(column)] = data->addAction(QStringLiteral("Sort by ") + columns[column], this,
                                                        [this, column] { onColumnClicked(column + 1); });
    }
    data->addSeparator();
    m_findAction = data->addAction(QStringLiteral("Find…"), this, &MainWindow::openFindBar);
    m_findAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    data->addSeparator();
    m_hidePasswordsAction = data->addAction(QStringLiteral("Hide Passwords"));
    m_hidePasswordsAction->setCheckable(true);
    m_hidePasswordsAction->setChecked(Settings().hidePasswords());
    m_session.entries().setPasswordsHidden(m_hidePasswordsAction->isChecked());
    connect(m_hidePasswordsAction, &QAction::toggled, this, [this](bool hide) {
        m_session.entries().setPasswordsHidden(hide);
        if (m_editor)
            m_editor->setPasswordHidden(hide);
        Settings().setHidePasswords(hide);
    });
}

void MainWindow::openFindBar() {
    if (!m_findBar->isVisible()) {
        // The bar sits at the bottom of the list's room, the list above it.
        m_listGeometry = m_entryList->geometry();
        const int barHeight = m_findBar->sizeHint().height();
        const int gap = twipsToPixels(45);
        m_findBar->setGeometry(m_listGeometry.x(), m_listGeometry.bottom() + 1 - barHeight, m_listGeometry.width(),
                               barHeight);
        m_entryList->setGeometry(m_listGeometry.adjusted(0, 0, 0, -(barHeight + gap)));
        m_entryList->startFinding();
        showFindCounts();
        m_findBar->show();
        m_closeFindBarKey->setEnabled(true);
    }
    m_findBar->findBox()->setFocus(Qt::ShortcutFocusReason);
    m_findBar->findBox()->selectAll();
}

void MainWindow::closeFindBar() {
    if (!m_findBar->isVisible())
        return;
    // The user goes on in the list, where the entries found are still selected.
    const bool focusInBar = m_findBar->isAncestorOf(QApplication::focusWidget());
    m_findBar->reset();
    m_entryList->stopFinding();
    m_closeFindBarKey->setEnabled(false);
    m_findBar->hide();
    m_entryList->setGeometry(m_listGeometry);
    if (focusInBar)
        m_entryList->setFocus(Qt::OtherFocusReason);
}

void MainWindow::showFindCounts() {
    const EntryFilterModel &shown = m_entryList->shownRows();
    m_findBar->showCounts(shown.shownCount(), shown.entries()->count(), shown.isFiltering());
}

void MainWindow::updateProtectionItems() {
    m_protectAction->setEnabled(!m_session.isProtected());
    m_removeProtectionAction->setEnabled(m_session.isProtected());
}

void MainWindow::lock(bool askAboutEditor) {
    if (m_locked)
        return;
    if (m_editor) {
        if (!askAboutEditor) {
            m_lockDue = true; // once the editor closes
            return;
        }
        MessageBoxRequest question;
        question.text = QStringLiteral("The entry editor is open. Lock anyway? What it holds is not saved.");
        question.title = Messages::applicationTitle();
        question.buttons = MessageButtons::OkCancel;
        question.icon = MessageIcon::Warning;
        question.defaultButton = MessageAnswer::Cancel;
        if (platform().dialogs->messageBox(question) != MessageAnswer::Ok)
            return;
        m_lockDue = false;
        m_editor->close();
    }
    m_lockDue = false;
    if (!m_session.lock())
        return;     // a box has said why: changes the file lacks could not be saved
    closeFindBar(); // what was looked for goes with the entries
    m_locked = true;
    m_idleLock.stop();
    const QList<QPointer<QWidget>> shown = {this, m_editor.data()};
    for (const QPointer<QWidget> &window : shown)
        if (window)
            window->hide();
    // The list comes back read again from the file; a refused login ends the program.
    if (!m_session.load())
        return;
    m_locked = false;
    show();
    raise();
    activateWindow();
    m_idleLock.restart();
}

void MainWindow::setClientHeightTwips(int heightTwips) {
    m_client->setFixedSize(twipsSize(DesignClientWidth, heightTwips));
    // The status bar is docked at the bottom edge of the client area.
    m_statusLine->setGeometry(twipsRect(0, heightTwips - StatusBarHeight, DesignClientWidth, StatusBarHeight));
    setFixedSize(m_client->width(), m_client->height() + m_menuBar->sizeHint().height());
}

bool MainWindow::load() {
    if (!m_session.load())
        return false;

    if (m_skin) {
        SkinnedControls controls(this);
        controls.add({m_addButton, m_deleteButton, m_editButton, m_goToButton, m_visitButton});
        controls.add({m_copyButtons[0], m_copyButtons[1], m_copyButtons[2]});
        controls.add(m_entryList).add(m_bannerPicture);
        // The find bar, closed until Ctrl+F, is dressed with the rest so that it opens readable.
        controls.add({m_findBar->findLabel(), m_findBar->countLabel()}).add(m_findBar->findBox());
        controls.add(m_findBar->passwordsBox()).add(m_findBar->closeButton());
        applySkin(controls, m_skin);
    }

    if (m_branding.bannerOn) {
        // The strip's room is made now, so that the window keeps its size when the banner arrives.
        const int grow = pixelsToTwips(m_banner->height()) + 50;
        setClientHeightTwips(DesignClientHeight + grow);
        m_entryList->move(m_entryList->x(), m_entryList->y() + twipsToPixels(grow));
        m_bannerDue = true;
    }

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    if (Settings().showHelp())
        openHelp();
    return true;
}

bool MainWindow::event(QEvent *event) {
    // Starting the web engine costs a tenth of a second and more, and tens of megabytes: the list is
    // painted first, and the banner follows once that paint is on the screen.
    if (event->type() == QEvent::Paint && m_bannerDue) {
        m_bannerDue = false;
        // A timer, not a queued call: what was queued by this paint runs first, and the event loop
        // hands the painted window to the display before the engine starts.
        auto *later = new QTimer(this);
        later->setSingleShot(true);
        connect(later, &QTimer::timeout, this, &MainWindow::startBanner);
        connect(later, &QTimer::timeout, later, &QObject::deleteLater);
        later->start(0);
    }
    return QWidget::event(event);
}

void MainWindow::startBanner() {
    showBanner(m_banner, m_bannerPicture, m_branding.adServerPage);
    m_bannerStarted = true;
}

void MainWindow::keyPressEvent(QKeyEvent *event) {
    if (!WindowKeys::pressFocusedButton(this, event))
        QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event) {
    saveUnsavedChanges();
    // The windows this one opened close with it, before the owner hears of it.
    const QList<QPointer<QWidget>> owned = {m_help.data(), m_about.data(), m_editor.data()};
    for (const QPointer<QWidget> &window : owned) {
        if (window)
            window->close();
    }
    QWidget::closeEvent(event);
    emit closed();
}

void MainWindow::saveUnsavedChanges() {
    while (m_session.hasUnsavedChanges()) {
        const FileResult saved = m_session.write();
        if (saved)
            return;
        MessageBoxRequest question;
        question.text = QStringLiteral("The data file could not be saved:\n") +
                        QDir::toNativeSeparators(m_session.dataFile().path()) + QStringLiteral("\n\n") +
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

void MainWindow::showStatus(const QString &text) {
    // Until a save succeeds, every status line says first that the file lacks changes.
    if (!m_session.hasUnsavedChanges()) {
        m_statusLine->setText(text);
        return;
    }
    QString line = QStringLiteral("Not saved: ") + m_session.unsavedReason();
    if (!text.isEmpty())
        line += QStringLiteral(" | ") + text;
    m_statusLine->setText(line);
}

QString MainWindow::statusText() const {
    return m_statusLine->text();
}

void MainWindow::openHelp() {
    if (!m_help) {
        auto *help = new HelpWindow(m_skin);
        if (!help->load()) {
            delete help; // no help file: no Help window
            return;
        }
        m_help = help;
        connect(help, &HelpWindow::closed, this, [this] { m_help = nullptr; });
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainWindow::openAbout() {
    if (!m_about) {
        m_about = new AboutWindow(m_branding, platform().version, m_skin);
        connect(m_about, &AboutWindow::closed, this, [this] { m_about = nullptr; });
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void MainWindow::showEditor(EntryEditor::Mode mode, int position) {
    // An editor that is open already stays as it is: it keeps its mode and its row.
    if (!m_editor) {
        m_editor = new EntryEditor(m_skin);
        m_editor->setPasswordHidden(m_session.entries().passwordsHidden());
        connect(m_editor, &EntryEditor::accepted, this, &MainWindow::writeEntry);
        connect(m_editor, &EntryEditor::closed, this, [this] {
            m_editor = nullptr;
            // The idle time passed while the editor was open: the window locks now it is closed.
            if (m_lockDue)
                QTimer::singleShot(0, this, [this] { lock(false); });
        });
        const EntryTableModel &list = m_session.entries();
        if (mode == EntryEditor::Mode::Add)
            m_editor->openForAdd();
        else
            m_editor->openForEdit(list.rowId(position), list.entry(position));
    }
    m_editor->show();
    m_editor->raise();
    m_editor->activateWindow();
}

void MainWindow::writeEntry(EntryEditor::Mode mode, EntryTableModel::RowId row, const Entry &entry) {
    EntryTableModel &list = m_session.entries();
    int position = 0;
    EntryChange change{EntryChange::Kind::Add, {}, entry};
    if (mode == EntryEditor::Mode::Add) {
        position = list.add(entry);
    } else {
        // The editor's own row, wherever sorts and deletions have moved it since.
        position = list.positionOf(row);
        if (position == 0) {
            showError(QStringLiteral("The entry you were editing has been deleted meanwhile. Nothing was saved."));
            return;
        }
        change = EntryChange{EntryChange::Kind::Edit, list.entry(position), entry};
        position = list.setEntry(position, entry);
    }
    const EntryTableModel::RowId written = list.rowId(position);
    const bool saved = m_session.save(change);
    // A save that merged another program's changes has put the file's rows in the list.
    bool shown = true;
    if (const int now = list.positionOf(written); now != 0) {
        shown = m_entryList->selectPosition(now);
        m_entryList->scrollToPosition(now);
    }
    // The list shows only what holds the text to find: an entry that does not is saved all the same.
    const QString hiddenNote =
        shown ? QString() : QStringLiteral("  The find bar hides it: it does not hold the text.");
    if (saved)
        showStatus(QStringLiteral("Added new entry.  Data saved.") + m_session.mergeNote() + hiddenNote);
    if (EntryEditor *editor = m_editor)
        editor->close();
}

int MainWindow::selectedPosition(const QString &mustSelectMessage) {
    const int position = m_entryList->firstSelectedPosition();
    if (position == 0)
        showStatus(mustSelectMessage);
    return position;
}

void MainWindow::onAddClicked() {
    showEditor(EntryEditor::Mode::Add, 0);
}

void MainWindow::onEditClicked() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to edit."));
    if (position == 0)
        return;
    showEditor(EntryEditor::Mode::Edit, position);
}

void MainWindow::onDeleteClicked() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to delete."));
    if (position == 0)
        return;
    const Entry &entry = m_session.entries().entry(position);
    MessageBoxRequest question;
    question.text = QStringLiteral("Are you sure you want to delete the following information?\r\n\r\n") +
                    QStringLiteral("Username: ") + shortenedText(entry.username) + QStringLiteral("\r\nPassword: ") +
                    shownPassword(entry.password) + QStringLiteral("\r\nUsed At: ") + shortenedText(entry.location);
    question.title = QStringLiteral("Confirm Delete");
    question.buttons = MessageButtons::OkCancel;
    question.defaultButton = MessageAnswer::Ok;
    if (platform().dialogs->messageBox(question) != MessageAnswer::Ok) {
        showStatus(QStringLiteral("Entry not deleted, cancelled by user"));
        return;
    }
    const EntryChange change{EntryChange::Kind::Delete, entry, {}};
    m_session.entries().remove(position);
    if (m_session.save(change))
        showStatus(QStringLiteral("Entry deleted successfully, data saved.") + m_session.mergeNote());
}

void MainWindow::onCopyClicked(int field) {
    Clipboard::clear();
    const int position = selectedPosition(QStringLiteral("You must first select a row to copy from."));
    if (position == 0 || field < 0 || field > 2)
        return;
    const Entry &entry = m_session.entries().entry(position);
    const QString texts[] = {entry.username, entry.password, entry.location};
    const QString captions[] = {QStringLiteral("Copied Username "), QStringLiteral("Copied Password "),
                                QStringLiteral("Copied Location ")};
    // The clipboard gets the whole field; the status line only shows it. A password leaves it again.
    if (field == 1)
        m_clipboardEraser.copySecret(texts[field], Settings().clipboardClearSeconds());
    else
        Clipboard::copy(texts[field], Clipboard::Plain);
    showStatus(captions[field] + (field == 1 ? shownPassword(texts[field]) : shortenedText(texts[field])));
}

QString MainWindow::shownPassword(const QString &password) const {
    return m_session.entries().passwordsHidden() ? EntryTableModel::hiddenPassword() : shortenedText(password);
}

void MainWindow::onGoToClicked() {
    const int position = selectedPosition(QStringLiteral("You must first select an entry to go to."));
    if (position == 0)
        return;
    showStatus(QStringLiteral("Opening Location..."));
    const QString location = locationToOpen(m_session.entries().entry(position).location);
    if (opensAsOption(location)) {
        showStatus(QStringLiteral("Could not open the location: it begins with \"-\", which the opener would take "
                                  "for an option."));
        return;
    }
    // The location is one argument of the opener, never a command line: it cannot run anything.
    const QString opener = desktopOpener();
    if (!platform().launcher->startDetached(opener, {location}))
        showStatus(QStringLiteral("Could not open the location: \"%1\" could not be started.").arg(opener));
}

void MainWindow::onColumnClicked(int columnIndex) {
    if (m_session.entries().toggleSort(columnIndex))
        m_entryList->showSortIndicator();
}

} // namespace varnook
