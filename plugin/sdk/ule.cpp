// Program locations (entries 211-228).

#include "plugin/sdk/ule.h"

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/symbols.h"

#include <set>
#include <utility>

namespace dk {
namespace {

DkHandle duplicate(DkHandle handle)
{
    return handle == 0 ? 0 : callKernel<DkHandleOfHandleFn>(DkHandle{0}, DK_ULE_DUPLICATE, handle);
}

void release(DkHandle handle)
{
    if (handle != 0)
        callKernelVoid<DkHandleFn>(DK_ULE_RELEASE, handle);
}

uint32_t debuggerKind(DkHandle handle)
{
    return handle == 0 ? 0xFFFFFFFFu : callKernel<DkNumberOfHandleFn>(0xFFFFFFFFu, DK_ULE_KIND, handle);
}

std::string uleText(DkHandle handle, uint32_t which)
{
    if (handle == 0)
        return {};
    char buffer[DK_ULE_TEXT_BUFFER] = {};
    callKernelVoid<DkUleTextFn>(DK_ULE_TEXT, handle, buffer, uint32_t{DK_ULE_TEXT_BUFFER}, which);
    buffer[DK_ULE_TEXT_BUFFER - 1] = '\0';
    return buffer;
}

DkHandle fromText(const std::string& text, const DkContext& context, uint32_t mode, uint32_t zone, uint32_t flag)
{
    DkContext use = context.GetHandle() != 0 ? context : DkContext::Memory();
    return callKernel<DkUleFromTextFn>(DkHandle{0}, DK_ULE_FROM_TEXT, text.c_str(), use.GetHandle(), mode, zone, flag);
}

DkHandle fromPosition(const SourcePosition& position)
{
    DkSourceTriple triple = position.ToTriple();
    return callKernel<DkUleFromPositionFn>(DkHandle{0}, DK_ULE_FROM_POSITION, &triple);
}

} // namespace

DkUle::DkUle(const DkUle& other) : m_handle(duplicate(other.m_handle)) {}

DkUle& DkUle::operator=(const DkUle& other)
{
    if (this != &other) {
        DkHandle copy = duplicate(other.m_handle);
        release(m_handle);
        m_handle = copy;
    }
    return *this;
}

DkUle& DkUle::operator=(DkUle&& other) noexcept
{
    if (this != &other) {
        release(m_handle);
        m_handle = other.m_handle;
        other.m_handle = 0;
    }
    return *this;
}

DkUle::~DkUle() { release(m_handle); }

DkUle DkUle::FromText(const std::string& text, MemoryZone zone, const DkContext& context)
{
    return DkUle(fromText(text, context, 1, zone.GetId(), 0));
}

DkUle DkUle::FromText(const std::string& text, bool flag, const DkContext& context)
{
    return DkUle(fromText(text, context, 0, 0, flag ? 0 : 1));
}

DkHandle DkUle::castTo(uint32_t kind) const
{
    return debuggerKind(m_handle) == kind ? duplicate(m_handle) : 0;
}

DkSourceUle DkUle::AsSourceUle() const { return DkSourceUle(castTo(0)); }
DkAbsoluteUle DkUle::AsAbsoluteUle() const { return DkAbsoluteUle(castTo(1)); }
DkExpressionUle DkUle::AsExpressionUle() const { return DkExpressionUle(castTo(2)); }

UleKind DkUle::GetKind() const
{
    switch (debuggerKind(m_handle)) {
    case 1:
        return UleKind::Absolute;
    case 2:
        return UleKind::Expression;
    default:
        return UleKind::Source;
    }
}

std::string DkUle::GetText() const { return uleText(m_handle, 0); }
std::string DkUle::GetText2() const { return uleText(m_handle, 1); }

std::vector<TargetLocation> DkUle::Resolve(bool flag) const
{
    std::vector<TargetLocation> list;
    if (m_handle == 0)
        return list;
    DkTargetLocation* array = nullptr;
    uint32_t count = callKernel<DkUleResolveFn>(uint32_t{0}, DK_ULE_RESOLVE, m_handle, &array, uint8_t{flag});
    if (array == nullptr)
        return list;
    for (uint32_t i = 0; i < count; ++i)
        list.emplace_back(array[i]);
    if (count > 0)
        callKernelVoid<DkGiveBackLocationsFn>(DK_GIVE_BACK_LOCATIONS, array);
    return list;
}

uint32_t DkUle::GetFlagA() const { return callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_ULE_FLAG_A, m_handle, uint32_t{1}); }
uint32_t DkUle::GetValueC() const { return callKernel<DkNumberOfHandleFn>(uint32_t{0}, DK_ULE_VALUE_C, m_handle); }

uint32_t DkUle::GetValueB(uint32_t argument) const
{
    return callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_ULE_VALUE_B, m_handle, argument);
}

uint32_t DkUle::GetFlagANegated() const
{
    return callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_ULE_FLAG_A, m_handle, uint32_t{0}) == 0 ? 1 : 0;
}

uint32_t DkUle::GetValueBDefault() const { return GetValueB(0); }

bool DkUle::GetSourcePosition(SourcePosition& out) const
{
    DkSourceTriple triple{};
    if (callKernel<DkUlePositionFn>(int32_t{0}, DK_ULE_POSITION, m_handle, &triple) == 0)
        return false;
    std::string file = takeHostText(triple.file);
    out = SourcePosition(file, triple.line, triple.column);
    return true;
}

bool DkUle::MatchesSymbol(const DkSymbol& symbol) const
{
    std::string name = symbol.GetName2();
    return callKernel<DkUleSetFunctionFn>(int32_t{0}, DK_ULE_SET_FUNCTION, m_handle, name.c_str()) != 0;
}

bool DkUle::GetFunctionText(std::string& text) const
{
    char buffer[DK_ULE_TEXT_BUFFER] = {};
    callKernel<DkUleFunctionFn>(DkHandle{0}, DK_ULE_FUNCTION, m_handle, buffer, uint32_t{DK_ULE_TEXT_BUFFER});
    buffer[DK_ULE_TEXT_BUFFER - 1] = '\0';
    text = buffer;
    return !text.empty();
}

DkFunctionSymbol DkUle::GetFunctionSymbol() const
{
    return DkFunctionSymbol(callKernel<DkUleFunctionFn>(DkHandle{0}, DK_ULE_FUNCTION, m_handle,
                                                        static_cast<char*>(nullptr), uint32_t{0}));
}

bool DkUle::GetTargetLocation(TargetLocation& out) const
{
    DkTargetLocation raw{};
    if (callKernel<DkHandleLocationFn>(int32_t{0}, DK_ULE_LOCATION, m_handle, &raw) == 0)
        return false;
    out = TargetLocation(raw);
    return true;
}

DkStatus DkUle::GetValue(DkValue& value) const
{
    value = DkValue::New();
    return callKernel<DkStatusOfHandlesFn>(DkStatus{DK_STATUS_FAILURE}, DK_ULE_VALUE, m_handle, value.GetHandle());
}

bool DkUle::GetRecords(std::vector<DebugInfoRecord>& list) const
{
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkArrayOfHandleFn>(uint32_t{0}, DK_ULE_RECORDS, m_handle, &array);
    list = TakeRecordArray(array, count);
    return count != 0;
}

DkSourceUle::DkSourceUle(const SourcePosition& position) : DkUle(fromPosition(position)) {}

DkSourceUle::DkSourceUle(const SourcePosition& position, const DkUle& model) : DkUle(fromPosition(position))
{
    callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_ULE_VALUE_B, m_handle, model.GetFlagA());
    std::string function;
    if (model.GetFunctionText(function))
        callKernel<DkUleSetFunctionFn>(int32_t{0}, DK_ULE_SET_FUNCTION, m_handle, function.c_str());
}

DkAbsoluteUle::DkAbsoluteUle(const TargetLocation& location, uint32_t count)
    : DkUle(callKernel<DkUleFromLocationFn>(DkHandle{0}, DK_ULE_FROM_LOCATION, &location.raw()))
{
    if (count >= 2)
        callKernel<DkNumberOfIndexFn>(uint32_t{0}, DK_ULE_VALUE_B, m_handle, count);
}

std::size_t ExpandSourcePosition(const SourcePosition& position, std::vector<DkUle>& list)
{
    DkSourceUle plain(position);
    std::vector<DebugInfoRecord> records;
    if (!plain.GetRecords(records)) {
        list.push_back(plain);
    } else {
        std::set<std::string> seen;
        for (const DebugInfoRecord& record : records) {
            DkFunctionSymbol function = record.GetFunctionSymbol();
            if (function.GetHandle() == 0) {
                list.push_back(plain);
                continue;
            }
            std::string name = function.GetName2();
            if (!seen.insert(name).second)
                continue;
            DkSourceUle located(position);
            callKernel<DkUleSetFunctionFn>(int32_t{0}, DK_ULE_SET_FUNCTION, located.GetHandle(), name.c_str());
            list.push_back(std::move(located));
        }
    }
    if (list.size() == 1)
        list.front() = plain;
    return list.size();
}

} // namespace dk
