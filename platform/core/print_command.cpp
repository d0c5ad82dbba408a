#include "print_command.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
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
    pid_t child = 0;
    // What the program wrote so far goes out before anything the command writes to the shared error stream.
    std::fflush(nullptr);
    result.startError = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result.startError != 0)
        return result;

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    const Clock::time_point deadline = start + std::chrono::milliseconds(waitMilliseconds);
    int status = 0;
    for (;;) {
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child)
            break;
        if (ended < 0 && errno != EINTR) {
            result.startError = errno;
            return result;
        }
        if (Clock::now() >= deadline) {
            // Left to finish on its own; the run goes on.
            result.stillRunning = true;
            result.waitedMilliseconds = waitMilliseconds;
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    result.ok = WIFEXITED(status) && result.exitStatus == 0;
    return result;
}

} // namespace platform
