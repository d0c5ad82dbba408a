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
};

// The plug-in module's own menus and strings.
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

} // namespace views
