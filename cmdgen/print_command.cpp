#include "print_command.h"

#include "engine/names/report_texts.h"

#include <cerrno>
#include <cstdlib>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace cmdgen {

namespace {

std::vector<std::string> commandWords()
{
    const char* configured = std::getenv(kPrintCommandVariable);
    std::vector<std::string> words;
    std::istringstream in(configured && *configured ? configured : "lp --");
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

// The shell's error number for a program that could not be started.
int startErrorCode(int error)
{
    switch (error) {
    case ENOENT: return 31;  // no program to print with
    case EACCES: return 5;
    case ENOMEM: return 8;
    default: return 0;
    }
}

} // namespace

PrintOutcome printFile(const std::string& path)
{
    std::vector<std::string> words = commandWords();
    if (words.empty())
        words = {"lp", "--"};
    words.push_back(path);
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    // The print spooler's own chatter ("request id is ...") stays off the program's output.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);

    PrintOutcome outcome;
    if (started != 0) {
        outcome.reason = engine::ShellExecuteErrorText(startErrorCode(started));
        return outcome;
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            outcome.reason = engine::ShellExecuteErrorText(0);
            return outcome;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        outcome.ok = true;
    } else if (WIFEXITED(status)) {
        outcome.reason = "The print command \"" + words.front() + "\" ended with exit status " +
                         std::to_string(WEXITSTATUS(status)) + ".";
    } else {
        outcome.reason = "The print command \"" + words.front() + "\" was ended by signal " +
                         std::to_string(WTERMSIG(status)) + ".";
    }
    return outcome;
}

} // namespace cmdgen
