#include "single_instance.h"

#include "platform/qt/locale_text.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QStandardPaths>

#include <cstdio>
#include <string>
#include <string_view>

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

SingleInstanceGuard::SingleInstanceGuard(const QString& name, const QString& folder, QObject* parent)
    : QObject(parent), m_name(name), m_folder(folder)
{
    if (m_folder.isEmpty())
        m_folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (m_folder.isEmpty())
        m_folder = QDir::tempPath();
}

SingleInstanceGuard::~SingleInstanceGuard()
{
    if (m_server)
        m_server->close();
}

QString SingleInstanceGuard::DefaultName()
{
    return QStringLiteral("OMBAgen-%1").arg(::getuid());
}

SingleInstanceGuard::Outcome SingleInstanceGuard::Start()
{
    m_lock = std::make_unique<QLockFile>(m_folder + u'/' + m_name + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(0); // a lock whose owner died is taken over
    if (!m_lock->tryLock(0)) {
        if (m_lock->error() != QLockFile::LockFailedError) {
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
