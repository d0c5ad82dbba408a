#pragma once
// The shell's "print" verb for a file: runs the print command ("lp --" unless the environment variable
// OMBAGEN_PRINT_COMMAND names another, given as blank-separated words) with the file as its last
// argument, without a shell, and waits for it. The command's own output is discarded.

#include <string>

namespace platform {

constexpr const char* kPrintCommandVariable = "OMBAGEN_PRINT_COMMAND";

struct PrintResult {
    bool ok = false;
    std::string program;  // the program that was run
    int startError = 0;   // errno when it could not be started
    int exitStatus = 0;   // its exit status when that was not 0
    int signal = 0;       // the signal that ended it
};

PrintResult printFile(const std::string& path);

} // namespace platform
