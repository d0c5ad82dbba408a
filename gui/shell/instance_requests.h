#pragma once
// The requests of later starts, given to the main window. A later start asks for the window: it comes
// forward at once, restored when minimised, with the dialog the user has open on top. The project it
// names is opened, as File > Open opens one, only once the window is free: its own start-up ended, and no
// box, dialog or menu up.

#include <QObject>
#include <QTimer>

class CMainDialog;

namespace shell {

class SingleInstanceGuard;

class InstanceRequests : public QObject {
public:
    InstanceRequests(SingleInstanceGuard& guard, CMainDialog& window);

private:
    void comeForward();
    void take();

    SingleInstanceGuard& m_guard;
    CMainDialog& m_window;
    QTimer m_busy;
};

} // namespace shell
