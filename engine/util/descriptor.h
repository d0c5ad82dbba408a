#pragma once
// A file descriptor closed when it goes out of scope, and a whole write to one.

#include <cerrno>
#include <string_view>

#include <unistd.h>

namespace engine {

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
    // Closes it now: false (errno set) when the close reported an error.
    bool close()
    {
        const int value = fd;
        fd = -1;
        return ::close(value) == 0;
    }
};

// Writes all of `bytes`; false (errno set) on the first failed write.
inline bool writeAll(int fd, std::string_view bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

} // namespace engine
