#include "plugin/sdk/values.h"

#include "plugin/sdk/kernel.h"

namespace dk {
namespace {
constexpr uint32_t kTextSize = 512;

std::string bufferText(const char* buffer, uint32_t size)
{
    std::size_t n = 0;
    while (n < size && buffer[n] != '\0')
        ++n;
    return std::string(buffer, n);
}
} // namespace

DkValue::Body::~Body()
{
    if (handle != 0)
        callKernelVoid<DkHandleFn>(DK_VALUE_RELEASE, handle);
}

DkValue DkValue::TakeOver(DkHandle handle)
{
    DkValue value;
    value.m_body = std::make_shared<Body>();
    value.m_body->handle = handle;
    value.m_body->context = DkContext::Memory();
    return value;
}

DkValue DkValue::New() { return TakeOver(callKernel<DkContextFn>(DkHandle{0}, DK_VALUE_NEW)); }

DkValue DkValue::New(const DkContext& context)
{
    DkValue value = New();
    value.m_body->context = context;
    return value;
}
DkValue DkValue::FromWord(uint32_t word) { return TakeOver(callKernel<DkValueOfWordFn>(DkHandle{0}, DK_VALUE_OF_WORD, word)); }

DkType DkValue::GetType() const
{
    DkHandle cType = 0, hostType = 0;
    callKernelVoid<DkValueTypeFn>(DK_VALUE_TYPE, GetHandle(), &cType, &hostType);
    return DkType(cType, hostType);
}

bool DkValue::Query1() const { return callKernel<DkIntOfHandleFn>(0, DK_VALUE_BOOL1, GetHandle()) > 0; }
bool DkValue::Query2() const { return callKernel<DkIntOfHandleFn>(0, DK_VALUE_BOOL2, GetHandle()) > 0; }

bool DkValue::GetLocation(TargetLocation& out) const
{
    DkTargetLocation raw{};
    if (callKernel<DkHandleLocationFn>(0, DK_VALUE_LOCATION, GetHandle(), &raw) == 0)
        return false;
    out = TargetLocation(raw);
    return true;
}

std::string DkValue::ToText() const
{
    char buffer[kTextSize] = {};
    callKernelVoid<DkValueTextFn>(DK_VALUE_TEXT, GetHandle(), buffer, kTextSize);
    return bufferText(buffer, kTextSize);
}

int32_t DkValue::Assign(const DkValue& other) const
{
    return callKernel<DkValuePairFn>(int32_t{0}, DK_VALUE_ASSIGN, GetHandle(), other.GetHandle(), contextHandle());
}

bool DkValue::Equals(const DkValue& other) const
{
    return callKernel<DkValuePairFn>(int32_t{0}, DK_VALUE_EQUALS, GetHandle(), other.GetHandle(), contextHandle()) > 0;
}

bool DkValue::GetNumber(uint32_t* words) const
{
    uint32_t number[2] = {};
    if (callKernel<DkValueNumberFn>(0, DK_VALUE_NUMBER, GetHandle(), number) == 0)
        return false;
    if (words != nullptr) {
        words[0] = number[0];
        words[1] = number[1];
    }
    return true;
}

bool DkValue::GetAddress(TargetLocation* out) const
{
    DkTargetLocation raw{};
    if (callKernel<DkHandleLocationFn>(0, DK_VALUE_ADDRESS, GetHandle(), &raw) == 0)
        return false;
    if (out != nullptr)
        *out = TargetLocation(raw);
    return true;
}

DkStatus DkValue::Format(uint32_t style, bool flag, std::string& text) const
{
    const char* result = nullptr;
    DkStatus status = callKernel<DkValueFormatFn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_FORMAT, GetHandle(),
                                                  (style >= 1 && style <= 7) ? style : 0u, uint8_t{flag},
                                                  contextHandle(), &result);
    if (status == DK_STATUS_OK)
        text = takeHostText(result);
    return status;
}

DkStatus DkValue::Format(uint32_t kind, uint32_t style, bool flag, std::string& text) const
{
    const char* result = nullptr;
    DkStatus status = callKernel<DkValueFormatKindFn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_FORMAT_KIND, GetHandle(),
                                                      kind <= 6 ? kind : 0u, (style >= 1 && style <= 7) ? style : 0u,
                                                      uint8_t{flag}, contextHandle(), &result);
    if (status == DK_STATUS_OK)
        text = takeHostText(result);
    return status;
}

int32_t DkValue::Query134(uint32_t a, uint32_t b) const
{
    return callKernel<DkValueQuery2Fn>(int32_t{0}, DK_VALUE_QUERY_134, GetHandle(), a, b);
}

int32_t DkValue::Query135(uint32_t a, uint32_t b) const
{
    return callKernel<DkValueQuery2Fn>(int32_t{0}, DK_VALUE_QUERY_135, GetHandle(), a, b);
}

int32_t DkValue::TextQuery(const std::string& text) const
{
    return callKernel<DkValueTextQueryFn>(int32_t{0}, DK_VALUE_TEXT_QUERY, GetHandle(), text.c_str());
}

DkStatus DkValue::Derive129(uint32_t n, DkValue& result) const
{
    result = New();
    return callKernel<DkValueDeriveNFn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_DERIVE_129, GetHandle(), n,
                                        result.GetHandle(), contextHandle());
}

DkStatus DkValue::Derive130(DkValue& result) const
{
    result = New();
    return callKernel<DkValueDeriveFn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_DERIVE_130, GetHandle(),
                                       result.GetHandle(), contextHandle());
}

DkStatus DkValue::Derive131(uint32_t n, DkValue& result) const
{
    result = New();
    return callKernel<DkValueDeriveNFn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_DERIVE_131, GetHandle(), n,
                                        result.GetHandle(), contextHandle());
}

DkStatus DkValue::Derive279(const DkValue& other, DkValue& result) const
{
    result = New();
    return callKernel<DkValueDerive2Fn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_DERIVE_279, GetHandle(),
                                        other.GetHandle(), result.GetHandle());
}

DkStatus DkValue::ValueAt(const TargetLocation& location, const DkValue& value, DkValue& result)
{
    result = New();
    return callKernel<DkValueAtFn>(DkStatus{DK_STATUS_FAILURE}, DK_VALUE_AT, &location.raw(), value.GetHandle(),
                                   result.GetHandle());
}

DkHandleHolder::DkHandleHolder(const DkHandleHolder& other)
    : m_handle(callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_HOLDER_DUP, other.m_handle))
{
}

DkHandleHolder& DkHandleHolder::operator=(const DkHandleHolder& other)
{
    if (this == &other)
        return *this;
    callKernelVoid<DkHandleFn>(DK_HOLDER_RELEASE, m_handle);
    m_handle = callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_HOLDER_DUP, other.m_handle);
    return *this;
}

DkHandleHolder::~DkHandleHolder() { callKernelVoid<DkHandleFn>(DK_HOLDER_RELEASE, m_handle); }

bool DkHandleHolder::IsSet() const { return callKernel<DkIntOfHandleFn>(1, DK_HOLDER_TEST, m_handle) <= 0; }
uint32_t DkHandleHolder::Query() const { return callKernel<DkNumberOfHandleFn>(uint32_t{0}, DK_HOLDER_QUERY, m_handle); }

DkStatus DkHandleHolder::Set(const DkValue& value) const
{
    DkValue copy = value; // a fresh copy travels with the request
    return callKernel<DkHolderSetFn>(DkStatus{DK_STATUS_FAILURE}, DK_HOLDER_SET, m_handle, copy.GetHandle());
}

DkExpression::Body::~Body()
{
    if (handle != 0)
        callKernelVoid<DkHandleFn>(DK_EXPRESSION_RELEASE, handle);
}

DkStatus DkExpression::Compile(const std::string& text, bool flag, std::string* error)
{
    return Compile(text, DkContext::Memory(), flag, error);
}

DkStatus DkExpression::Compile(const std::string& text, const DkContext& context, bool flag, std::string* error)
{
    m_body = std::make_shared<Body>(); // the earlier body goes with its last copy
    char buffer[kTextSize] = {};
    DkStatus status = callKernel<DkCompileFn>(DkStatus{DK_STATUS_FAILURE}, DK_EXPRESSION_COMPILE, text.c_str(),
                                              &m_body->handle, context.GetHandle(), uint8_t{flag},
                                              error != nullptr ? buffer : nullptr, kTextSize);
    if (status == DK_STATUS_OK)
        m_body->compiled = true;
    if (error != nullptr)
        *error = bufferText(buffer, kTextSize);
    return status;
}

DkStatus DkExpression::Evaluate(DkValue& result, const DkContext& context, bool flagA, std::string* error,
                                bool flagB, bool flagC) const
{
    if (!IsCompiled())
        return DK_STATUS_FAILURE;
    result = DkValue::New(context);
    uint32_t flags = (flagA ? 1u : 0u) | (flagB ? 2u : 0u) | (flagC ? 4u : 0u);
    char buffer[kTextSize] = {};
    DkStatus status = callKernel<DkEvaluateFn>(DkStatus{DK_STATUS_FAILURE}, DK_EXPRESSION_EVALUATE, m_body->handle,
                                               result.GetHandle(), context.GetHandle(), flags,
                                               error != nullptr ? buffer : nullptr, kTextSize);
    if (error != nullptr)
        *error = bufferText(buffer, kTextSize);
    return status;
}

DkScope::DkScope() : m_handle(callKernel<DkContextFn>(DkHandle{0}, DK_SCOPE_OPEN)) {}

DkScope::~DkScope()
{
    if (m_handle != 0)
        callKernelVoid<DkHandleFn>(DK_SCOPE_CLOSE, m_handle);
}

int32_t TextFlagQuery(const std::string& text, bool flag)
{
    return callKernel<DkTextFlagQueryFn>(int32_t{0}, DK_TEXT_QUERY_143, text.c_str(), uint8_t{flag});
}

} // namespace dk
