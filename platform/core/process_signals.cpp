#include "process_signals.h"

#include <atomic>
#include <csignal>

#include <sys/types.h>
#include <unistd.h>

namespace platform {

namespace {

std::atomic<int> g_holds{0};
// The interrupt that came during a hold (0: none).
std::atomic<int> g_kept{0};

void endByInterrupt(int signal)
{
    if (keepInterruptForLater(signal))
        return;
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace

void ignoreFileSizeLimitSignal()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}

void holdInterrupts()
{
    g_holds.fetch_add(1);
}

void releaseInterrupts()
{
    if (g_holds.fetch_sub(1) != 1)
        return;
    if (const int kept = g_kept.exchange(0); kept != 0)
        ::raise(kept);
}

bool keepInterruptForLater(int signal)
{
    if (signal != SIGINT && signal != SIGTERM && signal != SIGHUP)
        return false;
    if (g_holds.load() == 0)
        return false;
    g_kept.store(signal);
    // The last hold may have ended between the two looks, before the signal was kept: it ends the program
    // here then, unless that release took the signal itself.
    if (g_holds.load() == 0)
        return g_kept.exchange(0) == 0;
    return true;
}

void endOnInterruptsOnceReleased()
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction action {};
        action.sa_handler = endByInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace platform
