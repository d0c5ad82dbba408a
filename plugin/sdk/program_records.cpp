// Program records and their queries (entries 150, 151, 183-199).

#include "plugin/sdk/program_records.h"

#include "plugin/sdk/kernel.h"
#include "plugin/sdk/symbols.h"
#include "plugin/sdk/types.h"

namespace dk {

DebugInfoHandle::DebugInfoHandle(DkHandle handle) : m_body(std::make_shared<Body>())
{
    m_body->handle = handle;
}

DebugInfoHandle::Body::~Body() { callKernelVoid<DkHandleFn>(DK_INFO_HANDLE_RELEASE, handle); }

DebugInfoRecord::DebugInfoRecord(DkHandle handle) : m_body(std::make_shared<Body>())
{
    m_body->handle = handle;
    if (handle == 0)
        return;
    callKernel<DkRecordFillFn>(DkStatus{DK_STATUS_FAILURE}, DK_RECORD_FILL, handle, &m_body->record);
    if (m_body->record.kind > 12)
        m_body->record.kind = 0;
}

DebugInfoRecord::Body::~Body()
{
    if (handle == 0)
        return;
    callKernelVoid<DkHandleFn>(DK_RECORD_RELEASE, handle);
    for (const char* text : {record.startFile, record.endFile})
        if (text != nullptr)
            callKernelVoid<DkGiveBackTextFn>(DK_GIVE_BACK_TEXT, text);
}

bool DebugInfoRecord::GetSourceRange(SourceRange& out) const
{
    const DkProgramRecord& r = m_body->record;
    if (r.startFile == nullptr || r.endFile == nullptr)
        return false;
    out = SourceRange(SourcePosition(r.startFile, r.startLine, r.startColumn),
                      SourcePosition(r.endFile, r.endLine, r.endColumn));
    return true;
}

namespace {

DkHandle linked(int entry, DkHandle handle)
{
    return handle == 0 ? 0 : callKernel<DkHandleOfHandleFn>(DkHandle{0}, entry, handle);
}

// Copies a list the debugger keeps under a list handle (195 or 198 end it).
std::vector<uint32_t> takeList(int takeEntry, DkHandle list, uint32_t count)
{
    std::vector<uint32_t> handles(count);
    if (count > 0)
        callKernelVoid<DkListTakeFn>(takeEntry, list, handles.data(), count);
    else
        callKernelVoid<DkListTakeFn>(takeEntry, list, static_cast<uint32_t*>(nullptr), uint32_t{0});
    return handles;
}

template <typename Item, typename Query>
DkStatus listQuery(int takeEntry, std::vector<Item>& list, Query query)
{
    uint32_t count = 0;
    DkHandle handle = 0;
    DkStatus status = query(&count, &handle);
    if (status != DK_STATUS_OK)
        return status;
    for (uint32_t item : takeList(takeEntry, handle, count))
        list.emplace_back(item);
    return status;
}

} // namespace

DkFunctionType DebugInfoRecord::GetFunctionType() const
{
    return DkFunctionType(linked(DK_RECORD_FUNCTION_TYPE, m_body->handle));
}

DkFunctionSymbol DebugInfoRecord::GetFunctionSymbol() const
{
    return DkFunctionSymbol(linked(DK_RECORD_FUNCTION_SYMBOL, m_body->handle));
}

DebugInfoRecord DebugInfoRecord::GetParent() const
{
    return DebugInfoRecord(linked(DK_RECORD_PARENT, m_body->handle));
}

DebugInfoRecord DebugInfoRecord::GetRecordAt(TargetLocation* location) const
{
    DkTargetLocation raw{};
    DkHandle handle = m_body->handle == 0 ? 0
                                          : callKernel<DkRecordAtLocationFn>(DkHandle{0}, DK_RECORD_AT_LOCATION,
                                                                             m_body->handle, &raw);
    if (location != nullptr && handle != 0)
        *location = TargetLocation(raw);
    return DebugInfoRecord(handle);
}

DkAsmLabelSymbol DebugInfoRecord::GetLabelSymbol() const
{
    DkHandle symbol = linked(DK_RECORD_LABEL, m_body->handle);
    if (symbol != 0)
        symbol = callKernel<DkSymbolCastFn>(DkHandle{0}, DK_SYMBOL_CAST, symbol, uint32_t{DK_SYM_ASM_LABEL},
                                            uint32_t{0});
    return DkAsmLabelSymbol(symbol);
}

DebugInfoHandle DebugInfoRecord::GetSubHandle() const
{
    return DebugInfoHandle(linked(DK_RECORD_SUB_HANDLE, m_body->handle));
}

std::vector<DebugInfoRecord> TakeRecordArray(uint32_t* array, uint32_t count)
{
    std::vector<DebugInfoRecord> records;
    if (array == nullptr)
        return records;
    records.reserve(count);
    for (uint32_t i = 0; i < count; ++i)
        records.emplace_back(array[i]);
    if (count > 0)
        giveBackArray(DK_GIVE_BACK_RECORDS, array);
    return records;
}

std::vector<DebugInfoRecord> DebugInfoRecord::GetChildren() const
{
    if (m_body->handle == 0)
        return {};
    uint32_t* array = nullptr;
    uint32_t count = callKernel<DkArrayOfHandleFn>(uint32_t{0}, DK_RECORD_CHILDREN, m_body->handle, &array);
    return TakeRecordArray(array, count);
}

DebugInfoRecord DebugInfoRecord::GetLinkedRecord() const
{
    DkHandle out = 0;
    if (m_body->handle != 0)
        callKernel<DkRecordLinkedFn>(int32_t{0}, DK_RECORD_LINKED, m_body->handle, &out);
    return DebugInfoRecord(out);
}

DkStatus GetRecordsAt(const TargetLocation& location, std::vector<DebugInfoRecord>& list)
{
    DkTargetLocation raw = location.raw();
    return listQuery(DK_LIST_TAKE, list, [&](uint32_t* count, DkHandle* handle) {
        return callKernel<DkListAtLocationFn>(DkStatus{DK_STATUS_FAILURE}, DK_RECORDS_AT_LOCATION, &raw, count, handle);
    });
}

DkStatus GetRecordsAt(const SourcePosition& position, std::vector<DebugInfoRecord>& list)
{
    DkSourceTriple triple = position.ToTriple();
    return listQuery(DK_LIST_TAKE, list, [&](uint32_t* count, DkHandle* handle) {
        return callKernel<DkListAtPositionFn>(DkStatus{DK_STATUS_FAILURE}, DK_RECORDS_AT_POSITION, &triple, count,
                                              handle);
    });
}

DkStatus GetInfoHandlesAt(const TargetLocation& location, std::vector<DebugInfoHandle>& list)
{
    DkTargetLocation raw = location.raw();
    return listQuery(DK_INFO_HANDLES_TAKE, list, [&](uint32_t* count, DkHandle* handle) {
        return callKernel<DkListAtLocationFn>(DkStatus{DK_STATUS_FAILURE}, DK_INFO_HANDLES_AT_LOCATION, &raw, count,
                                              handle);
    });
}

DebugInfoRecord GetContextRecord(const DkContext& context)
{
    return DebugInfoRecord(linked(DK_CONTEXT_FUNCTION_RECORD, context.GetHandle()));
}

int GetContextSourceRanges(const DkContext& context, std::vector<SourceRange>& list)
{
    uint32_t count = 0;
    DkSourceRangeElement* array = nullptr;
    int32_t r = callKernel<DkContextRangesFn>(int32_t{0}, DK_CONTEXT_SOURCE_RANGES, context.GetHandle(), &count, &array);
    if (r < 1)
        return 0;
    list.clear();
    // The count counts positions: two per element.
    for (uint32_t i = 0; array != nullptr && i < count / 2; ++i) {
        const DkSourceRangeElement& e = array[i];
        list.emplace_back(SourcePosition(e.startFile != nullptr ? e.startFile : "", e.startLine, e.startColumn),
                          SourcePosition(e.endFile != nullptr ? e.endFile : "", e.endLine, e.endColumn));
        for (const char* text : {e.startFile, e.endFile})
            if (text != nullptr)
                callKernelVoid<DkGiveBackTextFn>(DK_GIVE_BACK_TEXT, text);
    }
    if (array != nullptr)
        callKernelVoid<DkGiveBackRangesFn>(DK_GIVE_BACK_RANGES, array);
    return r == 1 ? 1 : 2;
}

} // namespace dk
