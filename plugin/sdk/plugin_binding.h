#pragma once
// The binding between the debugger, the IDE and the one plug-in object: the process-wide pointers,
// the entry table, the callback table and the start-up and shut-down sequences.

#include "sdk/debugger/dk_abi.h"

#include <functional>
#include <string>

namespace dk {

class DpPlugin;
class DpKernelPlugin;
class DpIDEPlugin;

inline constexpr const char* kPluginInfoName = "DpKernelPlugin";
inline constexpr const char* kPluginInfoVersion = "1.0";
// The application title, also the caption of the plug-in's message boxes.
inline constexpr const char* kPluginAppTitle = "OMBA_Z5_Plugin";
inline constexpr const char* kPluginRegistryKey =
    "Korvane Systems, Inc.\\OMBA Korvane 1.0\\Korvane Kernel Aware Plugin for Host IDE";

DpPlugin* pluginObject();
DpKernelPlugin* kernelSideInterface();
DpIDEPlugin* ideSideInterface();
// Called by the plug-in object's destructor: the object pointer and both interfaces are cleared, then
// it waits until no call through them (useKernelSide, useIdeSide) runs on another thread.
void forgetPluginObject(DpPlugin* object);

// Runs f with the kept interface while the plug-in object cannot be destroyed; false (and f not run)
// when none is kept.
bool useKernelSide(const std::function<void(DpKernelPlugin&)>& f);
bool useIdeSide(const std::function<void(DpIDEPlugin&)>& f);
bool usePluginObject(const std::function<void(DpPlugin&)>& f);

// Counts one call of the debugger or the IDE into the plug-in (an export or a callback slot) for its
// duration, as useKernelSide does: the plug-in object's destructor waits until every counted call of
// another thread has ended, so no slot is half-way through plug-in code while Exit deletes it.
class EntryUse {
public:
    EntryUse();
    ~EntryUse();
    EntryUse(const EntryUse&) = delete;
    EntryUse& operator=(const EntryUse&) = delete;

private:
    bool m_counted;
};

// The plug-in object, created when there is none (on whichever thread comes first), held by a counted
// use for the life of this value, whoever created it: the object's destructor waits until the use has
// ended. get() is null only when creation failed.
class PluginObjectUse {
public:
    PluginObjectUse();
    ~PluginObjectUse();
    PluginObjectUse(const PluginObjectUse&) = delete;
    PluginObjectUse& operator=(const PluginObjectUse&) = delete;

    DpPlugin* get() const { return m_object; }

private:
    DpPlugin* m_object;
};

// Test seams at the points where a start-up and a shut-down meet, so that a test forces their order:
// the GUI start holds the object (before it uses it), and Exit waits for calls of other threads that
// still use the object. Null: none.
enum class BindingPoint { GuiStartHoldsObject, ExitWaitsForCalls };
void setBindingHook(std::function<void(BindingPoint)> hook);

const PluginEntryTable* GetPluginEntryTable();
const PluginCallbackTable* GetPluginCallbackTable();

DkStatus PluginApiInit(const DkKernelFunctions_1* table);
DkStatus PluginApiExit();
uint32_t StartGuiModule();
uint32_t ShutDownGuiModule();

// The resource module of the framework objects (none unless one was recorded).
void* DpGetResourceModule();
void DpSetModuleHandle(void* module);

} // namespace dk
