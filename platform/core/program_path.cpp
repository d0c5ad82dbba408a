#include "program_path.h"

#include <unistd.h>

#include <mutex>
#include <vector>

namespace platform {

namespace {
std::mutex g_mutex;
std::string g_override;
} // namespace

std::string programPath()
{
    std::vector<char> buffer(4096);
    const ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length <= 0)
        return {};
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

std::string programDirectory()
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_override.empty())
            return g_override;
    }
    const std::string path = programPath();
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

void setProgramDirectoryOverride(const std::string& directory)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = directory;
}

} // namespace platform
