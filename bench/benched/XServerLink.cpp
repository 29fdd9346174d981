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

bool XServerLink::typeKey(quint32 keySymbol) const {
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    const xcb_keycode_t first = setup->min_keycode;
    const auto count = uint8_t(setup->max_keycode - first + 1);
    xcb_get_keyboard_mapping_reply_t *mapping =
        xcb_get_keyboard_mapping_reply(m_connection, xcb_get_keyboard_mapping(m_connection, first, count), nullptr);
    if (!mapping)
        return false;
    // The first symbol of each key is the one it gives without Shift.
    const xcb_keysym_t *symbols = xcb_get_keyboard_mapping_keysyms(mapping);
    const int perKey = mapping->keysyms_per_keycode;
    xcb_keycode_t key = 0;
    for (int i = 0; perKey > 0 && i < count && key == 0; ++i) {
        if (symbols[i * perKey] == keySymbol)
            key = xcb_keycode_t(first + i);
    }
    std::free(mapping);
    if (key == 0)
        return false;
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    xcb_test_fake_input(m_connection, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_test_fake_input(m_connection, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, root, 0, 0, 0);
    xcb_flush(m_connection);
    return true;
}

} // namespace varnook::bench
