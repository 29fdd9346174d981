#pragma once

#include <QWidget>

#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace varnook {

struct Branding;
class SkinEngine;
class SkinLabel;
class SkinLabelArray;
class StatusBar;
class WebBrowser;

// The program's own browser window: an address box with Go, Back, Forward, stop and refresh,
// the page, and a status bar that shows the address of the hovered link.
class BrowserWindow : public QWidget {
    Q_OBJECT

public:
    BrowserWindow(const Branding &branding, const SkinEngine *skin, QWidget *parent = nullptr);
    ~BrowserWindow() override;

    // Titles and skins the window, opens the address and maximises the window.
    void open(const QString &address);

    // Fits the frame, the address box, Go, the page and the status bar panels to the window.
    void arrangeControls();

public slots:
    void onGoClicked();
    void onBackClicked();
    void onForwardClicked();
    void onStopClicked();
    void onRefreshClicked();
    void showStatusText(const QString &text);
    void onDownloadComplete();

signals:
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const QString m_companyWebsite;
    const SkinEngine *m_skin;
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
    std::unique_ptr<SkinLabelArray> m_skinLabels; // the template and the copy over the URL label
    StatusBar *m_statusBar;
};

} // namespace varnook
