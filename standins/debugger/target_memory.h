#pragma once
// The simulated target's memory: a sparse byte store per zone, filled from images and pokes.
// Unmapped bytes cannot be read. Thread-safe: reads come from the GUI thread while the scenario
// writes from the debugger thread.

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace simdbg {

class TargetMemory {
public:
    static constexpr uint64_t kPageSize = 4096;

    void clear();
    // Maps and writes bytes (an image or a poke).
    void store(uint32_t zone, uint64_t address, const uint8_t* data, std::size_t count);
    // Reads bytes; false when any of them is unmapped (out is then zero-filled) or reads are refused.
    bool load(uint32_t zone, uint64_t address, uint8_t* out, std::size_t count) const;
    // Writes bytes that are all mapped; false (nothing written) otherwise.
    bool overwrite(uint32_t zone, uint64_t address, const uint8_t* data, std::size_t count);
    bool isMapped(uint32_t zone, uint64_t address, std::size_t count) const;

    // A raw binary file laid at address. False with a message when it cannot be read.
    bool loadBinaryFile(uint32_t zone, uint64_t address, const std::string& path, std::string& message);
    // An S-record file, each data record at its own address plus offset.
    bool loadSRecordFile(uint32_t zone, uint64_t offset, const std::string& path, std::string& message);

    void setRefuseReads(bool refuse); // e.g. while the target runs
    struct Counters {
        uint64_t readCalls = 0;
        uint64_t readBytes = 0;
        uint64_t writeCalls = 0;
        uint64_t writeBytes = 0;
    };
    Counters counters() const;
    void resetCounters();

private:
    struct Page {
        std::array<uint8_t, kPageSize> bytes{};
        std::bitset<kPageSize> mapped;
    };
    using Key = std::pair<uint32_t, uint64_t>; // zone, page number
    bool mappedLocked(uint32_t zone, uint64_t address, std::size_t count) const;

    mutable std::mutex m_mutex;
    std::map<Key, Page> m_pages;
    bool m_refuseReads = false;
    mutable Counters m_counters;
};

} // namespace simdbg
