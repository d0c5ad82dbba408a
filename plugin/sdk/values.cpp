#include "plugin/sdk/values.h"

#include "plugin/sdk/kernel.h"

namespace dk {

DkValue::Body::~Body()
{
    if (handle != 0)
        callKernelVoid<DkHandleFn>(DK_VALUE_RELEASE, handle);
}

DkValue DkValue::New() { return TakeOver(callKernel<DkContextFn>(DkHandle{0}, DK_VALUE_NEW)); }

DkValue DkValue::TakeOver(DkHandle handle)
{
    DkValue value;
    value.m_body = std::make_shared<Body>();
    value.m_body->handle = handle;
    return value;
}

} // namespace dk
