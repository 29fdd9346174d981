#pragma once

class QKeyEvent;
class QWidget;

namespace varnook {

// The keys every window of the program answers as desktop users expect.
class WindowKeys {
public:
    // Escape closes window, as its close button (or Cancel) does.
    static void closeOnEscape(QWidget *window);
    // Enter on the focused button presses it, as Space does; true when it did. For a window's
    // keyPressEvent: buttons that are not a dialog's pass Enter on to their window.
    static bool pressFocusedButton(QWidget *window, const QKeyEvent *event);
};

} // namespace varnook
