#include "WindowControls.h"

#include "TypeName.h"

#include <QWidget>

namespace varnook {

namespace {

void collect(const QWidget *parent, QList<QWidget *> &controls) {
    for (QObject *child : parent->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (!widget || widget->isWindow())
            continue;
        const QString type = typeName(widget);
        if (!type.isEmpty())
            controls.append(widget);
        if (type.isEmpty() || isContainerType(type))
            collect(widget, controls);
    }
}

} // namespace

QList<QWidget *> windowControls(const QWidget *window) {
    QList<QWidget *> controls;
    if (window)
        collect(window, controls);
    return controls;
}

} // namespace varnook
