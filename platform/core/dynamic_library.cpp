#include "dynamic_library.h"

#include "program_path.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace platform {

DynamicLibrary::~DynamicLibrary()
{
    unload();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr))
    , m_path(std::move(other.m_path))
    , m_error(std::move(other.m_error))
{
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept
{
    if (this != &other) {
        unload();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_path = std::move(other.m_path);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool DynamicLibrary::load(const std::string& name)
{
    unload();
    m_path = resolveLibraryName(name);
    m_error.clear();
    if (m_path.empty()) {
        m_error = "empty library name";
        return false;
    }
    // Only a regular file is loaded: the loader would wait forever on a named pipe, and a folder or a
    // device is never a library.
    struct stat info {};
    if (::stat(m_path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        m_error = m_path + ": " +
                  (S_ISFIFO(info.st_mode) ? "it is a named pipe, not a library"
                   : S_ISDIR(info.st_mode) ? "it is a folder, not a library"
                                           : "it is not a regular file, not a library");
        return false;
    }
    m_handle = dlopen(m_path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        const char* why = dlerror();
        m_error = why ? why : "unknown error";
        return false;
    }
    return true;
}

void DynamicLibrary::unload()
{
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}

void* DynamicLibrary::symbol(const std::string& name) const
{
    if (!m_handle)
        return nullptr;
    return dlsym(m_handle, name.c_str());
}

std::string resolveLibraryName(const std::string& name)
{
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    if (path.size() >= 4) {
        std::string tail = path.substr(path.size() - 4);
        std::transform(tail.begin(), tail.end(), tail.begin(), [](unsigned char c) { return char(std::tolower(c)); });
        if (tail == ".dll")
            path = path.substr(0, path.size() - 4) + ".so";
    }
    if (!path.empty() && path.front() != '/')
        path = programDirectory() + "/" + path;
    return path;
}

} // namespace platform
