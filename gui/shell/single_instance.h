#pragma once
// One generator window per user: the first instance holds a lock file and listens on a local socket; a
// later instance finds the lock taken, asks the first one (through the socket) to come to the front, and
// ends once the first one has answered with where it runs. When the first one does not answer, or the
// lock cannot be made at all, the program runs unguarded.

#include <QObject>
#include <QString>

#include <string>

class QLocalServer;

namespace shell {

class SingleInstanceGuard : public QObject {
    Q_OBJECT

public:
    // name: the lock and socket name ("OMBAgen" plus the user id); folder: where the lock file lives, as
    // the system names it (empty: the runtime folder, else the temporary folder).
    explicit SingleInstanceGuard(const QString& name, const std::string& folder = std::string(),
                                 QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    enum class Outcome { First, Activated, Unguarded };
    // Takes the lock (then listens) or asks the running instance to come forward.
    Outcome Start();

    static QString DefaultName();

    // After Activated: the running instance's answer, "process PID on display NAME".
    const QString& RunningInstance() const { return m_running; }

signals:
    void activationRequested();

private:
    QString m_name;
    std::string m_folder;
    int m_lock = -1; // the lock file, locked while this instance runs
    QLocalServer* m_server = nullptr;
    QString m_running;
};

} // namespace shell
