#pragma once
// Runs the plug-in's popup menus. The menu lives on the heap as a child of its owner, so a session
// that ends while the menu is open (the owner is deleted from inside the menu's loop) frees it once.

#include "plugin/views/kit/trace_popup.h"

#include <functional>
#include <vector>

class QPoint;
class QWidget;

namespace views {

// Shows the items at a screen point and waits for the choice. Answers the command of the chosen
// item; 0 when none was chosen or when the owner went while the menu was open. `highlighted` is told
// the command of each item the user moves onto, and 0 once the menu has closed.
int RunPopupMenu(QWidget* owner, const std::vector<PopupItem>& items, const QPoint& screenPoint,
                 const std::function<void(int command)>& highlighted = {});

} // namespace views
