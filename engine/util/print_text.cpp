#include "engine/util/print_text.h"

#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/program_title.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <pthread.h>
#include <mutex>

namespace engine {
namespace {

// Keeps SIGPIPE from ending the program while this thread writes to a command that may have exited:
// the write then fails with EPIPE, and a SIGPIPE raised by it is taken back before the mask is restored.
class SigpipeGuard {
public:
    SigpipeGuard()
    {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        m_wasPending = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        ::pthread_sigmask(SIG_BLOCK, &m_pipe, &m_previous);
    }
    ~SigpipeGuard()
    {
        if (!m_wasPending) {
            const timespec none{0, 0};
            while (::sigtimedwait(&m_pipe, nullptr, &none) == -1 && errno == EINTR) {
            }
        }
        ::pthread_sigmask(SIG_SETMASK, &m_previous, nullptr);
    }
    SigpipeGuard(const SigpipeGuard&) = delete;
    SigpipeGuard& operator=(const SigpipeGuard&) = delete;

private:
    sigset_t m_pipe;
    sigset_t m_previous;
    bool m_wasPending = false;
};

bool pipeToCommand(const std::string& text, const std::string& /*documentName*/)
{
    std::string command = GetEnvironmentText("OMBA_PRINT_COMMAND");
    if (command.empty())
        command = "lp";
    SigpipeGuard guard;
    FILE* pipe = ::popen(command.c_str(), "w");
    if (!pipe)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), pipe) == text.size();
    ok = (::pclose(pipe) == 0) && ok;
    return ok;
}

std::mutex& printerMutex()
{
    static std::mutex mutex;
    return mutex;
}

TextPrinter& installedPrinter()
{
    static TextPrinter printer;
    return printer;
}

} // namespace

TextPrinter SetTextPrinter(TextPrinter printer)
{
    std::lock_guard<std::mutex> lock(printerMutex());
    TextPrinter previous = std::move(installedPrinter());
    installedPrinter() = std::move(printer);
    return previous;
}

bool PrintText(const std::string& text)
{
    TextPrinter printer;
    {
        std::lock_guard<std::mutex> lock(printerMutex());
        printer = installedPrinter();
    }
    if (!printer)
        printer = pipeToCommand;
    return printer(text, ProgramTitle());
}

bool ShowReportFile(const std::string& path)
{
    std::string bytes;
    switch (ReadWholeFile(MakeNativePath(path), bytes)) {
    case ReadResult::OpenFailed:
        platform::messageBox(FormatText("Unable to open file '%s'", path.c_str()), ProgramTitle());
        return false;
    case ReadResult::ReadFailed:
    case ReadResult::NoMemory:
        return false;
    case ReadResult::Ok:
        break;
    }
    return PrintText(bytes);
}

} // namespace engine
