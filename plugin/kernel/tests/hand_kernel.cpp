#include "plugin/kernel/tests/hand_kernel.h"

#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"

namespace kernel::test {
namespace {

constexpr uint32_t kConfigBits[kObjectKindCount] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x800, 0x400,
                                                    0x40, 0x80, 0x100, 0x200, 0x400};
// Class numbers: the data file lists level, thread, event source, counter, alarm, pipe, exception, task,
// semaphore, mailbox, partition, queue, mutex as 0 to 12.
constexpr int kClassNumbers[kObjectKindCount] = {7, 8, 9, 10, 11, 12, 5, 1, 2, 3, 4, 6, 0};
constexpr int kObjectFields[kObjectKindCount] = {20, 8, 9, 12, 13, 10, 17, 15, 4, 10, 17, 6, 11};

int contextSlots(int port)
{
    switch (port) {
    case 3: case 10: return 92;
    case 4: return 49;
    case 5: return 21;
    case 6: return 48;
    case 7: return 18;
    case 8: return 44;
    case 9: return 39;
    default: return 95;
    }
}

} // namespace

HandKernel::HandKernel(int portCode, bool littleEndian) : port(portCode), m_little(littleEndian)
{
    FreeKernelWorkspace();
    ResetMemoryImages();
    ResetTargetAccess();
    SetAddressUnitBits(8);
    SetLittleEndian(littleEndian ? 1 : 0);
    target.map(0x1000, 0x10);
    target.map(0x2000, 0x200);
    target.map(0x3000, 0x800);
    if (port == 8)
        put16(0x1000, static_cast<uint16_t>(wordAddress(0x2000))); // a 16-bit anchor there
    else
        put32(0x1000, 0x2000);
    put32(0x2000 + kwsOffset(23), wordAddress(0x3000));
    put32(0x3000 + 8, 0x0123);
}

HandKernel::~HandKernel()
{
    FreeKernelWorkspace();
    ResetMemoryImages();
    ResetTargetAccess();
}

void HandKernel::addClass(ObjectKind kind, uint32_t base, uint32_t attributes, uint32_t staticCount, uint32_t total,
                          uint32_t namePool, int32_t nameLength, uint32_t dynamicArea, int32_t stride)
{
    const int k = static_cast<int>(kind);
    m_configuration |= kConfigBits[k];
    m_strides[k] = stride;
    m_bases[k] = base;
    const uint32_t entry = m_nextEntry;
    m_nextEntry += 0x40;
    put32(0x2000 + kwsOffset(11) + 4 * static_cast<uint32_t>(kClassNumbers[k]), wordAddress(entry));
    put32(entry + 4, attributes);
    put32(entry + 8, total);
    put32(entry + 12, staticCount);
    put16(entry + 16, static_cast<uint16_t>(stride));
    put32(entry + 20, base);
    put32(entry + 24, namePool);
    if (wideNameLength)
        put32(entry + 28, static_cast<uint32_t>(nameLength));
    else
        put16(entry + 28, static_cast<uint16_t>(nameLength));
    put32(entry + 32, dynamicArea);
    target.map(base, static_cast<uint32_t>(stride) * (total + 1));
}

uint32_t HandKernel::object(ObjectKind kind, uint32_t n) const
{
    const int k = static_cast<int>(kind);
    return m_bases[k] + static_cast<uint32_t>(m_strides[k]) * n;
}

void HandKernel::set(ObjectKind kind, uint32_t n, int field, uint32_t value)
{
    const bool narrow = (kind == ObjectKind::Counter && field == 8) || (kind == ObjectKind::Alarm && field == 6);
    if (narrow)
        put16(object(kind, n) + plainOffset(field), static_cast<uint16_t>(value));
    else
        put32(object(kind, n) + plainOffset(field), value);
}

void HandKernel::kws(int field, uint32_t value) { put32(0x2000 + kwsOffset(field), value); }

std::string HandKernel::dataFile(uint16_t stackPattern, uint16_t levels) const
{
    std::vector<uint8_t> f(0x2000, 0);
    auto p16 = [&](uint32_t at, uint32_t v) { StoreValue(f.data() + at, 2, v, m_little); };
    auto p32 = [&](uint32_t at, uint32_t v) { StoreValue(f.data() + at, 4, v, m_little); };
    f[0] = 4;
    f[1] = 2;
    p16(2, 0x0100);
    p16(4, 0x0010);
    uint32_t nextTable = 0x400;
    auto entry = [&](int e, uint32_t size) {
        const uint32_t cell = 0x100 + 4 * static_cast<uint32_t>(e);
        p16(0x10 + 4 * static_cast<uint32_t>(e), cell);
        p16(0x12 + 4 * static_cast<uint32_t>(e), size);
        return cell;
    };
    auto table = [&](int e, int count, auto offsetOf, auto sizeOf) {
        const uint32_t at = nextTable;
        nextTable += 4 * static_cast<uint32_t>(count);
        p16(entry(e, 2), port == 8 ? at / 2 : at);
        for (int i = 0; i < count; ++i) {
            p16(at + 4 * static_cast<uint32_t>(i), offsetOf(i));
            p16(at + 4 * static_cast<uint32_t>(i) + 2, sizeOf(i));
        }
    };
    auto plain = [](int i) { return 4u * static_cast<uint32_t>(i); };
    auto four = [](int) { return 4u; };
    p16(entry(0, 2), static_cast<uint32_t>(port));
    p32(entry(1, 4), 0x0120);
    p16(entry(3, 2), levels);
    p32(entry(8, 4), wordAddress(0x1000));
    p32(entry(9, 4), 0x100);
    p16(entry(33, 2), stackPattern);
    table(10, 32, [](int i) { return kwsOffset(i); }, four);
    table(11, 11, plain, [this](int i) { return (i == 4 || (i == 7 && !wideNameLength)) ? 2u : 4u; });
    for (int k = 0; k < kObjectKindCount; ++k) {
        const bool counter = k == static_cast<int>(ObjectKind::Counter);
        const bool alarm = k == static_cast<int>(ObjectKind::Alarm);
        table(12 + k, kObjectFields[k], plain, [=](int i) { return (counter && i == 8) || (alarm && i == 6) ? 2u : 4u; });
    }
    for (auto [e, count] : {std::pair{25, 7}, {26, 11}, {29, 4}, {30, 4}, {31, 9}, {35, 15}, {36, 5}, {38, 5}, {39, 4},
                            {40, 8}, {41, 6}, {42, 3}, {44, 12}, {45, 6}, {46, 6}})
        table(e, count, plain, four);
    table(27, contextSlots(port), plain, four);
    table(37, 14, [](int i) { return 0x10u + 4u * static_cast<uint32_t>(i); }, four);
    const uint32_t units = 0x1800;
    p16(entry(28, 2), units);
    const uint32_t sizes[12] = {4, 4, 4, 0, 0, 16, 28, 0, 0, 0, 0, 0};
    for (uint32_t i = 0; i < 12; ++i)
        p16(units + 2 * i, sizes[i]);
    const uint32_t numbers = 0x1840;
    p16(entry(32, 2), numbers);
    for (uint32_t i = 0; i < 13; ++i) {
        if (port == 8)
            p16(numbers + 2 * i, i);
        else
            p32(numbers + 4 * i, i);
    }
    p16(entry(34, 2), 0x1880);
    if (port == 8)
        p16(0x1880, stackGrowth);
    else
        p32(0x1880, stackGrowth);
    return WriteSRecords({{0, f}}, "hand");
}

int HandKernel::load(uint16_t stackPattern, uint16_t levels)
{
    put32(0x3000 + 4, m_configuration);
    return LoadKernelWorkspace(1, m_dir.write("hand.a79", dataFile(stackPattern, levels)), 0, 0);
}

} // namespace kernel::test
