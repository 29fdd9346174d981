#pragma once

class QWidget;

namespace varnook {

// Keeps a window above other windows or returns it to the normal order, without moving or
// resizing it.
void setOnTop(QWidget *window, bool onTop);

} // namespace varnook
