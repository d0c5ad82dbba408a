#include "plugin/sdk/breakpoints.h"

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
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

// What the debugger holds: passes its calls to the breakpoint while that lives. The lock is held
// for a call, so cutting the breakpoint off waits for a call in progress; it is re-entrant because
// a breakpoint may be destroyed from inside its own call.
class BreakpointAnchor final : public DkExecutor {
public:
    explicit BreakpointAnchor(DkBreakpoint* owner) : m_owner(owner) {}

    uint32_t OnStop() override { return pass(&DkExecutor::OnStop, 1); }
    uint32_t OnEvent() override { return pass(&DkExecutor::OnEvent, 1); }
    uint32_t OnHit() override { return pass(&DkExecutor::OnHit, 0); } // without a breakpoint: go on

    void cutOff()
    {
        std::lock_guard lock(m_mutex);
        m_owner = nullptr;
    }

    // Entry 176 for each handle still held; true when none is left. Handles of a registration the
    // debugger gave back are gone with it and are only forgotten.
    bool remove()
    {
        std::lock_guard lock(m_handleMutex);
        if (dropDeadHandles())
            return true;
        // The first handle, then the second; a refused removal stops there, and a later removal
        // goes on from the handle it refused.
        for (uint32_t* handle : {&handle1, &handle2}) {
            if (*handle == 0)
                continue;
            if (removeHandle(*handle) != DK_STATUS_OK)
                return false;
            *handle = 0;
        }
        return true;
    }

    // Under m_handleMutex: forgets the handles when their registration has ended and marks the
    // breakpoint to be set again; true when it did.
    bool dropDeadHandles()
    {
        if ((handle1 == 0 && handle2 == 0) || !SessionEnded(session))
            return false;
        handle1 = 0;
        handle2 = 0;
        setAgain = true;
        return true;
    }

    std::mutex m_handleMutex;
    uint32_t handle1 = 0;
    uint32_t handle2 = 0;
    uint64_t session = 0;      // the session whose registration the handles belong to
    bool setAgain = false;     // set when its registration ended; cleared when set again

private:
    uint32_t pass(uint32_t (DkExecutor::*op)(), uint32_t without)
    {
        std::lock_guard lock(m_mutex);
        return m_owner != nullptr ? (m_owner->*op)() : without;
    }

    std::recursive_mutex m_mutex;
    DkBreakpoint* m_owner;
};

DkBreakpoint::DkBreakpoint() : m_anchor(std::make_shared<BreakpointAnchor>(this)) { enlist(this); }

DkBreakpoint::DkBreakpoint(const TargetLocation& location, uint32_t kind)
    : m_location(location), m_kind(kind), m_anchor(std::make_shared<BreakpointAnchor>(this))
{
    enlist(this);
}

DkBreakpoint::~DkBreakpoint() { Retire(); }

void DkBreakpoint::Retire()
{
    if (!m_anchor)
        return;
    // Out of the list first: a walk that sets breakpoints again (RestoreBreakpointsOfEndedSessions)
    // has ended and none starts on it.
    delist(this);
    RemoveBreakpoint();
    m_anchor->cutOff();
    if (IsSet()) {
        logToDebugger(2, "OMBA_Z5_Plugin: the debugger refused to remove a breakpoint; it is asked again later");
        refusedList().add(m_anchor);
    }
    m_anchor.reset();
}

DkStatus DkBreakpoint::request(uint32_t accessCode, uint32_t registration, uint32_t& handle)
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
                                                    static_cast<void*>(static_cast<DkExecutor*>(m_anchor.get())),
                                                    &received);
    if (status == DK_STATUS_OK)
        handle = received;
    return status;
}

DkStatus DkBreakpoint::SetBreakpoint()
{
    RetryRefusedBreakpointRemovals();
    if (IsSet())
        return DK_STATUS_OK;
    if (!m_anchor)
        return DK_STATUS_FAILURE;
    BreakpointAnchor& anchor = *m_anchor;
    std::lock_guard lock(anchor.m_handleMutex);
    const uint32_t registration = registrationHandle();
    anchor.session = sessionNumber();
    DkStatus status;
    switch (m_kind) {
    case DK_BP_KIND1: status = request(0, registration, anchor.handle1); break;
    case DK_BP_KIND2: status = request(1, registration, anchor.handle1); break;
    case DK_BP_KIND3: status = request(2, registration, anchor.handle1); break;
    case DK_BP_KIND4:
        status = request(1, registration, anchor.handle1);
        if (status != DK_STATUS_OK)
            return status;
        status = request(2, registration, anchor.handle2);
        if (status != DK_STATUS_OK) {
            if (removeHandle(anchor.handle1) == DK_STATUS_OK)
                anchor.handle1 = 0;
            else
                m_set.store(true); // still registered: removed later like any set breakpoint
            return status;
        }
        break;
    default: return DK_STATUS_FAILURE;
    }
    if (status == DK_STATUS_OK) {
        m_set.store(true);
        anchor.setAgain = false;
    }
    return status;
}

void DkBreakpoint::RemoveBreakpoint()
{
    if (!IsSet() || !m_anchor)
        return;
    if (m_anchor->remove())
        m_set.store(false);
}

DkStatus DkBreakpoint::SetKind(uint32_t kind)
{
    if (IsSet())
        return DK_STATUS_FAILURE;
    m_kind = kind;
    return DK_STATUS_OK;
}

bool DkBreakpoint::IsHeldNow() const
{
    if (!IsSet() || !m_anchor)
        return false;
    std::lock_guard lock(m_anchor->m_handleMutex);
    return !SessionEnded(m_anchor->session);
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
    return refusedList().retry([](BreakpointAnchor& anchor) { return anchor.remove(); });
}

void RestoreBreakpointsOfEndedSessions()
{
    // Under the list's lock: a breakpoint that goes meanwhile waits in Retire until the walk is over.
    std::lock_guard lock(breakpointList().mutex);
    for (DkBreakpoint* breakpoint : breakpointList().entries)
        breakpoint->setAgainIfEnded();
}

void DkBreakpoint::setAgainIfEnded()
{
    if (!m_anchor)
        return;
    {
        std::lock_guard lock(m_anchor->m_handleMutex);
        m_anchor->dropDeadHandles();
        if (!m_anchor->setAgain)
            return;
        m_set.store(false);
    }
    if (registrationHandle() == 0)
        return; // no session to set it with: the next one does
    if (const DkStatus status = SetBreakpoint(); status != DK_STATUS_OK) {
        char text[160];
        std::snprintf(text, sizeof text,
                      "OMBA_Z5_Plugin: the debugger refused to set the breakpoint at 0x%llx again (status 0x%X); "
                      "it is asked again at the next stop",
                      static_cast<unsigned long long>(m_location.GetAddress()), static_cast<unsigned>(status));
        logToDebugger(2, text);
    }
}

} // namespace dk
