#pragma once
// The plug-in's own resources (its menus and string table) and the string loader of its framework
// objects: strings come from the recorded resource module when it has them, else from these.

#include "sdk/ide/if_resources.h"

#include <string>

namespace views {

enum PluginResourceId : unsigned {
    kMainMenu = 1055,         // the popup "Plugin Sample" with "Call Count"
    kCallCountCommand = 1059,
    kCallCountMenu = 1057,    // the popup "CONTEXT" of the Call Count window
    kResetCounterCommand = 32784,
    kRemoveFunctionCommand = 32785,
    kResetAllCountersCommand = 32786,
    kCountersToolbar = 1061,  // toolbar (and its bitmap) of the three counter commands
};

// The plug-in module's own menus, strings, bitmaps and toolbars.
IfResourceModule& PluginResources();
// The module the framework objects load from: the recorded resource module's resources when one is
// registered, else the plug-in's own.
IfResourceModule& ActiveResources();

// The command's string: false (text emptied) when neither the resource module nor the plug-in has it,
// or when the IDE maps the id to another module.
bool LoadCommandString(unsigned id, std::string& text);
// The string, or "<?not found (id)?>".
std::string LoadResourceString(unsigned id);
std::wstring LoadResourceStringW(unsigned id);

// A command's string holds its status prompt and, after a line break, its tool tip. The prompt is ""
// when no module has the string; the tool tip is the prompt when the string has no second part.
std::string CommandPrompt(unsigned id);
std::string CommandToolTip(unsigned id);
// Shows the command's prompt in the IDE's status bar; 0 clears it.
void ShowCommandPrompt(unsigned id);

// The bitmap from the recorded resource module, else from the plug-in's own; false when neither holds
// it or what the module holds is not a whole bitmap (sizes that do not match its pixels, or too large).
bool LoadBitmap(unsigned id, IfBitmap& bitmap);
// The toolbar and its images, both from the first module (recorded, then own) that holds the toolbar;
// false when none does or its images do not cover its buttons.
bool LoadToolbar(unsigned id, IfToolbar& toolbar, IfBitmap& images);

} // namespace views
