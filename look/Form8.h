#pragma once

#include "Form.h"

#include <memory>

class QCheckBox;
class QTextBrowser;
class QUrl;

namespace varnook {

class RtfLoader;

// The Help window: shows Help.rtf from the program's folder, keeps itself above other windows and
// holds the "Show at Startup" box that decides whether the main window opens it at the next start.
// Without a help file there is no Help window: it refuses to be shown and unloads itself.
class Form8 : public Form {
    Q_OBJECT

public:
    explicit Form8(QWidget *parent = nullptr);
    ~Form8() override;

    QTextBrowser *rtf1() const { return m_rtf1; }
    QCheckBox *Check1() const { return m_Check1; }

    // Help files larger than this are not read: no help text is that long.
    static constexpr qint64 MaxHelpFileSize = 64 * 1024 * 1024;

    void setVisible(bool visible) override;

public slots:
    void Check1_Click();
    // A link in the help text opens in the desktop's program for it, as Go To opens a location.
    void openLink(const QUrl &address);

protected:
    bool Form_Load() override;

private:
    void loadHelpFile(const QString &path);
    void showStoredSetting();

    QTextBrowser *m_rtf1;
    std::unique_ptr<RtfLoader> m_helpLoader; // reads a long help file while the window is shown
    QCheckBox *m_Check1;
    bool m_withoutHelpFile = false;
};

} // namespace varnook
