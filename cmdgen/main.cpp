// OMBAgenCmd: generates the kernel configuration sources of a project's applications from the command
// line. Messages that would be boxes elsewhere are "caption: text" lines on standard error.

#include "console_run.h"
#include "platform/core/process_signals.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    platform::ignoreFileSizeLimitSignal();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return cmdgen::RunConsoleGenerator(arguments, std::cout);
}
