#include "engine/util/file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int value) : fd(value) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
};

bool writeAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace

ReadResult CheckReadableFile(const std::string& path)
{
    // Opening a device or a named pipe may have effects of its own, so what the path is comes first.
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
        return ReadResult::NotRegular;
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return file.fd < 0 ? ReadResult::OpenFailed : ReadResult::Ok;
}

ReadResult ReadWholeFile(const std::string& path, std::string& bytes)
{
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
        return ReadResult::NotRegular;
    // Without O_NONBLOCK, opening a named pipe put at the name since would wait for a writer.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0)
        return ReadResult::OpenFailed;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0)
        return ReadResult::ReadFailed;
    if (!S_ISREG(info.st_mode))
        return ReadResult::NotRegular;
    if (static_cast<unsigned long long>(info.st_size) > kMaxReadSize)
        return ReadResult::NoMemory;
    std::string buffer;
    try {
        buffer.resize(static_cast<std::size_t>(info.st_size));
    } catch (const std::bad_alloc&) {
        return ReadResult::NoMemory;
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        ssize_t n = ::read(file.fd, buffer.data() + done, buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ReadResult::ReadFailed;
        done += static_cast<std::size_t>(n);
    }
    bytes.swap(buffer);
    return ReadResult::Ok;
}

bool WriteWholeFile(const std::string& path, std::string_view bytes)
{
    Descriptor file(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.fd < 0)
        return false;
    bool ok = writeAll(file.fd, bytes);
    int fd = file.fd;
    file.fd = -1;
    return (::close(fd) == 0) && ok;
}

std::string TemporaryPathFor(const std::string& path) { return path + "temp"; }

std::string SaveTargetOf(const std::string& path)
{
    namespace fs = std::filesystem;
    fs::path current = path;
    // The system itself gives up after 40 links; a longer chain (or a loop) is not followed.
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)) || error)
            return current.string();
        const fs::path next = fs::read_symlink(current, error);
        if (error)
            return path;
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return path;
}

namespace {

thread_local ReplaceOutcome t_lastReplace;

// The commit open on this thread, which holds the renames of the files written while it is open.
thread_local FileCommit* t_commit = nullptr;

void flushFolderOf(const std::string& target)
{
    // The rename is durable only once the folder is flushed. The file is already replaced, so a folder
    // that cannot be flushed (some file systems refuse it) does not make the save a failure.
    const std::string folder = std::filesystem::path(target).parent_path().string();
    Descriptor directory(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.fd >= 0)
        ::fsync(directory.fd);
}

// Writes, flushes and closes the temporary of `target`, with the old file's permissions.
bool writeTemporary(const std::string& target, const std::string& temporary, std::string_view bytes,
                    ReplaceFailure& step, int& error)
{
    // A file the user may not write is never replaced, though the rename alone would allow it.
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && ::access(target.c_str(), W_OK) != 0) {
        step = ReplaceFailure::ReadOnly;
        return false;
    }
    // Only a regular file is replaced: a folder, pipe or device in its place is refused before anything
    // is written, so a save of several files never finds it at the rename.
    if (exists && !S_ISREG(old.st_mode)) {
        error = S_ISDIR(old.st_mode) ? EISDIR : EINVAL;
        step = ReplaceFailure::CreateTemporary;
        return false;
    }
    // A temporary left behind (a file, or a link planted at its name) is removed, never written through:
    // the temporary is always a new file. Anything else at the name (a folder) makes the create fail.
    ::unlink(temporary.c_str());
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (file.fd < 0) {
        error = errno;
        step = ReplaceFailure::CreateTemporary;
        return false;
    }
    bool ok = writeAll(file.fd, bytes);
    // The new file keeps the permissions the user gave the old one.
    if (ok && exists && S_ISREG(old.st_mode))
        ok = ::fchmod(file.fd, old.st_mode & 07777) == 0;
    ok = ok && ::fsync(file.fd) == 0;
    if (!ok)
        error = errno;
    int fd = file.fd;
    file.fd = -1;
    if (::close(fd) != 0 && ok) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        step = ReplaceFailure::WriteTemporary;
        ::unlink(temporary.c_str());
    }
    return ok;
}

bool replaceFileContents(const std::string& path, std::string_view bytes, ReplaceFailure* failure, int* systemError)
{
    ReplaceFailure ignored;
    ReplaceFailure& step = failure ? *failure : ignored;
    step = ReplaceFailure::None;
    int ignoredError = 0;
    int& error = systemError ? *systemError : ignoredError;
    error = 0;
    const std::string target = SaveTargetOf(path);
    const std::string temporary = TemporaryPathFor(target);
    if (t_commit != nullptr) {
        // Another file of the commit written twice keeps its place in the order; its temporary is new.
        const bool staged = t_commit->holds(target);
        if (!writeTemporary(target, temporary, bytes, step, error)) {
            if (staged)
                t_commit->drop(target);
            return false;
        }
        if (!staged)
            t_commit->hold(target, temporary);
        return true;
    }
    if (!writeTemporary(target, temporary, bytes, step, error))
        return false;
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        step = ReplaceFailure::Rename;
        ::unlink(temporary.c_str());
        return false;
    }
    flushFolderOf(target);
    return true;
}

} // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, ReplaceFailure* failure, int* systemError)
{
    ReplaceOutcome outcome;
    outcome.path = path;
    const bool replaced = replaceFileContents(path, bytes, &outcome.step, &outcome.systemError);
    if (failure)
        *failure = outcome.step;
    if (systemError)
        *systemError = outcome.systemError;
    t_lastReplace = std::move(outcome);
    return replaced;
}

FileCommit::FileCommit() : m_previous(t_commit)
{
    t_commit = this;
}

FileCommit::~FileCommit()
{
    for (const Held& held : m_held)
        ::unlink(held.temporary.c_str());
    t_commit = m_previous;
}

bool FileCommit::holds(const std::string& target) const
{
    for (const Held& held : m_held) {
        if (held.target == target)
            return true;
    }
    return false;
}

void FileCommit::hold(const std::string& target, const std::string& temporary)
{
    m_held.push_back({target, temporary});
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

bool FileCommit::Commit()
{
    // Nothing more is held once the commit is made: the files written after it replace at once.
    t_commit = m_previous;
    std::vector<Held> held;
    held.swap(m_held);
    for (std::size_t i = 0; i < held.size(); ++i) {
        if (::rename(held[i].temporary.c_str(), held[i].target.c_str()) != 0) {
            ReplaceOutcome outcome;
            outcome.path = held[i].target;
            outcome.step = ReplaceFailure::Rename;
            outcome.systemError = errno;
            t_lastReplace = std::move(outcome);
            for (std::size_t j = i; j < held.size(); ++j)
                ::unlink(held[j].temporary.c_str());
            m_failed = held[i].target;
            return false;
        }
        flushFolderOf(held[i].target);
    }
    return true;
}

const ReplaceOutcome& LastReplaceOutcome()
{
    return t_lastReplace;
}

void ForgetLastReplaceOutcome()
{
    t_lastReplace = ReplaceOutcome{};
}

std::string ReplaceFailureReason(const ReplaceOutcome& outcome)
{
    const int error = outcome.systemError;
    const std::string why = error == ENOSPC || error == EDQUOT ? std::string("the disk is full")
                            : error == EROFS                   ? std::string("the file system is read-only")
                            : error != 0                       ? std::string(std::strerror(error))
                                                               : std::string("the system gave no reason");
    const std::string temporary = TemporaryPathFor(SaveTargetOf(outcome.path));
    switch (outcome.step) {
    case ReplaceFailure::None:
        break;
    case ReplaceFailure::ReadOnly:
        return "the file is read-only";
    case ReplaceFailure::CreateTemporary:
        return "its temporary file " + temporary + " cannot be created (" + why + ")";
    case ReplaceFailure::WriteTemporary:
        return error == ENOSPC || error == EDQUOT ? why : "its temporary file cannot be written (" + why + ")";
    case ReplaceFailure::Rename:
        return "its temporary file " + temporary + " cannot take its place (" + why + ")";
    }
    return {};
}

std::string ReadFailureReason(ReadResult result, const std::string& path)
{
    switch (result) {
    case ReadResult::Ok:
        return {};
    case ReadResult::OpenFailed:
        return "it cannot be opened";
    case ReadResult::ReadFailed:
        return "it cannot be read";
    case ReadResult::NotRegular: {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0)
            return "it is not a regular file";
        if (S_ISDIR(info.st_mode))
            return "it is a folder";
        if (S_ISFIFO(info.st_mode))
            return "it is a named pipe";
        if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
            return "it is a device";
        return "it is not a regular file";
    }
    case ReadResult::NoMemory:
        break;
    }
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && static_cast<unsigned long long>(info.st_size) > kMaxReadSize)
        return "it is larger than " + std::to_string(kMaxReadSize) + " bytes";
    return "there is not enough memory to read it";
}

std::string ReplaceFailureText(ReplaceFailure failure, const std::string& path, const std::string& writeFailure)
{
    switch (failure) {
    case ReplaceFailure::ReadOnly:
        return "Unable to delete old version of file " + path;
    case ReplaceFailure::Rename:
        return "Unable to rename file " + TemporaryPathFor(SaveTargetOf(path)) + " to " + path;
    case ReplaceFailure::None:
    case ReplaceFailure::CreateTemporary:
    case ReplaceFailure::WriteTemporary:
        break;
    }
    return writeFailure;
}

} // namespace engine
