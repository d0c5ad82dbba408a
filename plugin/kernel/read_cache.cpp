#include "plugin/kernel/read_cache.h"

#include <cstring>
#include <vector>

namespace kernel {

ReadCache::Page& ReadCache::page(uint32_t address)
{
    const uint32_t number = address / kPageBytes;
    if (number == m_lastNumber)
        return *m_lastPage;
    std::unique_ptr<Page>& p = m_pages[number];
    if (!p)
        p = std::make_unique<Page>();
    m_lastNumber = number;
    m_lastPage = p.get();
    return *p;
}

ReadCache::State ReadCache::state(uint32_t address)
{
    const uint32_t number = address / kPageBytes;
    if (number == m_lastNumber)
        return static_cast<State>(m_lastPage->state[address % kPageBytes]);
    const auto it = m_pages.find(number);
    if (it == m_pages.end())
        return Unknown;
    m_lastNumber = number;
    m_lastPage = it->second.get();
    return static_cast<State>(m_lastPage->state[address % kPageBytes]);
}

void ReadCache::store(uint32_t address, uint32_t count, const uint8_t* bytes)
{
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = address + i;
        Page& p = page(at);
        p.data[at % kPageBytes] = bytes[i];
        p.state[at % kPageBytes] = Known;
    }
}

bool ReadCache::read(uint32_t address, uint32_t count, uint8_t* buffer, const PortRead& portRead)
{
    std::memset(buffer, 0, count);
    if (m_pages.size() >= kMaxPages && !holds(address, count))
        return passThrough(address, count, buffer, portRead);
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
            store(at, length, bytes);
        } else {
            // The bytes of the run that can be read are kept; a failure is not (the target may give the
            // byte at its next read).
            for (uint32_t k = 0; length > 1 && k < length; ++k) {
                uint8_t byte = 0;
                if (portRead(at + k, 1, &byte))
                    store(at + k, 1, &byte);
            }
        }
        i = end;
    }
    bool ok = true;
    for (uint32_t i = 0; i < count && ok; ++i) {
        const uint32_t at = address + i;
        ok = state(at) == Known;
        if (ok)
            buffer[i] = m_lastPage->data[at % kPageBytes]; // state() looked the page up
    }
    if (!ok)
        std::memset(buffer, 0, count);
    return ok;
}

bool ReadCache::holds(uint32_t address, uint32_t count) const
{
    if (count == 0)
        return true;
    const uint64_t last = (uint64_t{address} + count - 1) / kPageBytes;
    for (uint64_t p = address / kPageBytes; p <= last; ++p)
        if (m_pages.find(static_cast<uint32_t>(p)) == m_pages.end())
            return false;
    return true;
}

bool ReadCache::passThrough(uint32_t address, uint32_t count, uint8_t* buffer, const PortRead& portRead)
{
    // Between two runs of the target the port gives what the cache would: read and not kept.
    if (portRead(address, count, buffer))
        return true;
    std::memset(buffer, 0, count);
    return false;
}

void ReadCache::written(uint32_t address, uint32_t count, const uint8_t* bytes, bool ok)
{
    if (ok) {
        store(address, count, bytes);
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
    m_lastNumber = kNoPage;
    m_lastPage = nullptr;
    ++m_generation;
}

} // namespace kernel
