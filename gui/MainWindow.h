#pragma once

#include "AboutWindow.h"
#include "Branding.h"
#include "Clipboard.h"
#include "EntryEditor.h"
#include "HelpWindow.h"
#include "IdleLock.h"
#include "ProtectionCommands.h"

#include <QPointer>
#include <QWidget>

#include <array>

class QAction;
class QMenuBar;
class QPushButton;
class QShortcut;

namespace varnook {

class EntryListView;
class FindBar;
class PictureBox;
class Session;
class SkinEngine;
class StatusLine;
class WebBrowser;

// The main window: the entry list, the command buttons, the menus and the status line. It shows
// the session's entries and owns the windows it opens: the entry editor, Help and About.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    MainWindow(Session &session, const Branding &branding, const SkinEngine *skin, QWidget *parent = nullptr);
    ~MainWindow() override;

    // Loads the data, skins the window, makes room for the banner and opens Help when the user
    // asked for it at start. False when the program was ended while loading. The banner itself
    // starts once the window has first been painted: the list is there and usable before the web
    // engine starts.
    bool load();

    // The banner strip is in place and its page on its way.
    bool bannerStarted() const { return m_bannerStarted; }

    Session &session() const { return m_session; }
    EntryListView *entryList() const { return m_entryList; }
    StatusLine *statusLine() const { return m_statusLine; }
    FindBar *findBar() const { return m_findBar; }
    QWidget *client() const { return m_client; }

    // The windows this one opened and that are still open.
    EntryEditor *entryEditor() const { return m_editor; }
    HelpWindow *helpWindow() const { return m_help; }
    AboutWindow *aboutWindow() const { return m_about; }

    void showStatus(const QString &text);
    QString statusText() const;

    void openHelp();
    void openAbout();

    // The find bar takes the bottom of the list's room while it is open, so that the window keeps
    // its size and, closed, its original layout. Closing it shows every entry again; the selection
    // stays.
    void openFindBar();
    void closeFindBar();

    // The File menu's items below Exit.
    QAction *protectAction() const { return m_protectAction; }
    QAction *removeProtectionAction() const { return m_removeProtectionAction; }
    QAction *changePasswordAction() const { return m_changePasswordAction; }
    QAction *lockAction() const { return m_lockAction; }
    // The Data menu's items below the original's: sorting by each column, and hiding passwords.
    QAction *sortAction(int column) const { return m_sortActions[size_t(column)]; }
    QAction *hidePasswordsAction() const { return m_hidePasswordsAction; }
    QAction *findAction() const { return m_findAction; }
    // Locks when the settings' minutes pass without use; tests shorten it.
    IdleLock &idleLock() { return m_idleLock; }
    const ClipboardEraser &clipboardEraser() const { return m_clipboardEraser; }

    // Hides the windows that show entries, has the session forget them, and brings them back once the
    // login box is answered (the program ends when it is not). askAboutEditor: an open editor is
    // closed only when the user agrees (Ctrl+L); otherwise locking waits until it is closed.
    void lock(bool askAboutEditor);
    bool isLocked() const { return m_locked; }

public slots:
    void onAddClicked();
    void onDeleteClicked();
    void onEditClicked();
    void onGoToClicked();
    void onCopyClicked(int field);
    void onColumnClicked(int columnIndex);

signals:
    // Visit: the owner opens its browser window.
    void browserRequested();
    // The window has closed, after the windows it owns.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool event(QEvent *event) override;

private:
    QPushButton *addButton(const QString &name, int index, const QString &caption, const QRect &twips);
    void buildMenus();
    void updateProtectionItems();
    // A password as the window shows it: shortened, or dots while passwords are hidden.
    QString shownPassword(const QString &password) const;
    void showEditor(EntryEditor::Mode mode, int position);
    void writeEntry(EntryEditor::Mode mode, EntryTableModel::RowId row, const Entry &entry);
    void setClientHeightTwips(int heightTwips);
    // Puts the banner strip in place and opens its page; after the first paint.
    void startBanner();
    // The first selected row, or 0 after telling the user to select one.
    int selectedPosition(const QString &mustSelectMessage);
    // Saves changes a failed save left out of the file, asking until they are saved or the user
    // chooses to close without them.
    void saveUnsavedChanges();
    void showFindCounts();

    Session &m_session;
    const Branding m_branding;
    const SkinEngine *m_skin;
    QMenuBar *m_menuBar;
    QWidget *m_client;
    QPushButton *m_addButton;
    QPushButton *m_deleteButton;
    QPushButton *m_editButton;
    QPushButton *m_goToButton;
    QPushButton *m_visitButton;
    std::array<QPushButton *, 3> m_copyButtons;
    EntryListView *m_entryList;
    WebBrowser *m_banner;
    PictureBox *m_bannerPicture;
    StatusLine *m_statusLine;
    FindBar *m_findBar;
    QShortcut *m_closeFindBarKey;
    QRect m_listGeometry; // while the find bar is open: the list's room with the bar closed
    bool m_bannerDue = false;
    bool m_bannerStarted = false;
    QPointer<EntryEditor> m_editor;
    QPointer<HelpWindow> m_help;
    QPointer<AboutWindow> m_about;
    ProtectionCommands m_protection;
    QAction *m_protectAction = nullptr;
    QAction *m_removeProtectionAction = nullptr;
    QAction *m_changePasswordAction = nullptr;
    QAction *m_lockAction = nullptr;
    std::array<QAction *, 3> m_sortActions{};
    QAction *m_hidePasswordsAction = nullptr;
    QAction *m_findAction = nullptr;
    IdleLock m_idleLock;
    ClipboardEraser m_clipboardEraser;
    bool m_locked = false;
    bool m_lockDue = false; // the idle time passed while the editor or a box was open
};

} // namespace varnook
