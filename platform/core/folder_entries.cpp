#include "platform/core/folder_entries.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries)
{
    entries.clear();
    const std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir)
        return false;
    const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    // readdir gives each entry of the folder once, then null.
    while (const dirent* entry = ::readdir(dir.get())) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        struct stat info {};
        FolderEntry listed{name, false, false};
        if (::stat((prefix + name).c_str(), &info) == 0) {
            listed.folder = S_ISDIR(info.st_mode);
            listed.file = S_ISREG(info.st_mode);
        }
        entries.push_back(std::move(listed));
    }
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
}

bool IsFolder(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const std::string& path)
{
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string WorkingFolder()
{
    // The buffer grows until the name fits; the kernel gives at most a page of it (a longer one fails with
    // ENAMETOOLONG), far below the last size tried.
    for (std::size_t size = 256; size <= (std::size_t{1} << 20); size *= 2) {
        std::string buffer(size, '\0');
        if (::getcwd(buffer.data(), buffer.size()))
            return buffer.c_str();
        if (errno != ERANGE)
            break;
    }
    return "/";
}

} // namespace platform
