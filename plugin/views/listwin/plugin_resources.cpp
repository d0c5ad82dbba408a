#include "plugin/views/listwin/plugin_resources.h"

#include "plugin/sdk/plugin_binding.h"

#include <boost/format.hpp>

#include <map>

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
};

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

} // namespace views
