#include "capture_runner.h"

#include "engine/util/path.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
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

// Starts "/bin/sh -c command" with stdin from /dev/null and, when outputFd is not -1, stdout and stderr
// into it. Returns the child's id, or -1.
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
    pid_t pid = -1;
    const int result = posix_spawn(&pid, kShell, &actions, nullptr, argv, environment.get());
    posix_spawn_file_actions_destroy(&actions);
    return result == 0 ? pid : -1;
}

void reap(pid_t pid)
{
    if (pid <= 0)
        return;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void runPiped(const std::string& command, EnvironmentBlock& environment, CaptureSink& sink)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) {
        sink.PostDone();
        return;
    }
    const pid_t pid = spawnShell(command, fds[1], environment);
    close(fds[1]);
    char buffer[kCaptureChunk];
    for (;;) {
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        sink.AppendText(std::string(buffer, static_cast<std::size_t>(n)));
        sink.PostNewText();
    }
    close(fds[0]);
    // The window may close as soon as the output ends; the child is reaped afterwards.
    sink.PostDone();
    reap(pid);
}

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

void runThroughFile(const std::string& command, EnvironmentBlock& environment, CaptureSink& sink)
{
    const std::string name = engine::MakeTempFileName("", "omb", 0);
    if (!name.empty()) {
        // The whole command line goes to the file, not only its last command.
        const pid_t pid = spawnShell("(" + command + "\n) >" + shellQuoted(name) + " 2>&1", -1, environment);
        reap(pid);
        if (FILE* file = std::fopen(name.c_str(), "r")) {
            char line[kCaptureChunk + 1];
            while (std::fgets(line, sizeof line, file)) {
                sink.AppendText(line);
                sink.PostNewText();
            }
            std::fclose(file);
        }
        std::remove(name.c_str());
    }
    sink.PostDone();
}

} // namespace

void RunCaptured(const std::string& command, bool pipeMode, const std::vector<std::string>& environment,
                 CaptureSink& sink)
{
    EnvironmentBlock block(environment);
    if (pipeMode)
        runPiped(command, block, sink);
    else
        runThroughFile(command, block, sink);
}

} // namespace shell
