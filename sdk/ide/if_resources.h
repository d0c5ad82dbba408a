#pragma once
// Resource modules: where framework objects find menus and strings, and the small services around
// them (language, framework generation, dynamic command ids, text conversion).

#include "sdk/ide/ide_export.h"

#include <cstdint>
#include <string>
#include <vector>

// One menu: a popup with a title, or a command with an id, or a separator.
struct IfMenu {
    unsigned id = 0;
    std::string text;
    bool separator = false;
    std::vector<IfMenu> items; // a popup when not empty
};

// A bitmap: width x height pixels, row by row from the top, each 0x00RRGGBB.
struct IfBitmap {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
};

// A toolbar: the size of one button's image and the buttons' commands in order, 0 for a separator. The
// images are the module's bitmap of the same id, side by side, one per button; pixels of
// kIfToolbarBackground show the toolbar's own background.
struct IfToolbar {
    int buttonWidth = 16;
    int buttonHeight = 15;
    std::vector<unsigned> items;
};
inline constexpr uint32_t kIfToolbarBackground = 0xC0C0C0;

// A module's menus, strings, bitmaps and toolbars.
class IDEFRAMEWORK_EXPORT IfResourceModule {
public:
    virtual ~IfResourceModule() = default;
    virtual bool GetMenu(unsigned id, IfMenu& menu) const = 0;
    // A menu by resource name: "#1055" names the menu of that number; the module may know others.
    virtual bool GetNamedMenu(const std::string& name, IfMenu& menu) const;
    virtual bool GetString(unsigned id, std::string& text) const = 0;
    virtual bool GetBitmap(unsigned /*id*/, IfBitmap& /*bitmap*/) const { return false; }
    virtual bool GetToolbar(unsigned /*id*/, IfToolbar& /*toolbar*/) const { return false; }
};

IDEFRAMEWORK_EXPORT std::string IfGetCurrentLanguage(); // "ENU" unless KORVANE_IDE_LANGUAGE says otherwise
IDEFRAMEWORK_EXPORT void IfRegisterResourceModuleHandle(void* module, IfResourceModule* resources);
IDEFRAMEWORK_EXPORT void IfUnregisterResourceModuleHandle(void* module);
IDEFRAMEWORK_EXPORT IfResourceModule* IfGetResourceModule(void* module); // registered resources or null
IDEFRAMEWORK_EXPORT bool IfCompareStubFrameworkGeneration(void* module, int generation); // true for 7
// This IDE hands out no dynamic ids: no module owns an id, and every id is its own local id.
IDEFRAMEWORK_EXPORT void* IfDynamicCmdModule(unsigned id);
IDEFRAMEWORK_EXPORT unsigned IfDynamicCmd2ModuleLocal(unsigned id);
// Narrow (8-bit, Latin-1) and wide text.
IDEFRAMEWORK_EXPORT std::wstring IfM2U(const std::string& text);
IDEFRAMEWORK_EXPORT std::string IfU2M(const std::wstring& text);
