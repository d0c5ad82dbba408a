#pragma once
// Runs a piece of a test as a user without special rights, so cases about files the user may not write
// hold the same when the suite itself runs as root (root passes every permission check).

#include <sys/types.h>
#include <sys/wait.h>
#include <grp.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace korvane::testing {

// The user the unprivileged part runs as when the suite runs as root ("nobody").
inline constexpr uid_t kUnprivilegedId = 65534;

// Makes a folder (and everything already in it) usable by the unprivileged user: folders 0777, files keep
// their own mode bits for the owner and get the same for others.
inline void OpenFolderToEveryone(const std::filesystem::path& folder)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    for (fs::path p = folder; !p.empty() && p != p.root_path(); p = p.parent_path()) {
        // Every folder on the way must be searchable; do not widen anything beyond that.
        auto perms = fs::status(p, ec).permissions();
        if (!ec)
            fs::permissions(p, perms | fs::perms::others_exec, ec);
    }
    fs::permissions(folder, fs::perms::all, ec);
    for (auto it = fs::recursive_directory_iterator(folder, ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec)) {
            fs::permissions(it->path(), fs::perms::all, ec);
        } else if (!it->is_symlink(ec)) {
            const auto owner = fs::status(it->path(), ec).permissions() & fs::perms::owner_all;
            const auto bits = static_cast<unsigned>(owner) >> 6;
            fs::permissions(it->path(),
                owner | static_cast<fs::perms>(bits << 3) | static_cast<fs::perms>(bits), ec);
        }
    }
}

// Runs body in a child process; as root the child first gives up every right and becomes the
// unprivileged user. Returns body's result, or -1 when the child could not run it, died, or could not be
// waited for. body must report its findings through its result (gtest assertions in the child do not
// reach the parent).
inline int RunUnprivileged(const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0)
                ::_exit(125);
        }
        int result = 126;
        try {
            result = body();
        } catch (...) {
            result = 127;
        }
        std::fflush(nullptr);
        ::_exit(result);
    }
    int status = 0;
    // Only an interrupted wait is tried again; any other failure means the child's result is unknown.
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace korvane::testing
