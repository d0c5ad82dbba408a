#pragma once
// Watching folders for entries that come, go or are renamed (inotify), by the folders' own bytes: a name
// that does not decode in the locale is watched like any other. The owner waits for Descriptor() to be
// readable (a socket notifier, poll) and then takes the folders that changed.

#include <map>
#include <string>
#include <vector>

namespace platform {

class FolderWatch {
public:
    FolderWatch();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    // Readable when changes wait to be taken; -1 when the system gave no watch (nothing is watched then).
    int Descriptor() const { return m_fd; }
    // Starts watching a folder; false when it cannot be watched (gone, not a folder, no watch left).
    bool Add(const std::string& folder);
    void Remove(const std::string& folder);
    bool Watching(const std::string& folder) const { return m_watchOf.count(folder) != 0; }
    // The watched folders whose entries changed since the last call, each once, in the order of their first
    // change. A folder that went away is no longer watched.
    std::vector<std::string> TakeChanged();

private:
    int m_fd = -1;
    std::map<std::string, int> m_watchOf;               // folder -> watch
    std::map<int, std::vector<std::string>> m_foldersOf; // watch -> folders (one inode reached by two names)
};

} // namespace platform
