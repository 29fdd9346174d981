#include "ScaleMode.h"

#include <QVariant>
#include <QWidget>

namespace varnook {

namespace {
const char *const ScaleModeProperty = "ScaleMode";
}

ScaleMode scaleModeOf(const QWidget *window) {
    if (!window)
        return ScaleMode::Twips;
    bool ok = false;
    const int mode = window->property(ScaleModeProperty).toInt(&ok);
    return ok && mode == int(ScaleMode::Pixels) ? ScaleMode::Pixels : ScaleMode::Twips;
}

void setScaleMode(QWidget *window, ScaleMode mode) {
    if (window)
        window->setProperty(ScaleModeProperty, int(mode));
}

} // namespace varnook
