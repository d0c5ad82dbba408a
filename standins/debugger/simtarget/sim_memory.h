#pragma once
// Sparse byte memory of a simulated target, written in the target's byte order.

#include "standins/debugger/simtarget/srecord_writer.h"

#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace simtarget {

class SimMemory {
public:
    explicit SimMemory(bool littleEndian) : m_little(littleEndian) {}
    SimMemory(const SimMemory& other);
    SimMemory& operator=(const SimMemory& other);
    SimMemory(SimMemory&& other) noexcept;
    SimMemory& operator=(SimMemory&& other) noexcept;

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
    static constexpr uint32_t kPageBytes = 4096;
    struct Page {
        uint8_t data[kPageBytes] = {};
        std::bitset<kPageBytes> written;
    };
    void set(uint32_t address, uint8_t value);
    Page& page(uint32_t address);

    bool m_little;
    std::map<uint32_t, std::unique_ptr<Page>> m_pages; // by address / kPageBytes
    Page* m_last = nullptr;                             // the page last written, for runs of bytes
    uint32_t m_lastNumber = 0;
};

} // namespace simtarget
