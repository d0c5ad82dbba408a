#include "capture_runner.h"

#include "engine/util/path.h"
#include "platform/core/process_group.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

extern char** environ;

namespace shell {

namespace {

constexpr const char* kShell = "/bin/sh";

// The child's environment as the spawn call wants it; the program's own when none is given.
class EnvironmentBlock {
public:
    explicit EnvironmentBlock(const std::vector<std::string>& environment)
    {
        for (const std::string& entry : environment)
            m_pointers.push_back(const_cast<char*>(entry.c_str()));
        m_pointers.push_back(nullptr);
        m_useOwn = environment.empty();
    }
    char** get() { return m_useOwn ? environ : m_pointers.data(); }

private:
    std::vector<char*> m_pointers;
    bool m_useOwn = true;
};

// Starts "/bin/sh -c command" as the leader of its own process group, with stdin from /dev/null and, when
// outputFd is not -1, stdout and stderr into it. Returns the child's id, or -1.
pid_t spawnShell(const std::string& command, int outputFd, EnvironmentBlock& environment)
{
    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return -1;
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (outputFd >= 0) {
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, outputFd, STDERR_FILENO);
    }
    std::string shellName = kShell;
    std::string flag = "-c";
    std::string line = command;
    char* argv[] = {shellName.data(), flag.data(), line.data(), nullptr};
    const pid_t pid = platform::SpawnInOwnGroup(kShell, &actions, argv, environment.get());
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// After the command's own end, what it left running (a program started in the background) ends with the
// window: the leader stays unreaped until then, so the group's id names no other group. A caller that
// cannot ask for the stop has the group ended at once.
void endWithTheWindow(pid_t pid, const platform::GroupStop& stop, bool stoppable)
{
    if (pid <= 0)
        return;
    if (stoppable)
        platform::WaitForStop(stop);
    platform::EndGroup(pid);
}

// Reads the output until it ends or the stop is requested; false when stopped.
bool readUntilEnd(int fd, const platform::GroupStop& stop, CaptureSink& sink)
{
    char buffer[kCaptureChunk];
    pollfd entries[2] = {{fd, POLLIN, 0}, {stop.Descriptor(), POLLIN, 0}};
    const nfds_t count = stop.Descriptor() >= 0 ? 2 : 1;
    for (;;) {
        entries[0].revents = entries[1].revents = 0;
        const int ready = poll(entries, count, count == 2 ? -1 : 100);
        if (ready < 0 && errno != EINTR)
            return true;
        if (count == 2 ? (entries[1].revents & POLLIN) != 0 : stop.Requested())
            return false;
        if (entries[0].revents == 0)
            continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (n <= 0)
            return true;
        sink.AppendText(std::string(buffer, static_cast<std::size_t>(n)));
        sink.PostNewText();
    }
}

void runPiped(const std::string& command, EnvironmentBlock& environment, const platform::GroupStop& stop,
              bool stoppable, platform::RunningGroup& running, CaptureSink& sink)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        sink.PostDone();
        return;
    }
    const pid_t pid = spawnShell(command, fds[1], environment);
    running.setLeader(pid);
    close(fds[1]);
    const bool ended = pid > 0 && readUntilEnd(fds[0], stop, sink);
    close(fds[0]);
    // The window may close as soon as the output ends.
    sink.PostDone();
    if (ended)
        platform::WaitForLeader(pid, stop);
    endWithTheWindow(pid, stop, stoppable);
}

std::string temporaryFolder()
{
    const std::string folder = engine::GetEnvironmentText("TMPDIR");
    return folder.empty() ? std::string("/tmp") : folder;
}

// A new output file, open and locked for as long as the command or this program may write to it: a file
// of this name that nobody holds was left by a run that did not end normally.
int createOutputFile(std::string& name)
{
    name = temporaryFolder() + "/" + kOutputFilePrefix + "XXXXXX";
    const int fd = mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0)
        return -1;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        unlink(name.c_str());
        return -1;
    }
    return fd;
}

void readOutputFile(int fd, CaptureSink& sink)
{
    if (lseek(fd, 0, SEEK_SET) != 0)
        return;
    const int own = dup(fd);
    FILE* file = own >= 0 ? fdopen(own, "r") : nullptr;
    if (!file) {
        if (own >= 0)
            close(own);
        return;
    }
    char line[kCaptureChunk + 1];
    while (std::fgets(line, sizeof line, file)) {
        sink.AppendText(line);
        sink.PostNewText();
    }
    std::fclose(file);
}

void runThroughFile(const std::string& command, EnvironmentBlock& environment, const platform::GroupStop& stop,
                    bool stoppable, platform::RunningGroup& running, CaptureSink& sink)
{
    std::string name;
    const int fd = createOutputFile(name);
    if (fd < 0) {
        sink.PostDone();
        return;
    }
    // Both streams of the shell itself go to the file, so its own complaints (a quote left open) show too.
    const pid_t pid = spawnShell(command, fd, environment);
    running.setLeader(pid);
    if (pid > 0 && !platform::WaitForLeader(pid, stop)) {
        platform::EndGroup(pid);
        close(fd);
        unlink(name.c_str());
        sink.PostDone();
        return;
    }
    if (pid > 0)
        readOutputFile(fd, sink);
    close(fd);
    unlink(name.c_str());
    sink.PostDone();
    endWithTheWindow(pid, stop, stoppable);
}

} // namespace

void RemoveLeftOutputFiles()
{
    const std::string folder = temporaryFolder();
    DIR* directory = opendir(folder.c_str());
    if (!directory)
        return;
    const std::string prefix = kOutputFilePrefix;
    while (const dirent* entry = readdir(directory)) {
        if (std::strncmp(entry->d_name, prefix.c_str(), prefix.size()) != 0)
            continue;
        const std::string path = folder + "/" + entry->d_name;
        const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat info {};
        // Only a file of this user that no run holds any more.
        if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == getuid() &&
            flock(fd, LOCK_EX | LOCK_NB) == 0)
            unlink(path.c_str());
        close(fd);
    }
    closedir(directory);
}

void RunCaptured(const std::string& command, bool pipeMode, const std::vector<std::string>& environment,
                 CaptureSink& sink, std::shared_ptr<platform::GroupStop> stop)
{
    const bool stoppable = stop != nullptr;
    if (!stop)
        stop = std::make_shared<platform::GroupStop>();
    // Registered while it runs, so that the program's end ends the command too.
    platform::RunningGroup running(stop);
    EnvironmentBlock block(environment);
    if (pipeMode)
        runPiped(command, block, *stop, stoppable, running, sink);
    else
        runThroughFile(command, block, *stop, stoppable, running, sink);
}

} // namespace shell
