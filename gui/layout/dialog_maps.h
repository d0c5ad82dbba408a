#pragma once
// The layout tables of the generator program's resizable dialogs.

#include "gui/layout/layout_rule.h"

namespace layout {

// Command output (template 204) and file viewer (template 209): the text stretches, the buttons stay
// centred along the bottom.
inline constexpr DynamicMapEntry kOutputDialogMap[] = {
    mapModes(1271, ModeStretch, ModeStretch),
    mapModes(1, ModeCentre, ModeMove),
    mapModes(2, ModeCentre, ModeMove),
    mapEnd(),
};

// "Select Folder" (template 183): the tree stretches, the folder edit widens along the bottom.
inline constexpr DynamicMapEntry kSelectFolderDialogMap[] = {
    mapModes(1154, ModeStretch, ModeStretch),
    mapModes(1, ModeCentre, ModeMove),
    mapModes(2, ModeCentre, ModeMove),
    mapModes(1155, ModeStretch, ModeMove),
    mapEnd(),
};

} // namespace layout
