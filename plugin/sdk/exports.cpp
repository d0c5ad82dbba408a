// The four exports of libOMBA_Z5_Plugin.so. Everything else in the library is hidden.

#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/plugin_object.h"

#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

PLUGIN_EXPORT void* DpCreatePluginObject() noexcept
{
    try {
        return dk::CreatePluginObject();
    } catch (...) {
        return nullptr;
    }
}

PLUGIN_EXPORT uint32_t IfShutDownGuiModule() noexcept
{
    try {
        return dk::ShutDownGuiModule();
    } catch (...) {
        return 1;
    }
}

PLUGIN_EXPORT uint32_t IfStartGuiModule() noexcept
{
    try {
        return dk::StartGuiModule();
    } catch (...) {
        return 1;
    }
}

PLUGIN_EXPORT const PluginEntryTable* PluginApi_3() noexcept { return dk::GetPluginEntryTable(); }
