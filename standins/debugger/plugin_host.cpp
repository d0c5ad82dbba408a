#include "standins/debugger/plugin_host.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace simdbg {

namespace {

// Every library loaded, by path, kept for the life of the process: never unloaded, loaded once.
struct LoadedLibraries {
    std::mutex mutex;
    std::map<std::string, void*> byPath;
};

LoadedLibraries& loadedLibraries()
{
    static auto* libraries = new LoadedLibraries;
    return *libraries;
}

// The folder of the running program, or "." when it cannot be read.
std::string programFolder()
{
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    const std::string path = length > 0 ? std::string(buffer.data(), static_cast<std::size_t>(length)) : "";
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// A relative library path names a file beside the running program.
std::string libraryPath(const std::string& path)
{
    return !path.empty() && path.front() != '/' ? programFolder() + "/" + path : path;
}

} // namespace

bool PluginHost::load(const std::string& path)
{
    LoadedLibraries& libraries = loadedLibraries();
    std::lock_guard lock(libraries.mutex);
    void*& library = libraries.byPath[path];
    if (library == nullptr) {
        if (path.empty()) {
            m_error = "empty library name";
            libraries.byPath.erase(path);
            return false;
        }
        library = dlopen(libraryPath(path).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = dlerror();
            m_error = why != nullptr ? why : "unknown error";
            libraries.byPath.erase(path);
            return false;
        }
    }
    m_api = reinterpret_cast<PluginApi3Fn>(dlsym(library, DK_EXPORT_PLUGIN_API));
    m_create = reinterpret_cast<DpCreatePluginObjectFn>(dlsym(library, DK_EXPORT_CREATE_OBJECT));
    m_start = reinterpret_cast<IfGuiModuleFn>(dlsym(library, DK_EXPORT_START_GUI));
    m_shutDown = reinterpret_cast<IfGuiModuleFn>(dlsym(library, DK_EXPORT_SHUTDOWN_GUI));
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
    return libraryPath("libOMBA_Z5_Plugin.so");
}

} // namespace simdbg
