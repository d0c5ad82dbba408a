#pragma once
// The lock that keeps two saves apart. Every save replaces its files through temporaries in the files'
// folders; while a save writes and puts in place the files of one folder it holds that folder's lock, so
// a second save of the same files (another program, another window) waits until the first has ended.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace engine {

// The longest a save waits for another save of the same folder to end before it gives up. A save of the
// largest projects the programs are measured with (4,000 CPUs, 8,001 files, each flushed) ends well
// within it on a local disk.
inline constexpr std::chrono::milliseconds kSaveLockWait{10000};

// The save locks one thread holds: a folder locked once by this thread is not locked again (a save of
// several files, or a nested one, holds each folder once), and every lock is released with the set.
class SaveLocks {
public:
    SaveLocks() = default;
    ~SaveLocks();
    SaveLocks(const SaveLocks&) = delete;
    SaveLocks& operator=(const SaveLocks&) = delete;

    // Locks the folder that holds `target` (the file a save is about to replace), waiting up to the
    // save lock wait for another save to end. False only when another save held it all that time. A
    // folder that cannot be opened or that the system will not lock (some network file systems) is
    // saved into unlocked: the save itself then says what fails.
    // Once the set has locked several folders together, a later folder shares that one wait.
    bool lockFolderOf(const std::string& target);
    // Locks the folders of all of `targets` (the files a save is about to replace) before any is written,
    // waiting up to the save lock wait for all of them together. False when another save kept one all that
    // time; the folders locked by then stay in the set until it ends.
    bool lockFoldersOf(const std::vector<std::string>& targets);

private:
    bool lockFolder(const std::string& target, std::chrono::steady_clock::time_point deadline);

    std::vector<int> m_held; // descriptors of the folders this set locked
    // The end of the set's one wait, once lockFoldersOf has begun it.
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
};

// Called on the saving thread with true when a save finds a folder held by another save and starts to
// wait, and with false once its wait has ended, so that a program can show that it waits. Null removes it.
void SetSaveLockWaitNotice(void (*notice)(bool waiting));

// Sets how long a save waits for another (tests shorten it); returns the wait that was set.
std::chrono::milliseconds SetSaveLockWait(std::chrono::milliseconds wait);

} // namespace engine
