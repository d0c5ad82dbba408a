#include "shell_execute.h"

#include "locale_text.h"

#include "platform/core/program_path.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

#include <QRegularExpression>

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
    const QUrl url = shellTarget(target);
    if (!url.isValid() || (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())))
        return kFileNotFound;
    return QDesktopServices::openUrl(url) ? kSuccess : kNoAssociation;
}

std::mutex g_mutex;
ShellExecuteHandler g_handler;

} // namespace

QUrl shellTarget(const std::string& target)
{
    const QString text = toQString(target);
    if (text.isEmpty())
        return QUrl();
    // Two letters at least before the colon, so nothing that names a file is taken for an address.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (text.startsWith(u'/'))
        return QUrl::fromLocalFile(toQString(target));
    if (scheme.match(text).hasMatch())
        return QUrl(text);
    return QUrl::fromLocalFile(toQString(programDirectory() + "/" + target));
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
