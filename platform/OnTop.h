#pragma once

class QWidget;

namespace varnook {

// Keeps a window above other windows (onTop exactly -1, the program's "true") or returns it to
// the normal order, without moving or resizing it.
void setOnTop(QWidget *window, int onTop);

} // namespace varnook
