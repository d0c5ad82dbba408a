#pragma once
// One run of the stand-in host: the simulated debugger, the loaded plug-in and the commands of a
// scenario. Commands run on the debugger thread; those that touch widgets are carried to the GUI
// thread and waited for, with a bound (the GUI thread never waits for the debugger thread while its
// loop runs). A step that cannot finish fails with its line; a scenario never hangs.

#include "standins/debugger/host/scenario.h"
#include "standins/debugger/host/window_walk.h"
#include "standins/debugger/plugin_host.h"
#include "standins/debugger/sim_kernel.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace simdbg {

class HostSession {
public:
    HostSession(std::ostream& out, std::string baseDirectory);
    ~HostSession();

    SimKernel& kernel() { return m_kernel; }

    // Runs one command on the calling (debugger) thread; false when it failed (reported on out).
    bool execute(const ScenarioCommand& command);

    // Ends the session on the GUI thread with its event loop stopped: Exit and IDE shut-down when
    // still bound, then the report. Answers the program's exit code: 0, or 1 after any failure.
    int finish();
    // Exit and IDE shut-down when still bound (the session's end, as finish begins).
    void endSession();

    std::size_t failures() const { return m_failures; }

private:
    bool fail(const ScenarioCommand& command, const std::string& message);
    std::chrono::milliseconds expectationDeadline() const;
    // Runs f on the GUI thread and waits for it, at most the step bound (see runOnGui's comment);
    // false, with the step failed, when it did not finish.
    bool runOnGui(const ScenarioCommand& command, const std::function<void()>& f);
    // Lets the GUI thread run its posted events and idle chores until they are done.
    void settle(const ScenarioCommand& command);
    bool ensurePlugin(const ScenarioCommand& command);
    // The note rows of the shown windows, once the GUI thread has settled.
    bool findNoteRows(const ScenarioCommand& command, NoteRowsFound& found);
    bool resolveLocation(const std::string& text, uint32_t& zone, uint64_t& address);
    std::string path(const std::string& name) const;

    std::ostream& m_out;
    std::string m_base;
    SimKernel m_kernel;
    PluginHost m_plugin;
    std::string m_pluginPath;
    bool m_bound = false;
    bool m_guiStarted = false;
    std::chrono::milliseconds m_guiStepBound{std::chrono::seconds(30)};
    std::size_t m_failures = 0;
};

// The debugger thread: runs queued commands in order.
class DebuggerThread {
public:
    explicit DebuggerThread(HostSession& session);
    ~DebuggerThread(); // finishes the queue, then joins
    void post(ScenarioCommand command);
    void post(std::function<void()> job);
    // Runs the command before every command still queued.
    void postNext(ScenarioCommand command);
    // Runs f once every command posted so far has run.
    void whenDone(std::function<void()> f);

private:
    void run();
    HostSession& m_session;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};

} // namespace simdbg
