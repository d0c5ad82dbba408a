#include "single_instance.h"

#include "platform/core/folder_entries.h"
#include "platform/qt/locale_text.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell {

namespace {

// A request names one path: longer than the system's longest path is no request for a project.
constexpr std::size_t kMaxRequest = PATH_MAX;

bool lockNow(int fd)
{
    int locked = -1;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    return locked == 0;
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// The file's bytes, when it is a regular file of at most `limit` bytes.
std::optional<std::string> readSmallFile(const std::string& path, std::size_t limit)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= limit) {
        std::string bytes(limit + 1, '\0');
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            done += static_cast<std::size_t>(n);
        }
        if (done <= limit)
            text = bytes.substr(0, done);
    }
    ::close(fd);
    return text;
}

// Requests are named by when they were made, so their names sort in that order; names starting with a
// dot are requests still being written.
std::string requestName()
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    char name[64];
    std::snprintf(name, sizeof name, "%020lld-%09ld-%ld", static_cast<long long>(now.tv_sec),
                  static_cast<long>(now.tv_nsec), static_cast<long>(::getpid()));
    return name;
}

void removeEntries(const std::string& folder)
{
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(folder, entries))
        return;
    for (const platform::FolderEntry& entry : entries)
        ::unlink((folder + "/" + entry.name).c_str());
}

} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& name, const std::string& folder, QObject* parent)
    : QObject(parent), m_folder(folder)
{
    // The folders as the environment names them, byte for byte.
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        if (m_folder.empty() && value && *value)
            m_folder = value;
    }
    if (m_folder.empty())
        m_folder = "/tmp";
    const std::string base = m_folder + "/" + platform::toBytes(name);
    m_lockPath = base + ".lock";
    m_requests = base + ".requests";
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    delete m_notifier;
    if (m_watch >= 0)
        ::close(m_watch);
    if (m_lock >= 0)
        ::close(m_lock);
}

QString SingleInstanceGuard::DefaultName()
{
    return QStringLiteral("OMBAgen-%1").arg(::getuid());
}

bool SingleInstanceGuard::makeRequestFolder() const
{
    if (::mkdir(m_requests.c_str(), 0700) != 0 && errno != EEXIST)
        return false;
    // Only a folder of this user's own, not a link put at its name, carries requests.
    struct stat info {};
    return ::lstat(m_requests.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::getuid();
}

bool SingleInstanceGuard::leaveRequest(const std::string& request, std::string& left) const
{
    if (!makeRequestFolder())
        return false;
    const std::string name = requestName();
    const std::string writing = m_requests + "/." + name;
    const int fd = ::open(writing.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    const bool written = writeAll(fd, request.size() <= kMaxRequest ? request : std::string());
    ::close(fd);
    // The request appears whole, under a name the first instance reads.
    left = m_requests + "/" + name;
    if (!written || ::rename(writing.c_str(), left.c_str()) != 0) {
        ::unlink(writing.c_str());
        return false;
    }
    return true;
}

bool SingleInstanceGuard::takeLock()
{
    m_lock = ::open(m_lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    return m_lock >= 0;
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Start(const std::string& request)
{
    if (!takeLock()) {
        std::fprintf(stderr, "OMBAgen: cannot create the instance lock; running without it\n");
        return Outcome::Unguarded;
    }
    if (!lockNow(m_lock)) {
        if (errno != EWOULDBLOCK) {
            std::fprintf(stderr, "OMBAgen: cannot take the instance lock; running without it\n");
            ::close(m_lock);
            m_lock = -1;
            return Outcome::Unguarded;
        }
        // A live instance holds the lock, whatever it is doing: the request waits for it.
        std::string left;
        const bool handed = leaveRequest(request, left);
        if (!lockNow(m_lock)) {
            ::close(m_lock);
            m_lock = -1;
            if (handed)
                return Outcome::HandedOver;
            std::fprintf(stderr, "OMBAgen: cannot leave the request for the running instance\n");
            return Outcome::NotHandedOver;
        }
        // The holder ended meanwhile: this instance is the first and opens its project itself.
        if (handed)
            ::unlink(left.c_str());
    }
    // Requests left for an instance that has ended were for it alone.
    if (makeRequestFolder())
        removeEntries(m_requests);
    watchRequests();
    // Requests made before the event loop runs are taken once it does.
    QTimer::singleShot(0, this, &SingleInstanceGuard::requestsWaiting);
    return Outcome::First;
}

void SingleInstanceGuard::watchRequests()
{
    m_watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch < 0 || ::inotify_add_watch(m_watch, m_requests.c_str(), IN_MOVED_TO) < 0) {
        std::fprintf(stderr, "OMBAgen: cannot watch for requests of later instances\n");
        return;
    }
    m_notifier = new QSocketNotifier(static_cast<qintptr>(m_watch), QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        // The events only say that something came; the folder says what.
        alignas(inotify_event) char events[4096];
        while (::read(m_watch, events, sizeof events) > 0) {
        }
        emit requestsWaiting();
    });
}

std::optional<std::string> SingleInstanceGuard::TakeRequest()
{
    std::vector<platform::FolderEntry> entries;
    if (m_lock < 0 || !platform::ListFolder(m_requests, entries))
        return std::nullopt;
    std::optional<std::string> latest;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.name[0] == '.')
            continue;
        const std::string path = m_requests + "/" + entry.name;
        // In the order of their names, so the last one read is the latest.
        if (std::optional<std::string> request = readSmallFile(path, kMaxRequest))
            latest = std::move(request);
        else if (!latest)
            latest = std::string(); // unreadable: still a start that asks for the window
        ::unlink(path.c_str());
    }
    return latest;
}

} // namespace shell
