#include "engine/util/print_text.h"

#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/program_title.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

#include "platform/core/print_command.h"

#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace engine {
namespace {

// The default printer: the text goes to a temporary file, which the print command (platform's
// printFile: OMBAGEN_PRINT_COMMAND or "lp", run without a shell) is given by name.
bool printThroughCommand(const std::string& text, const std::string& /*documentName*/)
{
    std::string folder = GetEnvironmentText("TMPDIR");
    if (folder.empty())
        folder = "/tmp";
    std::string name = folder + "/ombagen-print-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return false;
    ::close(fd);
    bool ok = WriteWholeFile(name, text);
    ok = ok && platform::printFile(name).ok;
    ::unlink(name.c_str());
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
        printer = printThroughCommand;
    return printer(text, ProgramTitle());
}

bool ShowReportFile(const std::string& path)
{
    std::string bytes;
    const std::string native = MakeNativePath(path);
    const ReadResult result = ReadWholeFile(native, bytes);
    switch (result) {
    case ReadResult::OpenFailed:
        platform::messageBox(FormatText("Unable to open file '%s'", path.c_str()), ProgramTitle());
        return false;
    case ReadResult::NotRegular:
        platform::messageBox(FormatText("Unable to read file '%s': %s", path.c_str(),
                                        ReadFailureReason(result, native).c_str()),
                             ProgramTitle());
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
