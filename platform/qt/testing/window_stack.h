#pragma once
// The order the window manager stacks the programs' top-level windows in, as it announces it on an X
// server (_NET_CLIENT_LIST_STACKING). Tests compare where windows stand; offscreen there is no order.

#include <QWidget>

#include <vector>

namespace platform::testing {

// The client windows the window manager manages, bottom first; empty without an X server and a manager.
std::vector<WId> WindowManagerStackingOrder();

// Where the window stands in that order (bottom 0); -1 when it is not in it.
int StackingPlace(const std::vector<WId>& order, const QWidget* window);

} // namespace platform::testing
