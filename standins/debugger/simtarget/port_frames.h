#pragma once
// How the kernel stacks a task's registers on each processor port: the context slots it saves, which
// context slot holds which register (register 0 the program counter, 1 the stack pointer, which has no
// slot, 2 the status register, then the general registers), which registers only a full frame saves,
// the frame-type slot (0 there marks a short frame) and the registers through which exception frames
// are chained and record what they interrupted.

#include <utility>
#include <vector>

namespace simtarget {

struct PortFrames {
    int contextSlots = 2;
    // Register n's context slot; -1 for the stack pointer.
    std::vector<int> registerSlots;
    int registersRead = 0;
    int registersWithState = 0;
    // Registers [first, last] of each range are saved only in a full frame.
    std::vector<std::pair<int, int>> fullFrameOnly;
    int frameTypeSlot = -1;
    // Exception frames: the register linking to the older frame, then the exception number, the number of
    // the thread interrupted and that thread's level. -1: the port keeps no exception frames.
    int nextFrameRegister = -1, exceptionRegister = -1, threadRegister = -1, levelRegister = -1;

    // The context slot of register `reg`, -1 when it has none.
    int slotOf(int reg) const;
    bool savedOnlyInFullFrame(int reg) const;
};

// The port's frames; a port the kernel does not know has two context slots and no registers.
const PortFrames& FramesOf(int port);

// Ports whose blocked tasks keep their wait nodes below the saved stack pointer (growing down toward
// the context); on the others they lie above it.
bool WaitNodesBelowStackPointer(int port);

} // namespace simtarget
