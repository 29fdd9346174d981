#pragma once

#include "ControlArray.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnook {

class SkinLabel;
class StatusBar;
class WebBrowser;

// The program's own browser window: an address box with Go, Back, Forward, stop and refresh,
// the page, and a status bar that shows the address of the hovered link.
class BrowserWindow : public Form {
    Q_OBJECT

public:
    explicit BrowserWindow(QWidget *parent = nullptr);

    // Fits the frame, the address box, Go, the page and the status bar panels to the window.
    void arrangeControls();

public slots:
    void onGoClicked();
    void onBackClicked();
    void onForwardClicked();
    void onStopClicked();
    void onRefreshClicked(int index);
    void onAddressKeyPress(int keyAscii);
    void showStatusText(const QString &text);
    void onDownloadComplete();

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

    QGroupBox *m_frame;
    QLabel *m_urlLabel;
    QLineEdit *m_addressEdit;
    QPushButton *m_goButton;
    QPushButton *m_backButton;
    QPushButton *m_forwardButton;
    QPushButton *m_stopButton;
    QPushButton *m_refreshButton;
    WebBrowser *m_page;
    SkinLabel *m_labelTemplate;
    StatusBar *m_statusBar1;
};

} // namespace varnook
