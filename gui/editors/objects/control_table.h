#pragma once
// A dialog's controls as data: each row names a control kind, its id and its label. The view builds the
// widgets from the rows, top to bottom, inside nested groups.
#include <vector>

namespace editors {

enum class ControlKind {
    Edit,        // a line edit, with its label before it when the row has one
    Check,       // a check box
    RadioFirst,  // the first radio button of an exclusive set
    Radio,       // a further radio button of the current set
    Button,      // a push button
    Static,      // a text whose content the model sets unless the row gives one
    Text,        // a fixed, wrapped text; it takes the whole line unless something follows on that line
    List,        // a two-column list (text, right-aligned value after a tab)
    CheckList,   // a list of check boxes
    Combo,       // a drop-down list, with its label before it when the row has one
    GroupBegin,  // a group box; the rows up to the matching GroupEnd go inside
    GroupEnd,
    ScrollBar,   // vertical, beside the rows of the current group
};

struct ControlRow {
    ControlKind kind;
    int id;             // 0 for none
    const char* label;  // edit or combo label, button caption, group title or fixed text; may be null
    bool sameLine = false;  // continue the previous line instead of starting a new one
    bool firstCell = false; // on the current line, in the first control's cell (one of the two is hidden)
};

using ControlTable = std::vector<ControlRow>;

// The controls of the object dialog of a class type (1 to 14); empty for any other.
const ControlTable& objectDialogControls(int classType);
const ControlTable& classOptionsControls();
const ControlTable& dynamicObjectsControls();
const ControlTable& projectPropertiesControls();

} // namespace editors
