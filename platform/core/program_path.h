#pragma once
// Where the running program lives.

#include <string>

namespace platform {

// The full path of the running executable (from /proc/self/exe), or "" when unknown.
std::string programPath();
// The folder of the running executable without a trailing '/', or "." when unknown.
std::string programDirectory();
// Lets tests and tools pretend the program lives in another folder ("" restores the real one).
void setProgramDirectoryOverride(const std::string& directory);

} // namespace platform
