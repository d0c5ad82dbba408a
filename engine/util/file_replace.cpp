// Replacing files through temporaries, alone or several as one commit, and the words for a failure.

#include "engine/util/file_io.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/util/descriptor.h"

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

// SIGINT, SIGTERM and SIGHUP are held back on this thread while a file of a save's own has a name, so that
// an interrupt ends the program only once the save has put its files in place or taken its names away.
// Holds nest; the last release lets a held signal through.
thread_local int t_signalHolds = 0;
thread_local sigset_t t_signalsBefore;

void holdSignals()
{
    if (t_signalHolds++ > 0)
        return;
    sigset_t interrupts;
    sigemptyset(&interrupts);
    sigaddset(&interrupts, SIGINT);
    sigaddset(&interrupts, SIGTERM);
    sigaddset(&interrupts, SIGHUP);
    ::pthread_sigmask(SIG_BLOCK, &interrupts, &t_signalsBefore);
}

void releaseSignals()
{
    if (t_signalHolds > 0 && --t_signalHolds == 0)
        ::pthread_sigmask(SIG_SETMASK, &t_signalsBefore, nullptr);
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

// Writes and flushes a new temporary of `target` holding `bytes`, with the permissions `mode` (when
// `keepMode`). Where the folder's file system makes files without a name (O_TMPFILE) the temporary has
// none: `fd` stays open on it and `temporary` is "", and a program ended before it is named leaves nothing.
// Elsewhere it is a new file created exclusively under a name no file had, closed, with the signals held
// (`named` set). On failure nothing of it is left and `step` and `error` say why.
bool writeTemporary(const std::string& target, std::string_view bytes, bool keepMode, mode_t mode,
                    std::string& temporary, int& fd, bool& named, ReplaceFailure& step, int& error)
{
    temporary.clear();
    named = false;
    fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0 && (errno == EMFILE || errno == ENFILE) && t_commit != nullptr) {
        // The commit's unnamed temporaries hold every descriptor the program may open: they get names.
        t_commit->nameHeld();
        fd = ::open(folderOf(target).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    }
    if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
        holdSignals();
        named = true;
        fd = createNewBeside(target, temporary);
    }
    if (fd < 0) {
        error = errno;
        step = ReplaceFailure::CreateTemporary;
        if (named)
            releaseSignals();
        named = false;
        return false;
    }
    bool ok = writeAll(fd, bytes);
    // The new file keeps the permissions the user gave the old one.
    if (ok && keepMode)
        ok = ::fchmod(fd, mode & 07777) == 0;
    ok = ok && ::fsync(fd) == 0;
    if (!ok)
        error = errno;
    if (named) {
        const int closing = fd;
        fd = -1;
        if (::close(closing) != 0 && ok) {
            error = errno;
            ok = false;
        }
    }
    if (ok)
        saveStep();
    if (!ok) {
        step = ReplaceFailure::WriteTemporary;
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        if (named) {
            ::unlink(temporary.c_str());
            releaseSignals();
        }
        named = false;
        temporary.clear();
    }
    return ok;
}

// A whole temporary with a name (a copy kept aside), signals held by the caller.
bool writeNamedTemporary(const std::string& target, std::string_view bytes, mode_t mode, std::string& temporary,
                         ReplaceFailure& step, int& error)
{
    int fd = -1;
    bool named = false;
    if (!writeTemporary(target, bytes, true, mode, temporary, fd, named, step, error))
        return false;
    if (named) {
        releaseSignals();
        return true;
    }
    if (nameTemporary(fd, target, temporary))
        return true;
    error = errno;
    step = ReplaceFailure::WriteTemporary;
    ::close(fd);
    return false;
}

// Keeps the file at `target` under a new name of the save's own, to be put back should a later rename of
// the same commit fail, where the file system cannot exchange two names: a second link to it where it
// has them, else a flushed copy.
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
        if (writeNamedTemporary(target, bytes, old.st_mode, kept, step, error))
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
    std::string temporary;
    int fd = -1;
    bool named = false;
    const bool written = writeTemporary(target, bytes, exists, old.st_mode, temporary, fd, named, step, error);
    outcome.temporary = temporary;
    if (t_commit != nullptr) {
        // A file of the commit written twice keeps its place in the order, with its newest temporary.
        if (FileCommit::Held* held = t_commit->find(target)) {
            t_commit->forget(*held);
            if (written)
                *held = {target, temporary, fd};
            else
                t_commit->drop(target);
        } else if (written) {
            t_commit->hold(target, temporary, fd);
        }
        if (named)
            t_commit->keepsSignalsHeld();
        return written;
    }
    if (!written)
        return false;
    if (!named) {
        holdSignals();
        if (!nameTemporary(fd, target, temporary)) {
            error = errno;
            step = ReplaceFailure::WriteTemporary;
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
}

void FileCommit::keepsSignalsHeld()
{
    // The signals are held once for the commit, from its first named temporary to its end.
    if (m_signalsHeld)
        releaseSignals();
    m_signalsHeld = true;
}

bool FileCommit::nameHeld()
{
    bool named = true;
    for (Held& held : m_held) {
        if (held.fd < 0)
            continue;
        if (!m_signalsHeld) {
            holdSignals();
            m_signalsHeld = true;
        }
        named = nameTemporary(held.fd, held.target, held.temporary) && named;
    }
    return named;
}

FileCommit::Held* FileCommit::find(const std::string& target)
{
    for (Held& held : m_held) {
        if (held.target == target)
            return &held;
    }
    return nullptr;
}

void FileCommit::hold(const std::string& target, const std::string& temporary, int fd)
{
    m_held.push_back({target, temporary, fd});
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
    return m_locks.lockFoldersOf(resolved);
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
