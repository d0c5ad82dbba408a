#pragma once
// Registers of a saved task context or exception frame, by processor port: the register-to-slot maps,
// register states, and the exception frame chain for the backtrace.

#include <array>
#include <cstdint>

namespace kernel {

enum RegisterState : uint32_t {
    RegisterValid = 0,
    RegisterNotSaved = 1,   // a short frame did not save it
    RegisterNotPresent = 2, // the kernel has no slot for it
    RegisterNoContext = 3,
};

// A task's saved context (0: none) from the task's address.
uint32_t GetTaskContextAddress(uint32_t taskAddress);
// The same from the task's fields already read: saved stack pointer (field 7), status, stack base.
uint32_t TaskContextFromFields(uint32_t savedStack, uint32_t status, uint32_t stackBase);
// Register `reg` of the context (register 1, the stack pointer, is the context address itself, or the
// task's saved stack pointer without a context). `size` (bytes) may be null.
uint32_t ReadFrameRegister(uint32_t context, uint32_t taskAddress, int reg, uint32_t* size);
uint32_t ReadTaskRegister(uint32_t task, int reg, uint32_t* size);
// Fills at most `count` states (the port's context slot count of them are meaningful).
void GetFrameRegisterStates(uint32_t context, uint32_t taskAddress, uint32_t* states, uint32_t count);
void GetTaskRegisterStates(uint32_t task, uint32_t* states, uint32_t count);

int GetFrameLinkRegister();
int GetBacktraceRegisterA();
int GetBacktraceRegisterB();
int GetBacktraceRegisterC();
// Exception frames from the newest one, at most 16.
uint32_t GetBacktraceDepth(bool* cut = nullptr);
// {frame address, the three shown registers}
using BacktraceFrame = std::array<uint32_t, 4>;
uint32_t ReadBacktrace(BacktraceFrame* out, uint32_t maximum);

// The port's register rows: context slot (-1 none) and short-frame flag. Null for a port without a map.
struct RegisterRow {
    int slot;
    bool shortFrame;
};
struct RegisterMap {
    const RegisterRow* rows;
    int rowCount;
    int registersRead;
    int registersWithState;
    int frameTypeSlot; // -1: none
};
const RegisterMap* GetRegisterMap(int port);

} // namespace kernel
