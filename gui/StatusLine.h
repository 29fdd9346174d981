#pragma once

#include "StatusBar.h"

namespace varnook {

// The main window's status line: the one panel the program writes its outcomes into.
class StatusLine : public StatusBar {
    Q_OBJECT

public:
    using StatusBar::StatusBar;

    QString text() const { return panelText(1); }
    void setText(const QString &text) { setPanelText(1, text); }
};

} // namespace varnook
