#include "plugin/views/listwin/plugin_resources.h"

#include "plugin/views/listwin/resource_pictures.h"

#include "plugin/sdk/plugin_binding.h"
#include "sdk/ide/if_desktop.h"

#include <boost/format.hpp>

#include <map>
#include <vector>

namespace views {
namespace {

IfMenu command(unsigned id, const std::string& text)
{
    IfMenu item;
    item.id = id;
    item.text = text;
    return item;
}

IfMenu separator()
{
    IfMenu item;
    item.separator = true;
    return item;
}

IfMenu popup(const std::string& text, std::vector<IfMenu> items)
{
    IfMenu item;
    item.text = text;
    item.items = std::move(items);
    return item;
}

class OwnResources final : public IfResourceModule {
public:
    bool GetMenu(unsigned id, IfMenu& menu) const override
    {
        if (id == kMainMenu) {
            menu = popup("Plugin Sample", {command(kCallCountCommand, "Call Count")});
            return true;
        }
        if (id == kCallCountMenu) {
            menu = popup("CONTEXT", {command(kResetCounterCommand, "Reset Counter"),
                                     command(kRemoveFunctionCommand, "Remove Function"), separator(),
                                     command(kResetAllCountersCommand, "Reset All Counters")});
            return true;
        }
        return false;
    }

    bool GetString(unsigned id, std::string& text) const override
    {
        static const std::map<unsigned, std::string> strings{
            {kResetCounterCommand, "Reset counter for the selected function."},
            {kRemoveFunctionCommand, "Remove the selected function."},
            {kResetAllCountersCommand, "Reset all counters"},
            {25096, "The entry was not accepted."},
        };
        auto it = strings.find(id);
        if (it == strings.end())
            return false;
        text = it->second;
        return true;
    }

    bool GetBitmap(unsigned id, IfBitmap& bitmap) const override
    {
        if (id != kCountersToolbar)
            return false;
        static const IfBitmap images = CountersToolbarImages();
        bitmap = images;
        return true;
    }

    bool GetToolbar(unsigned id, IfToolbar& toolbar) const override
    {
        if (id != kCountersToolbar)
            return false;
        toolbar = IfToolbar{16, 15, {kResetCounterCommand, kRemoveFunctionCommand, 0, kResetAllCountersCommand}};
        return true;
    }
};

// Bitmaps and toolbars larger than this are refused: no resource of a list window comes near it.
constexpr int kMaxBitmapSide = 4096;
constexpr std::size_t kMaxToolbarItems = 256;

bool wholeBitmap(const IfBitmap& bitmap)
{
    return bitmap.width > 0 && bitmap.height > 0 && bitmap.width <= kMaxBitmapSide &&
           bitmap.height <= kMaxBitmapSide &&
           bitmap.pixels.size() == static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height);
}

// The recorded resource module, when one is registered, then the plug-in's own.
std::vector<const IfResourceModule*> modulesInOrder()
{
    std::vector<const IfResourceModule*> modules;
    if (const IfResourceModule* recorded = IfGetResourceModule(dk::DpGetResourceModule()))
        modules.push_back(recorded);
    modules.push_back(&PluginResources());
    return modules;
}

} // namespace

IfResourceModule& PluginResources()
{
    static OwnResources* resources = new OwnResources;
    return *resources;
}

IfResourceModule& ActiveResources()
{
    IfResourceModule* recorded = IfGetResourceModule(dk::DpGetResourceModule());
    return recorded != nullptr ? *recorded : PluginResources();
}

bool LoadCommandString(unsigned id, std::string& text)
{
    void* module = dk::DpGetResourceModule();
    if (void* owner = IfDynamicCmdModule(id)) {
        if (owner != module) {
            text.clear();
            return false;
        }
        id = IfDynamicCmd2ModuleLocal(id);
    }
    if (IfResourceModule* recorded = IfGetResourceModule(module); recorded != nullptr && recorded->GetString(id, text))
        return true;
    if (PluginResources().GetString(id, text))
        return true;
    text.clear();
    return false;
}

std::string LoadResourceString(unsigned id)
{
    std::string text;
    if (LoadCommandString(id, text))
        return text;
    return (boost::format("<?not found (%d)?>") % id).str();
}

std::wstring LoadResourceStringW(unsigned id) { return IfM2U(LoadResourceString(id)); }

std::string CommandPrompt(unsigned id)
{
    std::string text;
    if (!LoadCommandString(id, text))
        return {};
    return text.substr(0, text.find('\n'));
}

std::string CommandToolTip(unsigned id)
{
    std::string text;
    if (!LoadCommandString(id, text))
        return {};
    const std::size_t tip = text.find('\n');
    return tip == std::string::npos ? text : text.substr(tip + 1);
}

void ShowCommandPrompt(unsigned id)
{
    if (IfDesktop* desktop = IfDesktop::Instance())
        desktop->SetStatusText(id == 0 ? std::string() : CommandPrompt(id));
}

bool LoadBitmap(unsigned id, IfBitmap& bitmap)
{
    for (const IfResourceModule* module : modulesInOrder()) {
        IfBitmap found;
        if (module->GetBitmap(id, found)) {
            if (!wholeBitmap(found))
                return false;
            bitmap = std::move(found);
            return true;
        }
    }
    return false;
}

bool LoadToolbar(unsigned id, IfToolbar& toolbar, IfBitmap& images)
{
    for (const IfResourceModule* module : modulesInOrder()) {
        IfToolbar found;
        if (!module->GetToolbar(id, found))
            continue;
        IfBitmap strip;
        if (!module->GetBitmap(id, strip) || !wholeBitmap(strip))
            return false;
        std::size_t buttons = 0;
        for (unsigned item : found.items)
            buttons += item != 0 ? 1 : 0;
        const bool fits = found.buttonWidth > 0 && found.buttonHeight > 0 && found.buttonWidth <= kMaxBitmapSide &&
                          found.buttonHeight <= strip.height && found.items.size() <= kMaxToolbarItems &&
                          buttons * static_cast<std::size_t>(found.buttonWidth) <= static_cast<std::size_t>(strip.width);
        if (!fits)
            return false;
        toolbar = std::move(found);
        images = std::move(strip);
        return true;
    }
    return false;
}

} // namespace views
