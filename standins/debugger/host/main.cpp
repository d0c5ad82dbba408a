// dkhost: the stand-in host debugger and IDE. Loads the kernel-awareness plug-in, binds it to a
// simulated debugger over a simulated target and runs the IDE desktop.
//
//   dkhost --script FILE [--plugin PATH]   runs a scenario headless; exit code 1 on any failure
//   dkhost [--plugin PATH] [SCENARIO]      interactive: the scenario's set-up, then Go and Stop

#include "standins/debugger/host/host_session.h"
#include "sdk/ide/if_desktop.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QToolBar>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// Threads of Qt's own that end only as the program ends: its pooled workers, which are detached, and
// its session-bus connection (opened for the accessibility bridge on X11), which it stops when its
// libraries unload. Each may still be tearing down its thread data when the leak check runs at exit,
// which then reports that data as lost. Waiting (bounded) until they are gone keeps the check about our
// own memory.
bool qtThreadsRemain()
{
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::ifstream comm(task.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && (name == "Thread (pooled)" || name == "QDBusConnection"))
            return true;
    }
    return false;
}

struct QtThreadsGone {
    ~QtThreadsGone()
    {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (qtThreadsRemain() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
};

int usage()
{
    std::cerr << "usage: dkhost [--script FILE] [--plugin PATH] [SCENARIO]\n";
    return 2;
}

bool readScenario(const std::string& file, std::vector<simdbg::ScenarioCommand>& commands)
{
    std::ifstream in(file);
    if (!in) {
        std::cerr << file << ": cannot open the scenario\n";
        return false;
    }
    std::stringstream text;
    text << in.rdbuf();
    std::string message;
    if (!simdbg::ParseScenario(text.str(), commands, message)) {
        std::cerr << file << ": " << message << "\n";
        return false;
    }
    return true;
}

simdbg::ScenarioCommand command(const std::string& name, std::vector<std::string> args = {})
{
    simdbg::ScenarioCommand c;
    c.name = name;
    c.args = std::move(args);
    return c;
}

// The session ends with the host's last window: closing the IDE window saves the layout of its docking
// windows while their factories are still there, then ends the plug-in's session (its panels and
// windows close with it) and then the program.
class SessionEndsWithWindow final : public QObject {
public:
    explicit SessionEndsWithWindow(simdbg::DebuggerThread& debugger) : m_debugger(debugger) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Close && !m_ended) {
            m_ended = true;
            if (IfDesktop* desktop = IfDesktop::Instance())
                desktop->SaveAll();
            m_debugger.postNext(command("end-session"));
            QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    simdbg::DebuggerThread& m_debugger;
    bool m_ended = false;
};

} // namespace

int main(int argc, char** argv)
{
    std::string script, plugin, scenario;
    bool headless = false;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if ((arg == "--script" || arg == "--plugin") && i + 1 < argc) {
            (arg == "--script" ? script : plugin) = argv[++i];
            headless = headless || arg == "--script";
        } else if (!arg.empty() && arg[0] != '-' && scenario.empty()) {
            scenario = arg;
        } else {
            return usage();
        }
    }
    if (headless)
        scenario = script;
    setenv("KORVANE_PLUGIN_TRACE", "1", 0);
    static QtThreadsGone waitAtExit; // runs after the application object and Qt's session bus are gone

    QApplication app(argc, argv);
    IfDesktop* desktop = IfDesktop::Create();
    std::vector<simdbg::ScenarioCommand> commands;
    if (!scenario.empty() && !readScenario(scenario, commands))
        return 2;
    std::string base = scenario.empty() ? "" : std::filesystem::path(scenario).parent_path().string();
    int code = 0;
    {
        simdbg::HostSession session(std::cout, base);
        {
            simdbg::DebuggerThread debugger(session);
            if (!plugin.empty())
                debugger.post(command("plugin", {plugin}));
            for (const simdbg::ScenarioCommand& c : commands)
                debugger.post(c);
            if (headless) {
                debugger.whenDone([] { QMetaObject::invokeMethod(qApp, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection); });
            } else if (commands.empty()) {
                for (const char* step : {"gui-start", "init", "loaded"})
                    debugger.post(command(step));
            }
            // The debugger's controls. Show Panel tells the plug-in the program is loaded again, which
            // opens its control panel once more after the user closed it.
            QToolBar* bar = desktop->MainWindow()->addToolBar("Debugger");
            QAction* go = bar->addAction("Go");
            go->setObjectName("Go");
            QAction* stop = bar->addAction("Stop");
            stop->setObjectName("Stop");
            QAction* showPanel = bar->addAction("Show Panel");
            showPanel->setObjectName("ShowPanel");
            QObject::connect(go, &QAction::triggered, [&] { debugger.post(command("run")); });
            QObject::connect(stop, &QAction::triggered, [&] { debugger.post(command("stop")); });
            QObject::connect(showPanel, &QAction::triggered, [&] { debugger.postNext(command("loaded")); });
            SessionEndsWithWindow sessionEnd(debugger);
            desktop->MainWindow()->installEventFilter(&sessionEnd);
            desktop->MainWindow()->resize(900, 600);
            desktop->MainWindow()->show();
            QApplication::exec();
            // Let the debugger thread finish its queue; its commands may still need the GUI thread.
            std::atomic<bool> drained{false};
            debugger.post([&drained] { drained = true; });
            while (!drained)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            desktop->MainWindow()->removeEventFilter(&sessionEnd);
        } // the debugger thread ends here
        code = session.finish();
    }
    IfDesktop::Destroy();
    return code;
}
