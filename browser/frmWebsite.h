#pragma once

#include "Form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnook {

class SkinLabel;
class StatusBar;
class WebBrowser;

// The program's own browser window: an address box with Go, Back, Forward, Stop and Refresh,
// the page, and a status bar that shows the address of the hovered link.
class frmWebsite : public Form {
    Q_OBJECT

public:
    explicit frmWebsite(QWidget *parent = nullptr);

    // Fits the frame, the address box, Go, the page and the status bar panels to the window.
    void ArrangeControls();

public slots:
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click(int index);
    void Text1_KeyPress(int keyAscii);
    void WebBrowser1_StatusTextChange(const QString &text);
    void WebBrowser1_DownloadComplete();

protected:
    bool Form_Load() override;
    void Form_Unload() override;
    void Form_Resize();
    void Form_Paint();

    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *addButton(const QString &caption, const QString &toolTip, int left, int top, int width, int height);

    QGroupBox *m_frmBrowser;
    QLabel *m_label5;
    QLineEdit *m_text1;
    QPushButton *m_command3;
    QPushButton *m_command4;
    QPushButton *m_command5;
    QPushButton *m_command6;
    QPushButton *m_command7;
    WebBrowser *m_webBrowser1;
    SkinLabel *m_skinLabel1;
    StatusBar *m_statusBar1;
};

} // namespace varnook
