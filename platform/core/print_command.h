#pragma once
// The shell's "print" verb for a file: runs the print command ("lp --" unless the environment variable
// OMBAGEN_PRINT_COMMAND names another, split into words by the shell's quoting rules, so that
// "lp -d 'Office Printer'" names one printer; no command is substituted) with the file as its last
// argument, without a shell. The command reads nothing (its input is /dev/null) and its output is
// discarded. The run waits for it a bounded time only: a command still running then is ended with all
// it started, and reported as such.

#include <string>

namespace platform {

constexpr const char* kPrintCommandVariable = "OMBAGEN_PRINT_COMMAND";
// How long a print waits for its command, in milliseconds.
constexpr int kPrintWaitMilliseconds = 30000;

struct PrintResult {
    bool ok = false;
    std::string program;      // the program that was run
    std::string commandError; // why the configured command could not be split into words ("" when it could)
    int startError = 0;       // errno when it could not be started
    int exitStatus = 0;       // its exit status when that was not 0
    int signal = 0;           // the signal that ended it
    bool stillRunning = false; // it had not ended when the wait was over
    int waitedMilliseconds = 0;
};

PrintResult printFile(const std::string& path, int waitMilliseconds = kPrintWaitMilliseconds);

} // namespace platform
