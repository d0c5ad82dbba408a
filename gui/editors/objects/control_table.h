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
    Static,      // a text whose content the model sets
    Text,        // a fixed text without an id
    GroupBegin,  // a group box; the rows up to the matching GroupEnd go inside
    GroupEnd,
};

struct ControlRow {
    ControlKind kind;
    int id;             // 0 for none
    const char* label;  // edit label, button caption, group title or fixed text; may be null
    bool sameLine = false;  // continue the previous line instead of starting a new one
};

using ControlTable = std::vector<ControlRow>;

// The controls of the object dialog of a class type (1 to 14); empty for any other.
const ControlTable& objectDialogControls(int classType);
const ControlTable& classOptionsControls();
const ControlTable& dynamicObjectsControls();
const ControlTable& projectPropertiesControls();

} // namespace editors
