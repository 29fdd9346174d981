#pragma once

class QWidget;

namespace varnook {

// The unit in which a window states the positions and sizes of its controls. Every window of the
// program is designed in twips; a window may say it measures in pixels instead.
enum class ScaleMode { Twips = 1, Pixels = 3 };

ScaleMode scaleModeOf(const QWidget *window);
void setScaleMode(QWidget *window, ScaleMode mode);

} // namespace varnook
