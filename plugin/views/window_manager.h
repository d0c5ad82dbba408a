#pragma once
// The window manager of a control panel: it turns display commands into windows (raising one that is
// open, building one through the window factory otherwise), keeps the list of open windows, posts them
// a refresh when the target stops and a disable when it runs, and closes them all when the panel
// stops. It also owns the "Miscellaneous" services-trace window.

#include "plugin/views/service_trace_parent.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

namespace views {

class ObjectWindow;

class WindowManager : public ServiceTraceParent {
public:
    WindowManager();
    ~WindowManager() override;

    // Adds the services of classes 101 and 13 to the manager's own services-trace window.
    void AddMiscServiceClasses() override;

    void RegisterWindow(ObjectWindow* window);   // once per window
    void UnregisterWindow(ObjectWindow* window);
    ObjectWindow* FindOpenWindow(uint32_t dialogId) const;
    // A listed window with the id: when open it is shown, raised and posted a refresh. True when one is
    // listed, open or not.
    bool ShowOpenWindow(uint32_t dialogId);
    // Builds, shows and returns the window of a display command (1 to 16), null for any other.
    ObjectWindow* CreateDisplayWindow(uint32_t command);

    // Deletes the services-trace window and every listed window, then frees the kernel workspace.
    void CloseAllWindows();
    void OnTargetStopped();
    void OnTargetRunning();
    int OnDisplayCommand(uint32_t command);

    const std::vector<ObjectWindow*>& windows() const { return m_windows; }

    // The window the manager's windows belong to (the control panel), or null.
    void setOwner(QWidget* owner) { m_owner = owner; }
    QWidget* owner() const { return m_owner; }

    // The window factory: a creator per display command.
    using Creator = std::function<ObjectWindow*(WindowManager&)>;
    static void RegisterDisplayWindow(uint32_t command, Creator creator);
    // Detail windows that list windows of other classes open by dialog id (the level windows the Threads
    // window opens).
    static void RegisterDetailWindow(uint32_t dialogId, Creator creator);
    static ObjectWindow* CreateDetailWindow(WindowManager& manager, uint32_t dialogId);
    // Runs the modal trace-control dialog (display command 18); installed by its module.
    using TraceControlRunner = std::function<void(WindowManager&)>;
    static void setTraceControlRunner(TraceControlRunner runner);

private:
    void deleteWindows();

    std::vector<ObjectWindow*> m_windows;
    QPointer<QWidget> m_owner;
};

// Registers a creator at load time: `static DisplayWindowRegistrar r(13, [](WindowManager& m) {...});`
struct DisplayWindowRegistrar {
    DisplayWindowRegistrar(uint32_t command, WindowManager::Creator creator)
    {
        WindowManager::RegisterDisplayWindow(command, std::move(creator));
    }
};

} // namespace views
