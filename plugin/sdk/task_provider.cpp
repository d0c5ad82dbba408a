// The task provider and the task queries (entries 202-208, 261-266).

#include "plugin/sdk/task_provider.h"

#include "plugin/sdk/kernel.h"

#include <atomic>

namespace dk {
namespace {

std::atomic<DkTaskProvider*> g_current{nullptr};

} // namespace

class TaskProviderAnchor final : public Anchor<DkTaskProviderOps> {
public:
    using Anchor::Anchor;
    DkStatus TaskIds(std::vector<uint32_t>& ids) override
    {
        return pass(DkStatus{DK_STATUS_FAILURE}, [&](DkTaskProviderOps& p) { return p.TaskIds(ids); });
    }
    std::string TaskName(uint32_t task) override
    {
        return pass(std::string(), [&](DkTaskProviderOps& p) { return p.TaskName(task); });
    }
    uint32_t TaskOp3(uint32_t task, uint32_t argument) override
    {
        return pass(uint32_t{0}, [&](DkTaskProviderOps& p) { return p.TaskOp3(task, argument); });
    }
    uint32_t TaskOp4(uint32_t task) override
    {
        return pass(uint32_t{0}, [&](DkTaskProviderOps& p) { return p.TaskOp4(task); });
    }
};

DkTaskProvider::DkTaskProvider()
{
    callKernel<DkRegisterObjectFn>(uint32_t{0}, DK_TASK_PROVIDER_REGISTER, registrationHandle(), debuggerObject());
    g_current.store(this);
}

DkTaskProvider::~DkTaskProvider() { Withdraw(); }

void DkTaskProvider::unregisterFromDebugger()
{
    // A provider that was replaced no longer speaks for the debugger's slot: leave its successor be.
    DkTaskProvider* self = this;
    if (g_current.compare_exchange_strong(self, nullptr))
        callKernelVoid<DkVoidFn>(DK_TASK_PROVIDER_UNREGISTER);
}

DkTaskProvider* DkTaskProvider::Current() { return g_current.load(); }

DkTaskHandle::DkTaskHandle(DkHandle handle) : m_body(std::make_shared<Body>())
{
    m_body->handle = handle;
}

DkTaskHandle::Body::~Body()
{
    if (handle != 0)
        callKernelVoid<DkHandleFn>(DK_TASK_HANDLE_RELEASE, handle);
}

DkTaskHandle DkTaskHandle::OfKind(uint32_t kind, const DkContext& context)
{
    if (kind < 3 || kind > 8)
        return DkTaskHandle();
    return OfKind(kind, context, 1);
}

DkTaskHandle DkTaskHandle::OfKind(uint32_t kind, const DkContext& context, uint32_t flag)
{
    return DkTaskHandle(callKernel<DkTaskHandleFn>(DkHandle{0}, DK_TASK_HANDLE, kind, context.GetHandle(), flag));
}

uint32_t DkTaskHandle::GetState() const
{
    uint32_t state = callKernel<DkNumberOfHandleFn>(uint32_t{0}, DK_TASK_STATE, m_body->handle);
    return state <= 2 ? state : 0;
}

uint32_t DkTaskHandle::Set264(uint32_t value) const
{
    return callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_TASK_SET_264, m_body->handle, value);
}

uint32_t DkTaskHandle::Query265() const
{
    return callKernel<DkNumberOfHandleFn>(uint32_t{0}, DK_TASK_QUERY_265, m_body->handle);
}

std::vector<TargetLocation> DkTaskHandle::GetLocations() const
{
    std::vector<TargetLocation> list;
    DkTargetLocation* array = nullptr;
    uint32_t count = callKernel<DkLocationsOfHandleFn>(uint32_t{0}, DK_TASK_LOCATIONS, m_body->handle, &array);
    if (array == nullptr)
        return list;
    for (uint32_t i = 0; i < count; ++i)
        list.emplace_back(array[i]);
    callKernelVoid<DkGiveBackLocationsFn>(DK_GIVE_BACK_LOCATIONS, array);
    return list;
}

DkStatus GetTaskIds(std::vector<uint32_t>& ids)
{
    uint32_t count = 0;
    uint32_t* array = nullptr;
    DkStatus status = callKernel<DkTaskIdsFn>(DkStatus{DK_STATUS_FAILURE}, DK_TASK_IDS, &count, &array);
    if (status != DK_STATUS_OK)
        return status;
    ids.clear();
    if (array != nullptr) {
        ids.assign(array, array + count);
        giveBackArray(DK_GIVE_BACK_TASK_IDS, array);
    }
    return status;
}

std::string GetTaskName(uint32_t task)
{
    return takeHostText(callKernel<DkTextOfU32Fn>(static_cast<const char*>(nullptr), DK_TASK_NAME, task));
}

bool GetTaskFlag(uint32_t task) { return callKernel<DkIntOfU32Fn>(int32_t{0}, DK_TASK_FLAG, task) > 0; }

} // namespace dk
