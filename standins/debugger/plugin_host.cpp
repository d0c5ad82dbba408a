#include "standins/debugger/plugin_host.h"

#include "platform/core/dynamic_library.h"

#include <cstdlib>
#include <memory>
#include <map>
#include <mutex>

namespace simdbg {

namespace {

// Every library loaded, by path, kept for the life of the process: never unloaded, loaded once.
struct LoadedLibraries {
    std::mutex mutex;
    std::map<std::string, platform::DynamicLibrary*> byPath;
};

LoadedLibraries& loadedLibraries()
{
    static auto* libraries = new LoadedLibraries;
    return *libraries;
}

} // namespace

bool PluginHost::load(const std::string& path)
{
    LoadedLibraries& libraries = loadedLibraries();
    std::lock_guard lock(libraries.mutex);
    platform::DynamicLibrary*& library = libraries.byPath[path];
    if (library == nullptr) {
        auto loaded = std::make_unique<platform::DynamicLibrary>();
        if (!loaded->load(path)) {
            m_error = loaded->error();
            libraries.byPath.erase(path);
            return false;
        }
        library = loaded.release();
    }
    m_api = reinterpret_cast<PluginApi3Fn>(library->symbol(DK_EXPORT_PLUGIN_API));
    m_create = reinterpret_cast<DpCreatePluginObjectFn>(library->symbol(DK_EXPORT_CREATE_OBJECT));
    m_start = reinterpret_cast<IfGuiModuleFn>(library->symbol(DK_EXPORT_START_GUI));
    m_shutDown = reinterpret_cast<IfGuiModuleFn>(library->symbol(DK_EXPORT_SHUTDOWN_GUI));
    if (m_api == nullptr || m_create == nullptr || m_start == nullptr || m_shutDown == nullptr) {
        m_error = path + ": not a debugger plug-in (an export is missing)";
        m_api = nullptr;
        return false;
    }
    return true;
}

const PluginEntryTable* PluginHost::entryTable() const { return m_api != nullptr ? m_api() : nullptr; }

DkStatus PluginHost::init(const DkKernelFunctions_1* table) const
{
    const PluginEntryTable* entries = entryTable();
    return entries != nullptr ? entries->PluginApiInit(table) : DkStatus{DK_STATUS_FAILURE};
}

DkStatus PluginHost::exit() const
{
    const PluginEntryTable* entries = entryTable();
    return entries != nullptr ? entries->PluginApiExit() : DkStatus{DK_STATUS_FAILURE};
}

uint32_t PluginHost::startGui() const { return m_start != nullptr ? m_start() : 0; }
uint32_t PluginHost::shutDownGui() const { return m_shutDown != nullptr ? m_shutDown() : 0; }
void* PluginHost::createObject() const { return m_create != nullptr ? m_create() : nullptr; }

std::string defaultPluginPath()
{
    if (const char* path = std::getenv("KORVANE_PLUGIN_PATH"); path != nullptr && *path != '\0')
        return path;
    return platform::resolveLibraryName("libOMBA_Z5_Plugin.so");
}

} // namespace simdbg
