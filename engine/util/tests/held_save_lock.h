#pragma once
// Holds the save lock of a folder as another program's save would, and makes the saves of this process
// give up at once while it is held: a save into the folder then fails before it writes anything.

#include <chrono>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "engine/util/save_lock.h"

namespace engine::testing {

class HeldSaveLock {
public:
    explicit HeldSaveLock(const std::string& folder)
        : m_fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC))
        , m_wait(SetSaveLockWait(std::chrono::milliseconds(0)))
    {
        m_held = m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    }
    ~HeldSaveLock()
    {
        SetSaveLockWait(m_wait);
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldSaveLock(const HeldSaveLock&) = delete;
    HeldSaveLock& operator=(const HeldSaveLock&) = delete;

    bool held() const { return m_held; }

private:
    int m_fd;
    std::chrono::milliseconds m_wait;
    bool m_held = false;
};

} // namespace engine::testing
