#pragma once
// The IDE's desktop: one main window with the menu bar, the status bar and the docking windows that
// persistent factories create, plus the idle driver. Widgets live on the GUI thread; calls from other
// threads are carried over to it.

#include "sdk/ide/if_command.h"
#include "sdk/ide/if_content_storage.h"
#include "sdk/ide/if_resources.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMainWindow;
class QMenu;
class QStatusBar;

// Where a docking window goes: an area (0 left, 1 top, 2 right, 3 bottom) and the windows it is
// placed with.
struct IfDockPlacement {
    int position = 2;
    std::vector<std::string> companions;
    int extra1 = 0;
    int extra2 = 0;
};

// The frame inside a docking window that hosts a plug-in view.
class IDEFRAMEWORK_EXPORT IfDockableFrame : public QWidget {
public:
    explicit IfDockableFrame(QWidget* parent = nullptr);
    // Puts the view into the frame (the frame takes it over).
    void SetDockingWnd(QWidget* view);
    QWidget* DockingWnd() const { return m_view; }
    static const char* GetThisClass() { return "IfDockableFrame"; }

private:
    QWidget* m_view = nullptr;
};

// A factory of one docking window, known to the desktop by its key while it lives.
class IDEFRAMEWORK_EXPORT IfPersistentDockWndFactory : public IfGlobalCmdTarget {
public:
    IfPersistentDockWndFactory(const std::string& key, const std::string& title);
    ~IfPersistentDockWndFactory() override; // its window goes with it
    const std::string& Key() const { return m_key; }
    const std::string& Title() const { return m_title; }

    // Builds the view into the frame (with frame.SetDockingWnd); false when it cannot.
    virtual bool CreateDockingWindow(IfDockableFrame& frame) = 0;
    virtual void SaveContent(QWidget* /*view*/, IfContentStorage& /*storage*/) {}
    virtual void RestoreContent(QWidget* /*view*/, IfContentStorage& /*storage*/) {}
    // True when the framework decided the placement; this framework leaves it to the factory.
    virtual bool GetPreferedPosition(IfDockPlacement& /*placement*/) { return false; }

protected:
    // Saves the content of the factory's open window (SaveContent) in the IDE's per-window storage, on
    // the GUI thread. A factory calls it first in its destructor, while it is whole, so a window that
    // goes with its factory keeps its layout. From another thread it waits for the GUI thread to take
    // the call up, at most a few seconds; when that does not come, nothing is saved.
    void SaveOpenWindow();
    // Leaves the IDE's list of factories and waits until a call the IDE makes into this factory on
    // another thread (creating, saving or restoring its window) has returned. The most derived
    // destructor calls it first, so that no IDE call meets a half-destroyed factory.
    void LeaveDesktop();

private:
    std::string m_key;
    std::string m_title;
};

// A menu added to the desktop's menu bar from a resource module's menu.
class IDEFRAMEWORK_EXPORT IfMenuPartImpl {
public:
    IfMenuPartImpl(IfResourceModule* module, const std::string& name, unsigned menuId);
    IfMenuPartImpl(IfResourceModule* module, const std::string& name, const IfMenu& menu);
    // The menu of the module named by the second name (see IfResourceModule::GetNamedMenu); empty when
    // the module has none of that name.
    IfMenuPartImpl(IfResourceModule* module, const std::string& name, const std::string& menuName);
    ~IfMenuPartImpl();
    IfMenuPartImpl(const IfMenuPartImpl&) = delete;
    IfMenuPartImpl& operator=(const IfMenuPartImpl&) = delete;
    void Show();
    void Hide();
    const std::string& Name() const { return m_name; }

    struct State;

private:
    std::string m_name;
    std::shared_ptr<State> m_state;
};

class IDEFRAMEWORK_EXPORT IfDesktop {
public:
    // Builds the desktop on the GUI thread (the host does it once); Instance() answers it until Destroy.
    static IfDesktop* Create();
    static void Destroy();
    static IfDesktop* Instance();

    // Creates the window of the factory registered under key, or shows and raises it when it exists.
    // From another thread the request is carried to the GUI thread and true is answered.
    bool CreateWnd(const std::string& key, bool show);
    QWidget* FindWnd(const std::string& key) const; // the view, or null
    void SaveAll();                                 // every open window's content
    void SetStatusText(const std::string& text);
    std::string StatusText() const;

    QMainWindow* MainWindow() const;
    QStatusBar* StatusBar() const;
    QMenu* AddMenu(const IfMenu& menu); // GUI thread; the caller owns nothing (the bar does)

    ~IfDesktop();

    struct Impl;
    Impl* impl() const { return m_impl.get(); }

private:
    IfDesktop();
    std::unique_ptr<Impl> m_impl;
};

// Runs f on the GUI thread: at once when called there, else queued (not waited for).
IDEFRAMEWORK_EXPORT void IfRunOnGuiThread(std::function<void()> f);
