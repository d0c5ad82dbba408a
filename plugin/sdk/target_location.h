#pragma once
// Places in target memory: a memory zone and a 64-bit address in it, exchanged with the debugger
// as a DkTargetLocation.

#include "sdk/debugger/dk_abi.h"

#include <cstdint>
#include <ostream>
#include <string>

namespace dk {

class DkContext;

class MemoryZone {
public:
    MemoryZone(); // the default zone: the first zone the debugger reported, 0 before that
    explicit MemoryZone(uint32_t id) : m_id(id) {}
    uint32_t GetId() const { return m_id; }
    bool operator==(const MemoryZone& other) const { return m_id == other.m_id; }

private:
    uint32_t m_id;
};

class TargetLocation {
public:
    TargetLocation() : TargetLocation(MemoryZone(), 0) {}
    TargetLocation(MemoryZone zone, uint64_t address);
    explicit TargetLocation(const DkTargetLocation& raw) : m_raw(raw) { m_raw.reserved = 0; }

    MemoryZone GetZone() const { return MemoryZone(m_raw.zone); }
    uint64_t GetAddress() const { return m_raw.address; }
    void Advance(uint64_t n) { m_raw.address += n; } // wraps at 2^64
    int64_t Distance(const TargetLocation& other) const
    {
        return static_cast<int64_t>(m_raw.address - other.m_raw.address);
    }

    bool IsValid() const;                                   // 59
    bool Equals(const TargetLocation& other) const;         // 60
    bool Less(const TargetLocation& other) const;           // 61
    bool LessOrEqual(const TargetLocation& other) const { return !other.Less(*this); }
    bool GreaterOrEqual(const TargetLocation& other) const { return !Less(other); }
    bool ConvertToZone(MemoryZone zone, TargetLocation& out) const; // 62
    bool Normalize(const DkContext& context);               // 63
    bool Normalize();                                       // 63 with a fresh memory context
    std::string ToString() const;                           // 64, 256-byte buffer

    // Memory operations through a fresh memory context (entry 158); entries 165 to 172.
    DkStatus Read(uint32_t count, void* buffer, uint32_t unitBits, uint8_t* flag) const;
    DkStatus Write(uint32_t count, const void* buffer, uint32_t unitBits, uint8_t* flag) const;
    DkStatus MemoryOperation(int entry, uint32_t count, void* buffer, uint32_t unitBits, uint8_t* flag) const;

    const DkTargetLocation& raw() const { return m_raw; }
    DkTargetLocation& raw() { return m_raw; }

private:
    DkTargetLocation m_raw{};
};

std::ostream& operator<<(std::ostream& out, const TargetLocation& location);

} // namespace dk
