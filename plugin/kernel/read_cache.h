#pragma once
// The bytes of target memory read since the target last ran. The debugger reads one byte per call, and
// every window of a refresh reads the same kernel structures, so each byte read is kept until the target
// runs or is written; then it is read again. A read the target refused is never kept: the byte is asked
// for again at its next read. The cache serves the reads of target_access; it knows nothing of the port.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>

namespace kernel {

class ReadCache {
public:
    static constexpr uint32_t kPageBytes = 256;
    // At most this many pages (4 MB of target memory) are kept; past it, bytes not kept are read from the
    // port each time (what is kept stays, so the kernel's structures are not read again).
    static constexpr std::size_t kMaxPages = 16384;
    static constexpr uint64_t kCapacityBytes = uint64_t{kPageBytes} * kMaxPages;

    // Reads the bytes at `address` not yet known through `read` (called for runs of unknown bytes,
    // then byte by byte where a run failed, so the bytes of it that can be read are kept) and fills
    // `buffer`. False when any byte could not be read; the buffer is then all zero.
    using PortRead = std::function<bool(uint32_t address, uint32_t count, uint8_t* buffer)>;
    bool read(uint32_t address, uint32_t count, uint8_t* buffer, const PortRead& portRead);

    // Takes the bytes written to the target (a write that failed forgets them).
    void written(uint32_t address, uint32_t count, const uint8_t* bytes, bool ok);

    // Forgets everything: the target ran, or another target is attached.
    void clear();

    // Bumped by every clear: holders of values derived from target bytes compare it.
    uint64_t generation() const { return m_generation; }

private:
    enum State : uint8_t { Unknown = 0, Known = 1 };
    struct Page {
        uint8_t data[kPageBytes] = {};
        uint8_t state[kPageBytes] = {};
    };
    // Whether every byte lies in a page kept; a read that is not, once the cache is full, passes through.
    bool holds(uint32_t address, uint32_t count) const;
    bool passThrough(uint32_t address, uint32_t count, uint8_t* buffer, const PortRead& portRead);
    Page& page(uint32_t address);
    State state(uint32_t address);
    void store(uint32_t address, uint32_t count, const uint8_t* bytes);

    std::unordered_map<uint32_t, std::unique_ptr<Page>> m_pages;
    // The page last looked up (reads go through a page byte by byte).
    static constexpr uint32_t kNoPage = 0xFFFFFFFFu; // above every page number
    uint32_t m_lastNumber = kNoPage;
    Page* m_lastPage = nullptr;
    uint64_t m_generation = 0;
};

} // namespace kernel
