#include "engine/util/save_lock.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <filesystem>
#include <set>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

std::atomic<long long> g_waitMs{kSaveLockWait.count()};
std::atomic<void (*)(bool)> g_waitNotice{nullptr};

// A folder this thread holds locked, by its identity on disk, and how many lock sets of the thread use it.
struct HeldFolder {
    dev_t device;
    ino_t inode;
    int fd;
    int uses;
};
thread_local std::vector<HeldFolder> t_folders;

std::string folderOf(const std::string& target)
{
    const std::string folder = std::filesystem::path(target).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

// Takes the lock on `fd`, trying again until the wait has passed: true once held, false when another
// holder kept it all that time. `unlockable` is set when the system does not lock this folder at all.
bool waitForLock(int fd, bool& unlockable, std::chrono::steady_clock::time_point deadline)
{
    auto pause = std::chrono::milliseconds(1);
    bool noticed = false;
    struct EndNotice {
        bool& noticed;
        ~EndNotice()
        {
            if (void (*notice)(bool) = g_waitNotice.load(); noticed && notice != nullptr)
                notice(false);
        }
    } endNotice{noticed};
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        // The flock's own error, before the notice runs program code that may set errno anew.
        const int error = errno;
        if (error == EWOULDBLOCK && !noticed) {
            noticed = true;
            if (void (*notice)(bool) = g_waitNotice.load())
                notice(true);
        }
        if (error == EINTR)
            continue;
        if (error != EWOULDBLOCK) {
            unlockable = true;
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        // Short pauses first (a save of a few files ends within milliseconds), longer ones later.
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(50));
    }
}

} // namespace

std::chrono::milliseconds SetSaveLockWait(std::chrono::milliseconds wait)
{
    return std::chrono::milliseconds(g_waitMs.exchange(wait.count()));
}

void SetSaveLockWaitNotice(void (*notice)(bool waiting))
{
    g_waitNotice.store(notice);
}

bool SaveLocks::lockFolderOf(const std::string& target)
{
    return lockFolder(target, m_deadline ? *m_deadline
                                         : std::chrono::steady_clock::now() + std::chrono::milliseconds(g_waitMs.load()));
}

bool SaveLocks::lockFoldersOf(const std::vector<std::string>& targets)
{
    // One wait for the whole save, however many folders it locks.
    if (!m_deadline)
        m_deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(g_waitMs.load());
    // Every save of every process locks its folders in one order, by their identity on disk, so two saves
    // that share folders never each hold one that the other waits for.
    struct Folder {
        dev_t device;
        ino_t inode;
        const std::string* target;
    };
    std::vector<Folder> folders;
    std::set<std::string> seen;
    for (const std::string& target : targets) {
        const std::string folder = folderOf(target);
        if (!seen.insert(folder).second)
            continue;
        struct stat info {};
        if (::stat(folder.c_str(), &info) == 0)
            folders.push_back({info.st_dev, info.st_ino, &target});
        else
            folders.push_back({0, 0, &target}); // not lockable: the save itself says what fails
    }
    std::stable_sort(folders.begin(), folders.end(), [](const Folder& a, const Folder& b) {
        return a.device != b.device ? a.device < b.device : a.inode < b.inode;
    });
    for (const Folder& folder : folders) {
        if (!lockFolder(*folder.target, *m_deadline))
            return false;
    }
    return true;
}

bool SaveLocks::lockFolder(const std::string& target, std::chrono::steady_clock::time_point deadline)
{
    const int fd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return true;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        ::close(fd);
        return true;
    }
    for (HeldFolder& held : t_folders) {
        if (held.device == info.st_dev && held.inode == info.st_ino) {
            ::close(fd);
            if (std::find(m_held.begin(), m_held.end(), held.fd) == m_held.end()) {
                ++held.uses;
                m_held.push_back(held.fd);
            }
            return true;
        }
    }
    bool unlockable = false;
    if (!waitForLock(fd, unlockable, deadline)) {
        ::close(fd);
        return unlockable;
    }
    t_folders.push_back({info.st_dev, info.st_ino, fd, 1});
    m_held.push_back(fd);
    return true;
}

SaveLocks::~SaveLocks()
{
    for (const int fd : m_held) {
        for (std::size_t i = 0; i < t_folders.size(); ++i) {
            if (t_folders[i].fd != fd)
                continue;
            if (--t_folders[i].uses == 0) {
                ::flock(fd, LOCK_UN);
                ::close(fd);
                t_folders.erase(t_folders.begin() + static_cast<std::ptrdiff_t>(i));
            }
            break;
        }
    }
}

} // namespace engine
