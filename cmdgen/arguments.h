#pragma once
// The command line of OMBAgenCmd:
//   OMBAgenCmd ProjectFileName.omb { -x | -cCpuName -aApplicationName } [-f] [-p] [-s] [ { -h | -? } ]
// Switches start with '-' or '/', their letter in any case; -c and -a carry their value glued on.

#include <string>
#include <vector>

namespace cmdgen {

struct RunOptions {
    std::string projectFile;
    std::string cpuName;
    std::string applicationName;
    bool all = false;     // -x
    bool force = false;   // -f
    bool report = false;  // -p
    bool save = false;    // -s
    bool skip = false;    // help was asked for: nothing is processed
    int code = 0;         // CodeUsage after a usage error
    int usagePrints = 0;  // how often the usage text is due (once per offending argument)
};

// Parses the arguments after the program name.
RunOptions parseArguments(const std::vector<std::string>& arguments);

} // namespace cmdgen
