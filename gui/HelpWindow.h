#pragma once

#include "ControlArray.h"

class QCheckBox;
class QTextBrowser;

namespace varnook {

// The Help window: shows Help.rtf from the program's folder, keeps itself above other windows and
// holds the "Show at Startup" box that decides whether the main window opens it at the next start.
// Without a help file there is no Help window: it refuses to be shown and unloads itself.
class HelpWindow : public Form {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget *parent = nullptr);

    QTextBrowser *textView() const { return m_textView; }
    QCheckBox *showAtStartupBox() const { return m_showAtStartupBox; }

    // Help files larger than this are not read: no help text is that long.
    static constexpr qint64 MaxHelpFileSize = 64 * 1024 * 1024;

    void setVisible(bool visible) override;

public slots:
    void onShowAtStartupToggled();

protected:
    bool Form_Load() override;

private:
    void loadHelpFile(const QString &path);
    void showStoredSetting();

    QTextBrowser *m_textView;
    QCheckBox *m_showAtStartupBox;
    bool m_withoutHelpFile = false;
};

} // namespace varnook
