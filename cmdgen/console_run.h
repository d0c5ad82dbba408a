#pragma once
// One run of OMBAgenCmd, top to bottom: banner, arguments, configuration from the program's folder,
// the project, generation (and reports) for the chosen applications, saving, the final line.

#include <ostream>
#include <string>
#include <vector>

namespace cmdgen {

// Runs the console generator with the arguments after the program name; writes its output to out and
// returns the process result (see return_codes.h). The current folder is the same before and after.
int RunConsoleGenerator(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace cmdgen
