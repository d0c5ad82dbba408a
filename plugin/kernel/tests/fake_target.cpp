#include "plugin/kernel/tests/fake_target.h"

#include "plugin/kernel/target_access.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace kernel::test {

FakeTarget::FakeTarget() : m_previous(SetTargetPort(this)) {}
FakeTarget::~FakeTarget() { SetTargetPort(m_previous); }

void FakeTarget::map(uint32_t address, uint32_t size, uint8_t fill)
{
    DropTargetReadCache();
    m_regions[address] = std::vector<uint8_t>(size, fill);
}

uint8_t* FakeTarget::locate(uint32_t address)
{
    return const_cast<uint8_t*>(static_cast<const FakeTarget*>(this)->locate(address));
}

const uint8_t* FakeTarget::locate(uint32_t address) const
{
    auto it = m_regions.upper_bound(address);
    if (it == m_regions.begin())
        return nullptr;
    --it;
    const uint64_t offset = static_cast<uint64_t>(address) - it->first;
    if (offset >= it->second.size())
        return nullptr;
    return it->second.data() + offset;
}

void FakeTarget::poke(uint32_t address, const std::vector<uint8_t>& bytes)
{
    // The fake's memory changes under the engine, as a target's does while it runs: what the engine read
    // before is read again.
    DropTargetReadCache();
    std::size_t i = 0;
    while (i < bytes.size()) {
        const uint32_t at = address + static_cast<uint32_t>(i);
        if (!locate(at))
            map(at & ~0xFFFu, 0x1000);
        auto region = std::prev(m_regions.upper_bound(at));
        const std::size_t offset = at - region->first;
        const std::size_t n = std::min(bytes.size() - i, region->second.size() - offset);
        std::memcpy(region->second.data() + offset, bytes.data() + i, n);
        i += n;
    }
}

void FakeTarget::poke8(uint32_t address, uint8_t value) { poke(address, {value}); }

void FakeTarget::poke16(uint32_t address, uint16_t value, bool littleEndian)
{
    std::vector<uint8_t> b(2);
    StoreValue(b.data(), 2, value, littleEndian);
    poke(address, b);
}

void FakeTarget::poke32(uint32_t address, uint32_t value, bool littleEndian)
{
    std::vector<uint8_t> b(4);
    StoreValue(b.data(), 4, value, littleEndian);
    poke(address, b);
}

std::vector<uint8_t> FakeTarget::peek(uint32_t address, uint32_t count) const
{
    std::vector<uint8_t> out(count, 0);
    for (uint32_t i = 0; i < count; ++i)
        if (const uint8_t* p = locate(address + i))
            out[i] = *p;
    return out;
}

uint32_t FakeTarget::peek32(uint32_t address, bool littleEndian) const
{
    const auto b = peek(address, 4);
    return AssembleValue(b.data(), 4, littleEndian);
}

bool FakeTarget::read(uint32_t address, uint32_t count, uint8_t* buffer)
{
    ++readCalls;
    bytesRead += count;
    if (m_refuseReads) {
        std::memset(buffer, 0, count);
        return false;
    }
    bool ok = true;
    for (uint32_t i = 0; i < count;) {
        const uint32_t at = address + i;
        auto region = m_regions.upper_bound(at);
        const uint8_t* p = locate(at);
        if (!p) {
            buffer[i++] = m_unmappedFill;
            ok = ok && !m_failUnmapped;
            continue;
        }
        // The rest of this region in one copy.
        --region;
        const uint64_t left = region->second.size() - (uint64_t{at} - region->first);
        const auto n = static_cast<uint32_t>(std::min<uint64_t>(left, count - i));
        std::memcpy(buffer + i, p, n);
        i += n;
    }
    if (!ok)
        std::memset(buffer, 0, count);
    return ok;
}

bool FakeTarget::write(uint32_t address, uint32_t count, const uint8_t* buffer)
{
    writes.push_back({address, std::vector<uint8_t>(buffer, buffer + count)});
    bool ok = true;
    for (uint32_t i = 0; i < count; ++i) {
        if (uint8_t* p = locate(address + i))
            *p = buffer[i];
        else
            ok = false;
    }
    return ok;
}

std::optional<uint32_t> FakeTarget::symbolAddress(const std::string& name)
{
    auto it = m_symbols.find(name);
    if (it == m_symbols.end())
        return std::nullopt;
    return it->second;
}

} // namespace kernel::test
