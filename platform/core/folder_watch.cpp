#include "platform/core/folder_watch.h"

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include <limits.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr unsigned kEntryChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF |
                                   IN_MOVE_SELF | IN_ONLYDIR;

} // namespace

FolderWatch::FolderWatch() : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}

FolderWatch::~FolderWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FolderWatch::Add(const std::string& folder)
{
    if (m_fd < 0 || folder.empty())
        return false;
    if (Watching(folder))
        return true;
    const int watch = ::inotify_add_watch(m_fd, folder.c_str(), kEntryChanges);
    if (watch < 0)
        return false;
    m_watchOf[folder] = watch;
    m_foldersOf[watch].push_back(folder);
    return true;
}

void FolderWatch::Remove(const std::string& folder)
{
    const auto found = m_watchOf.find(folder);
    if (found == m_watchOf.end())
        return;
    const int watch = found->second;
    m_watchOf.erase(found);
    std::vector<std::string>& folders = m_foldersOf[watch];
    folders.erase(std::remove(folders.begin(), folders.end(), folder), folders.end());
    // The watch is the inode's: it goes when no name of it is watched any more.
    if (folders.empty()) {
        m_foldersOf.erase(watch);
        ::inotify_rm_watch(m_fd, watch);
    }
}

std::vector<std::string> FolderWatch::TakeChanged()
{
    std::vector<std::string> changed;
    if (m_fd < 0)
        return changed;
    const auto note = [&changed](const std::string& folder) {
        if (std::find(changed.begin(), changed.end(), folder) == changed.end())
            changed.push_back(folder);
    };
    // Room for at least one event with the longest name the system gives.
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    // The system queues a bounded number of events (fs.inotify.max_queued_events), so the reads end.
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        std::size_t at = 0;
        while (at + sizeof(inotify_event) <= static_cast<std::size_t>(got)) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            at += sizeof(inotify_event) + event.len;
            const auto folders = m_foldersOf.find(event.wd);
            if (folders == m_foldersOf.end())
                continue;
            const std::vector<std::string> names = folders->second;
            for (const std::string& folder : names)
                note(folder);
            if (event.mask & IN_IGNORED) {
                // The folder went (or its file system): the system has dropped the watch.
                for (const std::string& folder : names)
                    m_watchOf.erase(folder);
                m_foldersOf.erase(event.wd);
            }
        }
    }
    return changed;
}

} // namespace platform
