#include "XServerLink.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <cstdlib>

namespace varnook::bench {

XServerLink::XServerLink() {
    if (auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>())
        m_connection = x11->connection();
}

bool XServerLink::hasFakeInput() const {
    const xcb_query_extension_reply_t *extension = xcb_get_extension_data(m_connection, &xcb_test_id);
    return extension && extension->present;
}

void XServerLink::roundTrip() const {
    // The server answers requests in order: once this reply is here, every earlier image is drawn.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
}

void XServerLink::click(QPoint screenPosition) const {
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    const auto x = int16_t(screenPosition.x());
    const auto y = int16_t(screenPosition.y());
    xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, root, x, y, 0);
    xcb_test_fake_input(m_connection, XCB_BUTTON_PRESS, 1, XCB_CURRENT_TIME, root, x, y, 0);
    xcb_test_fake_input(m_connection, XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, root, x, y, 0);
    xcb_flush(m_connection);
}

} // namespace varnook::bench
