// OMBAgenCmd: generates the kernel configuration sources of a project's applications from the command
// line. Messages that would be boxes elsewhere are "caption: text" lines on standard error.

#include "console_run.h"
#include "platform/core/process_signals.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "engine/util/file_io.h"
#include "engine/util/save_lock.h"

namespace {

// KORVANE_SAVE_SIGNAL_AT=<signal>:<step> (tests only) sends the program the signal at that step of its
// saves, so that an interrupt can be tried at every point of a save.
int g_signalAt = 0;
int g_stepAt = 0;
int g_steps = 0;

void signalAtStep()
{
    if (++g_steps == g_stepAt)
        std::raise(g_signalAt);
}

void takeSaveSignalHook()
{
    const char* given = std::getenv("KORVANE_SAVE_SIGNAL_AT");
    if (given == nullptr)
        return;
    char* end = nullptr;
    g_signalAt = static_cast<int>(std::strtol(given, &end, 10));
    if (end == nullptr || *end != ':')
        return;
    g_stepAt = static_cast<int>(std::strtol(end + 1, nullptr, 10));
    if (g_signalAt > 0 && g_stepAt > 0)
        engine::SetSaveStepHook(signalAtStep);
}

// KORVANE_SAVE_LOCK_WAIT_MS=<milliseconds> (tests only) shortens the longest wait for another save.
void takeSaveLockWait()
{
    if (const char* given = std::getenv("KORVANE_SAVE_LOCK_WAIT_MS")) {
        const long wait = std::strtol(given, nullptr, 10);
        if (wait >= 0 && wait < engine::kSaveLockWait.count())
            engine::SetSaveLockWait(std::chrono::milliseconds(wait));
    }
}

} // namespace

int main(int argc, char** argv)
{
    platform::ignoreFileSizeLimitSignal();
    takeSaveSignalHook();
    takeSaveLockWait();
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return cmdgen::RunConsoleGenerator(arguments, std::cout);
}
