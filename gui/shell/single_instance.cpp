#include "single_instance.h"

#include "platform/qt/locale_text.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace shell {

namespace {
constexpr int kConnectTimeoutMs = 2000;
constexpr qint64 kMaxAnswer = 512;
const char kActivate[] = "activate\n";

// What the first instance tells a later one: its process and the display its window is on.
QByteArray ownAnswer()
{
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    if (display.isEmpty()) {
        const std::string name = platform::toBytes(QGuiApplication::platformName());
        display = QByteArray(name.data(), static_cast<qsizetype>(name.size()));
    }
    return "process " + QByteArray::number(static_cast<qint64>(::getpid())) + " on display " + display.left(200) +
           "\n";
}
} // namespace

SingleInstanceGuard::SingleInstanceGuard(const QString& name, const std::string& folder, QObject* parent)
    : QObject(parent), m_name(name), m_folder(folder)
{
    // The folders as the environment names them, byte for byte.
    for (const char* variable : {"XDG_RUNTIME_DIR", "TMPDIR"}) {
        const char* value = std::getenv(variable);
        if (m_folder.empty() && value && *value)
            m_folder = value;
    }
    if (m_folder.empty())
        m_folder = "/tmp";
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
    if (m_lock >= 0)
        ::close(m_lock);
}

QString SingleInstanceGuard::DefaultName()
{
    return QStringLiteral("OMBAgen-%1").arg(::getuid());
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Start()
{
    // The lock is the system's lock on an open file: it goes with its holder, however that ends, so a lock
    // whose holder died is free.
    const std::string path = m_folder + "/" + platform::toBytes(m_name) + ".lock";
    m_lock = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (m_lock < 0) {
        std::fprintf(stderr, "OMBAgen: cannot create the instance lock; running without it\n");
        return Outcome::Unguarded;
    }
    int locked = -1;
    while ((locked = ::flock(m_lock, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(m_lock);
        m_lock = -1;
        if (!taken) {
            std::fprintf(stderr, "OMBAgen: cannot create the instance lock; running without it\n");
            return Outcome::Unguarded;
        }
        QLocalSocket socket;
        socket.connectToServer(m_name);
        if (socket.waitForConnected(kConnectTimeoutMs)) {
            socket.write(kActivate);
            socket.waitForBytesWritten(kConnectTimeoutMs);
            QDeadlineTimer deadline(kConnectTimeoutMs);
            while (!socket.canReadLine() && !deadline.hasExpired() &&
                   socket.state() == QLocalSocket::ConnectedState)
                socket.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
            if (socket.canReadLine())
            {
                const QByteArray line = socket.readLine(kMaxAnswer);
                m_running = platform::toQString(std::string_view(line.constData(), static_cast<std::size_t>(line.size())))
                                .trimmed();
            }
            socket.disconnectFromServer();
        }
        if (!m_running.isEmpty())
            return Outcome::Activated;
        std::fprintf(stderr, "OMBAgen: the running instance does not answer; starting another one\n");
        return Outcome::Unguarded;
    }
    QLocalServer::removeServer(m_name); // a socket left by a crashed instance
    m_server = new QLocalServer(this);
    m_server->listen(m_name);
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->readAll().contains("activate"))
                    return;
                socket->write(ownAnswer());
                socket->flush();
                emit activationRequested();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return Outcome::First;
}

} // namespace shell
