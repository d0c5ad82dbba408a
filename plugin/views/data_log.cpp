#include "plugin/views/data_log.h"

#include "platform/core/message_service.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace views {
namespace {

struct LogState {
    std::mutex mutex;
    std::string path;
    bool writeFailureTold = false; // the user was told that writing to `path` failed
};

LogState& logState()
{
    static LogState* state = new LogState;
    return *state;
}

// Opens the log for appending, creating it when missing; null for anything but a regular file. The
// open never waits: a FIFO without a reader is refused at once, one with a reader is no regular file.
std::FILE* openLogFile(const std::string& path)
{
    if (path.empty())
        return nullptr;
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0)
        return nullptr;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "a");
    if (file == nullptr)
        ::close(fd);
    return file;
}

} // namespace

bool SetLogFile(const std::string& path)
{
    std::FILE* file = openLogFile(path);
    if (file == nullptr)
        return false;
    std::fclose(file);
    std::lock_guard lock(logState().mutex);
    logState().path = path;
    logState().writeFailureTold = false;
    return true;
}

void ClearLogFile()
{
    std::lock_guard lock(logState().mutex);
    logState().path.clear();
}

std::string GetLogFilePath()
{
    std::lock_guard lock(logState().mutex);
    return logState().path;
}

bool IsLogInitialized() { return !GetLogFilePath().empty(); }

std::string FormatLogBlock(const std::string& title, const LogTable& table)
{
    std::string text = "***" + title + "***\n";
    for (const std::string& header : table.headers)
        text += header + ",";
    text += "\n";
    for (const auto& row : table.rows) {
        for (std::size_t c = 0; c < table.headers.size(); ++c)
            text += (c < row.size() ? row[c] : std::string()) + ",";
        text += "\n";
    }
    text += "\n";
    return text;
}

bool ExportTableToLog(const LogTable& table, const std::string& title)
{
    const std::string path = GetLogFilePath();
    if (path.empty()) {
        platform::messageBox("Log not initialized.", kAwarenessCaption, platform::MbOk);
        return false;
    }
    std::FILE* file = openLogFile(path);
    if (file == nullptr) {
        platform::messageBox("Error opening log file.", kAwarenessCaption, platform::MbOk);
        return false;
    }
    const std::string text = FormatLogBlock(title, table);
    errno = 0;
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    written = std::fclose(file) == 0 && written; // a full device may refuse only at the flush
    const int error = errno;
    // A failed write is told once until a write succeeds or the path is set again, so a log on a full
    // disk does not raise a box at every export.
    bool tell = false;
    {
        std::lock_guard lock(logState().mutex);
        tell = !written && !logState().writeFailureTold;
        logState().writeFailureTold = !written;
    }
    if (tell)
        platform::messageBox("Error writing log file " + path + (error != 0 ? ": " + std::string(std::strerror(error)) : "") + ".",
                             kAwarenessCaption, platform::MbOk);
    return written;
}

} // namespace views
