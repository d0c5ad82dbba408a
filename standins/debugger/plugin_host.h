#pragma once
// The host's hold on the plug-in library: loads it once for the life of the process (it is never
// unloaded, as objects of the plug-in may outlive any one session) and calls its four exports.

#include "sdk/debugger/dk_abi.h"

#include <string>

namespace simdbg {

class PluginHost {
public:
    // Loads the library at path (RTLD_LOCAL) and resolves the four exports; false with error() set.
    bool load(const std::string& path);
    bool loaded() const { return m_api != nullptr; }
    const std::string& error() const { return m_error; }

    const PluginEntryTable* entryTable() const;
    DkStatus init(const DkKernelFunctions_1* table) const; // entry 2 of the entry table
    DkStatus exit() const;                                 // entry 3
    uint32_t startGui() const;
    uint32_t shutDownGui() const;
    void* createObject() const;

private:
    PluginApi3Fn m_api = nullptr;
    DpCreatePluginObjectFn m_create = nullptr;
    IfGuiModuleFn m_start = nullptr;
    IfGuiModuleFn m_shutDown = nullptr;
    std::string m_error;
};

// The path of the built plug-in next to the running program (or in KORVANE_PLUGIN_PATH when set).
std::string defaultPluginPath();

} // namespace simdbg
