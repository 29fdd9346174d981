#pragma once

#include <QPoint>

struct xcb_connection_t;

namespace varnook::bench {

// The program's own connection to the X server: a round trip that returns only once the server
// has handled every request sent before it (drawing included), and a mouse click made by the
// server itself (XTest), so that it reaches the program as a user's click does.
class XServerLink {
public:
    // Null connection when the program does not run on xcb.
    XServerLink();

    bool isValid() const { return m_connection != nullptr; }
    bool hasFakeInput() const;
    void roundTrip() const;
    // Moves the pointer to the screen position, presses and releases the left button.
    void click(QPoint screenPosition) const;

private:
    xcb_connection_t *m_connection = nullptr;
};

} // namespace varnook::bench
