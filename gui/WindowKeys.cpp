#include "WindowKeys.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QShortcut>
#include <QWidget>

namespace varnook {

void WindowKeys::closeOnEscape(QWidget *window) {
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

bool WindowKeys::pressFocusedButton(QWidget *window, const QKeyEvent *event) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto *button = qobject_cast<QAbstractButton *>(window->focusWidget());
    if (!button || !button->isEnabled() || button->window() != window)
        return false;
    button->click();
    return true;
}

} // namespace varnook
