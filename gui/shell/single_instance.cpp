#include "single_instance.h"

#include "platform/core/folder_entries.h"
#include "platform/qt/locale_text.h"

#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>
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

// The lock file locked by this process, or -1: `held` then says whether a live holder has it. A file
// locked after its name was removed or given to another file guards nothing, so the lock is taken
// again on the file that the name now names (a bounded number of times: the name changing all the time
// is no lock that can be had).
int lockFileAt(const std::string& path, bool& held)
{
    held = false;
    for (int attempt = 0; attempt < 16; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return -1;
        if (!lockNow(fd)) {
            held = errno == EWOULDBLOCK;
            ::close(fd);
            return -1;
        }
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd, &locked) == 0 && ::lstat(path.c_str(), &named) == 0 && locked.st_dev == named.st_dev &&
            locked.st_ino == named.st_ino)
            return fd;
        ::close(fd);
    }
    return -1;
}

// The instance's name among the system's sockets: in the abstract namespace, so no file stands for it
// that a cleaner could remove, and the system frees it when its holder ends, however it ends. It is the
// lock's path, or a digest of it when the path is too long for a socket's name.
sockaddr_un socketName(const std::string& lockPath, socklen_t& length)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string name = lockPath;
    if (name.size() + 1 >= sizeof address.sun_path) {
        std::uint64_t digest = 14695981039346656037ull;
        for (const char byte : lockPath)
            digest = (digest ^ static_cast<unsigned char>(byte)) * 1099511628211ull;
        char text[40];
        std::snprintf(text, sizeof text, "OMBAgen-%016llx", static_cast<unsigned long long>(digest));
        name = text;
    }
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return address;
}

int newSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// A connection to the holder of the name, or -1. Connecting is also how a later start tells the holder
// that its request waits.
int connectTo(const sockaddr_un& address, socklen_t length)
{
    const int fd = newSocket();
    if (fd < 0)
        return -1;
    int result = -1;
    while ((result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), length)) != 0 && errno == EINTR) {
    }
    if (result != 0 && errno != EAGAIN) {
        ::close(fd);
        return -1;
    }
    return fd;
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

// The length of the time at the start of a request's name.
constexpr std::size_t kStampLength = 30;

// Removes the entries named before `since` (a request's name): requests left for an earlier holder.
void removeEntriesBefore(const std::string& folder, const std::string& since)
{
    std::vector<platform::FolderEntry> entries;
    if (!platform::ListFolder(folder, entries))
        return;
    const std::string stamp = since.substr(0, kStampLength);
    for (const platform::FolderEntry& entry : entries) {
        const std::string name = entry.name[0] == '.' ? entry.name.substr(1) : entry.name;
        if (name.substr(0, kStampLength) < stamp)
            ::unlink((folder + "/" + entry.name).c_str());
    }
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
    delete m_callers;
    if (m_watch >= 0)
        ::close(m_watch);
    release();
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

SingleInstanceGuard::Holder SingleInstanceGuard::takeName()
{
    socklen_t length = 0;
    const sockaddr_un address = socketName(m_lockPath, length);
    m_socket = newSocket();
    if (m_socket >= 0 && ::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), length) == 0 &&
        ::listen(m_socket, SOMAXCONN) == 0)
        return Holder::None;
    const bool inUse = m_socket >= 0 && errno == EADDRINUSE;
    if (m_socket >= 0)
        ::close(m_socket);
    m_socket = -1;
    if (!inUse)
        return Holder::Unknown;
    // Only an instance of this user holds the name for this user; anyone else's socket there is no
    // instance of the program, and the lock file alone guards.
    const int peer = connectTo(address, length);
    ucred credentials {};
    socklen_t size = sizeof credentials;
    const bool other = peer >= 0 && ::getsockopt(peer, SOL_SOCKET, SO_PEERCRED, &credentials, &size) == 0 &&
                       credentials.uid != ::getuid();
    if (peer >= 0)
        ::close(peer);
    return other ? Holder::Unknown : Holder::Live;
}

void SingleInstanceGuard::release()
{
    for (int* fd : {&m_socket, &m_lock}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
}

SingleInstanceGuard::Holder SingleInstanceGuard::hold()
{
    bool held = false;
    m_lock = lockFileAt(m_lockPath, held);
    if (m_lock < 0)
        return held ? Holder::Live : Holder::Unknown;
    // The lock file may have been removed under a live holder (a cleaner of the temporary folder): the
    // holder's name among the sockets still says it lives.
    if (takeName() == Holder::Live) {
        release();
        return Holder::Live;
    }
    return Holder::None;
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Start(const std::string& request)
{
    // Requests named before this start tries the lock were left for an earlier holder; every later one
    // was left because this instance held it.
    const std::string since = requestName();
    Holder holder = hold();
    if (holder == Holder::Unknown) {
        std::fprintf(stderr, "OMBAgen: cannot take the instance lock; running without it\n");
        release();
        return Outcome::Unguarded;
    }
    if (holder == Holder::Live) {
        // A live instance holds the lock, whatever it is doing: the request waits for it, and the
        // holder is told.
        std::string left;
        const bool handed = leaveRequest(request, left);
        socklen_t length = 0;
        const sockaddr_un address = socketName(m_lockPath, length);
        if (const int told = connectTo(address, length); told >= 0)
            ::close(told);
        holder = hold();
        if (holder != Holder::None) {
            release();
            if (handed)
                return Outcome::HandedOver;
            std::fprintf(stderr, "OMBAgen: cannot leave the request for the running instance\n");
            return Outcome::NotHandedOver;
        }
        // The holder ended meanwhile: this instance is the first and opens its project itself.
        if (handed)
            ::unlink(left.c_str());
    }
    if (makeRequestFolder())
        removeEntriesBefore(m_requests, since);
    watchRequests();
    // Requests made before the event loop runs are taken once it does.
    QTimer::singleShot(0, this, &SingleInstanceGuard::requestsWaiting);
    return Outcome::First;
}

void SingleInstanceGuard::watchRequests()
{
    // A later start connects once its request is left: the request folder may be a new one by then (a
    // cleaner removed the one watched below).
    if (m_socket >= 0) {
        m_callers = new QSocketNotifier(static_cast<qintptr>(m_socket), QSocketNotifier::Read);
        connect(m_callers, &QSocketNotifier::activated, this, [this] {
            for (int caller = -1; (caller = ::accept4(m_socket, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;)
                ::close(caller);
            emit requestsWaiting();
        });
    }
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

bool SingleInstanceGuard::RequestWaiting() const
{
    std::vector<platform::FolderEntry> entries;
    if (m_lock < 0 || !platform::ListFolder(m_requests, entries))
        return false;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.name[0] != '.')
            return true;
    }
    return false;
}

} // namespace shell
