#include "OnTop.h"

#include <QWidget>

namespace varnook {

void setOnTop(QWidget *window, bool keepOnTop) {
    if (!window)
        return;
    if (window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == keepOnTop)
        return;
    // Changing a window flag hides the window and may forget its place: put both back.
    const bool wasVisible = window->isVisible();
    const QRect geometry = window->geometry();
    window->setWindowFlag(Qt::WindowStaysOnTopHint, keepOnTop);
    window->setGeometry(geometry);
    if (wasVisible) {
        window->show();
        window->activateWindow();
    }
}

} // namespace varnook
