#include "standins/debugger/target_memory.h"

#include "standins/debugger/srecord_image.h"

#include <cstring>
#include <fstream>

namespace simdbg {

namespace {
constexpr std::size_t kMaxImageBytes = 256u << 20;
}

void TargetMemory::clear()
{
    std::lock_guard lock(m_mutex);
    m_pages.clear();
}

void TargetMemory::store(uint32_t zone, uint64_t address, const uint8_t* data, std::size_t count)
{
    std::lock_guard lock(m_mutex);
    Page* page = nullptr;
    uint64_t number = 0;
    for (std::size_t i = 0; i < count; ++i) {
        uint64_t at = address + i;
        if (page == nullptr || at / kPageSize != number) { // one look-up per page
            number = at / kPageSize;
            page = &m_pages[{zone, number}];
        }
        page->bytes[at % kPageSize] = data[i];
        page->mapped.set(at % kPageSize);
    }
}

bool TargetMemory::mappedLocked(uint32_t zone, uint64_t address, std::size_t count) const
{
    for (std::size_t i = 0; i < count; ++i) {
        uint64_t at = address + i;
        auto it = m_pages.find({zone, at / kPageSize});
        if (it == m_pages.end() || !it->second.mapped.test(at % kPageSize))
            return false;
    }
    return true;
}

bool TargetMemory::load(uint32_t zone, uint64_t address, uint8_t* out, std::size_t count) const
{
    std::lock_guard lock(m_mutex);
    ++m_counters.readCalls;
    m_counters.readBytes += count;
    if (m_refuseReads || !mappedLocked(zone, address, count)) {
        std::memset(out, 0, count);
        return false;
    }
    for (std::size_t i = 0; i < count; ++i) {
        uint64_t at = address + i;
        out[i] = m_pages.at({zone, at / kPageSize}).bytes[at % kPageSize];
    }
    return true;
}

bool TargetMemory::overwrite(uint32_t zone, uint64_t address, const uint8_t* data, std::size_t count)
{
    std::lock_guard lock(m_mutex);
    ++m_counters.writeCalls;
    m_counters.writeBytes += count;
    if (!mappedLocked(zone, address, count))
        return false;
    for (std::size_t i = 0; i < count; ++i) {
        uint64_t at = address + i;
        m_pages.at({zone, at / kPageSize}).bytes[at % kPageSize] = data[i];
    }
    return true;
}

bool TargetMemory::isMapped(uint32_t zone, uint64_t address, std::size_t count) const
{
    std::lock_guard lock(m_mutex);
    return mappedLocked(zone, address, count);
}

bool TargetMemory::loadBinaryFile(uint32_t zone, uint64_t address, const std::string& path, std::string& message)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        message = path + ": cannot open the file";
        return false;
    }
    std::vector<uint8_t> bytes;
    char chunk[65536];
    while (file.read(chunk, sizeof chunk) || file.gcount() > 0) {
        bytes.insert(bytes.end(), chunk, chunk + file.gcount());
        if (bytes.size() > kMaxImageBytes) {
            message = path + ": the image is larger than 256 MiB";
            return false;
        }
    }
    store(zone, address, bytes.data(), bytes.size());
    return true;
}

bool TargetMemory::loadSRecordFile(uint32_t zone, uint64_t offset, const std::string& path, std::string& message)
{
    std::vector<ImageBlock> blocks;
    if (!ReadSRecordImage(path, kMaxImageBytes, blocks, message))
        return false;
    for (const ImageBlock& block : blocks)
        store(zone, offset + block.address, block.bytes.data(), block.bytes.size());
    return true;
}

void TargetMemory::setRefuseReads(bool refuse)
{
    std::lock_guard lock(m_mutex);
    m_refuseReads = refuse;
}

TargetMemory::Counters TargetMemory::counters() const
{
    std::lock_guard lock(m_mutex);
    return m_counters;
}

void TargetMemory::resetCounters()
{
    std::lock_guard lock(m_mutex);
    m_counters = Counters{};
}

} // namespace simdbg
