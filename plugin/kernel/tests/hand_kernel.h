#pragma once
// A hand-made kernel for reader tests, independent of the simulated-target generator: every layout is
// plain (field i at offset 4 x i, 4 bytes), except the 2-byte stride and name length of class entries,
// the 2-byte counter accumulator (field 8) and alarm value (field 6), and the KWS, whose inline class
// table at field 11 pushes fields 12 on by 56 bytes. Class numbers are 0 to 12 in the data file's order.
// Fixed addresses: anchor 0x1000 -> KWS 0x2000 -> SYSPROP 0x3000; class entries from 0x3100. On port 8
// the anchor's location and the pointers to the KWS, SYSPROP and class entries are stored as word
// addresses (halved), as the kernel keeps them there.

#include "plugin/kernel/layout.h"
#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/tests/scratch_dir.h"

#include <cstdint>
#include <string>

namespace kernel::test {

class HandKernel {
public:
    explicit HandKernel(int port = 7, bool littleEndian = false);
    ~HandKernel();

    // Configures a class whose objects lie at base + stride x n (stride 0x100 unless given).
    void addClass(ObjectKind kind, uint32_t base, uint32_t attributes, uint32_t staticCount, uint32_t total,
                  uint32_t namePool = 0, int32_t nameLength = 0, uint32_t dynamicArea = 0, int32_t stride = 0x100);
    uint32_t object(ObjectKind kind, uint32_t n) const;
    void set(ObjectKind kind, uint32_t n, int field, uint32_t value);
    void kws(int field, uint32_t value);
    void put32(uint32_t address, uint32_t value) { target.poke32(address, value, m_little); }
    void put16(uint32_t address, uint16_t value) { target.poke16(address, value, m_little); }
    // A pointer as the kernel stores it where the readers take a word address: halved on port 8.
    uint32_t wordAddress(uint32_t address) const { return port == 8 ? address / 2 : address; }
    static uint32_t plainOffset(int field) { return 4u * static_cast<uint32_t>(field); }
    static uint32_t kwsOffset(int field) { return field <= 11 ? 4u * static_cast<uint32_t>(field) : 4u * static_cast<uint32_t>(field) + 56; }

    // Writes the data file and loads it; the configuration word follows the classes added.
    int load(uint16_t stackPattern = 0x5A5A, uint16_t levels = 8);

    FakeTarget target;
    int port;
    // The port section's stack-growth flag (non-zero: stacks grow toward higher addresses).
    uint32_t stackGrowth = 0;
    // Class entries with a 4-byte name length (set before addClass).
    bool wideNameLength = false;

private:
    std::string dataFile(uint16_t stackPattern, uint16_t levels) const;
    bool m_little;
    uint32_t m_configuration = 0;
    uint32_t m_nextEntry = 0x3100;
    int32_t m_strides[kObjectKindCount] = {};
    uint32_t m_bases[kObjectKindCount] = {};
    ScratchDir m_dir;
};

} // namespace kernel::test
