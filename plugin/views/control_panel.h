#pragma once
// The control panel, the plug-in's main window: it connects to the target kernel (Initialize: settings,
// anchor symbol, layout), lists the displays the connected kernel supports, opens one on a double click
// and passes the target's stops and starts to its window manager. Closing it only hides it.

#include "gui/layout/dynamic_dialog.h"
#include "plugin/views/display_table.h"
#include "plugin/views/window_manager.h"

#include <cstdint>
#include <functional>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace views {

class ControlPanel : public CDynamicDialog {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1048;
    enum Control : int {
        AutoRefresh = 1124, Initialize = 1126, Stop = 1127, About = 1128, DisplayList = 1130, DisplaysFrame = 1131,
        ConnectionTitle = 1132,
    };

    ControlPanel(uint32_t panelId, const std::string& title, QWidget* parent = nullptr);
    ~ControlPanel() override;

    uint32_t panelId() const { return m_panelId; }
    WindowManager& manager() { return m_manager; }
    bool initialized() const { return m_initialized; }
    bool running() const { return m_running; }
    bool autoRefresh() const { return m_autoRefresh; }
    QListWidget* displayList() const { return m_list; }

    // Posts a command: 32868 (target stopped) or 32869 (target running).
    void postCommand(int command);

    void OnInitialize();
    void OnStop();
    void OnAbout();
    void OnTargetStopped();
    void OnTargetRunning();
    void OnDblclkDisplayList();
    void OnAutoRefresh();
    void UpdateState();

    // The settings step of Initialize: true with the data file and byte order on OK. Replaceable for
    // tests; the default runs the settings dialog.
    using SettingsPrompt = std::function<bool(std::string& dataPath, bool& littleEndian)>;
    static void setSettingsPrompt(SettingsPrompt prompt);
    // The symbol lookup of the anchor search (default: the debugger's, through the plug-in object).
    static void setSymbolLookup(SymbolLookup lookup);

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    bool event(QEvent* event) override;
    const layout::DynamicMapEntry* GetDynamicMap() const override;

private:
    void FillDisplayList(uint32_t classMask);

    WindowManager m_manager;
    uint32_t m_panelId;
    bool m_autoRefresh = true;
    bool m_initialized = false;
    bool m_running = false;
    QCheckBox* m_autoRefreshBox;
    QListWidget* m_list;
    QPushButton* m_initialize;
    QPushButton* m_stop;
};

} // namespace views
