#include "plugin/sdk/breakpoints.h"

#include "plugin/sdk/call_gate.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/registered_object.h"
#include "plugin/sdk/retry_list.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <thread>

namespace dk {
namespace {

struct BreakpointList {
    std::mutex mutex;
    std::vector<DkBreakpoint*> entries;
};

BreakpointList& breakpointList()
{
    static auto* list = new BreakpointList;
    return *list;
}

void enlist(DkBreakpoint* breakpoint)
{
    std::lock_guard lock(breakpointList().mutex);
    breakpointList().entries.push_back(breakpoint);
}

void delist(DkBreakpoint* breakpoint)
{
    std::lock_guard lock(breakpointList().mutex);
    auto& entries = breakpointList().entries;
    entries.erase(std::remove(entries.begin(), entries.end(), breakpoint), entries.end());
}

DkStatus removeHandle(uint32_t handle)
{
    return callKernel<DkStatusOfU32Fn, DkStatus>(DK_STATUS_FAILURE, DK_BREAKPOINT_REMOVE, handle);
}

// Anchors of breakpoints that are gone while the debugger still holds them.
RetryList<BreakpointAnchor>& refusedList()
{
    static auto* list = new RetryList<BreakpointAnchor>;
    return *list;
}

std::mutex g_sleeperMutex;
SyncronousStopper::Sleeper& sleeper()
{
    static auto* value = new SyncronousStopper::Sleeper;
    return *value;
}

} // namespace

// What the debugger holds: passes its calls to the breakpoint while that lives, through a gate that
// holds no lock while the breakpoint's code runs; cutting the breakpoint off waits for a call in
// progress on another thread (a breakpoint may be destroyed from inside its own call).
//
// Its handle state is guarded by m_handleMutex, which is never held across a request to the debugger
// (entries 175 and 176 may deliver hits that set or remove breakpoints). A set or removal in progress
// is marked busy meanwhile: a removal asked for during a set is carried out when the set's requests
// have returned, and no other set starts.
class BreakpointAnchor final : public DkExecutor,
                               public RetiredAnchor,
                               public std::enable_shared_from_this<BreakpointAnchor> {
public:
    explicit BreakpointAnchor(DkBreakpoint* owner) : m_owner(owner) {}
    uint64_t heldIn() const override { return session.load(); }

    uint32_t OnStop() override { return pass(&DkExecutor::OnStop, 1); }
    uint32_t OnEvent() override { return pass(&DkExecutor::OnEvent, 1); }
    uint32_t OnHit() override { return pass(&DkExecutor::OnHit, 0); } // without a breakpoint: go on

    void cutOff() { m_calls->close(); }

    // Runs f on the breakpoint while it lives, as a call the breakpoint's Retire waits for.
    template <typename F>
    void withOwner(F f)
    {
        const auto keep = shared_from_this();
        const CallGate::Call call(m_calls);
        if (call.entered())
            f(*m_owner);
    }

    // The calls of the breakpoint: hits, and its own sets and removals in progress.
    const std::shared_ptr<CallGate>& gate() const { return m_calls; }

    // Entry 176 for the handles of a whole breakpoint taken from the anchor (busy meanwhile). Refused
    // at the first handle, nothing changes: the breakpoint stays set and wanted. Refused at the
    // second, that half stays as a stray and the breakpoint is removed.
    void removeTaken(uint32_t first, uint32_t second)
    {
        if (removeHandle(first) != DK_STATUS_OK) {
            std::lock_guard lock(m_handleMutex);
            busy = Busy::No;
            handle1 = first;
            handle2 = second;
            set.store(true);
            return;
        }
        const bool secondGone = second == 0 || removeHandle(second) == DK_STATUS_OK;
        {
            std::lock_guard lock(m_handleMutex);
            busy = Busy::No;
            wanted = false;
            if (!secondGone)
                strays.push_back(second);
        }
        if (!secondGone)
            logToDebugger(2, "OMBA_Z5_Plugin: the debugger refused to remove half of a breakpoint; it is asked "
                             "again at the next set or removal");
    }

    // Under m_handleMutex: forgets every handle when their registration has ended (the debugger
    // dropped them with it).
    void dropDeadHandles()
    {
        if ((handle1 == 0 && handle2 == 0 && strays.empty()) || !SessionEnded(session.load()))
            return;
        handle1 = 0;
        handle2 = 0;
        strays.clear();
        set.store(false);
    }

    // Entry 176 for each handle the debugger keeps of no whole breakpoint; true when none is left.
    bool removeStrays()
    {
        std::vector<uint32_t> taken;
        {
            std::lock_guard lock(m_handleMutex);
            dropDeadHandles();
            taken.swap(strays);
        }
        std::vector<uint32_t> refused;
        for (uint32_t handle : taken)
            if (removeHandle(handle) != DK_STATUS_OK)
                refused.push_back(handle);
        if (refused.empty())
            return true;
        std::lock_guard lock(m_handleMutex);
        strays.insert(strays.end(), refused.begin(), refused.end());
        return false;
    }

    // Of a breakpoint that is gone: entry 176 for every handle still held; true when none is left.
    bool removeAll()
    {
        {
            std::lock_guard lock(m_handleMutex);
            dropDeadHandles();
            for (uint32_t handle : {handle2, handle1})
                if (handle != 0)
                    strays.insert(strays.begin(), handle);
            handle1 = 0;
            handle2 = 0;
            set.store(false);
        }
        return removeStrays();
    }

    bool holdsAny()
    {
        std::lock_guard lock(m_handleMutex);
        dropDeadHandles();
        return handle1 != 0 || handle2 != 0 || !strays.empty();
    }

    std::mutex m_handleMutex;
    uint32_t handle1 = 0;          // the whole breakpoint's handles (handle2: kind 4's second)
    uint32_t handle2 = 0;
    std::vector<uint32_t> strays;  // handles the debugger keeps of no whole breakpoint
    std::atomic<uint64_t> session{0}; // the session whose registration the handles belong to
    std::atomic<bool> set{false};  // handle1 (and handle2 for kind 4) are held
    bool wanted = false;           // set by its owner and not removed since: set again in a new session
    enum class Busy { No, Setting, Removing } busy = Busy::No; // requests in progress, without the lock
    bool removalAsked = false;     // RemoveBreakpoint during a set: done when the set's requests return

private:
    uint32_t pass(uint32_t (DkExecutor::*op)(), uint32_t without)
    {
        const auto keep = shared_from_this(); // the breakpoint may go, with its anchor, inside the call
        // A delete of the breakpoint meanwhile is carried out once the call has returned.
        const CallGate::Call call(m_calls);
        return call.entered() ? (m_owner->*op)() : without;
    }

    std::shared_ptr<CallGate> m_calls = std::make_shared<CallGate>();
    DkBreakpoint* m_owner;
};

DkBreakpoint::DkBreakpoint() : m_anchor(std::make_shared<BreakpointAnchor>(this)) { enlist(this); }

DkBreakpoint::DkBreakpoint(const TargetLocation& location, uint32_t kind)
    : m_location(location), m_kind(kind), m_anchor(std::make_shared<BreakpointAnchor>(this))
{
    enlist(this);
}

DkBreakpoint::~DkBreakpoint() { Retire(); }

void DkBreakpoint::operator delete(DkBreakpoint* breakpoint, std::destroying_delete_t)
{
    CallGate retired(false); // Retire() was called: nothing can call it
    (breakpoint->m_anchor ? *breakpoint->m_anchor->gate() : retired).endWhenCallsLeave(breakpoint);
}

void* DkBreakpoint::operator new(std::size_t size) { return ::operator new(size); }

void DkBreakpoint::operator delete(void* memory) { ::operator delete(memory); }

void DkBreakpoint::Retire()
{
    if (!m_anchor)
        return;
    // Out of the list first: no walk that sets breakpoints again (RestoreBreakpointsOfEndedSessions)
    // reaches it from now on, and one that already did is waited for by cutOff.
    delist(this);
    RemoveBreakpoint();
    m_anchor->cutOff();
    if (m_anchor->holdsAny()) {
        logToDebugger(2, "OMBA_Z5_Plugin: the debugger refused to remove a breakpoint; it is asked again later");
        refusedList().add(m_anchor);
    }
    keepUntilSessionEnds(std::move(m_anchor)); // a debugger thread may be about to call it
    m_anchor.reset();
}

bool DkBreakpoint::IsSet() const
{
    return m_anchor && m_anchor->set.load() && !SessionEnded(m_anchor->session.load());
}

DkStatus DkBreakpoint::request(BreakpointAnchor& anchor, uint32_t accessCode, uint32_t registration, uint32_t& handle)
{
    std::string name = GetName();
    DkBreakpointRequest record{}; // every word initialised
    record.zone = m_location.GetZone().GetId();
    record.addressLow = static_cast<uint32_t>(m_location.GetAddress());
    record.addressHigh = static_cast<uint32_t>(m_location.GetAddress() >> 32);
    record.accessCode = accessCode;
    record.name = name.c_str();
    record.option = m_option;
    uint32_t received = 0;
    DkStatus status = callKernel<DkBreakpointSetFn>(DkStatus{DK_STATUS_FAILURE}, DK_BREAKPOINT_SET, &record,
                                                    registration,
                                                    static_cast<void*>(static_cast<DkExecutor*>(&anchor)),
                                                    &received);
    if (status == DK_STATUS_OK)
        handle = received;
    return status;
}

DkStatus DkBreakpoint::SetBreakpoint()
{
    const std::shared_ptr<BreakpointAnchor> anchor = m_anchor;
    if (!anchor)
        return DK_STATUS_FAILURE;
    // The set is a call of the breakpoint: a delete meanwhile (from a hit it delivers, or on another
    // thread) ends the breakpoint when the set has returned. Nothing of it is touched after that.
    const CallGate::Call call(anchor->gate());
    if (!call.entered())
        return DK_STATUS_FAILURE; // being ended
    RetryRefusedBreakpointRemovals();
    if (IsSet())
        return DK_STATUS_OK;
    if (!anchor->removeStrays()) {
        logToDebugger(2, "OMBA_Z5_Plugin: the debugger still holds half of a breakpoint it refused to remove; "
                         "the breakpoint is not set");
        return DK_STATUS_FAILURE;
    }
    return requestWhole(*anchor, false);
}

DkStatus DkBreakpoint::requestWhole(BreakpointAnchor& anchor, bool onlyIfWanted)
{
    using Busy = BreakpointAnchor::Busy;
    {
        std::lock_guard lock(anchor.m_handleMutex);
        anchor.dropDeadHandles();
        if (onlyIfWanted && (!anchor.wanted || anchor.busy != Busy::No))
            return DK_STATUS_OK;
        if (anchor.set.load())
            return DK_STATUS_OK;
        if (anchor.busy != Busy::No || !anchor.strays.empty())
            return DK_STATUS_FAILURE; // being set or removed, or a half came back: refused for now
        anchor.busy = Busy::Setting;
        anchor.removalAsked = false;
    }
    // The requests run without the lock: the debugger may deliver hits meanwhile, whose code may set
    // or remove this breakpoint.
    const uint32_t registration = registrationHandle();
    const uint64_t session = sessionNumber();
    uint32_t first = 0;
    uint32_t second = 0;
    DkStatus status = DK_STATUS_FAILURE;
    bool strayFirst = false;
    switch (m_kind) {
    case DK_BP_KIND1: status = request(anchor, 0, registration, first); break;
    case DK_BP_KIND2: status = request(anchor, 1, registration, first); break;
    case DK_BP_KIND3: status = request(anchor, 2, registration, first); break;
    case DK_BP_KIND4:
        status = request(anchor, 1, registration, first);
        if (status != DK_STATUS_OK)
            break;
        status = request(anchor, 2, registration, second);
        // The first half goes back; when the debugger keeps it, it is asked for again at the next set
        // or removal, and the breakpoint stays unset.
        if (status != DK_STATUS_OK && removeHandle(first) != DK_STATUS_OK)
            strayFirst = true;
        break;
    default: break;
    }
    bool removeNow = false;
    {
        std::lock_guard lock(anchor.m_handleMutex);
        if (status != DK_STATUS_OK) {
            anchor.busy = Busy::No;
            if (anchor.removalAsked)
                anchor.wanted = false;
            if (strayFirst) {
                anchor.session.store(session);
                anchor.strays.push_back(first);
            }
        } else if (anchor.removalAsked) {
            anchor.busy = Busy::Removing; // removed below, as asked during the set
            anchor.session.store(session);
            anchor.wanted = true;         // until the removal is done
            removeNow = true;
        } else {
            anchor.busy = Busy::No;
            anchor.handle1 = first;
            anchor.handle2 = second;
            anchor.session.store(session);
            anchor.set.store(true);
            anchor.wanted = true;
        }
        anchor.removalAsked = false;
    }
    if (strayFirst)
        logToDebugger(2, "OMBA_Z5_Plugin: the debugger refused to remove the first half of a breakpoint "
                         "whose second half it refused; it is asked again at the next set or removal");
    if (removeNow)
        anchor.removeTaken(first, second);
    return status;
}

void DkBreakpoint::RemoveBreakpoint()
{
    const std::shared_ptr<BreakpointAnchor> keep = m_anchor;
    if (!keep)
        return;
    // A call of the breakpoint, as a set is; when it is being ended the removal is still made, and
    // touches only the anchor.
    const CallGate::Call call(keep->gate());
    BreakpointAnchor& anchor = *keep;
    using Busy = BreakpointAnchor::Busy;
    uint32_t first = 0;
    uint32_t second = 0;
    {
        std::lock_guard lock(anchor.m_handleMutex);
        anchor.dropDeadHandles();
        if (anchor.busy == Busy::Setting) {
            anchor.removalAsked = true; // the set removes it once its requests have returned
        } else if (anchor.busy == Busy::No) {
            if (anchor.set.load()) {
                first = anchor.handle1;
                second = anchor.handle2;
                anchor.handle1 = 0;
                anchor.handle2 = 0;
                anchor.set.store(false);
                anchor.busy = Busy::Removing;
            } else {
                anchor.wanted = false; // nothing held: a later session does not set it again
            }
        } // Busy::Removing: the removal in progress is this one's
    }
    const bool straysGone = anchor.removeStrays();
    if (!straysGone)
        logToDebugger(2, "OMBA_Z5_Plugin: the debugger refused to remove half of a breakpoint; it is asked again "
                         "at the next set or removal");
    if (first != 0 || second != 0)
        anchor.removeTaken(first, second);
}

DkStatus DkBreakpoint::SetKind(uint32_t kind)
{
    if (IsSet())
        return DK_STATUS_FAILURE;
    m_kind = kind;
    return DK_STATUS_OK;
}

std::string DkBreakpoint::GetName() const { return m_hasOwnName ? m_name : kPluginInfoName; }

void DkBreakpoint::SetName(const std::string& name)
{
    m_name = name;
    m_hasOwnName = true;
}

std::vector<DkBreakpoint*> DkBreakpoint::All()
{
    std::lock_guard lock(breakpointList().mutex);
    return breakpointList().entries;
}

FunctionBreakpoint::FunctionBreakpoint(const TargetLocation& location, const std::string& function)
    : DkBreakpoint(location, DK_BP_KIND1), m_function(function)
{
    m_setStatus = SetBreakpoint();
}

FunctionBreakpoint::~FunctionBreakpoint() { Retire(); }

uint32_t FunctionBreakpoint::OnHit()
{
    m_hits.fetch_add(1);
    return 0;
}

std::shared_ptr<SyncronousStopper> SyncronousStopper::Create()
{
    return std::shared_ptr<SyncronousStopper>(new SyncronousStopper);
}

uint32_t SyncronousStopper::OnStop()
{
    m_stopped.store(true);
    return 1;
}

void SyncronousStopper::SetSleeper(Sleeper value)
{
    std::lock_guard lock(g_sleeperMutex);
    sleeper() = std::move(value);
}

int SyncronousStopper::WaitForStop(int timeoutMs)
{
    DkStatus status = ExecRequest(DK_EXEC_STOP, this);
    if (status == DK_STATUS_FAILURE)
        return -1; // the stop request failed: not stopped
    Sleeper sleep;
    {
        std::lock_guard lock(g_sleeperMutex);
        sleep = sleeper();
    }
    for (int remaining = timeoutMs; !m_stopped.load() && remaining > 0; remaining -= 100) {
        if (sleep)
            sleep(std::chrono::milliseconds(100));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return m_stopped.load() ? 0 : -1;
}

int StopAndWait(int seconds)
{
    // The debugger may still hold the stopper after a timed-out wait, so it is never freed.
    auto* keep = new std::shared_ptr<SyncronousStopper>(SyncronousStopper::Create());
    return (*keep)->WaitForStop(seconds * 1000);
}

DkStatus ExecByteRequest(int entry, uint8_t value, DkExecutor* executor)
{
    if (entry < DK_EXEC_BYTE_21 || entry > DK_EXEC_BYTE_24)
        return DK_STATUS_FAILURE;
    using Fn = DkStatus (*)(uint8_t, uint32_t, void*);
    return callKernel<Fn>(DkStatus{DK_STATUS_FAILURE}, entry, value, registrationHandle(), static_cast<void*>(executor));
}

DkStatus ExecRequest(int entry, DkExecutor* executor)
{
    if (entry != DK_EXEC_25 && entry != DK_EXEC_26 && entry != DK_EXEC_STOP)
        return DK_STATUS_FAILURE;
    using Fn = DkStatus (*)(uint32_t, void*);
    return callKernel<Fn>(DkStatus{DK_STATUS_FAILURE}, entry, registrationHandle(), static_cast<void*>(executor));
}

DkExecutor& DefaultExecutor()
{
    static auto* executor = new DkExecutor;
    return *executor;
}

DkStatus ExecLocations(const std::vector<TargetLocation>& locations)
{
    std::vector<DkTargetLocation> raw;
    for (const TargetLocation& location : locations)
        raw.push_back(location.raw());
    using Fn = DkStatus (*)(uint32_t, const DkTargetLocation*);
    return callKernel<Fn>(DkStatus{DK_STATUS_FAILURE}, DK_EXEC_LOCATIONS, static_cast<uint32_t>(raw.size()),
                          raw.empty() ? nullptr : raw.data());
}

DkStatus ExecNamedLocation(uint32_t value1, uint32_t value2, const std::string& name)
{
    DkNamedLocationRequest record{value1, value2, name.c_str()};
    using Fn = DkStatus (*)(const DkNamedLocationRequest*);
    return callKernel<Fn>(DkStatus{DK_STATUS_FAILURE}, DK_EXEC_NAMED_LOCATION, &record);
}

bool ExecStateQuery(int entry)
{
    if (entry != DK_EXEC_STATE_31 && entry != DK_EXEC_STATE_32)
        return false;
    return callKernel<int32_t (*)(), int32_t>(0, entry) > 0;
}

uint32_t ExecQuery(int entry)
{
    if (entry != DK_EXEC_QUERY_20 && entry != DK_EXEC_QUERY_30 && entry != DK_EXEC_QUERY_33)
        return DK_STATUS_FAILURE;
    return callKernel<uint32_t (*)(), uint32_t>(DK_STATUS_FAILURE, entry);
}

uint64_t ExecQuery64()
{
    uint64_t value = 0;
    callKernelVoid<void (*)(uint64_t*)>(DK_EXEC_QUERY64, &value);
    return value;
}

bool CanSetBreakpoint(uint32_t kind)
{
    auto can = [](uint32_t code) { return callKernel<DkIntOfU32Fn, int32_t>(0, DK_BREAKPOINT_CAN_SET, code) > 0; };
    switch (kind) {
    case DK_BP_KIND1: return can(0);
    case DK_BP_KIND2: return can(1);
    case DK_BP_KIND3: return can(2);
    case DK_BP_KIND4: return can(1) && can(2);
    default: return false;
    }
}

} // namespace dk

namespace dk {

std::size_t RetryRefusedBreakpointRemovals()
{
    return refusedList().retry([](BreakpointAnchor& anchor) { return anchor.removeAll(); });
}

void RestoreBreakpointsOfEndedSessions()
{
    // The anchors are taken under the list's lock and walked without it; a breakpoint destroyed
    // meanwhile is cut off from its anchor and skipped, and its Retire waits for a call in progress.
    std::vector<std::shared_ptr<BreakpointAnchor>> anchors;
    {
        std::lock_guard lock(breakpointList().mutex);
        for (DkBreakpoint* breakpoint : breakpointList().entries)
            anchors.push_back(breakpoint->m_anchor);
    }
    for (const auto& anchor : anchors)
        anchor->withOwner([](DkBreakpoint& breakpoint) { breakpoint.setAgainIfEnded(); });
}

void DkBreakpoint::setAgainIfEnded()
{
    BreakpointAnchor& anchor = *m_anchor; // held by the walk
    {
        std::lock_guard lock(anchor.m_handleMutex);
        anchor.dropDeadHandles();
        // Set, removed, or keeping a stray half (its owner's next set or removal asks for it again).
        if (!anchor.wanted || anchor.set.load() || !anchor.strays.empty())
            return;
    }
    if (registrationHandle() == 0)
        return; // no session to set it with: the next one does
    const TargetLocation location = m_location; // the breakpoint may be ended by a hit during the set
    if (const DkStatus status = requestWhole(anchor, true); status != DK_STATUS_OK) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "OMBA_Z5_Plugin: the debugger refused to set the breakpoint at 0x%llx again (status 0x%X); "
                      "it is asked again at the next stop",
                      static_cast<unsigned long long>(location.GetAddress()), static_cast<unsigned>(status));
        logToDebugger(2, text);
    }
}

} // namespace dk
