// The callback table the plug-in registers with the debugger. Every slot is a counted use of the
// plug-in (EntryUse: Exit waits for it) and catches everything: nothing is thrown into the debugger's
// frames; a failing slot answers its neutral result.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/executor.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/notify.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/plugin_object.h"
#include "plugin/sdk/registered_functions.h"
#include "plugin/sdk/symbols.h"
#include "plugin/sdk/ule.h"

#include <cstdlib>
#include <cstring>

namespace dk {
namespace {

template <typename R, typename F>
R guarded(R failure, F&& body) noexcept
{
    try {
        EntryUse use;
        return body();
    } catch (...) {
        return failure;
    }
}

template <typename F>
void guardedVoid(F&& body) noexcept
{
    try {
        EntryUse use;
        body();
    } catch (...) {
    }
}

uint32_t cbMajor()
{
    return guarded<uint32_t>(1, [] { return uint32_t{1}; });
}

uint32_t cbMinor()
{
    return guarded<uint32_t>(4, [] { return uint32_t{4}; });
}

void cbGetInfo(DkPluginInfo* info)
{
    guardedVoid([&] {
        if (info == nullptr)
            return;
        info->name = nullptr;
        info->version = nullptr;
        useKernelSide([info](DpKernelPlugin& kernel) { kernel.GetInfo(*info); });
    });
}

uint32_t cbResolveAlias(void* obj, const char* text, char* out, uint32_t outSize)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t {
        if (obj == nullptr)
            return 0;
        std::string result;
        if (!static_cast<DkAliasResolver*>(obj)->ResolveAlias(text != nullptr ? text : "", result))
            return 0;
        copyToHostBuffer(result, out, outSize);
        return 1;
    });
}

uint32_t cbExpandPath1(void* obj, const char* text, char* out, uint32_t outSize)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t {
        if (obj == nullptr)
            return 0;
        std::string result;
        if (!static_cast<DkPathExpander*>(obj)->ExpandPath(text != nullptr ? text : "", result))
            return 0;
        copyToHostBuffer(result, out, outSize);
        return 1;
    });
}

uint8_t cbExpandPath2(void* obj, const char* text1, const char* text2, char* out, uint32_t outSize)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t {
        if (obj == nullptr)
            return 0;
        std::string result;
        uint32_t answer = static_cast<DkPathExpander*>(obj)->ExpandPath2(text1 != nullptr ? text1 : "",
                                                                       text2 != nullptr ? text2 : "", result);
        copyToHostBuffer(result, out, outSize);
        return static_cast<uint8_t>(answer);
    });
}

uint32_t cbSymbolList(void* obj, const char* name, uint32_t count, const uint32_t* handles)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t {
        if (obj == nullptr)
            return 0;
        std::vector<DkSymbol> symbols;
        if (handles != nullptr)
            for (uint32_t i = 0; i < count; ++i)
                symbols.emplace_back(handles[i]);
        return static_cast<DkSymbolListReceiver*>(obj)->ReceiveSymbols(symbols, name != nullptr ? name : "");
    });
}

void cbNotify(uint32_t code)
{
    guardedVoid([&] { DispatchNotification(code); });
}

template <uint32_t (DkExecutor::*Op)()>
uint32_t cbExecutor(void* executor)
{
    return guarded<uint32_t>(1, [&]() -> uint32_t {
        if (executor == nullptr)
            return 1;
        return TranslateExecutorResult((static_cast<DkExecutor*>(executor)->*Op)());
    });
}

DkSymbolResolverOps* resolver(void* obj) { return static_cast<DkSymbolResolverOps*>(obj); }

DkStatus cbResolver1(void* obj, const DkTargetLocation* location, uint32_t a, uint32_t b, uint32_t c)
{
    return guarded<DkStatus>(DK_STATUS_FAILURE, [&]() -> DkStatus {
        if (obj == nullptr || location == nullptr)
            return DK_STATUS_FAILURE;
        return resolver(obj)->Resolve1(TargetLocation(*location), a, b, c);
    });
}

DkStatus cbResolver2(void* obj, const DkTargetLocation* location, uint32_t a, uint32_t b, uint32_t c)
{
    return guarded<DkStatus>(DK_STATUS_FAILURE, [&]() -> DkStatus {
        if (obj == nullptr || location == nullptr)
            return DK_STATUS_FAILURE;
        return resolver(obj)->Resolve2(TargetLocation(*location), a, b, c);
    });
}

DkStatus cbResolver3(void* obj, DkTargetLocation* out)
{
    return guarded<DkStatus>(DK_STATUS_FAILURE, [&]() -> DkStatus {
        if (obj == nullptr || out == nullptr)
            return DK_STATUS_FAILURE;
        TargetLocation location;
        DkStatus status = resolver(obj)->Resolve3(location);
        out->zone = location.GetZone().GetId();
        out->address = location.GetAddress();
        return status;
    });
}

DkStatus cbResolver4(void* obj, const DkTargetLocation* location)
{
    return guarded<DkStatus>(DK_STATUS_FAILURE, [&]() -> DkStatus {
        if (obj == nullptr || location == nullptr)
            return DK_STATUS_FAILURE;
        return resolver(obj)->Resolve4(TargetLocation(*location));
    });
}

uint8_t cbResolver5(void* obj)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t {
        return obj == nullptr ? 0 : static_cast<uint8_t>(resolver(obj)->Resolve5());
    });
}

void cbLog(uint32_t severity, const char* text)
{
    guardedVoid([&] { DeliverLog(severity, text); });
}

void cbRegisterFunctions()
{
    guardedVoid([] { RegisterFunctionRecords(); });
}

void cbUnregisterFunctions()
{
    guardedVoid([] { UnregisterFunctionRecords(); });
}

DkStatus cbCallFunction(uint32_t count, const uint32_t* arguments, const DkFunctionRecord* record, uint32_t resultSlot)
{
    return guarded<DkStatus>(DK_STATUS_FAILURE, [&] { return CallRegisteredFunction(count, arguments, record, resultSlot); });
}

DkTaskProviderOps* provider(void* obj) { return static_cast<DkTaskProviderOps*>(obj); }

DkStatus cbTask1(void* obj, uint32_t* countOut, uint32_t** idsOut)
{
    return guarded<DkStatus>(DK_STATUS_FAILURE, [&]() -> DkStatus {
        if (obj == nullptr || countOut == nullptr || idsOut == nullptr)
            return DK_STATUS_FAILURE;
        std::vector<uint32_t> ids;
        DkStatus status = provider(obj)->TaskIds(ids);
        if (status != DK_STATUS_OK)
            return status;
        // Freed by slot 21 with the same allocator.
        auto* array = static_cast<uint32_t*>(std::malloc(sizeof(uint32_t) * (ids.empty() ? 1 : ids.size())));
        if (array == nullptr)
            return DK_STATUS_FAILURE;
        if (!ids.empty())
            std::memcpy(array, ids.data(), sizeof(uint32_t) * ids.size());
        *countOut = static_cast<uint32_t>(ids.size());
        *idsOut = array;
        return status;
    });
}

void cbTask2(uint32_t* ids)
{
    guardedVoid([ids] { std::free(ids); });
}

void cbTask3(void* obj, uint32_t task, char* out, uint32_t outSize)
{
    guardedVoid([&] {
        if (obj != nullptr)
            copyToHostBuffer(provider(obj)->TaskName(task), out, outSize);
    });
}

uint32_t cbTask4(void* obj, uint32_t task, uint32_t argument)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t { return obj == nullptr ? 0 : provider(obj)->TaskOp3(task, argument); });
}

uint8_t cbTask5(void* obj, uint32_t task)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t {
        return obj == nullptr ? 0 : static_cast<uint8_t>(provider(obj)->TaskOp4(task));
    });
}

DkUserBreakpointOps* breakpoint(void* obj) { return static_cast<DkUserBreakpointOps*>(obj); }
DkCategoryProviderOps* category(void* obj) { return static_cast<DkCategoryProviderOps*>(obj); }

void cbUb1(void* obj, char* out, uint32_t outSize)
{
    guardedVoid([&] {
        if (obj != nullptr)
            copyToHostBuffer(breakpoint(obj)->Text1(), out, outSize);
    });
}

void cbUb2(void* obj, char* out, uint32_t outSize)
{
    guardedVoid([&] {
        if (obj != nullptr)
            copyToHostBuffer(breakpoint(obj)->Text2(), out, outSize);
    });
}

uint8_t cbUb3(void* obj, uint16_t argument)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t {
        return obj == nullptr ? 0 : static_cast<uint8_t>(breakpoint(obj)->Op3(argument));
    });
}

uint32_t cbUb4(void* obj, uint32_t ule, uint16_t argument)
{
    // The debugger's location handle is taken over for the call and given back when it ends.
    return guarded<uint32_t>(0, [&]() -> uint32_t {
        DkUle location(ule);
        return obj == nullptr ? 0 : breakpoint(obj)->Op4(location, argument);
    });
}

uint8_t cbUb5(void* obj)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t { return obj == nullptr ? 0 : static_cast<uint8_t>(breakpoint(obj)->Op5()); });
}

uint32_t cbUb6(void* obj)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t { return obj == nullptr ? 0 : breakpoint(obj)->BaseId(); });
}

uint32_t cbUb7(void* obj)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t { return obj == nullptr ? 0 : breakpoint(obj)->DuplicateUle(); });
}

uint32_t cbUb8(void* obj, uint32_t ule)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t {
        DkUle location(ule);
        return obj == nullptr ? 0 : breakpoint(obj)->Op8(location);
    });
}

uint8_t cbUb9(void* obj)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t { return obj == nullptr ? 0 : static_cast<uint8_t>(breakpoint(obj)->BaseOp5()); });
}

uint8_t cbUb10(void* obj, uint8_t flag)
{
    return guarded<uint8_t>(0, [&]() -> uint8_t {
        return obj == nullptr ? 0 : static_cast<uint8_t>(breakpoint(obj)->BaseOp6(flag != 0));
    });
}

uint32_t cbUb11(void* obj, uint32_t argument)
{
    return guarded<uint32_t>(0, [&]() -> uint32_t { return obj == nullptr ? 0 : category(obj)->Op2(argument); });
}

const char* cbUb12(void* obj, uint32_t argument)
{
    return guarded<const char*>(nullptr, [&]() -> const char* { return obj == nullptr ? nullptr : category(obj)->Op6(argument); });
}

const char* cbUb13(void* obj, uint32_t argument)
{
    return guarded<const char*>(nullptr, [&]() -> const char* { return obj == nullptr ? nullptr : category(obj)->Op7(argument); });
}

void cbUb14(void* obj, char* out, uint32_t outSize, uint32_t argument)
{
    guardedVoid([&] {
        if (obj != nullptr)
            copyToHostBuffer(category(obj)->Text(argument), out, outSize);
    });
}

const PluginCallbackTable kCallbacks = {
    cbMajor, cbMinor, cbGetInfo, cbResolveAlias, cbExpandPath1, cbExpandPath2, cbSymbolList, cbNotify,
    cbExecutor<&DkExecutor::OnHit>, cbExecutor<&DkExecutor::OnStop>, cbExecutor<&DkExecutor::OnEvent>,
    cbResolver1, cbResolver2, cbResolver3, cbResolver4, cbResolver5, cbLog, cbRegisterFunctions,
    cbUnregisterFunctions, cbCallFunction, cbTask1, cbTask2, cbTask3, cbTask4, cbTask5, cbUb1, cbUb2, cbUb3,
    cbUb4, cbUb5, cbUb6, cbUb7, cbUb8, cbUb9, cbUb10, cbUb11, cbUb12, cbUb13, cbUb14,
};

} // namespace

const PluginCallbackTable* GetPluginCallbackTable() { return &kCallbacks; }

void copyToHostBuffer(const std::string& text, char* out, uint32_t size)
{
    if (out == nullptr || size == 0)
        return;
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace dk
