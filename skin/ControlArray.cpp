#include "ControlArray.h"

#include <QCloseEvent>

namespace varnook {

Form::Form(QWidget *parent)
    : QWidget(parent, Qt::Window) {}

bool Form::runLoad() {
    return Form_Load();
}

void Form::unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    Form_Unload();
    hide();
    deleteLater();
}

void Form::closeEvent(QCloseEvent *event) {
    // The close box unloads; the unload step cannot be cancelled.
    event->accept();
    unload();
}

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
