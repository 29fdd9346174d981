#pragma once

#include <QWidget>

#include <memory>

class QCheckBox;
class QTextBrowser;
class QUrl;

namespace varnook {

class RtfLoader;
class SkinEngine;

// The Help window: shows Help.rtf from the program's folder, keeps itself above other windows and
// holds the "Show at Startup" box that decides whether the main window opens it at the next start.
class HelpWindow : public QWidget {
    Q_OBJECT

public:
    explicit HelpWindow(const SkinEngine *skin, QWidget *parent = nullptr);
    ~HelpWindow() override;

    // Help files larger than this are not read: no help text is that long.
    static constexpr qint64 MaxHelpFileSize = 64 * 1024 * 1024;

    // Reads the help file and the stored choice. False when there is no help file: without one
    // there is no Help window to show.
    bool load();

    QTextBrowser *textView() const { return m_textView; }
    QCheckBox *showAtStartupBox() const { return m_showAtStartupBox; }

public slots:
    void onShowAtStartupToggled();
    // A link in the help text opens in the desktop's program for it, as Go To opens a location.
    void openLink(const QUrl &address);

signals:
    // The window has closed and goes away.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void loadHelpFile(const QString &path);

    const SkinEngine *m_skin;
    QTextBrowser *m_textView;
    std::unique_ptr<RtfLoader> m_helpLoader; // reads a long help file while the window is shown
    QCheckBox *m_showAtStartupBox;
};

} // namespace varnook
