#pragma once
// Sparse byte memory of a simulated target, written in the target's byte order.

#include "standins/debugger/simtarget/srecord_writer.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace simtarget {

class SimMemory {
public:
    explicit SimMemory(bool littleEndian) : m_little(littleEndian) {}

    // Sizes above 4 (6-unit fields) hold the word in their first four bytes and zeros after; 0 writes
    // nothing.
    void put(uint32_t address, uint32_t size, uint32_t value);
    void putBytes(uint32_t address, const std::vector<uint8_t>& bytes);
    void putString(uint32_t address, const std::string& text); // with its NUL
    void fill(uint32_t address, uint32_t size, uint8_t value);
    uint32_t get(uint32_t address, uint32_t size) const;
    uint8_t byte(uint32_t address) const;

    // Contiguous runs of written bytes, lowest address first.
    std::vector<MemoryBlock> blocks() const;
    bool littleEndian() const { return m_little; }

private:
    bool m_little;
    std::map<uint32_t, uint8_t> m_bytes;
};

} // namespace simtarget
