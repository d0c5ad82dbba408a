#include "engine/util/file_io.h"

#include "engine/util/descriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

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

} // namespace engine
