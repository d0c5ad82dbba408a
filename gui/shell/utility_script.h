#pragma once
// The utility scripts of the Utilities menu: which items the menu offers, the environment a run publishes,
// and the parsing of a script's command line (environment markers, parameter requests, the answers put
// back in). Display-free; the main window runs the parameters dialog and the output window around it.
//
// Markers: "&{name}" is replaced before the requests are read, its value escaped for use in request
// defaults ("$" doubled, "_" doubled, blanks made "_"); "${name}" is replaced after the answers, raw.
// A request is "$prompt%type#min,max@default" up to white space or a "${"; "$$" stands for one "$".

#include "engine/records/records.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace shell {

constexpr int kMaxUtilityItems = 16;
constexpr int kMaxUtilityRequests = 10;

struct UtilityItem {
    std::string label;   // the script name with underscores made blanks
    std::string command; // the command line as configured
};

// The configuration's scripts, then the CPU's (when one is current), at most 16 in all.
std::vector<UtilityItem> UtilityMenuItems(const engine::ConfigRecord& config, const engine::CpuRecord* cpu);

// "__" becomes "_", any other "_" a blank, left to right.
std::string UnderscoresToSpaces(std::string_view text);

struct UtilityRequest {
    std::string prompt;
    std::string type;     // first letter n, x, b, o, f, d or s
    uint32_t minimum = 0; // 0: none
    uint32_t maximum = 0; // 0: none
    std::string value;    // the default, then the answer
    std::size_t position = 0;
    std::size_t length = 0;
};

using EnvironmentLookup = std::function<std::string(const std::string& name)>;
using EnvironmentList = std::vector<std::pair<std::string, std::string>>;

// pf, pd, pn, cf, cd, cn, af, ad, an for the project and the current CPU and application (either may be
// null).
EnvironmentList UtilityVariables(const engine::ProjectRecord& project, const engine::CpuRecord* cpu,
                                 const engine::ApplicationRecord* application);
// Looks a name up in the list (exact, then ignoring case), then in the program's environment.
std::string LookupVariable(const EnvironmentList& variables, const std::string& name);
// The program's environment with the variables set over it, as "NAME=value" texts for a child process.
std::vector<std::string> ChildEnvironment(const EnvironmentList& variables);

// Replaces every marker opener + name + "}" (a missing "}" runs to the end). With escape the value is
// escaped as for "&{" markers.
std::string ExpandMarkers(std::string command, std::string_view opener, bool escape, const EnvironmentLookup& lookup);

struct ParsedUtility {
    std::string command;     // after the early markers, "$$" folded while scanning
    bool pipeMode = true;    // false: a leading "&" asked for the temporary-file mode
    std::vector<UtilityRequest> requests;
    std::string displayText; // the command as the parameters dialog shows it
};

// Steps before the dialog: capture mode, early markers, requests.
ParsedUtility ParseUtilityCommand(const std::string& command, const EnvironmentLookup& lookup);
// Puts the answers in (last request first) and expands the late markers.
std::string FinishUtilityCommand(const ParsedUtility& parsed, const EnvironmentLookup& lookup);
// The text that replaces a request: the answer, or for type b the false or true text of its type.
std::string RequestReplacement(const UtilityRequest& request);

} // namespace shell
