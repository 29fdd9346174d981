#include "ControlArray.h"

#include <QVariant>
#include <QWidget>

namespace varnook {

QWidget *controlElement(const QWidget *window, const QString &name, int index) {
    const auto candidates = window->findChildren<QWidget *>(name);
    for (QWidget *candidate : candidates) {
        if (controlIndex(candidate) == index)
            return candidate;
    }
    return nullptr;
}

void setControlIndex(QObject *control, const QString &name, int index) {
    control->setObjectName(name);
    control->setProperty("Index", index);
}

int controlIndex(const QObject *control) {
    const QVariant index = control->property("Index");
    return index.isValid() ? index.toInt() : -1;
}

} // namespace varnook
