#pragma once

#include "ControlArray.h"

#include <array>

class QMenuBar;
class QPushButton;

namespace varnook {

class EntryListView;
class PictureBox;
class StatusBar;
class WebBrowser;

// The main window: the entry list, the command buttons, the menus and the status line.
class MainWindow : public Form {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    EntryListView *entryList() const { return m_entryList; }
    StatusBar *statusBar() const { return m_statusBar; }
    QWidget *client() const { return m_client; }

    void showStatus(const QString &text);
    QString statusText() const;

public slots:
    void onAddClicked(int index);
    void onDeleteClicked();
    void onEditClicked();
    void onGoToClicked();
    void onCopyClicked(int index);
    void onVisitClicked(int index);
    void onColumnClicked(int columnIndex);
    void onFileMenu(int index);
    void onDataMenu(int index);
    void onCopyMenu(int index);
    void onHelpMenu(int index);
    void onAboutMenu(int index);

protected:
    bool Form_Load() override;
    void Form_Unload() override;

private:
    QPushButton *addButton(const QString &name, int index, const QString &caption, const QRect &twips);
    void buildMenus();
    void showEditor();
    void setClientHeightTwips(int heightTwips);
    // The first selected row, or 0 after telling the user to select one.
    int selectedPosition(const QString &mustSelectMessage);

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
    StatusBar *m_statusBar;
};

} // namespace varnook
