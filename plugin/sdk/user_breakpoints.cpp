// User breakpoints, their category provider and the breakpoint-id queries (entries 18, 229-258).

#include "plugin/sdk/user_breakpoints.h"

#include "plugin/sdk/kernel.h"

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

DkUserBreakpointBase::~DkUserBreakpointBase()
{
    if (m_id != 0)
        DkUserBreakpointBase::Clear();
}

bool DkUserBreakpointBase::Set(const DkUserBreakCategoryProvider& provider)
{
    m_id = setWith(DK_USER_BREAKPOINT_SET, provider, debuggerObject());
    return m_id != 0;
}

DkStatus DkUserBreakpointBase::Clear()
{
    DkStatus status = idCall(DK_USER_BREAKPOINT_CLEAR, m_id);
    m_id = 0;
    return status;
}

DkStatus DkUserBreakpointBase::Refresh() { return idCall(DK_USER_BREAKPOINT_REFRESH, m_id); }

DkUleUserBreakpointBase::~DkUleUserBreakpointBase()
{
    if (m_id != 0)
        DkUleUserBreakpointBase::Clear();
}

bool DkUleUserBreakpointBase::Set(const DkUserBreakCategoryProvider& provider)
{
    m_id = setWith(DK_ULE_BREAKPOINT_SET, provider, debuggerObject());
    return m_id != 0;
}

DkStatus DkUleUserBreakpointBase::Clear()
{
    DkStatus status = idCall(DK_ULE_BREAKPOINT_CLEAR, m_id);
    m_id = 0;
    return status;
}

DkStatus DkUleUserBreakpointBase::Refresh() { return idCall(DK_ULE_BREAKPOINT_REFRESH, m_id); }

std::string DkUleUserBreakpointBase::Describe() { return Text1() + " @ " + GetLocation().GetText(); }

uint32_t DkUleUserBreakpointBase::DuplicateUle()
{
    DkUle location = GetLocation(); // kept alive while its handle is duplicated
    DkHandle handle = location.GetHandle();
    return handle == 0 ? 0 : callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_ULE_DUPLICATE, handle);
}

DkUserBreakCategoryProvider::DkUserBreakCategoryProvider()
    : m_handle(callKernel<DkRegisterObjectFn>(uint32_t{0}, DK_CATEGORY_REGISTER, registrationHandle(),
                                               static_cast<void*>(static_cast<DkCategoryProviderOps*>(this))))
{
}

DkUserBreakCategoryProvider::~DkUserBreakCategoryProvider()
{
    if (m_handle != 0)
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
