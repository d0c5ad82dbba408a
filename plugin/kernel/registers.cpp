#include "plugin/kernel/registers.h"

#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>

namespace kernel {
namespace {

constexpr uint32_t kMaxBacktraceDepth = 16;

struct BacktraceRegisters {
    int link, a, b, c;
};

BacktraceRegisters backtraceRegisters()
{
    switch (GetPortCode()) {
    case 3: case 10: case 13: return {69, 68, 70, 71};
    case 4: return {38, 39, 40, 41};
    case 6: return {40, 41, 42, 43};
    case 8: return {36, 37, 38, 39};
    case 9: return {22, 23, 24, 25};
    default: return {0, 0, 0, 0};
    }
}

const LayoutTable& contextLayout()
{
    static const LayoutTable empty;
    const KwsDescriptor* d = GetKwsDescriptor();
    return d ? d->contextSlots : empty;
}

// The newest exception frame: KWS field 26.
uint32_t newestFrame()
{
    const KwsDescriptor* d = GetKwsDescriptor();
    return d ? ReadPointerField(d->kws, 26, d->kwsAddress) : 0;
}

} // namespace

uint32_t GetTaskContextAddress(uint32_t taskAddress)
{
    if (!taskAddress)
        return 0;
    const LayoutTable& t = KindLayout(ObjectKind::Task);
    const uint32_t p = ReadWordPointerField(t, 7, taskAddress);
    if (!p)
        return 0;
    return TaskContextFromFields(p, ReadField(t, 6, taskAddress), ReadPointerField(t, 10, taskAddress));
}

uint32_t TaskContextFromFields(uint32_t savedStack, uint32_t status, uint32_t stackBase)
{
    uint32_t p = savedStack;
    if (!p || (p == stackBase && status != 0) || status == 0x800)
        return 0;
    if (status != 0 && (status & 0x7E0) != 0)
        p = PortAddress(ReadTargetPointer(p, GetUnitSize(PointerSize)));
    return p;
}

uint32_t ReadFrameRegister(uint32_t context, uint32_t taskAddress, int reg, uint32_t* size)
{
    const int64_t width = GetAddressUnitWidth();
    if (reg == 1) {
        if (context) {
            if (size)
                *size = static_cast<uint32_t>(width * GetUnitSize(PointerSize));
            return context;
        }
        const LayoutTable& t = KindLayout(ObjectKind::Task);
        if (size)
            *size = static_cast<uint32_t>(width * FieldSize(t, 7));
        return taskAddress ? ReadWordPointerField(t, 7, taskAddress) : 0;
    }
    if (!context)
        return 0;
    const RegisterMap* map = GetRegisterMap(GetPortCode());
    const int slot = (map && reg >= 0 && reg < map->registersRead && reg < map->rowCount) ? map->rows[reg].slot : -1;
    if (slot < 0 || slot >= GetContextSlotCount()) {
        if (size)
            *size = 0;
        return 0;
    }
    if (size)
        *size = static_cast<uint32_t>(width * FieldSize(contextLayout(), slot));
    return ReadField(contextLayout(), slot, context);
}

uint32_t ReadTaskRegister(uint32_t task, int reg, uint32_t* size)
{
    if (reg > GetContextSlotCount())
        return 0;
    const uint32_t address = KindObjectAddress(ObjectKind::Task, task);
    return ReadFrameRegister(GetTaskContextAddress(address), address, reg, size);
}

void GetFrameRegisterStates(uint32_t context, uint32_t, uint32_t* states, uint32_t count)
{
    if (!states)
        return;
    const uint32_t slots = std::min(count, static_cast<uint32_t>(std::max(GetContextSlotCount(), 0)));
    std::fill(states, states + slots, RegisterNoContext);
    if (!context)
        return;
    for (uint32_t r = 0; r < 3 && r < count; ++r)
        states[r] = RegisterValid;
    const RegisterMap* map = GetRegisterMap(GetPortCode());
    if (!map)
        return;
    const LayoutTable& ctx = contextLayout();
    const bool shortFrame = map->frameTypeSlot >= 0 && FieldSize(ctx, map->frameTypeSlot) > 0 &&
                            ReadField(ctx, map->frameTypeSlot, context) == 0;
    for (int r = 3; r < map->registersWithState && r < map->rowCount && static_cast<uint32_t>(r) < count; ++r) {
        const RegisterRow& row = map->rows[r];
        if (row.slot < 0 || FieldSize(ctx, row.slot) == 0)
            states[r] = RegisterNotPresent;
        else if (shortFrame && row.shortFrame)
            states[r] = RegisterNotSaved;
        else
            states[r] = RegisterValid;
    }
    if (GetPortCode() == 4) {
        for (uint32_t r : {4u, 15u})
            if (r < count)
                states[r] = RegisterNotPresent;
    }
}

void GetTaskRegisterStates(uint32_t task, uint32_t* states, uint32_t count)
{
    const uint32_t address = KindObjectAddress(ObjectKind::Task, task);
    GetFrameRegisterStates(GetTaskContextAddress(address), address, states, count);
}

int GetFrameLinkRegister() { return backtraceRegisters().link; }
int GetBacktraceRegisterA() { return backtraceRegisters().a; }
int GetBacktraceRegisterB() { return backtraceRegisters().b; }
int GetBacktraceRegisterC() { return backtraceRegisters().c; }

uint32_t GetBacktraceDepth(bool* cut)
{
    const int link = GetFrameLinkRegister();
    BoundedWalk walk(kMaxBacktraceDepth);
    for (uint32_t f = newestFrame(); walk.visit(PortAddress(f));)
        f = ReadFrameRegister(PortAddress(f), 0, link, nullptr);
    if (cut)
        *cut = walk.cut();
    return walk.steps();
}

uint32_t ReadBacktrace(BacktraceFrame* out, uint32_t maximum)
{
    if (!out)
        return 0;
    const BacktraceRegisters regs = backtraceRegisters();
    BoundedWalk walk(std::min(maximum, kMaxWalk));
    uint32_t count = 0;
    for (uint32_t f = newestFrame(); walk.visit(PortAddress(f));) {
        const uint32_t frame = PortAddress(f);
        out[count++] = {frame, ReadFrameRegister(frame, 0, regs.a, nullptr), ReadFrameRegister(frame, 0, regs.b, nullptr),
                        ReadFrameRegister(frame, 0, regs.c, nullptr)};
        f = ReadFrameRegister(frame, 0, regs.link, nullptr);
    }
    return count;
}

} // namespace kernel
