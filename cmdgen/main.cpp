// OMBAgenCmd: generates the kernel configuration sources of a project's applications from the command
// line. Messages that would be boxes elsewhere are "caption: text" lines on standard error.

#include "console_run.h"
#include "platform/core/process_signals.h"

#include <iostream>
#include <string>
#include <vector>

#include "engine/util/save_test_hooks.h"

int main(int argc, char** argv)
{
    platform::ignoreFileSizeLimitSignal();
    // An interrupt ends the program, but never while a save puts its files in place.
    platform::endOnInterruptsOnceReleased();
    engine::TakeSaveTestHooks();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return cmdgen::RunConsoleGenerator(arguments, std::cout);
}
