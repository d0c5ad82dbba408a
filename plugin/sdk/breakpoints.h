#pragma once
// Breakpoints the debugger reports hits of, the counting breakpoint of the Call Count window, the
// executor that waits for the target to stop, and the execution-control requests.

#include "plugin/sdk/executor.h"
#include "plugin/sdk/target_location.h"

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace dk {

// Breakpoint kinds and the access codes they send: 1 → 0, 2 → 1, 3 → 2, 4 → both 1 and 2.
enum DkBreakpointKind : uint32_t { DK_BP_KIND1 = 1, DK_BP_KIND2 = 2, DK_BP_KIND3 = 3, DK_BP_KIND4 = 4 };

class BreakpointAnchor;

// The debugger is handed a small anchor object for the breakpoint, not the breakpoint itself. The
// anchor passes the debugger's calls on while the breakpoint lives, with no lock held while they run;
// a breakpoint whose removal the debugger refused leaves its anchor registered, and the removal is
// asked for again (RetryRefusedBreakpointRemovals) until the debugger has done it.
//
// IsSet() says what the debugger holds: the whole breakpoint (both halves of kind 4), in the live
// registration. A half the debugger holds of no whole breakpoint (kind 4's first half when the second
// request failed and the debugger refused to take the first back) leaves the breakpoint unset; its
// removal is asked for again at the next SetBreakpoint or RemoveBreakpoint, and SetBreakpoint refuses
// to set while the debugger keeps it. One breakpoint is used by one plug-in thread at a time.
//
// A hit reaches the breakpoint until its end begins (plugin/sdk/call_gate.h). delete, on any thread
// and from inside any hit, ends it without waiting, once its hits and its own set or removal in
// progress have returned. A breakpoint ended in place (on the stack, a member) is built as
// DkWhole<T> (plugin/sdk/subscribed.h), which removes it before any of T is destroyed, or calls
// Retire() first in its own destructor; otherwise a hit meanwhile meets a half-destroyed object.
class DkBreakpoint : public DkExecutor {
public:
    DkBreakpoint(); // no location; the kind is given with SetKind
    DkBreakpoint(const TargetLocation& location, uint32_t kind);
    ~DkBreakpoint() override; // removes itself when set (Retire)
    // delete: no further call reaches it, and it is destroyed when its calls in progress (hits, its own
    // set or removal) have returned, so breakpoints may end each other from their hits.
    static void* operator new(std::size_t size);
    static void operator delete(void* memory);   // a constructor threw
    void operator delete(DkBreakpoint* breakpoint, std::destroying_delete_t);
    DkBreakpoint(const DkBreakpoint&) = delete;
    DkBreakpoint& operator=(const DkBreakpoint&) = delete;

    // 0 at once when set; 0xFFFF for a kind outside 1..4, or while the debugger keeps a half it
    // refused to take back; else the debugger's status (entry 175).
    DkStatus SetBreakpoint();
    // Entry 176 (both handles for kind 4); a refused removal leaves the breakpoint set. A removal is
    // kept whenever it is made: a breakpoint removed after its session ended is not set again.
    void RemoveBreakpoint();

    const TargetLocation& GetLocation() const { return m_location; }
    void SetLocation(const TargetLocation& location) { m_location = location; }
    uint32_t GetKind() const { return m_kind; }
    DkStatus SetKind(uint32_t kind); // 0xFFFF while set
    std::string GetName() const;     // the own name, else the plug-in's name
    void SetName(const std::string& name);
    uint8_t GetOption() const { return m_option; }
    void SetOption(uint8_t option) { m_option = option; }
    bool IsSet() const;
    bool IsHeldNow() const { return IsSet(); }

    // Every live breakpoint (process-wide list).
    static std::vector<DkBreakpoint*> All();

protected:
    // Removes the breakpoint and cuts it off from its anchor, waiting for a call in progress on
    // another thread; when the debugger refuses the removal, the anchor stays registered for a later
    // retry. A subclass whose operations use its own members calls it first in its destructor.
    void Retire();

private:
    friend void RestoreBreakpointsOfEndedSessions();
    friend class BreakpointAnchor;
    friend struct WholeParts;
    DkStatus request(BreakpointAnchor& anchor, uint32_t accessCode, uint32_t registration, uint32_t& handle);
    // The requests of entry 175; with onlyIfWanted, only for a breakpoint set once and not removed
    // since (the walk that sets breakpoints again after their session ended).
    DkStatus requestWhole(BreakpointAnchor& anchor, bool onlyIfWanted);
    // Sets the breakpoint again when the registration it was set with has ended.
    void setAgainIfEnded();

    TargetLocation m_location;
    uint32_t m_kind = 0;
    std::shared_ptr<BreakpointAnchor> m_anchor; // holds the debugger's handles
    bool m_hasOwnName = false;
    std::string m_name;
    uint8_t m_option = 0;
};

// The counting breakpoint: kind 1, set at once. A request the debugger refuses is reported: IsSet()
// stays false and the owner drops it. Once set, it counts only while IsHeldNow().
class FunctionBreakpoint final : public DkBreakpoint {
public:
    FunctionBreakpoint(const TargetLocation& location, const std::string& function);
    ~FunctionBreakpoint() override;
    uint32_t OnHit() override; // counts, answers 0
    uint32_t GetHitCount() const { return m_hits.load(); }
    void ResetHitCount() { m_hits.store(0); }
    const std::string& GetFunctionName() const { return m_function; }
    DkStatus SetStatus() const { return m_setStatus; }

private:
    std::atomic<uint32_t> m_hits{0};
    std::string m_function;
    DkStatus m_setStatus = DK_STATUS_OK;
};

// Waits until the debugger reports a stop. Kept alive by the debugger's pending request as long as
// needed: use Create and hold the shared pointer.
class SyncronousStopper final : public DkExecutor, public std::enable_shared_from_this<SyncronousStopper> {
public:
    static std::shared_ptr<SyncronousStopper> Create();
    uint32_t OnStop() override; // sets the flag, answers 1
    // Entry 29, then waits in 100 ms steps: 0 when stopped, -1 when not stopped in time or the stop
    // request failed.
    int WaitForStop(int timeoutMs);
    bool Stopped() const { return m_stopped.load(); }

    using Sleeper = std::function<void(std::chrono::milliseconds)>;
    static void SetSleeper(Sleeper sleeper); // tests; null restores sleeping

private:
    SyncronousStopper() = default;
    std::atomic<bool> m_stopped{false};
};
int StopAndWait(int seconds);

// Execution-control requests over the kernel table.
DkStatus ExecByteRequest(int entry, uint8_t value, DkExecutor* executor); // 21..24
DkStatus ExecRequest(int entry, DkExecutor* executor);                    // 25, 26, 29
DkExecutor& DefaultExecutor();
DkStatus ExecLocations(const std::vector<TargetLocation>& locations);    // 27
DkStatus ExecNamedLocation(uint32_t value1, uint32_t value2, const std::string& name); // 28
bool ExecStateQuery(int entry);                                           // 31, 32
uint32_t ExecQuery(int entry);                                            // 20, 30, 33
uint64_t ExecQuery64();                                                   // 34
bool CanSetBreakpoint(uint32_t kind);                                     // 177

// Asks the debugger again to remove the breakpoints it refused to remove when their owners went;
// an anchor goes once the debugger removed it. Answers how many are still registered.
std::size_t RetryRefusedBreakpointRemovals();

// Breakpoints still alive whose session ended (NoteSessionEnded) are set again with the current
// registration; their old handles are forgotten, as is a refused removal among them. One the debugger
// refuses to set again stays unset and is asked for again at the next call (the next stop or session).
void RestoreBreakpointsOfEndedSessions();

} // namespace dk
