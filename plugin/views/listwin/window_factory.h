#pragma once
// The window factory of the plug-in's dockable windows: the IDE asks it to create the docking window of
// its key (the view inside the IDE's frame), to save and restore the view's content and for the
// preferred place; its menu command opens or shows the window. The menu part adds the plug-in's menu
// to the IDE.

#include "plugin/views/listwin/gui_window.h"
#include "plugin/views/listwin/plugin_resources.h"

#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/plugin_object.h"
#include "sdk/ide/if_desktop.h"

#include <memory>
#include <string>
#include <vector>

namespace views {

struct WindowFactorySettings {
    uint32_t flag = 1;
    unsigned command = 0;
    std::string key;
    std::string title;
    uint8_t option = 1;
    std::vector<std::string> companions;
    int position = 3;
};

// T is a view with a default constructor and OnInitialUpdate().
template <typename T>
class DpWindowFactory final : public IfPersistentDockWndFactory, public dk::DpWindowFactoryBase {
public:
    explicit DpWindowFactory(WindowFactorySettings settings)
        : IfPersistentDockWndFactory(settings.key, settings.title), m_settings(std::move(settings))
    {
    }
    ~DpWindowFactory() override
    {
        StopCommandRouting();
        SaveOpenWindow(); // the window goes with the factory (the session ended): its layout stays
        LeaveDesktop();   // an IDE call into it on the GUI thread returns first
    }

    void* GetResourceHandle() const { return dk::DpGetResourceModule(); }
    uint32_t GetFlag() const { return m_settings.flag; }
    uint8_t GetOption() const { return m_settings.option; }

    bool CreateDockingWindow(IfDockableFrame& frame) override
    {
        auto* view = new T;
        frame.SetDockingWnd(view);
        view->OnInitialUpdate();
        return true;
    }

    void SaveContent(QWidget* view, IfContentStorage& storage) override
    {
        if (auto* window = dynamic_cast<DpGUIWindow*>(view))
            window->SaveContent(storage);
    }

    void RestoreContent(QWidget* view, IfContentStorage& storage) override
    {
        if (auto* window = dynamic_cast<DpGUIWindow*>(view))
            window->RestoreContent(storage);
    }

    bool GetPreferedPosition(IfDockPlacement& placement) override
    {
        if (IfPersistentDockWndFactory::GetPreferedPosition(placement))
            return true;
        placement.position = m_settings.position;
        placement.companions.insert(placement.companions.end(), m_settings.companions.begin(),
                                    m_settings.companions.end());
        placement.extra1 = 0;
        placement.extra2 = 0;
        return true;
    }

    bool OnCmdMsg(unsigned id, int code, void* extra, void* handlerInfo) override
    {
        if (handlerInfo != nullptr || id != m_settings.command)
            return IfPersistentDockWndFactory::OnCmdMsg(id, code, extra, handlerInfo);
        if (code == IF_CMD_COMMAND) {
            if (IfDesktop* desktop = IfDesktop::Instance())
                desktop->CreateWnd(m_settings.key, true);
        } else if (code == IF_CMD_UPDATE_UI && extra != nullptr) {
            static_cast<IfCmdUi*>(extra)->Enable(true);
        }
        return true;
    }

private:
    WindowFactorySettings m_settings;
};

// The plug-in's menu in the IDE.
class IfMenuPart final : public dk::DpPluginPart {
public:
    IfMenuPart(IfResourceModule& module, const std::string& name, unsigned menuId)
        : m_impl(std::make_unique<IfMenuPartImpl>(&module, name, menuId))
    {
    }
    IfMenuPart(IfResourceModule& module, const std::string& name, const std::string& menuName)
        : m_impl(std::make_unique<IfMenuPartImpl>(&module, name, menuName))
    {
    }
    // From a menu already at hand (the framework's menu handle) rather than one of the module's.
    IfMenuPart(IfResourceModule& module, const std::string& name, const IfMenu& menu)
        : m_impl(std::make_unique<IfMenuPartImpl>(&module, name, menu))
    {
    }
    void Show() { m_impl->Show(); }
    void Hide() { m_impl->Hide(); }

private:
    std::unique_ptr<IfMenuPartImpl> m_impl;
};

} // namespace views
