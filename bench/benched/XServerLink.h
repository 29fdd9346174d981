#pragma once

#include <QPoint>
#include <QtGlobal>

struct xcb_connection_t;

namespace varnook::bench {

// The program's own connection to the X server: a round trip that returns only once the server
// has handled every request sent before it (drawing included), and a mouse click and a key press made
// by the server itself (XTest), so that they reach the program as a user's do.
class XServerLink {
public:
    // Null connection when the program does not run on xcb.
    XServerLink();

    bool isValid() const { return m_connection != nullptr; }
    bool hasFakeInput() const;
    void roundTrip() const;
    // Moves the pointer to the screen position, presses and releases the left button.
    void click(QPoint screenPosition) const;
    // Presses and releases the key that gives this key symbol (a Latin-1 character's is its code)
    // without a modifier, where the focus is. False when no key of the keyboard gives it.
    bool typeKey(quint32 keySymbol) const;

private:
    xcb_connection_t *m_connection = nullptr;
};

} // namespace varnook::bench
