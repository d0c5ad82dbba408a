#pragma once
// The fixed texts OMBAgenCmd writes to standard output.

#include <ostream>

namespace cmdgen {

constexpr const char* kVersion = "1.12";
constexpr int kBuild = 414;

// The version line, the notice line with the year and an empty line.
void printBanner(std::ostream& out, int year);

// The usage text.
void printUsage(std::ostream& out);

// The last line, with the return code.
void printCompletion(std::ostream& out, int code);

} // namespace cmdgen
