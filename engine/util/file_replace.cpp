// Replacing files through temporaries, alone or several as one commit, and the words for a failure.

#include "engine/util/file_io.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/util/descriptor.h"
#include "platform/core/process_signals.h"

namespace engine {
namespace {

thread_local ReplaceOutcome t_lastReplace;

std::atomic<void (*)()> g_saveStepHook{nullptr};

void saveStep()
{
    if (void (*hook)() = g_saveStepHook.load())
        hook();
}

// The commit open on this thread, which holds the renames of the files written while it is open.
thread_local FileCommit* t_commit = nullptr;

std::string folderOf(const std::string& target)
{
    const std::string folder = std::filesystem::path(target).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

void flushFolderOf(const std::string& target)
{
    // A rename is durable only once the folder is flushed. The file is already replaced, so a folder that
    // cannot be flushed (some file systems refuse it) does not make the save a failure.
    Descriptor directory(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.fd >= 0)
        ::fsync(directory.fd);
}

// A name beside `target` for a file of the save's own: the target's name, "temp." and six random letters
// and digits, the target's name cut where the whole would be longer than the system's longest file name.
// Whether a file has it is found by creating it exclusively.
std::string newNameBeside(const std::string& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static constexpr std::size_t kAdded = 11; // "temp." and six letters
    thread_local std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kLetters) - 2);
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::string name = target;
    if (target.size() - nameStart + kAdded > NAME_MAX)
        name.resize(nameStart + (NAME_MAX - kAdded));
    name += "temp.";
    for (int i = 0; i < 6; ++i)
        name.push_back(kLetters[pick(random)]);
    return name;
}

// Tries a new name again when one is taken. With 56 billion names, a hundred taken in a row means the
// folder answers "exists" to every name (the save then fails on it).
constexpr int kNameTries = 100;

// Creates a new file beside `target` that no file had before; its descriptor, or -1 with errno set.
int createNewBeside(const std::string& target, std::string& name)
{
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        name = newNameBeside(target);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    name.clear();
    errno = EEXIST;
    return -1;
}

// SIGINT, SIGTERM and SIGHUP are held back while a file of a save's own has a name, so that an interrupt
// ends the program only once the save has put its files in place or taken its names away: in the whole
// program, whichever thread the signal reaches (platform::holdInterrupts), and on this thread also where
// the program has no handler of its own. Holds nest; the last release lets a held signal through.
thread_local int t_signalHolds = 0;
thread_local sigset_t t_signalsBefore;

void holdSignals()
{
    if (t_signalHolds++ > 0)
        return;
    platform::holdInterrupts();
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigaddset(&interrupts, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &t_signalsBefore);
}

void releaseSignals()
{
    if (t_signalHolds > 0 && --t_signalHolds == 0) {
        ::pthread_sigmask(SIG_SETMASK, &t_signalsBefore, nullptr);
        platform::releaseInterrupts();
    }
}

// Gives the unnamed temporary `fd` a new name beside `target` and closes it; false (errno set) when no
// name could be given. The caller holds the signals.
bool nameTemporary(int& fd, const std::string& target, std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        name = newNameBeside(target);
        int linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno == ENOENT)
            linked = ::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
        if (linked == 0) {
            saveStep();
            const int closing = fd;
            fd = -1;
            if (::close(closing) != 0) {
                const int error = errno;
                ::unlink(name.c_str());
                name.clear();
                errno = error;
                return false;
            }
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    name.clear();
    return false;
}

// Writes `bytes` to the temporary `fd`, gives it the permissions `mode` (when `keepMode`: the new file keeps
// the permissions the user gave the old one) and flushes it; false with errno set.
bool fillTemporary(int fd, std::string_view bytes, bool keepMode, mode_t mode)
{
    return writeAll(fd, bytes) && (!keepMode || ::fchmod(fd, mode & 07777) == 0) && ::fsync(fd) == 0;
}

// A temporary without a name in the folder of `target`: its descriptor, or -1 with errno set (EOPNOTSUPP,
// EISDIR or EINVAL where the file system makes no such files).
int openUnnamed(const std::string& target)
{
    return ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
}

bool noUnnamedFiles(int error)
{
    return error == EOPNOTSUPP || error == EISDIR || error == EINVAL;
}

// Writes a whole temporary of `target` under a new name no file had, created exclusively, and closes it.
// The caller holds the signals. On failure nothing of it is left and `step` and `error` say why.
bool writeNamedTemporary(const std::string& target, std::string_view bytes, bool keepMode, mode_t mode,
                         std::string& temporary, ReplaceFailure& step, int& error)
{
    Descriptor file(createNewBeside(target, temporary));
    if (file.fd < 0) {
        error = errno;
        step = ReplaceFailure::CreateTemporary;
        temporary.clear();
        return false;
    }
    if (!fillTemporary(file.fd, bytes, keepMode, mode) || !file.close()) {
        error = errno;
        step = ReplaceFailure::WriteTemporary;
        ::unlink(temporary.c_str());
        temporary.clear();
        return false;
    }
    saveStep();
    return true;
}

// Writes and flushes a temporary of `target` without a name, open on `fd`; false (`step` and `error` say
// why) when it could not be made or written, `error` EOPNOTSUPP when the file system makes no such files.
bool writeUnnamedTemporary(const std::string& target, std::string_view bytes, bool keepMode, mode_t mode, int& fd,
                           ReplaceFailure& step, int& error)
{
    fd = openUnnamed(target);
    if (fd < 0) {
        error = noUnnamedFiles(errno) ? EOPNOTSUPP : errno;
        step = ReplaceFailure::CreateTemporary;
        return false;
    }
    if (!fillTemporary(fd, bytes, keepMode, mode)) {
        error = errno;
        step = ReplaceFailure::WriteTemporary;
        ::close(fd);
        fd = -1;
        return false;
    }
    saveStep();
    return true;
}

// Whether `name` is a name newNameBeside gives the file named `targetName` (in the same folder).
bool isNameBeside(std::string_view name, std::string_view targetName)
{
    static constexpr std::size_t kAdded = 11;
    const std::string_view base = targetName.substr(0, std::min<std::size_t>(targetName.size(), NAME_MAX - kAdded));
    if (name.size() != base.size() + kAdded || name.substr(0, base.size()) != base ||
        name.substr(base.size(), 5) != "temp.")
        return false;
    for (const char ch : name.substr(base.size() + 5)) {
        if (!std::isalnum(static_cast<unsigned char>(ch)))
            return false;
    }
    return true;
}

// Removes what a save of `target` that was ended before it could clean up (killed, or the power lost) left
// beside it: regular files of the user's under a name the save gives its own files, other than the files
// in `keep` (files the save itself writes). Called with the folder's save lock held, so no live save has
// files there. `scanned` is the folder's list of such names, read once per save.
void removeLeftTemporaries(const std::string& target, const std::vector<std::string>& keep,
                           std::map<std::string, std::vector<std::string>>& scanned)
{
    const std::string folder = folderOf(target);
    auto [found, isNew] = scanned.try_emplace(folder);
    if (isNew) {
        if (DIR* listing = ::opendir(folder.c_str())) {
            while (const dirent* entry = ::readdir(listing)) {
                const std::string_view name(entry->d_name);
                if (const std::size_t at = name.rfind("temp."); at != std::string_view::npos && at + 11 == name.size())
                    found->second.emplace_back(name);
            }
            ::closedir(listing);
        }
    }
    const std::string targetName = std::filesystem::path(target).filename().string();
    std::vector<std::string>& names = found->second;
    for (std::size_t i = 0; i < names.size();) {
        if (!isNameBeside(names[i], targetName)) {
            ++i;
            continue;
        }
        const std::string left = (std::filesystem::path(folder) / names[i]).string();
        names.erase(names.begin() + static_cast<std::ptrdiff_t>(i));
        struct stat info {};
        if (std::find(keep.begin(), keep.end(), left) != keep.end() || ::lstat(left.c_str(), &info) != 0 ||
            !S_ISREG(info.st_mode) || info.st_uid != ::geteuid())
            continue;
        ::unlink(left.c_str());
    }
}

// Keeps the file at `target` under a new name of the save's own, to be put back should a later rename of
// the same commit fail, where the file system cannot exchange two names: a second link to it where it
// has them, else a flushed copy. The caller holds the signals.
bool keepAside(const std::string& target, std::string& kept, int& error)
{
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        kept = newNameBeside(target);
        if (::link(target.c_str(), kept.c_str()) == 0)
            return true;
        if (errno == EEXIST)
            continue;
        // No second link here (a file system without them, or too many): a copy, made as a temporary.
        std::string bytes;
        struct stat old {};
        if (::stat(target.c_str(), &old) != 0 || ReadWholeFile(target, bytes) != ReadResult::Ok) {
            error = errno != 0 ? errno : EIO;
            kept.clear();
            return false;
        }
        ReplaceFailure step = ReplaceFailure::None;
        if (writeNamedTemporary(target, bytes, true, old.st_mode, kept, step, error))
            return true;
        kept.clear();
        return false;
    }
    error = EEXIST;
    kept.clear();
    return false;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, ReplaceOutcome& outcome)
{
    ReplaceFailure& step = outcome.step;
    int& error = outcome.systemError;
    const std::string target = SaveTargetOf(path);
    // A file the user may not write is never replaced, though the rename alone would allow it.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        error = errno;
        step = ReplaceFailure::ReadOnly;
        return false;
    }
    // Only a regular file is replaced: a folder, pipe or device in its place is refused before anything
    // is written, so a save of several files never finds it at the rename.
    if (exists && !S_ISREG(old.st_mode)) {
        error = S_ISDIR(old.st_mode) ? EISDIR : 0;
        step = ReplaceFailure::NotRegular;
        return false;
    }
    SaveLocks locks;
    const bool locked = t_commit != nullptr ? t_commit->lockFolderOf(target) : locks.lockFolderOf(target);
    if (!locked) {
        step = ReplaceFailure::Locked;
        outcome.saidBefore = t_commit != nullptr && t_commit->heldSaidBefore();
        return false;
    }
    if (t_commit != nullptr) {
        t_commit->removeLeftTemporaries(target);
        // The temporary has no name until the commit step gives it one. Where the folder's file system
        // makes no unnamed files, or the program has no descriptor left to hold one open, the bytes are
        // kept and written when the commit names its temporaries.
        FileCommit::Held next{target, {}, -1, {}, exists, old.st_mode, false};
        const bool written = writeUnnamedTemporary(target, bytes, exists, old.st_mode, next.fd, step, error) ||
                             (step == ReplaceFailure::CreateTemporary &&
                              (error == EOPNOTSUPP || error == EMFILE || error == ENFILE));
        if (written && next.fd < 0) {
            next.bytes.assign(bytes);
            next.inMemory = true;
            step = ReplaceFailure::None;
            error = 0;
        }
        // A file of the commit written twice keeps its place in the order, with its newest temporary.
        if (FileCommit::Held* held = t_commit->find(target)) {
            t_commit->forget(*held);
            if (written)
                *held = std::move(next);
            else
                t_commit->drop(target);
        } else if (written) {
            t_commit->hold(std::move(next));
        }
        return written;
    }
    {
        const std::vector<std::string> keep{target};
        std::map<std::string, std::vector<std::string>> scanned;
        removeLeftTemporaries(target, keep, scanned);
    }
    std::string temporary;
    int fd = -1;
    if (!writeUnnamedTemporary(target, bytes, exists, old.st_mode, fd, step, error)) {
        if (error != EOPNOTSUPP)
            return false;
        // No unnamed files here: the temporary has its name from the start, the signals held meanwhile.
        holdSignals();
        if (!writeNamedTemporary(target, bytes, exists, old.st_mode, temporary, step, error)) {
            releaseSignals();
            return false;
        }
        step = ReplaceFailure::None;
        error = 0;
    } else {
        holdSignals();
        if (!nameTemporary(fd, target, temporary)) {
            error = errno;
            step = ReplaceFailure::WriteTemporary;
            if (fd >= 0)
                ::close(fd);
            releaseSignals();
            return false;
        }
    }
    outcome.temporary = temporary;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        step = ReplaceFailure::Rename;
        ::unlink(temporary.c_str());
        releaseSignals();
        return false;
    }
    releaseSignals();
    flushFolderOf(target);
    return true;
}

} // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes)
{
    ReplaceOutcome outcome;
    outcome.path = path;
    const bool replaced = replaceFileContents(path, bytes, outcome);
    if (replaced)
        outcome.temporary.clear();
    t_lastReplace = std::move(outcome);
    return replaced;
}

FileCommit::FileCommit() : m_previous(t_commit)
{
    t_commit = this;
}

FileCommit::~FileCommit()
{
    for (Held& held : m_held)
        forget(held);
    if (m_signalsHeld)
        releaseSignals();
    if (t_commit == this)
        t_commit = m_previous;
}

void FileCommit::forget(Held& held)
{
    if (held.fd >= 0)
        ::close(held.fd);
    held.fd = -1;
    if (!held.temporary.empty())
        ::unlink(held.temporary.c_str());
    held.temporary.clear();
    held.bytes.clear();
    held.inMemory = false;
}

bool FileCommit::nameHeld()
{
    if (!m_signalsHeld) {
        holdSignals();
        m_signalsHeld = true;
    }
    for (Held& held : m_held) {
        bool named = true;
        if (held.fd >= 0) {
            named = nameTemporary(held.fd, held.target, held.temporary);
        } else if (held.inMemory) {
            ReplaceFailure step = ReplaceFailure::None;
            int error = 0;
            named = writeNamedTemporary(held.target, held.bytes, held.keepMode, held.mode, held.temporary, step, error);
            if (!named)
                errno = error;
            held.bytes = {};
            held.inMemory = false;
        }
        if (!named)
            return false;
    }
    return true;
}

void FileCommit::removeLeftTemporaries(const std::string& target)
{
    m_targets.push_back(target);
    engine::removeLeftTemporaries(target, m_targets, m_scanned);
}

FileCommit::Held* FileCommit::find(const std::string& target)
{
    for (Held& held : m_held) {
        if (held.target == target)
            return &held;
    }
    return nullptr;
}

void FileCommit::hold(Held held)
{
    m_held.push_back(std::move(held));
}

void FileCommit::drop(const std::string& target)
{
    for (std::size_t i = 0; i < m_held.size(); ++i) {
        if (m_held[i].target == target) {
            m_held.erase(m_held.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
    }
}

bool FileCommit::lockFolderOf(const std::string& target)
{
    return m_locks.lockFolderOf(target);
}

bool FileCommit::lockFoldersOf(const std::vector<std::string>& targets)
{
    std::vector<std::string> resolved;
    resolved.reserve(targets.size());
    for (const std::string& target : targets)
        resolved.push_back(SaveTargetOf(target));
    m_targets.insert(m_targets.end(), resolved.begin(), resolved.end());
    if (!m_locks.lockFoldersOf(resolved))
        return false;
    // With every folder locked, what killed saves of these files left goes, whether or not this save
    // writes the file again.
    for (const std::string& target : resolved)
        engine::removeLeftTemporaries(target, m_targets, m_scanned);
    return true;
}

bool FileCommit::Commit()
{
    // Nothing more is held once the commit is made: the files written after it replace at once.
    if (t_commit == this)
        t_commit = m_previous;
    // From the first name given to the last old version taken away, no interrupt ends the program.
    if (!m_signalsHeld) {
        holdSignals();
        m_signalsHeld = true;
    }
    struct Release {
        bool& held;
        ~Release()
        {
            if (held)
                releaseSignals();
            held = false;
        }
    } release{m_signalsHeld};
    if (!nameHeld()) {
        ReplaceOutcome failure;
        failure.step = ReplaceFailure::WriteTemporary;
        failure.systemError = errno;
        for (Held& each : m_held) {
            if (each.temporary.empty() && failure.path.empty())
                failure.path = each.target;
            forget(each);
        }
        m_failed = failure.path;
        t_lastReplace = std::move(failure);
        m_held.clear();
        return false;
    }
    std::vector<Held> held;
    held.swap(m_held);
    // Each file replaced so far, with its old version kept aside ("" when there was none).
    struct Replaced {
        std::string target;
        std::string kept;
    };
    std::vector<Replaced> replaced;
    replaced.reserve(held.size());
    const auto flushFolders = [&] {
        std::string last;
        for (const Replaced& done : replaced) {
            if (const std::string folder = folderOf(done.target); folder != last) {
                flushFolderOf(done.target);
                last = folder;
            }
        }
    };
    for (std::size_t i = 0; i < held.size(); ++i) {
        const Held& next = held[i];
        ReplaceOutcome failure;
        failure.step = ReplaceFailure::Rename;
        struct stat old {};
        if (::lstat(next.target.c_str(), &old) != 0) {
            // A new file: taking it away again is putting back what was there.
            if (::rename(next.temporary.c_str(), next.target.c_str()) == 0) {
                replaced.push_back({next.target, {}});
                saveStep();
                continue;
            }
        } else if (::renameat2(AT_FDCWD, next.temporary.c_str(), AT_FDCWD, next.target.c_str(), RENAME_EXCHANGE) ==
                   0) {
            // The two names swap in one step: the temporary's name now holds the old version.
            replaced.push_back({next.target, next.temporary});
            saveStep();
            continue;
        } else if (errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP) {
            std::string kept;
            if (!keepAside(next.target, kept, failure.systemError)) {
                failure.temporary.clear();
            } else if (::rename(next.temporary.c_str(), next.target.c_str()) == 0) {
                replaced.push_back({next.target, kept});
                continue;
            } else {
                failure.systemError = errno;
                failure.temporary = next.temporary;
                ::unlink(kept.c_str());
            }
        }
        if (failure.systemError == 0) {
            failure.systemError = errno;
            failure.temporary = next.temporary;
        }
        // The files already replaced get their old versions back (a new file is removed), newest first.
        for (auto done = replaced.rbegin(); done != replaced.rend(); ++done) {
            if (done->kept.empty())
                ::unlink(done->target.c_str());
            else
                ::rename(done->kept.c_str(), done->target.c_str());
        }
        flushFolders();
        for (std::size_t j = i; j < held.size(); ++j)
            ::unlink(held[j].temporary.c_str());
        failure.path = next.target;
        t_lastReplace = std::move(failure);
        m_failed = next.target;
        return false;
    }
    flushFolders();
    for (const Replaced& done : replaced) {
        if (!done.kept.empty()) {
            ::unlink(done.kept.c_str());
            saveStep();
        }
    }
    return true;
}

void SetSaveStepHook(void (*hook)())
{
    g_saveStepHook.store(hook);
}

const ReplaceOutcome& LastReplaceOutcome()
{
    return t_lastReplace;
}

void ForgetLastReplaceOutcome()
{
    t_lastReplace = ReplaceOutcome{};
}

} // namespace engine
