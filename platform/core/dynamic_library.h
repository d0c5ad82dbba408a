#pragma once
// A dynamic library loaded by name (dlopen/dlsym/dlclose), unloaded when the object goes.

#include <string>

namespace platform {

class DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();
    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    // Loads a library; a name as stored in a model or record is first turned into a file path by
    // resolveLibraryName. Returns false (with error() set) when it cannot be loaded.
    bool load(const std::string& name);
    void unload();
    bool isLoaded() const { return m_handle != nullptr; }
    // The address of an exported symbol, or null.
    void* symbol(const std::string& name) const;
    const std::string& error() const { return m_error; }
    const std::string& path() const { return m_path; }

private:
    void* m_handle = nullptr;
    std::string m_path;
    std::string m_error;
};

// Turns a library name from a stored file into a path on this system: backslashes become '/', a
// relative name is taken from the program's own folder, and a trailing ".dll" becomes ".so".
std::string resolveLibraryName(const std::string& name);

} // namespace platform
