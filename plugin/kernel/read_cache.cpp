#include "plugin/kernel/read_cache.h"

#include <cstring>
#include <vector>

namespace kernel {

ReadCache::Page& ReadCache::page(uint32_t address)
{
    std::unique_ptr<Page>& p = m_pages[address / kPageBytes];
    if (!p)
        p = std::make_unique<Page>();
    return *p;
}

ReadCache::State ReadCache::state(uint32_t address)
{
    const auto it = m_pages.find(address / kPageBytes);
    return it == m_pages.end() ? Unknown : static_cast<State>(it->second->state[address % kPageBytes]);
}

void ReadCache::store(uint32_t address, uint32_t count, const uint8_t* bytes, State s)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = address + i;
        Page& p = page(at);
        p.data[at % kPageBytes] = s == Known ? bytes[i] : 0;
        p.state[at % kPageBytes] = s;
    }
}

bool ReadCache::read(uint32_t address, uint32_t count, uint8_t* buffer, const PortRead& portRead)
{
    std::memset(buffer, 0, count);
    if (m_pages.size() > kMaxPages)
        clear();
    std::vector<uint8_t> run;
    uint8_t small[64];
    // Runs of unknown bytes (never past the top of the address space) go to the port.
    for (uint64_t i = 0; i < count;) {
        const uint32_t at = static_cast<uint32_t>(address + i);
        if (state(at) != Unknown) {
            ++i;
            continue;
        }
        uint64_t end = i + 1;
        while (end < count && static_cast<uint64_t>(address) + end <= 0xFFFFFFFFu &&
               state(static_cast<uint32_t>(address + end)) == Unknown)
            ++end;
        const auto length = static_cast<uint32_t>(end - i);
        uint8_t* bytes = small;
        if (length > sizeof small) {
            run.assign(length, 0);
            bytes = run.data();
        }
        if (portRead(at, length, bytes)) {
            store(at, length, bytes, Known);
        } else {
            for (uint32_t k = 0; k < length; ++k) {
                uint8_t byte = 0;
                const bool ok = length > 1 && portRead(at + k, 1, &byte);
                store(at + k, 1, &byte, ok ? Known : Failed);
            }
        }
        i = end;
    }
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = address + i;
        const Page& p = page(at);
        if (p.state[at % kPageBytes] != Known)
            ok = false;
        buffer[i] = p.data[at % kPageBytes];
    }
    if (!ok)
        std::memset(buffer, 0, count);
    return ok;
}

void ReadCache::written(uint32_t address, uint32_t count, const uint8_t* bytes, bool ok)
{
    if (ok) {
        store(address, count, bytes, Known);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const auto it = m_pages.find((address + i) / kPageBytes);
        if (it != m_pages.end())
            it->second->state[(address + i) % kPageBytes] = Unknown;
    }
}

void ReadCache::clear()
{
    m_pages.clear();
    ++m_generation;
}

} // namespace kernel
