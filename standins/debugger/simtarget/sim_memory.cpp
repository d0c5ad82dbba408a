#include "standins/debugger/simtarget/sim_memory.h"

namespace simtarget {

SimMemory::SimMemory(const SimMemory& other) : m_little(other.m_little)
{
    for (const auto& [number, p] : other.m_pages)
        m_pages[number] = std::make_unique<Page>(*p);
}

SimMemory& SimMemory::operator=(const SimMemory& other)
{
    if (this != &other) {
        SimMemory copy(other);
        *this = std::move(copy);
    }
    return *this;
}

SimMemory::SimMemory(SimMemory&& other) noexcept
    : m_little(other.m_little), m_pages(std::move(other.m_pages)), m_last(other.m_last), m_lastNumber(other.m_lastNumber)
{
    other.m_pages.clear();
    other.m_last = nullptr;
}

SimMemory& SimMemory::operator=(SimMemory&& other) noexcept
{
    if (this != &other) {
        m_little = other.m_little;
        m_pages = std::move(other.m_pages);
        m_last = other.m_last;
        m_lastNumber = other.m_lastNumber;
        other.m_pages.clear();
        other.m_last = nullptr;
    }
    return *this;
}

SimMemory::Page& SimMemory::page(uint32_t address)
{
    const uint32_t number = address / kPageBytes;
    if (m_last && m_lastNumber == number)
        return *m_last;
    std::unique_ptr<Page>& p = m_pages[number];
    if (!p)
        p = std::make_unique<Page>();
    m_last = p.get();
    m_lastNumber = number;
    return *p;
}

void SimMemory::set(uint32_t address, uint8_t value)
{
    Page& p = page(address);
    p.data[address % kPageBytes] = value;
    p.written.set(address % kPageBytes);
}

void SimMemory::put(uint32_t address, uint32_t size, uint32_t value)
{
    // Fields wider than a word (6-unit fields) hold the word in their first four bytes.
    const uint32_t n = size < 4 ? size : 4;
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t shift = 8 * (m_little ? i : n - 1 - i);
        set(address + i, static_cast<uint8_t>(value >> shift));
    }
    for (uint32_t i = n; i < size; ++i)
        set(address + i, 0);
}

void SimMemory::putBytes(uint32_t address, const std::vector<uint8_t>& bytes)
{
    for (std::size_t i = 0; i < bytes.size(); ++i)
        set(address + static_cast<uint32_t>(i), bytes[i]);
}

void SimMemory::putString(uint32_t address, const std::string& text)
{
    putBytes(address, std::vector<uint8_t>(text.begin(), text.end()));
    set(address + static_cast<uint32_t>(text.size()), 0);
}

void SimMemory::fill(uint32_t address, uint32_t size, uint8_t value)
{
    for (uint32_t i = 0; i < size; ++i)
        set(address + i, value);
}

uint8_t SimMemory::byte(uint32_t address) const
{
    auto it = m_pages.find(address / kPageBytes);
    return it == m_pages.end() ? 0 : it->second->data[address % kPageBytes];
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
    for (const auto& [number, p] : m_pages) {
        const uint32_t base = number * kPageBytes;
        for (uint32_t i = 0; i < kPageBytes; ++i) {
            if (!p->written.test(i))
                continue;
            const uint32_t address = base + i;
            if (out.empty() || out.back().address + out.back().data.size() != address)
                out.push_back({address, {}});
            out.back().data.push_back(p->data[i]);
        }
    }
    return out;
}

} // namespace simtarget
