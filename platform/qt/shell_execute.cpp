#include "shell_execute.h"

#include "latin1.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <mutex>

namespace platform {

namespace {

constexpr int kSuccess = 42;
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;

int desktopExecute(const std::string& verb, const std::string& target)
{
    if (verb != "open")
        return kNoAssociation;
    const QString text = toQString(target);
    QUrl url = QUrl::fromUserInput(text);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
        return kFileNotFound;
    if (!url.isValid())
        return kFileNotFound;
    return QDesktopServices::openUrl(url) ? kSuccess : kNoAssociation;
}

std::mutex g_mutex;
ShellExecuteHandler g_handler;

} // namespace

int shellExecute(const std::string& verb, const std::string& target)
{
    ShellExecuteHandler handler;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        handler = g_handler;
    }
    return handler ? handler(verb, target) : desktopExecute(verb, target);
}

ShellExecuteHandler setShellExecuteHandler(ShellExecuteHandler handler)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    ShellExecuteHandler previous = std::move(g_handler);
    g_handler = std::move(handler);
    return previous;
}

} // namespace platform
