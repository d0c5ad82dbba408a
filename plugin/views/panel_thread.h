#pragma once
// The UI thread's message map: it owns the control panels (found by panel id, the first match wins),
// opens them, passes the target's stops and starts to them as posted commands, and deletes them.

#include "plugin/sdk/ui_thread.h"

#include <memory>
#include <vector>

namespace platform {
class ScopedQtMessageService;
class ProfileStore;
class ScopedApplicationProfile;
}

namespace views {

class ControlPanel;

class PanelThread final : public plugin::UiMessageHandler {
public:
    PanelThread();
    ~PanelThread() override;

    void onMessage(const plugin::ThreadMessage& message) override;
    void onQuit() override;

    ControlPanel* FindPanel(uint32_t panelId) const;
    const std::vector<std::unique_ptr<ControlPanel>>& panels() const { return m_panels; }

private:
    void OnOpenPanelMsg(uint32_t panelId, const char* title);
    void OnClosePanelMsg(uint32_t panelId);
    void deletePanels();

    std::vector<std::unique_ptr<ControlPanel>> m_panels;
    std::unique_ptr<platform::ScopedQtMessageService> m_messages;
    std::unique_ptr<platform::ProfileStore> m_profile;
    std::unique_ptr<platform::ScopedApplicationProfile> m_useProfile;
};

} // namespace views
