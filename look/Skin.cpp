#include "Skin.h"

#include <QWidget>

namespace varnook {

void ApplySkin(QWidget *window) {
    Q_UNUSED(window);
}

void ShowBanner(QWidget *window) {
    Q_UNUSED(window);
}

void ReplaceLabels(QWidget *window) {
    Q_UNUSED(window);
}

} // namespace varnook
