#include "standins/debugger/simtarget/sim_memory.h"

namespace simtarget {

void SimMemory::put(uint32_t address, uint32_t size, uint32_t value)
{
    // Fields wider than a word (6-unit fields) hold the word in their first four bytes.
    const uint32_t n = size < 4 ? size : 4;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t shift = 8 * (m_little ? i : n - 1 - i);
        m_bytes[address + i] = static_cast<uint8_t>(value >> shift);
    }
    for (uint32_t i = n; i < size; ++i)
        m_bytes[address + i] = 0;
}

void SimMemory::putBytes(uint32_t address, const std::vector<uint8_t>& bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        m_bytes[address + static_cast<uint32_t>(i)] = bytes[i];
}

void SimMemory::putString(uint32_t address, const std::string& text)
{
    putBytes(address, std::vector<uint8_t>(text.begin(), text.end()));
    m_bytes[address + static_cast<uint32_t>(text.size())] = 0;
}

void SimMemory::fill(uint32_t address, uint32_t size, uint8_t value)
{
    for (uint32_t i = 0; i < size; ++i)
        m_bytes[address + i] = value;
}

uint8_t SimMemory::byte(uint32_t address) const
{
    auto it = m_bytes.find(address);
    return it == m_bytes.end() ? 0 : it->second;
}

uint32_t SimMemory::get(uint32_t address, uint32_t size) const
{
    uint32_t value = 0;
    const uint32_t n = size < 4 ? size : 4;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t index = m_little ? n - 1 - i : i;
        value = (value << 8) | byte(address + index);
    }
    return value;
}

std::vector<MemoryBlock> SimMemory::blocks() const
{
    std::vector<MemoryBlock> out;
    for (const auto& [address, value] : m_bytes) {
        if (out.empty() || out.back().address + out.back().data.size() != address)
            out.push_back({address, {}});
        out.back().data.push_back(value);
    }
    return out;
}

} // namespace simtarget
