// The IDE framework stand-in: idle chores, command routing, per-window storage, docking windows and
// menu parts, offscreen.

#include "sdk/ide/if_desktop.h"
#include "sdk/ide/if_fonts.h"
#include "standins/ide/test_hooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QFontMetricsF>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

namespace {

class FrameworkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "ide_framework_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            new QApplication(argc, argv);
    }
};

class CountingChore : public IfIdleChore {
public:
    explicit CountingChore(int again) : IfIdleChore(false), m_again(again) {}
    bool OnIdle() override
    {
        ++calls;
        return m_again-- > 0;
    }
    int calls = 0;

private:
    int m_again;
};

TEST_F(FrameworkTest, IdleChoresRunUntilNoneAsksAgain)
{
    CountingChore twice(2);
    {
        CountingChore gone(5);
    }
    CountingChore once(0);
    EXPECT_TRUE(IfRunIdleUntilDone());
    EXPECT_EQ(twice.calls, 3);
    EXPECT_EQ(once.calls, 3);
    CountingChore endless(1000000);
    EXPECT_FALSE(IfRunIdleUntilDone(10));
}

class Target : public IfGlobalCmdTarget {
public:
    Target(unsigned id, bool enable) : m_id(id), m_enable(enable) {}
    bool OnCmdMsg(unsigned id, int code, void* extra, void*) override
    {
        if (id != m_id)
            return false;
        if (code == IF_CMD_UPDATE_UI) {
            static_cast<IfCmdUi*>(extra)->Enable(m_enable);
            return true;
        }
        ++commands;
        return true;
    }
    int commands = 0;

private:
    unsigned m_id;
    bool m_enable;
};

TEST_F(FrameworkTest, CommandsGoToTheFirstTargetThatHandlesThem)
{
    Target first(10, true), second(10, false), other(11, false);
    EXPECT_TRUE(IfRouteCommand(10));
    EXPECT_EQ(first.commands, 1);
    EXPECT_EQ(second.commands, 0);
    IfCmdUi ui;
    EXPECT_TRUE(IfQueryCommand(11, ui));
    EXPECT_FALSE(ui.enabled);
    EXPECT_FALSE(IfQueryCommand(12, ui));
    EXPECT_FALSE(IfRouteCommand(12));
}

// Built on another thread than the IDE's: the IDE's passes reach it only once the constructing thread
// has ended its construction scope, never while it is half-built.
TEST_F(FrameworkTest, ObjectsBuiltInAConstructionScopeAreCalledOnlyOnceWhole)
{
    std::atomic<int> step{0};
    std::unique_ptr<CountingChore> chore;
    std::unique_ptr<Target> target;
    std::thread builder([&] {
        {
            IfConstructionScope scope;
            chore = std::make_unique<CountingChore>(0);
            target = std::make_unique<Target>(20, true);
            step = 1;
            while (step != 2)
                std::this_thread::yield();
        }
        step = 3;
    });
    while (step != 1)
        std::this_thread::yield();
    EXPECT_TRUE(IfRunIdleUntilDone());
    EXPECT_FALSE(IfRouteCommand(20));
    EXPECT_EQ(chore->calls, 0);
    step = 2;
    builder.join();
    EXPECT_TRUE(IfRunIdleUntilDone());
    EXPECT_EQ(chore->calls, 1);
    EXPECT_TRUE(IfRouteCommand(20));
    EXPECT_EQ(target->commands, 1);
    // Destroyed while dormant: it leaves the list and is never called.
    std::thread([&] {
        IfConstructionScope scope;
        CountingChore gone(0);
    }).join();
    EXPECT_TRUE(IfRunIdleUntilDone());
    EXPECT_EQ(chore->calls, 2);
}

class SlowTarget : public IfGlobalCmdTarget {
public:
    bool OnCmdMsg(unsigned, int, void*, void*) override
    {
        entered = true;
        while (!release)
            std::this_thread::yield();
        return true;
    }
    std::atomic<bool> entered{false};
    std::atomic<bool> release{false};
};

TEST_F(FrameworkTest, DestroyingATargetWaitsForItsRunningCall)
{
    auto* target = new SlowTarget;
    std::thread router([] { IfRouteCommand(1); });
    while (!target->entered)
        std::this_thread::yield();
    std::atomic<bool> destroyed{false};
    std::thread destroyer([&] {
        delete target;
        destroyed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(destroyed);
    target->release = true;
    router.join();
    destroyer.join();
    EXPECT_TRUE(destroyed);
}

TEST_F(FrameworkTest, ContentStorageKeepsIntegersPerWindow)
{
    std::string path = (std::filesystem::temp_directory_path() / ("ide-storage-" + std::to_string(getpid()) + ".ini")).string();
    IfContentStorage::SetFilePath(path);
    IfContentStorage a("CALLCOUNT"), b("OTHER");
    a.Save(3, "Column0", 250);
    a.Save(1, "DpListWindow-Selection", -1);
    int value = 0;
    EXPECT_TRUE(a.Restore("Column0", value, 10));
    EXPECT_EQ(value, 250);
    EXPECT_TRUE(a.Restore("DpListWindow-Selection", value, 0));
    EXPECT_EQ(value, -1);
    EXPECT_FALSE(b.Restore("Column0", value, 10));
    EXPECT_EQ(value, 10);
    IfContentStorage::SetFilePath("");
    std::filesystem::remove(path);
}

class LabelFactory : public IfPersistentDockWndFactory {
public:
    LabelFactory() : IfPersistentDockWndFactory("TESTWND", "Test Window") {}
    bool CreateDockingWindow(IfDockableFrame& frame) override
    {
        ++created;
        frame.SetDockingWnd(new QLabel("hello"));
        return true;
    }
    void RestoreContent(QWidget*, IfContentStorage&) override { ++restored; }
    bool GetPreferedPosition(IfDockPlacement& placement) override
    {
        placement.position = 3;
        return true;
    }
    int created = 0;
    int restored = 0;
};

TEST_F(FrameworkTest, DesktopCreatesADockOnceAndShowsItAgain)
{
    IfDesktop* desktop = IfDesktop::Create();
    ASSERT_EQ(IfDesktop::Instance(), desktop);
    EXPECT_FALSE(desktop->CreateWnd("NOSUCH", true));
    auto* factory = new LabelFactory;
    EXPECT_TRUE(desktop->CreateWnd("TESTWND", true));
    EXPECT_TRUE(desktop->CreateWnd("TESTWND", true));
    EXPECT_EQ(factory->created, 1);
    EXPECT_EQ(factory->restored, 1);
    QWidget* view = desktop->FindWnd("TESTWND");
    ASSERT_NE(view, nullptr);
    auto* dock = desktop->MainWindow()->findChild<QDockWidget*>("TESTWND");
    ASSERT_NE(dock, nullptr);
    EXPECT_EQ(dock->windowTitle(), "Test Window");
    EXPECT_EQ(desktop->MainWindow()->dockWidgetArea(dock), Qt::BottomDockWidgetArea);
    delete factory;
    EXPECT_EQ(desktop->FindWnd("TESTWND"), nullptr);
    desktop->SetStatusText("ready");
    EXPECT_EQ(desktop->StatusText(), "ready");
    IfDesktop::Destroy();
    EXPECT_EQ(IfDesktop::Instance(), nullptr);
}

// The GUI thread saves a window through its factory while another thread destroys the factory: the
// factory leaves the desktop first and its destructor waits for the save, so the save never meets a
// half-destroyed factory. The test forces the order: the save returns only once the destroyer waits.
class SavingFactory final : public IfPersistentDockWndFactory {
public:
    SavingFactory() : IfPersistentDockWndFactory("SAVEWND", "Saved Window") {}
    ~SavingFactory() override
    {
        LeaveDesktop();
        whole = false;
    }
    bool CreateDockingWindow(IfDockableFrame& frame) override
    {
        frame.SetDockingWnd(new QLabel("saved"));
        return true;
    }
    void SaveContent(QWidget*, IfContentStorage&) override
    {
        if (onSave)
            onSave();
        if (wholeWhenSaved != nullptr)
            *wholeWhenSaved = whole.load();
    }
    std::function<void()> onSave;
    std::atomic<bool> whole{true};
    std::atomic<bool>* wholeWhenSaved = nullptr;
};

TEST_F(FrameworkTest, AFactoryDestroyedDuringASaveWaitsForIt)
{
    IfDesktop* desktop = IfDesktop::Create();
    auto* factory = new SavingFactory;
    ASSERT_TRUE(desktop->CreateWnd("SAVEWND", false));

    std::mutex mutex;
    std::condition_variable changed;
    bool destroyerWaits = false;
    IfSetFactoryLeaveWaitHook([&] {
        {
            std::lock_guard lock(mutex);
            destroyerWaits = true;
        }
        changed.notify_all();
    });
    std::thread destroyer;
    bool waited = false;
    std::atomic<bool> wholeAtSave{false};
    factory->wholeWhenSaved = &wholeAtSave;
    factory->onSave = [&] {
        destroyer = std::thread([factory] { delete factory; });
        std::unique_lock lock(mutex);
        // A bound, not a synchronisation: without the wait the hook never comes.
        waited = changed.wait_for(lock, std::chrono::seconds(30), [&] { return destroyerWaits; });
    };
    desktop->SaveAll();
    destroyer.join();
    IfSetFactoryLeaveWaitHook(nullptr);
    EXPECT_TRUE(waited);
    EXPECT_TRUE(wholeAtSave);
    QCoreApplication::processEvents(); // the dock goes on the GUI thread
    EXPECT_EQ(desktop->FindWnd("SAVEWND"), nullptr);
    IfDesktop::Destroy();
}

class Resources : public IfResourceModule {
public:
    bool GetMenu(unsigned id, IfMenu& menu) const override
    {
        if (id != 1055)
            return false;
        menu.text = "Plugin Sample";
        IfMenu item;
        item.id = 1059;
        item.text = "Call Count";
        menu.items.push_back(item);
        return true;
    }
    bool GetString(unsigned, std::string&) const override { return false; }
};

TEST_F(FrameworkTest, MenuPartAddsShowsHidesAndRemovesItsMenu)
{
    IfDesktop* desktop = IfDesktop::Create();
    Resources resources;
    auto menuTitles = [&] {
        QStringList titles;
        for (QAction* action : desktop->MainWindow()->menuBar()->actions())
            if (action->isVisible())
                titles << action->text();
        return titles;
    };
    {
        IfMenuPartImpl part(&resources, "IP_MAIN", 1055);
        EXPECT_EQ(menuTitles(), QStringList{"Plugin Sample"});
        part.Hide();
        EXPECT_TRUE(menuTitles().isEmpty());
        part.Show();
        EXPECT_EQ(menuTitles(), QStringList{"Plugin Sample"});
        Target handler(1059, true);
        QAction* command = desktop->MainWindow()->findChild<QAction*>("1059");
        ASSERT_NE(command, nullptr);
        command->trigger();
        EXPECT_EQ(handler.commands, 1);
    }
    EXPECT_TRUE(menuTitles().isEmpty());

    // Built from another thread: carried over to the GUI thread.
    std::unique_ptr<IfMenuPartImpl> remote;
    std::thread other([&] { remote = std::make_unique<IfMenuPartImpl>(&resources, "IP_MAIN", 1055); });
    other.join();
    QApplication::processEvents();
    EXPECT_EQ(menuTitles(), QStringList{"Plugin Sample"});
    remote.reset();

    // By the menu's resource name: "#1055" is menu 1055; other names are the module's to know.
    {
        IfMenuPartImpl named(&resources, "IP_MAIN", std::string("#1055"));
        EXPECT_EQ(menuTitles(), QStringList{"Plugin Sample"});
        EXPECT_EQ(named.Name(), "IP_MAIN");
    }
    EXPECT_TRUE(menuTitles().isEmpty());
    IfMenu menu;
    for (const char* name : {"#", "#10x55", "#12345678901", "MAIN", ""})
        EXPECT_FALSE(resources.GetNamedMenu(name, menu)) << name;
    IfDesktop::Destroy();
}

class FontHandler : public IfFontDbEvent::Handler {
public:
    void OnFontDbEvent(IfFontDbEvent::Type type) override { seen.push_back(type); }
    std::vector<IfFontDbEvent::Type> seen;
};

TEST_F(FrameworkTest, FontsTextsAndModuleServices)
{
    FontHandler handler;
    IfFontDbEvent::Emit(IfFontDbEvent::FontsChanged);
    EXPECT_EQ(handler.seen.size(), 1u);
    IfDesktop::Create();
    QFont font = QApplication::font();
    font.setPointSize(font.pointSize() + 1);
    QApplication::setFont(font); // the desktop passes the change on
    QApplication::processEvents();
    EXPECT_GE(handler.seen.size(), 2u);
    IfDesktop::Destroy();
    // The fixed font draws narrow and wide letters with one advance.
    const QFontMetricsF fixed(IfFontDb::GetFont("DefaultFixed"));
    EXPECT_DOUBLE_EQ(fixed.horizontalAdvance(QStringLiteral("iiii")), fixed.horizontalAdvance(QStringLiteral("WWWW")));
    const QFontMetricsF general(IfFontDb::GetFont("General"));
    EXPECT_GT(general.horizontalAdvance(QStringLiteral("WWWW")), general.horizontalAdvance(QStringLiteral("iiii")));
    EXPECT_EQ(IfU2M(IfM2U("caf\xE9")), "caf\xE9"); // 8-bit text passes through
    EXPECT_EQ(IfM2U("caf\xE9").size(), 4u);
    EXPECT_EQ(IfGetCurrentLanguage(), "ENU");
    EXPECT_TRUE(IfCompareStubFrameworkGeneration(nullptr, 7));
    EXPECT_FALSE(IfCompareStubFrameworkGeneration(nullptr, 6));
    EXPECT_EQ(IfDynamicCmdModule(32784), nullptr);
    EXPECT_EQ(IfDynamicCmd2ModuleLocal(32784), 32784u);
    Resources resources;
    int module = 0;
    IfRegisterResourceModuleHandle(&module, &resources);
    EXPECT_EQ(IfGetResourceModule(&module), &resources);
    IfUnregisterResourceModuleHandle(&module);
    EXPECT_EQ(IfGetResourceModule(&module), nullptr);
}

} // namespace
