#include "engine/util/save_test_hooks.h"

#ifdef KORVANE_TEST_HOOKS

#include "engine/util/file_io.h"
#include "engine/util/save_lock.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

#include <unistd.h>

namespace engine {

namespace {

int g_signalAt = 0;
int g_stepAt = 0;
int g_steps = 0;
long g_stepDelayMs = 0;

void atSaveStep()
{
    if (g_stepDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(g_stepDelayMs));
    // To the process, as another program sends it: it reaches whichever thread takes it.
    if (g_signalAt > 0 && ++g_steps == g_stepAt)
        ::kill(::getpid(), g_signalAt);
}

long numberOf(const char* name)
{
    const char* given = std::getenv(name);
    return given != nullptr ? std::strtol(given, nullptr, 10) : 0;
}

} // namespace

void TakeSaveTestHooks()
{
    if (const char* given = std::getenv("KORVANE_SAVE_SIGNAL_AT")) {
        char* end = nullptr;
        g_signalAt = static_cast<int>(std::strtol(given, &end, 10));
        g_stepAt = end != nullptr && *end == ':' ? static_cast<int>(std::strtol(end + 1, nullptr, 10)) : 0;
        if (g_signalAt <= 0 || g_stepAt <= 0)
            g_signalAt = 0;
    }
    const long delay = numberOf("KORVANE_SAVE_STEP_DELAY_MS");
    g_stepDelayMs = delay > 0 && delay <= 10000 ? delay : 0;
    if (g_signalAt > 0 || g_stepDelayMs > 0)
        SetSaveStepHook(atSaveStep);
    if (const long wait = numberOf("KORVANE_SAVE_LOCK_WAIT_MS"); wait > 0 && wait < kSaveLockWait.count())
        SetSaveLockWait(std::chrono::milliseconds(wait));
}

} // namespace engine

#else

namespace engine {

void TakeSaveTestHooks() {}

} // namespace engine

#endif
