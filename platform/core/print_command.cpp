#include "print_command.h"

#include "process_group.h"

#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

std::vector<std::string> commandWords()
{
    const char* configured = std::getenv(kPrintCommandVariable);
    std::vector<std::string> words;
    std::istringstream in(configured && *configured ? configured : "lp --");
    for (std::string word; in >> word;)
        words.push_back(word);
    if (words.empty())
        words = {"lp", "--"};
    return words;
}

} // namespace

PrintResult printFile(const std::string& path)
{
    std::vector<std::string> words = commandWords();
    words.push_back(path);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    PrintResult result;
    result.program = words.front();
    // The print spooler's own chatter ("request id is ...") stays off the program's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // What the program wrote so far goes out before anything the command writes to the shared error stream.
    std::fflush(nullptr);
    // The command runs in a group of its own, registered while it runs, so that it ends with the program.
    const auto stop = std::make_shared<GroupStop>();
    RunningGroup running(stop);
    const pid_t child = SpawnInOwnGroup(argv[0], &actions, argv.data(), environ, &result.startError, true);
    posix_spawn_file_actions_destroy(&actions);
    if (child < 0) {
        if (result.startError == 0)
            result.startError = ECHILD;
        return result;
    }
    running.setLeader(child);
    if (!WaitForLeader(child, *stop)) {
        EndGroup(child);
        result.signal = SIGTERM; // the program ends: so does the command
        return result;
    }
    // What the command left behind (and the group's watcher) ends with it, before the leader is reaped.
    killpg(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            result.startError = errno;
            return result;
        }
    }
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.ok = WIFEXITED(status) && result.exitStatus == 0;
    return result;
}

} // namespace platform
