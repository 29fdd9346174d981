#include "WindowCleanup.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>

namespace varnook::test {

void destroyAllWindows() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->parentWidget()) // menus and popups go with their owners
            windows.append(window);
    }
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace varnook::test
