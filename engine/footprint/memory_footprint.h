#pragma once
// The RAM and ROM estimate of an application or of one of its class entries: three unsigned 32-bit
// counters and a validity word. It is embedded whole in the application record and the class entry
// record, which the code-generator library receives by pointer, so it stays four plain words.

#include <cstdint>
#include <type_traits>

namespace engine {

class MemoryFootprint {
public:
    // Marker that Set and MarkValid store in the validity word ("FPRV").
    static constexpr uint32_t kValidMarker = 0x46505256u;

    MemoryFootprint() = default;
    MemoryFootprint(uint32_t userRam, uint32_t userRom, uint32_t systemRam)
        : m_userRam(userRam), m_userRom(userRom), m_systemRam(systemRam), m_valid(kValidMarker) {}

    // Stores the three counters and marks the footprint valid.
    void Set(uint32_t userRam, uint32_t userRom, uint32_t systemRam)
    {
        m_userRam = userRam;
        m_userRom = userRom;
        m_systemRam = systemRam;
        m_valid = kValidMarker;
    }
    void MarkValid() { m_valid = kValidMarker; }
    bool IsValid() const { return m_valid == kValidMarker; }
    // Copies the three counters only; the validity word stays.
    void Assign(const MemoryFootprint& other)
    {
        m_userRam = other.m_userRam;
        m_userRom = other.m_userRom;
        m_systemRam = other.m_systemRam;
    }
    // Adds the other footprint's counters; a counter that would pass 2^32 - 1 stays there.
    void Add(const MemoryFootprint& other)
    {
        m_userRam = SaturatingAdd(m_userRam, other.m_userRam);
        m_userRom = SaturatingAdd(m_userRom, other.m_userRom);
        m_systemRam = SaturatingAdd(m_systemRam, other.m_systemRam);
    }
    MemoryFootprint operator+(const MemoryFootprint& other) const
    {
        MemoryFootprint sum = *this;
        sum.Add(other);
        return sum;
    }
    uint32_t UserRam() const { return m_userRam; }
    uint32_t UserRom() const { return m_userRom; }
    uint32_t SystemRam() const { return m_systemRam; }
    void SetSystemRam(uint32_t systemRam) { m_systemRam = systemRam; }
    // Sum of the three counters (saturating).
    uint32_t Total() const { return SaturatingAdd(SaturatingAdd(m_userRam, m_userRom), m_systemRam); }
    // All four words zero (as in a freshly set-up record).
    void Clear() { *this = MemoryFootprint{}; }

    static uint32_t SaturatingAdd(uint32_t a, uint32_t b)
    {
        const uint32_t sum = a + b;
        return sum < a ? UINT32_MAX : sum;
    }

private:
    // No member initialisers: the default constructor stays trivial, so records that embed the
    // footprint stay trivial and are zero-filled by their own set-up.
    uint32_t m_userRam;
    uint32_t m_userRom;
    uint32_t m_systemRam;
    uint32_t m_valid;
};

static_assert(sizeof(MemoryFootprint) == 16, "MemoryFootprint is four 32-bit words");
static_assert(std::is_trivial_v<MemoryFootprint> && std::is_standard_layout_v<MemoryFootprint>);

} // namespace engine
