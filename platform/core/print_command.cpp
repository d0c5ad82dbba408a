#include "print_command.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
    pid_t child = 0;
    // What the program wrote so far goes out before anything the command writes to the shared error stream.
    std::fflush(nullptr);
    result.startError = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (result.startError != 0)
        return result;

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
