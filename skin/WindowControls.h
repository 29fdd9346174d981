#pragma once

#include <QList>

class QWidget;

namespace varnook {

// The controls of a window in the window's own control order (creation order, containers before
// what they hold). Controls inside frames, picture boxes and plain container widgets count;
// the inner parts of a control (a list's header, a status bar's panels) and other windows do not.
QList<QWidget *> windowControls(const QWidget *window);

} // namespace varnook
