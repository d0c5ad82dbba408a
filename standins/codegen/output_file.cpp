#include "output_file.h"

#include "engine/util/descriptor.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>

#include <sys/stat.h>
#include <unistd.h>

namespace codegen {

namespace fs = std::filesystem;

std::string nativePath(const std::string& stored)
{
    std::string path = stored;
    for (char& ch : path) {
        if (ch == '\\')
            ch = '/';
    }
    return path;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder == "." || folder == "./")
        return name;
    if (folder.back() == '/')
        return folder + name;
    return folder + "/" + name;
}

namespace {

// SIGINT, SIGTERM and SIGHUP wait on this thread while a temporary of the library has a name, so that an
// interrupt never leaves one behind.
class InterruptsHeld {
public:
    InterruptsHeld()
    {
        sigset_t interrupts;
        sigemptyset(&interrupts);
        sigaddset(&interrupts, SIGINT);
        sigaddset(&interrupts, SIGTERM);
        sigaddset(&interrupts, SIGHUP);
        pthread_sigmask(SIG_BLOCK, &interrupts, &m_before);
    }
    ~InterruptsHeld() { pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    InterruptsHeld(const InterruptsHeld&) = delete;
    InterruptsHeld& operator=(const InterruptsHeld&) = delete;

private:
    sigset_t m_before;
};

} // namespace

bool writeTextFile(const std::string& path, const std::string& text, std::string& error)
{
    const fs::path target(path);
    std::error_code ec;
    if (target.has_parent_path()) {
        fs::create_directories(target.parent_path(), ec);
        if (ec) {
            error = "cannot create folder " + target.parent_path().string() + ": " + ec.message();
            return false;
        }
    }
    // The text is written to a file without a name where the file system makes them, so an end of the
    // program meanwhile leaves nothing; it gets a name only to replace the old file at once.
    const std::string folder = target.has_parent_path() ? target.parent_path().string() : std::string(".");
    int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0644);
    std::optional<InterruptsHeld> held;
    std::string temp = path + ".XXXXXX";
    const bool unnamed = fd >= 0;
    if (!unnamed) {
        held.emplace();
        fd = mkstemp(temp.data());
    }
    if (fd < 0) {
        error = "cannot create a temporary file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    if (!engine::writeAll(fd, text)) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        ::close(fd);
        if (!unnamed)
            ::unlink(temp.c_str());
        return false;
    }
    // Generated files are ordinary readable files, not private temporaries.
    fchmod(fd, 0644);
    if (unnamed) {
        held.emplace();
        const std::string self = "/proc/self/fd/" + std::to_string(fd);
        int linked = -1;
        for (int attempt = 0; attempt < 100 && linked != 0; ++attempt) {
            temp = path + ".XXXXXX";
            // A fresh name: made by mkstemp, then taken away for the link.
            const int probe = mkstemp(temp.data());
            if (probe < 0)
                break;
            ::close(probe);
            ::unlink(temp.c_str());
            linked = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, temp.c_str(), AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno != EEXIST)
                break;
        }
        if (linked != 0) {
            error = "cannot replace " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
    }
    if (::close(fd) != 0 || std::rename(temp.c_str(), path.c_str()) != 0) {
        error = "cannot replace " + path + ": " + std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

} // namespace codegen
