#pragma once

#include "Form.h"

#include <array>

class QMenuBar;
class QPushButton;

namespace varnook {

class ListView;
class PictureBox;
class StatusBar;
class WebBrowser;

// The main window: the entry list, the command buttons, the menus and the status line.
class Form1 : public Form {
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);

    ListView *lstPass() const { return m_lstPass; }
    StatusBar *statusBar() const { return m_statusBar1; }
    QWidget *client() const { return m_client; }

    void showStatus(const QString &text);
    QString statusText() const;

public slots:
    void cmdAdd_Click(int index);
    void cmdDelete_Click();
    void cmdEdit_Click();
    void cmdGoto_Click();
    void cmdCopy_Click(int index);
    void cmdWebsite_Click(int index);
    void lstPass_ColumnClick(int columnIndex);
    void mnuFileItem_Click(int index);
    void mnuDataItem_Click(int index);
    void mnuCopyItem_Click(int index);
    void mnuHelpItem_Click(int index);
    void mnuAboutItem_Click(int index);

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
    // Saves changes a failed save left out of the file, asking until they are saved or the user
    // chooses to close without them.
    void saveUnsavedChanges();

    QMenuBar *m_menuBar;
    QWidget *m_client;
    QPushButton *m_cmdAdd;
    QPushButton *m_cmdDelete;
    QPushButton *m_cmdEdit;
    QPushButton *m_cmdGoto;
    QPushButton *m_cmdWebsite;
    std::array<QPushButton *, 3> m_cmdCopy;
    ListView *m_lstPass;
    WebBrowser *m_wbBanner;
    PictureBox *m_wbPicture;
    StatusBar *m_statusBar1;
};

} // namespace varnook
