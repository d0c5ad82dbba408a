// User breakpoints, their category provider and the breakpoint-id queries (entries 18, 229-258).

#include "plugin/sdk/user_breakpoints.h"

#include "plugin/sdk/call_gate.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/retry_list.h"

#include <atomic>
#include <functional>
#include <optional>
#include <utility>

namespace dk {
namespace {

uint32_t setWith(int entry, const DkUserBreakCategoryProvider& provider, void* object)
{
    return callKernel<DkBreakpointObjectFn>(uint32_t{0}, entry, provider.GetHandle(), object);
}

DkStatus idCall(int entry, uint32_t id)
{
    return callKernel<DkStatusOfU32Fn>(DkStatus{DK_STATUS_FAILURE}, entry, id);
}

std::vector<uint32_t> takeIds(uint32_t* array, uint32_t count, int giveBack)
{
    std::vector<uint32_t> ids;
    if (array == nullptr)
        return ids;
    ids.assign(array, array + count);
    if (count > 0)
        giveBackArray(giveBack, array);
    return ids;
}

} // namespace

// What the debugger holds for a user breakpoint: passes each slot's call to the breakpoint while it
// lives (through a gate, so cutting it off waits for a call in progress on another thread, and no
// lock is held while the breakpoint's code runs), neutral answers afterwards.
class UserBreakpointAnchor final : public DkUserBreakpointOps,
                                   public RetiredAnchor,
                                   public std::enable_shared_from_this<UserBreakpointAnchor> {
public:
    explicit UserBreakpointAnchor(DkUserBreakpointOps* owner) : m_owner(owner) {}
    uint64_t heldIn() const override { return session; }

    std::string Text1() override { return pass<std::string>(&DkUserBreakpointOps::Text1); }
    std::string Text2() override { return pass<std::string>(&DkUserBreakpointOps::Text2); }
    uint32_t Op3(uint16_t argument) override { return pass<uint32_t>(&DkUserBreakpointOps::Op3, argument); }
    uint32_t Op4(const DkUle& location, uint16_t argument) override
    {
        return pass<uint32_t>(&DkUserBreakpointOps::Op4, location, argument);
    }
    uint32_t Op5() override { return pass<uint32_t>(&DkUserBreakpointOps::Op5); }
    uint32_t BaseId() override
    {
        const auto keep = shared_from_this(); // the breakpoint may go, with its anchor, inside the call
        const CallGate::Call call(m_calls);
        return call.entered() ? m_owner->BaseId() : id.load();
    }
    uint32_t DuplicateUle() override { return pass<uint32_t>(&DkUserBreakpointOps::DuplicateUle); }
    uint32_t Op8(const DkUle& location) override { return pass<uint32_t>(&DkUserBreakpointOps::Op8, location); }
    uint32_t BaseOp5() override { return pass<uint32_t>(&DkUserBreakpointOps::BaseOp5); }
    uint32_t BaseOp6(bool flag) override { return pass<uint32_t>(&DkUserBreakpointOps::BaseOp6, flag); }

    void cutOff(uint32_t lastId)
    {
        id.store(lastId);
        ended.store(true);
        m_calls->close();
    }

    // The calls of the breakpoint: the debugger's, and its own set or clear in progress.
    const std::shared_ptr<CallGate>& gate() const { return m_calls; }

    int clearEntry = DK_USER_BREAKPOINT_CLEAR;
    std::atomic<uint32_t> id{0};
    std::atomic<bool> ended{false}; // its breakpoint was cut off
    uint64_t session = 0; // the session whose registration the breakpoint was set under

private:
    template <typename R, typename Op, typename... Args>
    R pass(Op op, Args&&... args)
    {
        const auto keep = shared_from_this(); // the breakpoint may go, with its anchor, inside the call
        const CallGate::Call call(m_calls);
        return call.entered() ? std::invoke(op, *m_owner, std::forward<Args>(args)...) : R{};
    }

    std::shared_ptr<CallGate> m_calls = std::make_shared<CallGate>();
    DkUserBreakpointOps* m_owner;
};

namespace {

// Entry entry for id. The debugger dropped the breakpoints of a registration it gave back: such an
// id is only forgotten, never asked for.
DkStatus clearId(int entry, uint32_t id, uint64_t session)
{
    if (id != 0 && SessionEnded(session))
        return DK_STATUS_OK;
    return idCall(entry, id);
}

RetryList<UserBreakpointAnchor>& refusedClears()
{
    static auto* list = new RetryList<UserBreakpointAnchor>;
    return *list;
}

} // namespace

DkUserBreakpointBase::DkUserBreakpointBase() : m_anchor(std::make_shared<UserBreakpointAnchor>(this)) {}

DkUserBreakpointBase::~DkUserBreakpointBase() { Retire(); }

void DkUserBreakpointBase::Retire()
{
    if (!m_anchor)
        return;
    if (m_id != 0)
        clearWith(m_anchor->clearEntry);
    m_anchor->cutOff(m_id);
    if (m_id != 0) {
        logToDebugger(2, "OMBA_Z5_Plugin: the debugger refused to clear a breakpoint; it is asked again later");
        refusedClears().add(m_anchor);
    }
    keepUntilSessionEnds(std::move(m_anchor)); // a debugger thread may be about to call it
    m_anchor.reset();
}

void* DkUserBreakpointBase::debuggerObject(int clearEntry)
{
    if (!m_anchor)
        return nullptr;
    m_anchor->clearEntry = clearEntry;
    m_anchor->session = sessionNumber();
    return static_cast<DkUserBreakpointOps*>(m_anchor.get());
}

DkStatus DkUserBreakpointBase::clearWith(int entry)
{
    // A call of the breakpoint, as a set is (setAs); made even while it is being ended.
    const std::shared_ptr<UserBreakpointAnchor> anchor = m_anchor;
    std::optional<CallGate::Call> call;
    if (anchor)
        call.emplace(anchor->gate());
    // Taken out while the request runs: the breakpoint ended meanwhile (from a call the debugger makes
    // during it) leaves the clear to this request and is not touched after it.
    const uint32_t id = std::exchange(m_id, 0);
    const DkStatus status = clearId(entry, id, anchor ? anchor->session : 0);
    if (anchor && anchor->ended.load()) {
        if (status != DK_STATUS_OK && id != 0) {
            anchor->id.store(id);
            refusedClears().add(anchor);
        }
        return status;
    }
    if (status != DK_STATUS_OK)
        m_id = id; // a refused clear leaves the breakpoint set
    return status;
}

bool DkUserBreakpointBase::setAs(int setEntry, int clearEntry, const DkUserBreakCategoryProvider& provider)
{
    RetryRefusedUserBreakpointClears();
    const std::shared_ptr<UserBreakpointAnchor> anchor = m_anchor;
    if (!anchor)
        return false;
    // The set is a call of the breakpoint: a delete meanwhile (from a call the debugger makes during
    // it, or on another thread) ends the breakpoint when the set has returned.
    const CallGate::Call call(anchor->gate());
    if (!call.entered())
        return false; // being ended
    void* object = debuggerObject(clearEntry);
    const uint32_t id = setWith(setEntry, provider, object);
    if (anchor->ended.load()) {
        // Ended during the set, from a call the debugger made meanwhile: its id is taken back, and
        // nothing of the breakpoint is touched.
        anchor->id.store(id);
        if (id != 0 && clearId(clearEntry, id, anchor->session) != DK_STATUS_OK)
            refusedClears().add(anchor);
        return false;
    }
    m_id = id;
    return id != 0;
}

bool DkUserBreakpointBase::Set(const DkUserBreakCategoryProvider& provider)
{
    return setAs(DK_USER_BREAKPOINT_SET, DK_USER_BREAKPOINT_CLEAR, provider);
}

DkStatus DkUserBreakpointBase::Clear() { return clearWith(DK_USER_BREAKPOINT_CLEAR); }

std::size_t RetryRefusedUserBreakpointClears()
{
    return refusedClears().retry([](UserBreakpointAnchor& anchor) {
        return clearId(anchor.clearEntry, anchor.id.load(), anchor.session) == DK_STATUS_OK;
    });
}

DkStatus DkUserBreakpointBase::Refresh() { return idCall(DK_USER_BREAKPOINT_REFRESH, m_id); }

DkUleUserBreakpointBase::~DkUleUserBreakpointBase() { Retire(); }

bool DkUleUserBreakpointBase::Set(const DkUserBreakCategoryProvider& provider)
{
    return setAs(DK_ULE_BREAKPOINT_SET, DK_ULE_BREAKPOINT_CLEAR, provider);
}

DkStatus DkUleUserBreakpointBase::Clear() { return clearWith(DK_ULE_BREAKPOINT_CLEAR); }

DkStatus DkUleUserBreakpointBase::Refresh() { return idCall(DK_ULE_BREAKPOINT_REFRESH, m_id); }

std::string DkUleUserBreakpointBase::Describe() { return Text1() + " @ " + GetLocation().GetText(); }

uint32_t DkUleUserBreakpointBase::DuplicateUle()
{
    DkUle location = GetLocation(); // kept alive while its handle is duplicated
    DkHandle handle = location.GetHandle();
    return handle == 0 ? 0 : callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_ULE_DUPLICATE, handle);
}

class CategoryProviderAnchor final : public Anchor<DkCategoryProviderOps> {
public:
    using Anchor::Anchor;
    uint32_t Op2(uint32_t argument) override
    {
        return pass(uint32_t{0}, [&](DkCategoryProviderOps& p) { return p.Op2(argument); });
    }
    const char* Op6(uint32_t argument) override
    {
        return pass(static_cast<const char*>(nullptr), [&](DkCategoryProviderOps& p) { return p.Op6(argument); });
    }
    const char* Op7(uint32_t argument) override
    {
        return pass(static_cast<const char*>(nullptr), [&](DkCategoryProviderOps& p) { return p.Op7(argument); });
    }
    std::string Text(uint32_t argument) override
    {
        return pass(std::string(), [&](DkCategoryProviderOps& p) { return p.Text(argument); });
    }
};

DkUserBreakCategoryProvider::DkUserBreakCategoryProvider()
    : m_handle(callKernel<DkRegisterObjectFn>(uint32_t{0}, DK_CATEGORY_REGISTER, registrationHandle(), debuggerObject()))
{
}

DkUserBreakCategoryProvider::~DkUserBreakCategoryProvider() { Withdraw(); }

void DkUserBreakCategoryProvider::unregisterFromDebugger()
{
    // A provider of an ended session went with its registration.
    if (m_handle != 0 && !SessionEnded(registeredIn()))
        callKernelVoid<DkHandleFn>(DK_CATEGORY_UNREGISTER, m_handle);
}

std::vector<uint32_t> GetUserBreakpointIds()
{
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkIdsFn>(uint32_t{0}, DK_BREAKPOINT_IDS, &array);
    return takeIds(array, count, DK_GIVE_BACK_BREAKPOINT_IDS);
}

std::vector<uint32_t> GetUserBreakpointIds(uint32_t category)
{
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkIdsOfCategoryFn>(uint32_t{0}, DK_BREAKPOINTS_OF_CATEGORY, &array, category);
    return takeIds(array, count, DK_GIVE_BACK_CATEGORY_IDS);
}

DkStatus GetUserBreakpointStatus()
{
    return callKernel<DkStatusOfU32Fn>(DkStatus{DK_STATUS_FAILURE}, DK_HOST_REQUEST_18, uint32_t{9});
}

} // namespace dk
