#include "process_signals.h"

#include <csignal>

namespace platform {

void ignoreFileSizeLimitSignal()
{
    struct sigaction action {};
    action.sa_handler = SIG_IGN;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGXFSZ, &action, nullptr);
}

} // namespace platform
