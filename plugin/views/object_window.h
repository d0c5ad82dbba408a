#pragma once
// The base of every kernel display window: a modeless resizable dialog that belongs to a window
// manager. It registers itself when it first opens and posts itself one refresh; the manager posts it a
// refresh after each target stop and a disable at each target start. Commands are posted, never sent,
// and reach onCommand in order. The close box runs the close steps (the position is stored, the window
// leaves the manager) and frees the window; Enter and Escape only hide it, so it stays listed and is
// shown again by the next command for its display.

#include "gui/layout/dynamic_dialog.h"

#include <QElapsedTimer>

#include <cstdint>

class QIcon;

namespace views {

class WindowManager;

class ObjectWindow : public CDynamicDialog {
    Q_OBJECT

public:
    ObjectWindow(WindowManager* manager, uint32_t dialogId, QWidget* parent = nullptr);
    ~ObjectWindow() override;

    uint32_t dialogId() const { return m_dialogId; }
    bool isOpen() const { return m_open; }
    WindowManager* manager() const { return m_manager; }

    // Re-read the target and redraw (command 32868).
    virtual void Refresh() = 0;
    // Grey the controls while the target runs (command 32869).
    virtual void DisableControls() = 0;

    // Posts a command to the window (safe from the window's thread; handled after pending events).
    void postCommand(int command);
    // Runs a command now.
    virtual void onCommand(int command);

    // The close steps without freeing (also run by the destructor): store the position, hide, leave the
    // manager. Idempotent.
    void runCloseSteps();

protected:
    bool OnInitDialog() override;
    // A window that was open before reopens at its stored size and place; a new one cascades from the
    // last window its manager opened. Either way it lies wholly on its screen.
    void OnInitialized() override;
    // After the first refresh of a window opened without a stored placement: it takes the client width
    // its columns need (`wanted`, never less than its minimum) and is placed again at that size. Later
    // refreshes, and a window with a stored placement, keep their size.
    void fitFirstOpen(int wanted);
    // True for a window that opens centred on its manager's owner (the control panel), not cascaded.
    virtual bool centredOnOwner() const { return false; }

public:
    // Where the window's frame lies, or is to lie until the window manager has framed it.
    QRect placedFrame() const;

private:
    // A new window: its frame a title bar from the last window opened before it, or in a new column (or
    // centred on the owner), covering no title bar of the windows opened before it; no larger than leaves
    // room for a cascade when `leaveRoom`, else than the screen.
    void placeNew(bool leaveRoom = true);
    // True while the window's frame is still the cascade's to move: placed new, and not yet settled where
    // the window manager framed it (the user may have moved it since).
    bool cascading() const;
    // The windows opened after this one that are still cascading are placed again, in the order they
    // opened: a window placed again (framed, or widened by its first refresh) after later ones were placed
    // from its earlier frame leaves them where its new frame says, whatever the pace they opened at.
    void placeLaterWindows();

protected:
    void OnOK() override;
    void OnCancel() override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    // Windows that own further windows (a services-trace window) close them here.
    virtual void closeOwnedWindows() {}

private:
    WindowManager* m_manager;
    uint32_t m_dialogId;
    bool m_open = false;
    bool m_closing = false;
    bool m_placementRestored = false;
    bool m_framed = false;
    QRect m_frame;       // the frame placed
    QSize m_clientSize;  // the client size placed
    QElapsedTimer m_placed; // since the frame was last placed
    bool m_fitted = false;
};

// The big icon of the kernel windows.
const QIcon& KernelWindowIcon();

} // namespace views
