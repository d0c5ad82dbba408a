#include "plugin/views/panel_thread.h"

#include "plugin/views/commands.h"
#include "plugin/views/control_panel.h"

#include "plugin/sdk/plugin_binding.h"

#include "platform/core/profile_store.h"
#include "platform/qt/dialog_base.h"
#include "platform/qt/qt_message_service.h"

#include <QApplication>

namespace views {

PanelThread::PanelThread()
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr)
        m_messages = std::make_unique<platform::ScopedQtMessageService>();
    // Window positions go to the plug-in's own profile unless the module already has one.
    if (platform::applicationProfile() == nullptr) {
        m_profile = std::make_unique<platform::ProfileStore>(platform::ProfileStore::pathForKey(dk::kPluginRegistryKey));
        m_useProfile = std::make_unique<platform::ScopedApplicationProfile>(m_profile.get());
    }
}

PanelThread::~PanelThread() { deletePanels(); }

ControlPanel* PanelThread::FindPanel(uint32_t panelId) const
{
    for (const auto& panel : m_panels)
        if (panel->panelId() == panelId)
            return panel.get();
    return nullptr;
}

void PanelThread::onMessage(const plugin::ThreadMessage& message)
{
    // Widgets need a GUI application; without one (a plain-thread host) the messages are only traced.
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    const uint32_t panelId = static_cast<uint32_t>(message.wParam);
    switch (message.message) {
    case plugin::WM_EXABS_TARGET_STARTED:
    case plugin::WM_EXABS_TARGET_STARTED2:
        if (ControlPanel* panel = FindPanel(panelId))
            panel->postCommand(kDisableCommand);
        break;
    case plugin::WM_EXABS_TARGET_STOPPED:
        if (ControlPanel* panel = FindPanel(panelId))
            panel->postCommand(kRefreshCommand);
        break;
    case plugin::WM_EXABS_OPEN_PANEL:
        OnOpenPanelMsg(panelId, reinterpret_cast<const char*>(message.lParam));
        break;
    case plugin::WM_EXABS_DELETE_PANEL:
        OnClosePanelMsg(panelId);
        break;
    default:
        break;
    }
}

void PanelThread::OnOpenPanelMsg(uint32_t panelId, const char* title)
{
    ControlPanel* panel = FindPanel(panelId);
    if (panel == nullptr) {
        m_panels.push_back(std::make_unique<ControlPanel>(panelId, title != nullptr ? title : ""));
        panel = m_panels.back().get();
    }
    // A panel closed with its close box is only hidden: show it again, then raise it.
    panel->ShowModeless();
    panel->showNormal();
    panel->raise();
}

void PanelThread::OnClosePanelMsg(uint32_t panelId)
{
    for (auto it = m_panels.begin(); it != m_panels.end(); ++it) {
        if ((*it)->panelId() == panelId) {
            std::unique_ptr<ControlPanel> panel = std::move(*it);
            m_panels.erase(it);
            panel.reset();
            return;
        }
    }
}

void PanelThread::deletePanels()
{
    while (!m_panels.empty()) {
        std::unique_ptr<ControlPanel> panel = std::move(m_panels.back());
        m_panels.pop_back();
    }
}

void PanelThread::onQuit()
{
    // The plug-in's modal dialogs (and the choosers and boxes they opened) end first, then the panels and
    // their windows go. The host's own dialogs are left alone.
    auto ours = [](QWidget* widget) {
        for (QWidget* w = widget; w != nullptr; w = w->parentWidget())
            if (qobject_cast<platform::DialogBase*>(w) != nullptr)
                return true;
        return false;
    };
    // A dialog of ours still in its set-up (it may have opened a chooser before showing itself) is
    // ended too, so that it does not appear once the chooser is closed.
    auto starting = [](QWidget* widget) {
        auto* dialog = qobject_cast<platform::DialogBase*>(widget);
        return dialog != nullptr && dialog->isRunningModal();
    };
    // The plug-in's message boxes go too, whatever window they were shown over.
    if (m_messages)
        m_messages->service().closeOpenBoxes();
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget);
            dialog != nullptr && ours(dialog) && ((dialog->isModal() && dialog->isVisible()) || starting(dialog)))
            dialog->reject();
    deletePanels();
}

namespace {

// The plug-in's UI threads get the panel thread's message map.
const bool g_installed = [] {
    plugin::setUiHandlerFactory([] { return std::make_unique<PanelThread>(); });
    return true;
}();

} // namespace

} // namespace views
