#include "arguments.h"

#include "return_codes.h"

#include <cctype>

namespace cmdgen {

namespace {

bool isSwitch(const std::string& argument)
{
    return !argument.empty() && (argument[0] == '-' || argument[0] == '/');
}

char switchLetter(const std::string& argument)
{
    return argument.size() < 2 ? '\0' : static_cast<char>(std::tolower(static_cast<unsigned char>(argument[1])));
}

bool isHelp(const std::string& argument)
{
    const char letter = switchLetter(argument);
    return isSwitch(argument) && argument.size() == 2 && (letter == 'h' || letter == '?');
}

void usageError(RunOptions& options)
{
    ++options.usagePrints;
    options.code = CodeUsage;
}

} // namespace

RunOptions parseArguments(const std::vector<std::string>& arguments)
{
    RunOptions options;
    if (arguments.empty()) {
        usageError(options);
        return options;
    }
    if (isHelp(arguments[0])) {
        options.usagePrints = 1;
        options.skip = true;
        return options;
    }
    options.projectFile = arguments[0];
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!isSwitch(argument)) {
            usageError(options);
            continue;
        }
        switch (switchLetter(argument)) {
        case 'a': options.applicationName = argument.substr(2); break;
        case 'c': options.cpuName = argument.substr(2); break;
        case 'f': options.force = true; break;
        case 'p': options.report = true; break;
        case 's': options.save = true; break;
        case 'x': options.all = true; break;
        case 'h':
        case '?':
            ++options.usagePrints;
            options.skip = true;
            break;
        default:
            // An unknown switch is a usage error, so that a mistyped build script does not pass.
            usageError(options);
            break;
        }
    }
    return options;
}

} // namespace cmdgen
