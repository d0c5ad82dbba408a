#pragma once
// The shell's "print" verb for a file: runs the print command ("lp --" unless the environment variable
// OMBAGEN_PRINT_COMMAND names another, given as blank-separated words) with the file as its last
// argument, without a shell, and waits for it.

#include <string>

namespace cmdgen {

constexpr const char* kPrintCommandVariable = "OMBAGEN_PRINT_COMMAND";

struct PrintOutcome {
    bool ok = false;
    std::string reason;  // why it failed, for the "Reason:" line
};

PrintOutcome printFile(const std::string& path);

} // namespace cmdgen
