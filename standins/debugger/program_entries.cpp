// The C entries of the simulated kernel table over the simulated program: paths and source text,
// program records, program locations, user breakpoints and tasks.

#include "standins/debugger/entry_support.h"
#include "standins/debugger/sim_program.h"

namespace simdbg {
namespace {

// Runs body on the active kernel's program, or answers the injected or failure result.
template <int N, typename R, typename F>
R run(F body)
{
    SimKernel* k;
    R r;
    return enterEntry(N, k, r) ? static_cast<R>(body(k->program())) : r;
}

template <int N, typename F>
const char* runText(F body)
{
    SimKernel* k;
    uintptr_t r;
    return enterEntry(N, k, r) ? body(k->program()) : nullptr;
}

template <int N, typename F>
void runVoid(F body)
{
    if (SimKernel* k = SimKernel::active()) {
        k->countCall(N);
        body(k->program());
    }
}

template <int N>
void eRelease(DkHandle handle)
{
    runVoid<N>([&](SimProgram& p) { p.release(N, handle); });
}

template <int N>
DkHandle eRecordLink(DkHandle record)
{
    return run<N, DkHandle>([&](SimProgram& p) { return p.recordLink(N, record); });
}

template <int N>
void eGiveBackArray(uint32_t* array)
{
    if (SimKernel* k = SimKernel::active()) {
        k->countCall(N);
        k->giveBackArray(array);
    }
}

template <int N, bool AtLocation>
uint32_t eSetUserBreakpoint(DkHandle provider, void* object)
{
    return run<N, uint32_t>([&](SimProgram& p) { return p.setUserBreakpoint(AtLocation, provider, object); });
}

template <int N, bool AtLocation>
DkStatus eClearUserBreakpoint(uint32_t id)
{
    return run<N, DkStatus>([&](SimProgram& p) { return p.clearUserBreakpoint(AtLocation, id); });
}

template <int N, bool AtLocation>
DkStatus eRefreshUserBreakpoint(uint32_t id)
{
    return run<N, DkStatus>([&](SimProgram& p) { return p.refreshUserBreakpoint(AtLocation, id); });
}

template <typename F>
DkEntry entry(F function)
{
    return reinterpret_cast<DkEntry>(function);
}

// Host requests: the stand-in takes each one and answers success.
template <int N>
uint32_t eHostRequest(uint32_t)
{
    return run<N, uint32_t>([](SimProgram&) { return uint32_t{DK_STATUS_OK}; });
}

template <int... N>
void fillHostRequests(DkKernelFunctions_1& t)
{
    ((t.entry[N] = entry(&eHostRequest<N>)), ...);
}

} // namespace

void fillProgramEntries(DkKernelFunctions_1& t)
{
    t.entry[DK_HOST_REQUEST_18] = entry(+[](uint32_t code) {
        return run<18, DkStatus>([&](SimProgram&) { return code == 9 ? DK_STATUS_OK : DK_STATUS_FAILURE; });
    });
    t.entry[DK_RESOLVE_PATH] = entry(+[](const char* path, char* buffer, uint32_t size) {
        return run<14, int32_t>([&](SimProgram& p) { return p.resolvePath(path, buffer, size); });
    });
    t.entry[DK_RESOLVE_PATH_PAIR] = entry(+[](const char* first, const char* second, char* buffer, uint32_t size) {
        return run<15, int32_t>([&](SimProgram& p) { return p.resolvePathPair(first, second, buffer, size); });
    });
    t.entry[DK_SYMBOL_CAST] = entry(+[](DkHandle symbol, uint32_t kind, uint32_t) {
        return run<100, DkHandle>([&](SimProgram& p) { return p.symbolCast(symbol, kind); });
    });
    t.entry[DK_SYMBOL_NAME2] = entry(+[](DkHandle symbol) {
        return runText<102>([&](SimProgram& p) { return p.symbolName2(symbol); });
    });
    t.entry[DK_VALUE_NEW] = entry(+[]() { return run<117, DkHandle>([](SimProgram& p) { return p.newValue(); }); });
    t.entry[DK_VALUE_RELEASE] = entry(&eRelease<DK_VALUE_RELEASE>);
    t.entry[DK_CONTEXT_SOURCE_RANGES] = entry(+[](DkHandle context, uint32_t* count, DkSourceRangeElement** array) {
        return run<150, int32_t>([&](SimProgram& p) { return p.contextRanges(context, count, array); });
    });
    fillHostRequests<3, 4, 5, 41, 42, 43, 44, 45, 46, 47, 48, 68, 69, 281, 282>(t);
    t.entry[DK_CONTEXT_FUNCTION] = entry(+[](DkHandle context) {
        return run<153, DkHandle>([&](SimProgram& p) { return p.contextFunction(context); });
    });
    t.entry[DK_CONTEXT_VARIABLES1] = entry(+[](DkHandle context, uint32_t** array) {
        return run<154, uint32_t>([&](SimProgram& p) { return p.contextVariables(context, array); });
    });
    t.entry[DK_CONTEXT_VARIABLES2] = entry(+[](DkHandle context, uint32_t** array) {
        return run<155, uint32_t>([&](SimProgram& p) { return p.contextVariables(context, array); });
    });
    t.entry[DK_CONTEXT_FUNCTION_RECORD] = entry(+[](DkHandle context) {
        return run<151, DkHandle>([&](SimProgram& p) { return p.contextRecord(context); });
    });
    t.entry[DK_GIVE_BACK_RANGES] = entry(+[](DkSourceRangeElement* array) {
        runVoid<152>([&](SimProgram& p) { p.giveBackRanges(array); });
    });

    t.entry[DK_RECORD_FILL] = entry(+[](DkHandle record, DkProgramRecord* out) {
        return run<183, DkStatus>([&](SimProgram& p) { return p.fillRecord(record, out); });
    });
    t.entry[DK_RECORD_RELEASE] = entry(&eRelease<DK_RECORD_RELEASE>);
    t.entry[DK_GIVE_BACK_RECORDS] = entry(&eGiveBackArray<DK_GIVE_BACK_RECORDS>);
    t.entry[DK_RECORD_PARENT] = entry(&eRecordLink<DK_RECORD_PARENT>);
    t.entry[DK_RECORD_SUB_HANDLE] = entry(&eRecordLink<DK_RECORD_SUB_HANDLE>);
    t.entry[DK_RECORD_FUNCTION_SYMBOL] = entry(&eRecordLink<DK_RECORD_FUNCTION_SYMBOL>);
    t.entry[DK_RECORD_LABEL] = entry(&eRecordLink<DK_RECORD_LABEL>);
    t.entry[DK_RECORD_FUNCTION_TYPE] = entry(&eRecordLink<DK_RECORD_FUNCTION_TYPE>);
    t.entry[DK_RECORD_CHILDREN] = entry(+[](DkHandle record, uint32_t** array) {
        return run<189, uint32_t>([&](SimProgram& p) { return p.recordChildren(record, array); });
    });
    t.entry[DK_RECORD_AT_LOCATION] = entry(+[](DkHandle record, DkTargetLocation* location) {
        return run<190, DkHandle>([&](SimProgram& p) { return p.recordAt(record, location); });
    });
    t.entry[DK_RECORDS_AT_LOCATION] = entry(+[](const DkTargetLocation* location, uint32_t* count, DkHandle* list) {
        return run<193, DkStatus>([&](SimProgram& p) { return p.listAtLocation(false, location, count, list); });
    });
    t.entry[DK_RECORDS_AT_POSITION] = entry(+[](const DkSourceTriple* position, uint32_t* count, DkHandle* list) {
        return run<194, DkStatus>([&](SimProgram& p) { return p.listAtPosition(position, count, list); });
    });
    t.entry[DK_LIST_TAKE] = entry(+[](DkHandle list, uint32_t* buffer, uint32_t count) {
        runVoid<195>([&](SimProgram& p) { p.takeList(list, buffer, count); });
    });
    t.entry[DK_INFO_HANDLE_RELEASE] = entry(&eRelease<DK_INFO_HANDLE_RELEASE>);
    t.entry[DK_INFO_HANDLES_AT_LOCATION] = entry(+[](const DkTargetLocation* location, uint32_t* count, DkHandle* list) {
        return run<197, DkStatus>([&](SimProgram& p) { return p.listAtLocation(true, location, count, list); });
    });
    t.entry[DK_INFO_HANDLES_TAKE] = entry(+[](DkHandle list, uint32_t* buffer, uint32_t count) {
        runVoid<198>([&](SimProgram& p) { p.takeList(list, buffer, count); });
    });
    t.entry[DK_RECORD_LINKED] = entry(+[](DkHandle record, DkHandle* out) {
        return run<199, int32_t>([&](SimProgram& p) { return p.recordLinked(record, out); });
    });
    t.entry[DK_SOURCE_TEXT] = entry(+[](const char* file, int32_t l0, int32_t c0, int32_t l1, int32_t c1) {
        return runText<200>([&](SimProgram& p) { return p.sourceText(file, l0, c0, l1, c1); });
    });

    t.entry[DK_TASK_PROVIDER_REGISTER] = entry(+[](uint32_t registration, void* object) {
        return run<202, uint32_t>([&](SimProgram& p) { return p.registerTaskProvider(registration, object); });
    });
    t.entry[DK_TASK_PROVIDER_UNREGISTER] = entry(+[]() { runVoid<203>([](SimProgram& p) { p.unregisterTaskProvider(); }); });
    t.entry[DK_TASK_IDS] = entry(+[](uint32_t* count, uint32_t** ids) {
        return run<204, DkStatus>([&](SimProgram& p) { return p.taskIds(count, ids); });
    });
    t.entry[DK_GIVE_BACK_TASK_IDS] = entry(&eGiveBackArray<DK_GIVE_BACK_TASK_IDS>);
    t.entry[DK_TASK_NAME] = entry(+[](uint32_t task) { return runText<206>([&](SimProgram& p) { return p.taskName(task); }); });
    t.entry[DK_TASK_FLAG] = entry(+[](uint32_t task) {
        return run<208, int32_t>([&](SimProgram& p) { return p.taskFlag(task); });
    });

    t.entry[DK_ULE_DUPLICATE] = entry(+[](DkHandle ule) {
        return run<211, DkHandle>([&](SimProgram& p) { return p.uleDuplicate(ule); });
    });
    t.entry[DK_ULE_RELEASE] = entry(&eRelease<DK_ULE_RELEASE>);
    t.entry[DK_ULE_FROM_TEXT] = entry(+[](const char* text, DkHandle context, uint32_t mode, uint32_t zone, uint32_t flag) {
        return run<213, DkHandle>([&](SimProgram& p) { return p.uleFromText(text, context, mode, zone, flag); });
    });
    t.entry[DK_ULE_KIND] = entry(+[](DkHandle ule) {
        return run<214, uint32_t>([&](SimProgram& p) { return p.uleKind(ule); });
    });
    t.entry[DK_ULE_TEXT] = entry(+[](DkHandle ule, char* buffer, uint32_t size, uint32_t which) {
        runVoid<215>([&](SimProgram& p) { p.uleText(ule, buffer, size, which); });
    });
    t.entry[DK_ULE_RESOLVE] = entry(+[](DkHandle ule, DkTargetLocation** array, uint8_t) {
        return run<216, uint32_t>([&](SimProgram& p) { return p.uleResolve(ule, array); });
    });
    t.entry[DK_ULE_FROM_POSITION] = entry(+[](const DkSourceTriple* position) {
        return run<217, DkHandle>([&](SimProgram& p) { return p.uleFromPosition(position); });
    });
    t.entry[DK_ULE_FROM_LOCATION] = entry(+[](const DkTargetLocation* location) {
        return run<218, DkHandle>([&](SimProgram& p) { return p.uleFromLocation(location); });
    });
    t.entry[DK_ULE_POSITION] = entry(+[](DkHandle ule, DkSourceTriple* out) {
        return run<219, int32_t>([&](SimProgram& p) { return p.ulePosition(ule, out); });
    });
    t.entry[DK_ULE_RECORDS] = entry(+[](DkHandle ule, uint32_t** array) {
        return run<220, uint32_t>([&](SimProgram& p) { return p.uleRecords(ule, array); });
    });
    t.entry[DK_ULE_LOCATION] = entry(+[](DkHandle ule, DkTargetLocation* out) {
        return run<221, int32_t>([&](SimProgram& p) { return p.uleLocation(ule, out); });
    });
    t.entry[DK_ULE_VALUE] = entry(+[](DkHandle ule, DkHandle value) {
        return run<222, DkStatus>([&](SimProgram& p) { return p.uleValue(ule, value); });
    });
    t.entry[DK_GIVE_BACK_LOCATIONS] = entry(+[](DkTargetLocation* array) {
        runVoid<223>([&](SimProgram& p) { p.giveBackLocations(array); });
    });
    t.entry[DK_ULE_VALUE_B] = entry(+[](DkHandle ule, uint32_t argument) {
        return run<224, uint32_t>([&](SimProgram& p) { return p.uleValueB(ule, argument); });
    });
    t.entry[DK_ULE_FLAG_A] = entry(+[](DkHandle ule, uint32_t) {
        return run<225, uint32_t>([&](SimProgram& p) { return p.uleFlagA(ule); });
    });
    t.entry[DK_ULE_VALUE_C] = entry(+[](DkHandle ule) {
        return run<226, uint32_t>([&](SimProgram& p) { return p.uleValueC(ule); });
    });
    t.entry[DK_ULE_SET_FUNCTION] = entry(+[](DkHandle ule, const char* name) {
        return run<227, int32_t>([&](SimProgram& p) { return p.uleSetFunction(ule, name); });
    });
    t.entry[DK_ULE_FUNCTION] = entry(+[](DkHandle ule, char* buffer, uint32_t size) {
        return run<228, DkHandle>([&](SimProgram& p) { return p.uleFunction(ule, buffer, size); });
    });

    t.entry[DK_CATEGORY_REGISTER] = entry(+[](uint32_t registration, void* object) {
        return run<229, DkHandle>([&](SimProgram& p) { return p.registerCategory(registration, object); });
    });
    t.entry[DK_CATEGORY_UNREGISTER] = entry(+[](DkHandle provider) {
        runVoid<230>([&](SimProgram& p) { p.unregisterCategory(provider); });
    });
    t.entry[DK_ULE_BREAKPOINT_REFRESH] = entry(&eRefreshUserBreakpoint<249, true>);
    t.entry[DK_USER_BREAKPOINT_REFRESH] = entry(&eRefreshUserBreakpoint<250, false>);
    t.entry[DK_BREAKPOINTS_OF_CATEGORY] = entry(+[](uint32_t** ids, uint32_t category) {
        return run<251, uint32_t>([&](SimProgram& p) { return p.breakpointIds(ids, true, category); });
    });
    t.entry[DK_GIVE_BACK_CATEGORY_IDS] = entry(&eGiveBackArray<DK_GIVE_BACK_CATEGORY_IDS>);
    t.entry[DK_BREAKPOINT_IDS] = entry(+[](uint32_t** ids) {
        return run<253, uint32_t>([&](SimProgram& p) { return p.breakpointIds(ids, false, 0); });
    });
    t.entry[DK_GIVE_BACK_BREAKPOINT_IDS] = entry(&eGiveBackArray<DK_GIVE_BACK_BREAKPOINT_IDS>);
    t.entry[DK_ULE_BREAKPOINT_SET] = entry(&eSetUserBreakpoint<255, true>);
    t.entry[DK_ULE_BREAKPOINT_CLEAR] = entry(&eClearUserBreakpoint<256, true>);
    t.entry[DK_USER_BREAKPOINT_SET] = entry(&eSetUserBreakpoint<257, false>);
    t.entry[DK_USER_BREAKPOINT_CLEAR] = entry(&eClearUserBreakpoint<258, false>);

    t.entry[DK_TASK_HANDLE_RELEASE] = entry(&eRelease<DK_TASK_HANDLE_RELEASE>);
    t.entry[DK_TASK_STATE] = entry(+[](DkHandle handle) {
        return run<262, uint32_t>([&](SimProgram& p) { return p.taskState(handle); });
    });
    t.entry[DK_TASK_LOCATIONS] = entry(+[](DkHandle handle, DkTargetLocation** array) {
        return run<263, uint32_t>([&](SimProgram& p) { return p.taskLocations(handle, array); });
    });
    t.entry[DK_TASK_SET_264] = entry(+[](DkHandle handle, uint32_t value) {
        return run<264, uint32_t>([&](SimProgram& p) { return p.taskSetValue(handle, value); });
    });
    t.entry[DK_TASK_QUERY_265] = entry(+[](DkHandle handle) {
        return run<265, uint32_t>([&](SimProgram& p) { return p.taskValue(handle); });
    });
    t.entry[DK_TASK_HANDLE] = entry(+[](uint32_t kind, DkHandle context, uint32_t flag) {
        return run<266, DkHandle>([&](SimProgram& p) { return p.taskHandle(kind, context, flag); });
    });
}

} // namespace simdbg
