#pragma once
// Global command targets and idle chores of the IDE.

#include "sdk/ide/ide_export.h"

namespace ide {
template <typename T>
class CallRegistry;
}

// While a scope lives on a thread, the command targets and idle chores that thread constructs are
// listed but not called; they are called from the scope's end. An object built on another thread
// than the IDE's is constructed inside one, so that no IDE call meets it half-built.
class IDEFRAMEWORK_EXPORT IfConstructionScope {
public:
    IfConstructionScope();
    ~IfConstructionScope();
    IfConstructionScope(const IfConstructionScope&) = delete;
    IfConstructionScope& operator=(const IfConstructionScope&) = delete;
};

// Codes of OnCmdMsg.
enum IfCommandCode : int {
    IF_CMD_COMMAND = 0,   // the command was chosen
    IF_CMD_UPDATE_UI = -1 // may the command be chosen? extra points to an IfCmdUi
};

// The answer to an update-UI query.
struct IfCmdUi {
    bool enabled = false;
    bool checked = false;
    bool handled = false; // set by the target that answered
    void Enable(bool on = true)
    {
        enabled = on;
        handled = true;
    }
    void SetCheck(bool on = true) { checked = on; }
};

// A target of the IDE's global commands. Registered while it lives; the IDE offers every command to
// the targets in construction order until one handles it.
class IDEFRAMEWORK_EXPORT IfGlobalCmdTarget {
public:
    IfGlobalCmdTarget();
    virtual ~IfGlobalCmdTarget();
    IfGlobalCmdTarget(const IfGlobalCmdTarget&) = delete;
    IfGlobalCmdTarget& operator=(const IfGlobalCmdTarget&) = delete;

    // True when the command was handled. handlerInfo is unused by this IDE (null).
    virtual bool OnCmdMsg(unsigned id, int code, void* extra, void* handlerInfo);

protected:
    // Leaves the command routing now (waits for a call running on another thread); the destructor
    // does it otherwise. Derived classes call it first when their destruction must not race a call.
    void StopCommandRouting();

private:
    bool m_registered = false;
};

// Offers a command to the global targets; true when one handled it.
IDEFRAMEWORK_EXPORT bool IfRouteCommand(unsigned id);
// Asks the global targets whether a command is enabled; false when none answered.
IDEFRAMEWORK_EXPORT bool IfQueryCommand(unsigned id, IfCmdUi& ui);

// A piece of work the IDE runs when idle; OnIdle answers true to be called again soon.
class IDEFRAMEWORK_EXPORT IfIdleChore {
public:
    explicit IfIdleChore(bool flag);
    virtual ~IfIdleChore();
    IfIdleChore(const IfIdleChore&) = delete;
    IfIdleChore& operator=(const IfIdleChore&) = delete;
    virtual bool OnIdle() = 0;

protected:
    void StopIdleChore(); // as StopCommandRouting, for the idle list

private:
    bool m_registered = false;
};

// One idle pass over every chore; answers how many asked to be called again.
IDEFRAMEWORK_EXPORT int IfRunIdleChores();
// Passes until no chore asks again (at most maxPasses); true when the IDE went idle.
IDEFRAMEWORK_EXPORT bool IfRunIdleUntilDone(int maxPasses = 1000);
