#pragma once
// The mixin of the plug-in's IDE windows: an idle chore that runs the window's update once it is ready
// and an update is pending, a handler of the IDE's font events, and the window's content saving.

#include "sdk/ide/if_command.h"
#include "sdk/ide/if_content_storage.h"
#include "sdk/ide/if_fonts.h"

class QWidget;

namespace views {

class DpGUIWindow : public IfIdleChore, public IfFontDbEvent::Handler {
public:
    DpGUIWindow() : IfIdleChore(false) {}
    ~DpGUIWindow() override = default;

    // Runs Update when an update is pending and the window is ready, then the after-idle hook; always
    // false (no further call asked for).
    bool OnIdle() override;
    virtual bool SaveContent(IfContentStorage& /*storage*/) { return true; }
    virtual bool RestoreContent(IfContentStorage& /*storage*/) { return true; }
    // The window's refresh.
    virtual void Update() {}
    virtual void AfterIdle() {}
    virtual QWidget* GetWnd() = 0;
    void OnFontDbEvent(IfFontDbEvent::Type /*type*/) override {}

    void RequestUpdate() { m_updatePending = true; }
    bool UpdatePending() const { return m_updatePending; }
    bool IsReady() const { return m_ready; }

protected:
    void SetReady() { m_ready = true; }
    // Leaves the idle list first in a destructor, so no idle call meets a half-destroyed window.
    void StopIdle() { StopIdleChore(); }

    unsigned m_toolbarId = 0; // toolbar resource, 0 = none

private:
    bool m_updatePending = true;
    bool m_ready = false;
};

} // namespace views
