#include "platform/qt/testing/window_stack.h"

#include <QGuiApplication>

#include <algorithm>
#include <cstdlib>
#include <memory>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>
#define KORVANE_TESTING_XCB 1
#endif

namespace platform::testing {

std::vector<WId> WindowManagerStackingOrder()
{
    std::vector<WId> order;
#ifdef KORVANE_TESTING_XCB
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return order;
    const char name[] = "_NET_CLIENT_LIST_STACKING";
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> atom(
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, 1, sizeof name - 1, name), nullptr), &std::free);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (!atom || atom->atom == XCB_ATOM_NONE || !screen)
        return order;
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, screen->root, atom->atom, XCB_ATOM_WINDOW, 0, 1024),
                               nullptr),
        &std::free);
    if (!property || property->format != 32)
        return order;
    const auto* windows = static_cast<const xcb_window_t*>(xcb_get_property_value(property.get()));
    const int count = xcb_get_property_value_length(property.get()) / 4;
    for (int i = 0; windows && i < count; ++i)
        order.push_back(static_cast<WId>(windows[i]));
#endif
    return order;
}

int StackingPlace(const std::vector<WId>& order, const QWidget* window)
{
    if (!window)
        return -1;
    const auto found = std::find(order.begin(), order.end(), window->winId());
    return found == order.end() ? -1 : static_cast<int>(found - order.begin());
}

} // namespace platform::testing
