// The register stacking of each port, as the kernel's port layers save a task's context.
#include "standins/debugger/simtarget/port_frames.h"


namespace simtarget {
namespace {

constexpr int kSp = -1;

std::vector<int> counting(std::vector<int> rows, int from, int to)
{
    for (int slot = from; slot <= to; ++slot)
        rows.push_back(slot);
    return rows;
}

PortFrames port3(int registersWithState, int contextSlots)
{
    PortFrames f;
    f.contextSlots = contextSlots;
    // PC, SP, SR, then general registers 7-12, 5-6, 13-42, 3-4, 43-66 and 70-94.
    f.registerSlots = counting({1, kSp, 2}, 7, 12);
    f.registerSlots = counting(f.registerSlots, 5, 6);
    f.registerSlots = counting(f.registerSlots, 13, 42);
    f.registerSlots = counting(f.registerSlots, 3, 4);
    f.registerSlots = counting(f.registerSlots, 43, 66);
    f.registerSlots = counting(f.registerSlots, 70, 94);
    f.registersRead = 92;
    f.registersWithState = registersWithState;
    f.fullFrameOnly = {{3, 91}};
    f.frameTypeSlot = 69;
    f.nextFrameRegister = 69;
    f.exceptionRegister = 68;
    f.threadRegister = 70;
    f.levelRegister = 71;
    return f;
}

PortFrames port4()
{
    PortFrames f;
    f.contextSlots = 49;
    f.registerSlots = counting({42, kSp, 43, 5}, 7, 36);
    for (int slot : {40, 41, 37, 38, 45, 46, 47, 48})
        f.registerSlots.push_back(slot);
    f.registersRead = 42;
    f.registersWithState = 42;
    f.fullFrameOnly = {{4, 12}};
    f.frameTypeSlot = 44;
    f.nextFrameRegister = 38;
    f.exceptionRegister = 39;
    f.threadRegister = 40;
    f.levelRegister = 41;
    return f;
}

PortFrames port5()
{
    PortFrames f;
    f.contextSlots = 21;
    f.registerSlots = counting({3, kSp, 4}, 5, 19);
    f.registersRead = 18;
    f.registersWithState = 18;
    f.fullFrameOnly = {{3, 17}};
    f.frameTypeSlot = 20;
    return f;
}

PortFrames port6()
{
    PortFrames f;
    f.contextSlots = 48;
    f.registerSlots = counting({3, kSp, 2}, 5, 20);
    f.registerSlots = counting(f.registerSlots, 22, 40);
    f.registerSlots.push_back(4);
    f.registerSlots = counting(f.registerSlots, 41, 47);
    f.registersRead = 46;
    f.registersWithState = 46;
    f.fullFrameOnly = {{3, 29}, {38, 45}};
    f.frameTypeSlot = 41;
    f.nextFrameRegister = 40;
    f.exceptionRegister = 41;
    f.threadRegister = 42;
    f.levelRegister = 43;
    return f;
}

PortFrames port7()
{
    PortFrames f;
    f.contextSlots = 18;
    f.registerSlots = counting({17, kSp}, 2, 16);
    f.registerSlots.push_back(0);
    f.registersRead = 18;
    f.registersWithState = 18;
    return f;
}

PortFrames port8()
{
    PortFrames f;
    f.contextSlots = 44;
    f.registerSlots = counting({3, kSp, 2}, 5, 43);
    f.registersRead = 42;
    f.registersWithState = 42;
    f.fullFrameOnly = {{3, 41}};
    f.frameTypeSlot = 37;
    f.nextFrameRegister = 36;
    f.exceptionRegister = 37;
    f.threadRegister = 38;
    f.levelRegister = 39;
    return f;
}

PortFrames port9()
{
    PortFrames f;
    f.contextSlots = 39;
    f.registerSlots = counting({24, kSp, 23}, 6, 14);
    f.registerSlots = counting(f.registerSlots, 16, 22);
    f.registerSlots = counting(f.registerSlots, 3, 5);
    f.registerSlots = counting(f.registerSlots, 25, 38);
    for (int i = 0; i < 4; ++i)
        f.registerSlots.push_back(0);
    f.registersRead = 36;
    f.registersWithState = 40;
    f.fullFrameOnly = {{3, 35}};
    f.nextFrameRegister = 22;
    f.exceptionRegister = 23;
    f.threadRegister = 24;
    f.levelRegister = 25;
    return f;
}

} // namespace

int PortFrames::slotOf(int reg) const
{
    return reg >= 0 && reg < static_cast<int>(registerSlots.size()) ? registerSlots[static_cast<std::size_t>(reg)] : -1;
}

bool PortFrames::savedOnlyInFullFrame(int reg) const
{
    for (const auto& [first, last] : fullFrameOnly)
        if (reg >= first && reg <= last)
            return true;
    return false;
}

const PortFrames& FramesOf(int port)
{
    static const PortFrames p3 = port3(89, 92), p13 = port3(92, 95), p4 = port4(), p5 = port5(), p6 = port6(),
                            p7 = port7(), p8 = port8(), p9 = port9(), unknown;
    switch (port) {
    case 3: case 10: return p3;
    case 13: return p13;
    case 4: return p4;
    case 5: return p5;
    case 6: return p6;
    case 7: return p7;
    case 8: return p8;
    case 9: return p9;
    default: return unknown;
    }
}

bool WaitNodesBelowStackPointer(int port)
{
    return port == 3 || port == 6 || port == 8 || port == 10 || port == 13;
}

} // namespace simtarget
