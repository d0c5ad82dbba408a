#include "shell_execute.h"

#include "locale_text.h"

#include "platform/core/program_path.h"

#include <QDesktopServices>
#include <QUrl>

#include <cerrno>
#include <mutex>
#include <thread>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

constexpr int kSuccess = 42;
constexpr int kFileNotFound = 2;
constexpr int kNoAssociation = 31;

bool hasScheme(const std::string& target)
{
    // Two characters at least before the colon, the first a letter, so nothing that names a file (a
    // drive letter "C:") is taken for an address.
    const std::size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2)
        return false;
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (!letter(target[0]))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const char c = target[i];
        if (!letter(c) && !(c >= '0' && c <= '9') && c != '+' && c != '.' && c != '-')
            return false;
    }
    return true;
}

// Hands the file to the desktop's opener (xdg-open, found on the PATH) by its bytes. The opener may run as
// long as the document is open: it is not waited for here, only reaped once it ends.
int openFile(const std::string& path)
{
    std::string opener = "xdg-open";
    std::string argument = path;
    char* argv[] = {opener.data(), argument.data(), nullptr};
    pid_t child = -1;
    if (::posix_spawnp(&child, opener.c_str(), nullptr, nullptr, argv, environ) != 0)
        return kNoAssociation;
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return kSuccess;
}

int desktopExecute(const std::string& verb, const std::string& target)
{
    if (verb != "open")
        return kNoAssociation;
    const ShellTarget opened = shellTarget(target);
    if (opened.text.empty())
        return kFileNotFound;
    if (opened.address) {
        const QUrl address(toQString(opened.text), QUrl::StrictMode);
        if (!address.isValid())
            return kFileNotFound;
        // Bytes kept: an address is text of its own, no file's name, so no path is decoded here.
        return QDesktopServices::openUrl(address) ? kSuccess : kNoAssociation;
    }
    struct stat info {};
    if (::stat(opened.text.c_str(), &info) != 0)
        return kFileNotFound;
    return openFile(opened.text);
}

std::mutex g_mutex;
ShellExecuteHandler g_handler;

} // namespace

ShellTarget shellTarget(const std::string& target)
{
    if (target.empty())
        return {};
    if (target.front() == '/')
        return {false, target};
    if (hasScheme(target))
        return {true, target};
    return {false, programDirectory() + "/" + target};
}

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
