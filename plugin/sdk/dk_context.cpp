#include "plugin/sdk/dk_context.h"

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/target_location.h"

namespace dk {

DkContext::DkContext(DkHandle handle, bool borrowed) : m_body(new Body)
{
    m_body->handle = handle;
    m_body->borrowed = borrowed;
}

DkContext::DkContext(const DkContext& other) : m_body(other.m_body)
{
    if (m_body != nullptr)
        m_body->references.fetch_add(1);
}

DkContext& DkContext::operator=(const DkContext& other)
{
    if (other.m_body != nullptr)
        other.m_body->references.fetch_add(1);
    release();
    m_body = other.m_body;
    return *this;
}

DkContext::~DkContext() { release(); }

void DkContext::release()
{
    if (m_body == nullptr)
        return;
    if (m_body->references.fetch_sub(1) == 1) {
        if (m_body->handle != 0 && !m_body->borrowed)
            callKernelVoid<DkHandleFn>(DK_CONTEXT_RELEASE, m_body->handle);
        delete m_body;
    }
    m_body = nullptr;
}

DkContext DkContext::Memory() { return DkContext(callKernel<DkContextFn>(DkHandle{0}, DK_CONTEXT_MEMORY), true); }
DkContext DkContext::Context159() { return DkContext(callKernel<DkContextFn>(DkHandle{0}, DK_CONTEXT_159), true); }
DkContext DkContext::Symbols() { return DkContext(callKernel<DkContextFn>(DkHandle{0}, DK_CONTEXT_SYMBOLS), true); }

DkContext DkContext::Open(uint32_t argument)
{
    return DkContext(callKernel<DkContextOpenFn>(DkHandle{0}, DK_CONTEXT_OPEN, registrationHandle(), argument), false);
}

DkContext DkContext::Derive() const
{
    return DkContext(callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_CONTEXT_DERIVE, GetHandle()), false);
}

bool DkContext::Equals(const DkContext& other) const
{
    return callKernel<DkIntOfHandlesFn>(0, DK_CONTEXT_EQUALS, GetHandle(), other.GetHandle()) > 0;
}

DkStatus DkContext::GetLocation(TargetLocation& out) const
{
    if (GetHandle() == 0)
        return DK_STATUS_FAILURE;
    DkTargetLocation raw{};
    DkStatus status = callKernel<DkContextLocationFn>(DkStatus{DK_STATUS_FAILURE}, DK_CONTEXT_GET_LOCATION,
                                                      GetHandle(), &raw);
    if (status == DK_STATUS_OK)
        out = TargetLocation(raw);
    return status;
}

DkStatus DkContext::SetLocation(const TargetLocation& location) const
{
    if (GetHandle() == 0)
        return DK_STATUS_FAILURE;
    DkTargetLocation raw = location.raw();
    return callKernel<DkContextLocationFn>(DkStatus{DK_STATUS_FAILURE}, DK_CONTEXT_SET_LOCATION, GetHandle(), &raw);
}

DkStatus DkContext::Status1() const
{
    if (GetHandle() == 0)
        return DK_STATUS_FAILURE;
    return static_cast<DkStatus>(callKernel<DkIntOfHandleFn>(int32_t{DK_STATUS_FAILURE}, DK_CONTEXT_STATUS1, GetHandle()));
}

DkStatus DkContext::Status2() const
{
    if (GetHandle() == 0)
        return DK_STATUS_FAILURE;
    return static_cast<DkStatus>(callKernel<DkIntOfHandleFn>(int32_t{DK_STATUS_FAILURE}, DK_CONTEXT_STATUS2, GetHandle()));
}

bool DkContext::Query() const
{
    if (GetHandle() == 0)
        return false;
    return callKernel<DkIntOfHandleFn>(0, DK_CONTEXT_BOOL, GetHandle()) > 0;
}

DkStatus DkContext::MemoryOperation(int entry, const TargetLocation& location, uint32_t count, void* buffer,
                                    uint32_t unitBits, uint8_t* flag) const
{
    if (GetHandle() == 0 || entry < DK_MEMORY_READ || entry > DK_MEMORY_172)
        return DK_STATUS_FAILURE;
    DkHandle accessor = callKernel<DkAccessorFn>(DkHandle{0}, DK_CONTEXT_ACCESSOR, GetHandle());
    uint8_t ignored = 0;
    return callKernel<DkMemoryFn>(DkStatus{DK_STATUS_FAILURE}, entry, accessor, &location.raw(), count, buffer,
                                  unitBits, flag != nullptr ? flag : &ignored);
}

} // namespace dk
