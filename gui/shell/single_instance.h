#pragma once
// One generator window per user. The first instance holds a lock file (the system's lock on an open file,
// released when its holder ends, however it ends) and a socket name made of the lock's path (which no
// file stands for, so it stays when a cleaner removes the lock file), and owns a request folder beside it. A later instance
// that finds the lock held never runs: it leaves its request (the project to open, or nothing) in the
// folder and ends. The first takes the requests when it is free: they wait in the folder however long it
// is busy or stopped. Every path is built as bytes, so no folder name has to decode.

#include <QObject>
#include <QString>

#include <optional>
#include <string>

class QSocketNotifier;

namespace shell {

class SingleInstanceGuard : public QObject {
    Q_OBJECT

public:
    // name: the lock's name ("OMBAgen" plus the user id); folder: where the lock and the request folder
    // live, as the system names it (empty: the runtime folder, else the temporary folder, else /tmp).
    explicit SingleInstanceGuard(const QString& name, const std::string& folder = std::string(),
                                 QObject* parent = nullptr);
    ~SingleInstanceGuard() override;

    enum class Outcome {
        First,         // this instance holds the lock and takes the requests of later ones
        HandedOver,    // a live instance holds the lock and has the request waiting for it
        NotHandedOver, // a live instance holds the lock, but the request could not be left for it
        Unguarded,     // no lock can be made here: this instance runs without one
    };
    // Takes the lock, or leaves `request` (an absolute project path, or empty: come forward) for the
    // instance that holds it.
    Outcome Start(const std::string& request = std::string());

    static QString DefaultName();

    // The first instance: the latest request waiting, taken with every earlier one (they all ask the
    // same window for a project, and the latest is the one the user means now); none when none waits.
    std::optional<std::string> TakeRequest();
    // Whether a request waits, left as it is.
    bool RequestWaiting() const;

    const std::string& lockPath() const { return m_lockPath; }
    const std::string& requestFolder() const { return m_requests; }

signals:
    // Requests may be waiting (also once, as the event loop starts).
    void requestsWaiting();

private:
    enum class Holder {
        None,    // no live instance holds the lock: this one has it
        Live,    // a live instance of this user holds it
        Unknown, // no lock can be had here
    };
    Holder hold();
    Holder takeName();
    void release();
    bool makeRequestFolder() const;
    bool leaveRequest(const std::string& request, std::string& left) const;
    void watchRequests();

    std::string m_folder;
    std::string m_lockPath;
    std::string m_requests;
    int m_lock = -1;  // the lock file, locked while this instance runs
    int m_socket = -1; // the instance's name among the sockets, held while this instance runs
    int m_watch = -1;  // the notification descriptor of the request folder
    QSocketNotifier* m_notifier = nullptr;
    QSocketNotifier* m_callers = nullptr;
};

} // namespace shell
