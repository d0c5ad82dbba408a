#pragma once
// DkContext: a shared, reference-counted debugger context handle. Contexts from entries 158, 159 and
// 160 are borrowed and never given back; contexts from 144 and 149 are owned and given back with 145
// when the last copy goes.

#include "sdk/debugger/dk_abi.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace dk {

class TargetLocation;
class DkFunctionSymbol;
class DkCVariableSymbol;

class DkContext {
public:
    DkContext() = default; // no handle
    DkContext(DkHandle handle, bool borrowed);
    DkContext(const DkContext& other);
    DkContext& operator=(const DkContext& other);
    ~DkContext();

    static DkContext Memory();   // 158: memory access, location conversion, types and values
    static DkContext Context159(); // 159
    static DkContext Symbols();  // 160: symbol lookup by name
    static DkContext Open(uint32_t argument); // 144 with the registration handle
    DkContext Derive() const;    // 149

    DkHandle GetHandle() const { return m_body != nullptr ? m_body->handle : 0; }
    bool Equals(const DkContext& other) const;                 // 146
    DkStatus GetLocation(TargetLocation& out) const;           // 147
    DkStatus SetLocation(const TargetLocation& location) const; // 148
    DkStatus Status1() const;                                  // 161
    DkStatus Status2() const;                                  // 162
    bool Query() const;                                        // 163
    DkFunctionSymbol GetFunction() const;                      // 153; the handle 0 is passed on too
    // The context's variables, 154 (which 1) or 155 (which 2), also for the handle 0; the array is
    // given back with 116.
    std::vector<DkCVariableSymbol> GetVariables(int which = 1) const;

    // 164 for the accessor, then the memory entry (165 to 172). 0xFFFF without a handle, and then
    // nothing is called.
    DkStatus MemoryOperation(int entry, const TargetLocation& location, uint32_t count, void* buffer,
                             uint32_t unitBits, uint8_t* flag) const;

private:
    struct Body {
        std::atomic<uint32_t> references{1};
        DkHandle handle = 0;
        bool borrowed = true;
    };
    void release();
    Body* m_body = nullptr;
};

} // namespace dk
