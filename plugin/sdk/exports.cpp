// The four exports of libOMBA_Z5_Plugin.so. Everything else in the library is hidden. Each is a
// counted use of the plug-in (EntryUse), as every callback slot is; an export that may create the
// object holds the use of the object it made or found (PluginObjectUse) for as long as it touches it.
// Init and Exit of the entry table are serialised with each other, and Exit is what waits for the uses.

#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/plugin_object.h"

#define PLUGIN_EXPORT extern "C" __attribute__((visibility("default")))

PLUGIN_EXPORT void* DpCreatePluginObject() noexcept
{
    try {
        // The pointer is the host's from here on: its use ends with the call.
        const dk::PluginObjectUse object;
        return object.get();
    } catch (...) {
        return nullptr;
    }
}

PLUGIN_EXPORT uint32_t IfShutDownGuiModule() noexcept
{
    try {
        dk::EntryUse use;
        return dk::ShutDownGuiModule();
    } catch (...) {
        return 1;
    }
}

PLUGIN_EXPORT uint32_t IfStartGuiModule() noexcept
{
    try {
        dk::EntryUse use;
        return dk::StartGuiModule();
    } catch (...) {
        return 1;
    }
}

PLUGIN_EXPORT const PluginEntryTable* PluginApi_3() noexcept
{
    try {
        dk::EntryUse use;
        return dk::GetPluginEntryTable();
    } catch (...) {
        return dk::GetPluginEntryTable();
    }
}
