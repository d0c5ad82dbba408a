#pragma once
// Builds the widgets of a control table into a grid, line by line inside nested groups, and moves one
// control's state between its widget and the ViewState. Shared by the dialogs and the property pages.
#include <functional>

#include "gui/editors/model/dialog_model.h"
#include "gui/editors/objects/control_table.h"

class QLineEdit;
class QString;
class QObject;
class QWidget;

namespace editors {

// What the built widgets report. Any hook may be empty.
struct ControlHooks {
    std::function<void(int id)> clicked;        // buttons, radios, checks, list/combo selection, scroll bar
    std::function<void(int id)> edited;         // typing in an edit
    std::function<void(int id)> doubleClicked;  // lists
    std::function<void(int id)> checkChanged;   // a check list's box
    QObject* editFilter = nullptr;              // event filter installed on every edit
};

// The widgets of the table in a new widget owned by owner (radio groups are owned by owner as well).
QWidget* buildControls(QWidget* owner, const ControlTable& table, const ControlHooks& hooks);

// Shows the state in an edit, button, group, static or scroll bar, then its enabled and visible state.
// List, check-list and combo contents are the caller's (only enabled and visible are set for them).
void showControl(QWidget* widget, const ControlState& control);
// Reads an edit's text or a check button's state; false for any other widget.
bool readControl(QWidget* widget, ControlState& control);
// Gives the control the focus and selects an edit's text.
void focusControl(QWidget* root, int id);
// Lets typing and pasting put only characters the files can hold into the edit (as every built edit).
void filterTyping(QLineEdit* edit);

} // namespace editors
