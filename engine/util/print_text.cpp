#include "engine/util/print_text.h"

#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/program_title.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

#include <cstdio>
#include <mutex>

namespace engine {
namespace {

bool pipeToCommand(const std::string& text, const std::string& /*documentName*/)
{
    std::string command = GetEnvironmentText("OMBA_PRINT_COMMAND");
    if (command.empty())
        command = "lp";
    FILE* pipe = ::popen(command.c_str(), "w");
    if (!pipe)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), pipe) == text.size();
    return (::pclose(pipe) == 0) && ok;
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
