#include "engine/util/file_io.h"

#include <cerrno>
#include <cstdio>
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

ReadResult ReadWholeFile(const std::string& path, std::string& bytes)
{
    // Without O_NONBLOCK, opening a named pipe would wait for a writer; only regular files are read.
    Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (file.fd < 0)
        return ReadResult::OpenFailed;
    struct stat info {};
    if (::fstat(file.fd, &info) != 0 || !S_ISREG(info.st_mode))
        return ReadResult::ReadFailed;
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

bool ReplaceFileContents(const std::string& path, std::string_view bytes, ReplaceFailure* failure)
{
    ReplaceFailure ignored;
    ReplaceFailure& step = failure ? *failure : ignored;
    step = ReplaceFailure::None;
    const std::string temporary = TemporaryPathFor(path);
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.fd < 0) {
        step = ReplaceFailure::CreateTemporary;
        return false;
    }
    bool ok = writeAll(file.fd, bytes) && ::fsync(file.fd) == 0;
    int fd = file.fd;
    file.fd = -1;
    ok = (::close(fd) == 0) && ok;
    if (!ok)
        step = ReplaceFailure::WriteTemporary;
    else if (::rename(temporary.c_str(), path.c_str()) != 0)
        step = ReplaceFailure::Rename;
    if (step != ReplaceFailure::None) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace engine
