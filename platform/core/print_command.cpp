#include "print_command.h"

#include "process_group.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wordexp.h>

extern char** environ;

namespace platform {

namespace {

// The words of the print command, split as the shell splits them (quotes and backslashes kept to their
// meaning); `error` says why a command cannot be split.
std::vector<std::string> commandWords(std::string& error)
{
    const char* configured = std::getenv(kPrintCommandVariable);
    const std::string command = configured && *configured ? configured : "lp --";
    wordexp_t expanded{};
    const int result = ::wordexp(command.c_str(), &expanded, WRDE_NOCMD);
    std::vector<std::string> words;
    if (result == 0) {
        for (std::size_t i = 0; i < expanded.we_wordc; ++i)
            words.emplace_back(expanded.we_wordv[i]);
    }
    if (result == 0 || result == WRDE_NOSPACE)
        ::wordfree(&expanded);
    switch (result) {
    case 0:
        break;
    case WRDE_BADCHAR:
        error = std::string("the print command in ") + kPrintCommandVariable +
                " holds one of | & ; < > ( ) { } or a line break outside quotes";
        break;
    case WRDE_CMDSUB:
        error = std::string("the print command in ") + kPrintCommandVariable + " asks to run another command";
        break;
    case WRDE_SYNTAX:
        error = std::string("the print command in ") + kPrintCommandVariable + " has a quote that is not closed";
        break;
    default:
        error = std::string("the print command in ") + kPrintCommandVariable + " cannot be split into words";
        break;
    }
    if (error.empty() && words.empty())
        words = {"lp", "--"};
    return words;
}

} // namespace

PrintResult printFile(const std::string& path, int waitMilliseconds)
{
    PrintResult result;
    std::vector<std::string> words = commandWords(result.commandError);
    if (!result.commandError.empty())
        return result;
    words.push_back(path);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    result.program = words.front();
    // The command reads nothing from the terminal; the print spooler's own chatter ("request id is ...")
    // stays off the program's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
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
    if (!WaitForLeader(child, *stop, std::chrono::milliseconds(waitMilliseconds))) {
        // Either the program ends or the command outlived its wait: the command and all it started end.
        const bool programEnds = stop->Requested();
        EndGroup(child);
        if (programEnds) {
            result.signal = SIGTERM;
        } else {
            result.stillRunning = true;
            result.waitedMilliseconds = waitMilliseconds;
        }
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
