#include "plugin/kernel/layout.h"

#include "plugin/kernel/class_record.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/target_access.h"

#include <memory>
#include <optional>
#include <utility>

namespace kernel {
namespace {

// Field counts of the object layouts, in ObjectKind order (entries 12 to 24).
constexpr int kObjectFieldCounts[kObjectKindCount] = {20, 8, 9, 12, 13, 10, 17, 15, 4, 10, 17, 6, 11};
// Configuration-word bit of each kind (the level rides on the thread bit).
constexpr uint32_t kConfigBits[kObjectKindCount] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x800, 0x400,
                                                    0x40, 0x80, 0x100, 0x200, 0x400};
// Position of each kind in the data file's list of class numbers (entry 32: level, thread, event
// source, counter, alarm, pipe, exception, task, semaphore, mailbox, partition, queue, mutex).
constexpr int kClassListIndex[kObjectKindCount] = {7, 8, 9, 10, 11, 12, 5, 1, 2, 3, 4, 6, 0};
// Order in which the loader reads object layouts of configured classes.
constexpr ObjectKind kObjectLoadOrder[kObjectKindCount] = {
    ObjectKind::Task, ObjectKind::Semaphore, ObjectKind::Mailbox, ObjectKind::Partition, ObjectKind::Queue,
    ObjectKind::Mutex, ObjectKind::Pipe, ObjectKind::Thread, ObjectKind::EventSource, ObjectKind::Counter,
    ObjectKind::Alarm, ObjectKind::Exception, ObjectKind::Level};
// Upper bound on the port extras list: its length comes from the port code, never from the target.
constexpr int kMaxPortExtras = 54;

struct LoaderState {
    std::unique_ptr<KwsDescriptor> descriptor;
    uint32_t base = 0;
    int32_t unitWidth = 1;
    int32_t tableEntryUnits = 2;
    int32_t wordUnits = 4;
    int32_t formatWordUnits = 2;
    std::array<int32_t, 12> unitSizes{};
    std::array<int32_t, 13> classNumbers{};
    uint32_t stackGrowth = 0;
    std::vector<uint32_t> portExtras;
    uint32_t anchor = 0;
    int32_t anchorWidth = 4;
    int32_t contextSlotCount = 0;
    uint32_t classTableAddress = 0;
    bool haveSystemProperties = false;
    std::array<uint32_t, 6> systemProperties{};
    bool haveWorkspaceValues = false;
    std::array<uint32_t, 27> workspaceValues{};
    std::bitset<27> workspaceRead; // the words of workspaceValues read from the target
};

LoaderState g;

uint32_t signExtend(uint32_t value, int32_t bytes)
{
    if (bytes <= 0 || bytes >= 4)
        return value;
    const uint32_t sign = 1u << (8 * bytes - 1);
    const uint32_t mask = (1u << (8 * bytes)) - 1;
    value &= mask;
    return (value & sign) ? (value | ~mask) : value;
}

int32_t fieldBytes(int32_t size)
{
    const int64_t n = static_cast<int64_t>(GetAddressUnitWidth()) * size;
    return (n < 0 || n > 8) ? 0 : static_cast<int32_t>(n);
}

bool aligned(uint32_t address)
{
    const uint32_t alignment = static_cast<uint32_t>(g.unitSizes[Alignment]);
    return (address & (alignment - 1)) == 0;
}

// Reads the layout during one load: header entries from the data file, structures from the target.
class Loader {
public:
    Loader(bool loadFile, uint32_t base)
        : m_loadFile(loadFile), m_base(base), m_fileSource(loadFile ? kKernelDataSlot : GetSelectedMemoryImage()),
          m_targetSource(loadFile ? kTargetSource : GetSelectedMemoryImage())
    {
    }

    int run(const std::string& path, uint32_t anchorArgument);

private:
    KwsDescriptor& d() { return *g.descriptor; }
    int32_t entryOffset(int e) const { return g.descriptor->header.offsets[static_cast<std::size_t>(e)]; }
    int32_t entrySize(int e) const { return g.descriptor->header.sizes[static_cast<std::size_t>(e)]; }
    uint32_t entryAddress(int e) const { return m_base + static_cast<uint32_t>(entryOffset(e)); }

    uint32_t value(int e, bool isSigned = false)
    {
        ReadSourceScope file(m_fileSource);
        return ReadTargetField(entryAddress(e), entrySize(e), isSigned);
    }
    uint32_t pointerValue(int e)
    {
        ReadSourceScope file(m_fileSource);
        return ReadTargetPointer(entryAddress(e), entrySize(e));
    }
    void table(int e, LayoutTable& out, int count)
    {
        ReadSourceScope file(m_fileSource);
        uint32_t location = ReadTargetField(entryAddress(e), entrySize(e), false) & 0xFFFFu;
        location = PortAddress(location);
        ReadFieldTable(m_base + location, out, count);
    }
    // Reads `count` values of `units` each from the list of entry e.
    std::vector<uint32_t> list(int e, int count, int32_t units)
    {
        ReadSourceScope file(m_fileSource);
        const uint32_t location = ReadTargetField(entryAddress(e), entrySize(e), false);
        std::vector<uint32_t> values;
        for (int i = 0; i < count; ++i) {
            const uint32_t at = m_base + location + static_cast<uint32_t>(i) * static_cast<uint32_t>(units);
            values.push_back(signExtend(ReadTargetField(at, units, false), fieldBytes(units)));
        }
        return values;
    }
    uint32_t targetField(const LayoutTable& t, int field, uint32_t address)
    {
        ReadSourceScope target(m_targetSource);
        return ReadField(t, field, address);
    }
    uint32_t targetPointer(const LayoutTable& t, int field, uint32_t address)
    {
        ReadSourceScope target(m_targetSource);
        return ReadPointerField(t, field, address);
    }
    bool targetValid(uint32_t address)
    {
        return m_targetSource != kTargetSource || IsTargetAddressValid(address);
    }

    int steps(const std::string& path, uint32_t anchorArgument);

    bool m_loadFile;
    uint32_t m_base;
    int m_fileSource;
    int m_targetSource;
};

int Loader::run(const std::string& path, uint32_t anchorArgument)
{
    const int status = steps(path, anchorArgument);
    // Whatever happened, later reads must go to the target, never to the data file.
    if (m_loadFile)
        SelectMemoryImage(kTargetSource);
    return status;
}

int Loader::steps(const std::string& path, uint32_t anchorArgument)
{
    // 1. The data file, and element sizes afresh for every load.
    g.base = m_base;
    g.unitWidth = GetAddressUnitWidth();
    g.tableEntryUnits = 2;
    g.wordUnits = 4;
    g.formatWordUnits = 2;
    if (m_loadFile) {
        FreeKernelDataImage();
        const int status = LoadKernelDataImage(path, m_base);
        if (status != ImageLoaded)
            return status;
        SelectMemoryImage(kKernelDataSlot);
    }
    // 2, 3.
    FreeClassRecords();
    if (!g.descriptor)
        g.descriptor = std::make_unique<KwsDescriptor>();

    // 4. The header table.
    if (!d().header.present()) {
        ReadSourceScope file(m_fileSource);
        const uint32_t a = ReadValueUnit(m_base);
        const uint32_t b = ReadValueUnit(m_base + 1);
        const uint32_t h = ReadTargetField(m_base + a, static_cast<int32_t>(b), false) & 0xFFFFu;
        if (a == 3)
            g.tableEntryUnits = g.wordUnits = g.formatWordUnits = 1;
        if (ReadTargetField(m_base + 2, g.formatWordUnits, false) != 0x0100)
            return LoadBadFormat;
        ReadFieldTable(m_base + h, d().header, kHeaderEntries);
    }
    if (d().header.count() != kHeaderEntries)
        return LoadNoMemory;

    // 5. Port code.
    d().portCode = static_cast<uint16_t>(value(0));
    switch (d().portCode) {
    case 3: case 4: case 5: case 6: case 7: case 9: case 10: case 13:
        break;
    case 8:
        g.wordUnits = 2;
        break;
    default:
        return LoadBadPort;
    }

    // 6. Values.
    d().version = value(1);
    d().value2 = value(2);
    d().value3 = value(3);
    d().value4 = value(4);
    d().value5 = value(5);
    d().value7 = value(7);
    d().stackFillPattern = static_cast<uint16_t>(value(33, true));
    d().entry43 = pointerValue(43);

    // 7. Lists: unit sizes, class numbers, port section.
    const auto sizes = list(28, 12, g.tableEntryUnits);
    for (int i = 0; i < 12; ++i)
        g.unitSizes[static_cast<std::size_t>(i)] = static_cast<int32_t>(sizes[static_cast<std::size_t>(i)]);
    const auto numbers = list(32, 13, g.wordUnits);
    for (int i = 0; i < 13; ++i)
        g.classNumbers[static_cast<std::size_t>(i)] = static_cast<int32_t>(numbers[static_cast<std::size_t>(i)]);
    g.portExtras.clear();
    const int extras = d().portCode == 10 ? 43 : d().portCode == 13 ? kMaxPortExtras : 0;
    const auto section = list(34, extras ? 2 : 1, g.wordUnits);
    g.stackGrowth = section[0];
    if (extras) {
        ReadSourceScope file(m_fileSource);
        for (int i = 0; i < extras; ++i)
            g.portExtras.push_back(ReadTargetField(m_base + section[1] + static_cast<uint32_t>(i) * static_cast<uint32_t>(g.wordUnits),
                                                   g.wordUnits, false));
    }

    // 8. KWS layout and size.
    table(10, d().kws, 32);
    d().kwsSize = value(9);

    // 9. Anchor.
    g.anchor = anchorArgument ? anchorArgument : PortAddress(pointerValue(8));
    if (!aligned(g.anchor))
        return LoadAnchorMisaligned;

    // 10, 11. The KWS through the anchor, from the target.
    switch (d().portCode) {
    case 6: g.anchorWidth = 1; break;
    case 8: g.anchorWidth = 2; break;
    default: g.anchorWidth = 4; break;
    }
    // A target read refused on the way is the failure of the structure it reads, never a value of 0.
    uint64_t failures = TargetReadFailures();
    auto refused = [&failures, this] {
        return m_targetSource == kTargetSource && TargetReadFailures() != std::exchange(failures, TargetReadFailures());
    };
    if (!targetValid(g.anchor))
        return LoadAnchorInvalid;
    {
        ReadSourceScope target(m_targetSource);
        failures = TargetReadFailures();
        d().kwsAddress = PortAddress(ReadTargetPointer(g.anchor, g.anchorWidth));
        if (refused())
            return LoadAnchorInvalid;
    }
    d().pointerBase = 0;
    if (d().kwsAddress == 0)
        return LoadAnchorNull;
    if (!aligned(d().kwsAddress))
        return LoadKwsMisaligned;
    if (!targetValid(d().kwsAddress))
        return LoadKwsInvalid;

    // 12. System properties address.
    g.haveWorkspaceValues = true;
    failures = TargetReadFailures();
    const uint32_t sysprop = PortAddress(targetPointer(d().kws, 23, d().kwsAddress));
    if (refused())
        return LoadKwsInvalid;
    g.workspaceValues[22] = sysprop;
    g.workspaceRead.set(22);
    if (sysprop == 0)
        return LoadSyspropNull;
    if (!aligned(sysprop))
        return LoadSyspropMisaligned;
    if (!targetValid(sysprop))
        return LoadSyspropInvalid;

    // 13. Trace, services and unused layouts, and the system properties layout.
    table(35, d().traceControl, 15);
    table(36, d().serviceEntry, 5);
    table(37, d().servicesTable, 14);
    table(38, d().traceSegment, 5);
    table(39, d().traceList, 4);
    table(40, d().unused[0], 8);
    table(42, d().unused[2], 3);
    table(41, d().unused[1], 6);
    table(44, d().unused[3], 12);
    table(45, d().unused[4], 6);
    table(46, d().unused[5], 6);
    table(26, d().sysprop, 11);

    // 14. System properties and the version check.
    g.haveSystemProperties = true;
    auto& sp = g.systemProperties;
    failures = TargetReadFailures();
    sp[2] = targetPointer(d().sysprop, 3, sysprop);
    sp[1] = targetField(d().sysprop, 2, sysprop);
    if (refused())
        return LoadSyspropInvalid;
    if (((sp[1] & 0xFFF0u) ^ d().version) > 15)
        return LoadVersionMismatch;
    sp[0] = targetField(d().sysprop, 1, sysprop);
    sp[3] = targetField(d().sysprop, 4, sysprop);
    sp[4] = targetPointer(d().sysprop, 5, sysprop);
    sp[5] = targetField(d().sysprop, 6, sysprop);
    if (refused())
        return LoadSyspropInvalid;

    // 15. Cached workspace values.
    auto& w = g.workspaceValues;
    const uint32_t kws = d().kwsAddress;
    w[0] = targetField(d().kws, 0, kws);
    w[1] = targetPointer(d().kws, 1, kws);
    w[2] = targetField(d().kws, 3, kws);
    w[4] = targetField(d().kws, 5, kws);
    w[5] = targetField(d().kws, 6, kws);
    w[6] = targetField(d().kws, 7, kws);
    w[8] = targetField(d().kws, 9, kws);
    g.classTableAddress = kws + static_cast<uint32_t>(FieldOffset(d().kws, 11));
    w[10] = g.classTableAddress;
    w[26] = targetPointer(d().kws, 27, kws);
    if (refused())
        return LoadKwsInvalid;
    for (int word : {0, 1, 2, 4, 5, 6, 8, 26})
        g.workspaceRead.set(static_cast<std::size_t>(word));

    // 16. Class-table entry and the object layouts of the configured classes.
    table(11, d().classEntry, 11);
    for (ObjectKind kind : kObjectLoadOrder) {
        const int k = static_cast<int>(kind);
        if (!(sp[0] & kConfigBits[k]))
            continue;
        table(12 + k, d().objects[static_cast<std::size_t>(k)], kObjectFieldCounts[k]);
        if (kind == ObjectKind::Mailbox)
            table(31, d().envelope, 9);
    }

    // 17, 18. Wait structures, context slots, dynamic objects.
    table(25, d().waitNode, 7);
    table(30, d().waitHeader, 4);
    table(44, d().unused[3], 12);
    switch (d().portCode) {
    case 3: case 10: g.contextSlotCount = 92; break;
    case 4: g.contextSlotCount = 49; break;
    case 5: g.contextSlotCount = 21; break;
    case 6: g.contextSlotCount = 48; break;
    case 7: g.contextSlotCount = 18; break;
    case 8: g.contextSlotCount = 44; break;
    case 9: g.contextSlotCount = 39; break;
    case 13: g.contextSlotCount = 95; break;
    default: g.contextSlotCount = 2; break;
    }
    table(27, d().contextSlots, g.contextSlotCount);
    table(29, d().dynamicObject, 4);
    return LoadOk;
}

} // namespace

int LoadKernelWorkspace(int loadFile, const std::string& path, uint32_t base, uint32_t anchor)
{
    Loader loader(loadFile != 0, base);
    return loader.run(path, anchor);
}

void FreeKernelWorkspace()
{
    FreeClassRecords();
    g = LoaderState{};
}

const KwsDescriptor* GetKwsDescriptor() { return g.descriptor.get(); }
uint16_t GetPortCode() { return g.descriptor ? g.descriptor->portCode : 0; }
uint32_t GetKwsAddress() { return g.descriptor ? g.descriptor->kwsAddress : 0; }
uint32_t GetAnchorAddress() { return g.anchor; }
uint32_t GetStackGrowthFlag() { return g.stackGrowth; }

int32_t GetUnitSize(int index)
{
    return (index >= 0 && index < 12) ? g.unitSizes[static_cast<std::size_t>(index)] : 0;
}

int GetClassNumber(ObjectKind kind)
{
    const int number = g.classNumbers[static_cast<std::size_t>(kClassListIndex[static_cast<int>(kind)])];
    return (number >= 0 && number < kClassSlots) ? number : -1;
}

int32_t GetWordUnits() { return g.wordUnits; }
int32_t GetTableEntryUnits() { return g.tableEntryUnits; }
int32_t GetLoadedUnitWidth() { return g.unitWidth; }
int32_t GetContextSlotCount() { return g.contextSlotCount; }
const std::vector<uint32_t>& GetPortExtras() { return g.portExtras; }
uint32_t GetClassTableAddress() { return g.classTableAddress; }
uint32_t GetDataFileBase() { return g.base; }
const std::array<uint32_t, 6>& GetSystemPropertiesWords() { return g.systemProperties; }
bool HasSystemProperties() { return g.haveSystemProperties; }
std::array<uint32_t, 27>& KernelWorkspaceValues() { return g.workspaceValues; }
std::bitset<27>& KernelWorkspaceWordsRead() { return g.workspaceRead; }

uint32_t ReadTargetField(uint32_t address, int32_t size, bool isSigned)
{
    switch (fieldBytes(size)) {
    case 1: return ReadValue8(address);
    case 2: return ReadValue16(address);
    case 3: return ReadValue24(address, isSigned) & 0xFFFFFFu;
    case 4: case 6: return ReadValue32(address);
    default: return 0;
    }
}

bool WriteTargetField(uint32_t address, int32_t size, bool, uint32_t value)
{
    switch (fieldBytes(size)) {
    case 1: return WriteValue8(address, value);
    case 2: return WriteValue16(address, value);
    case 3: return WriteValue24(address, value);
    case 4: case 6: return WriteValue32(address, value);
    default: return false;
    }
}

uint32_t ReadTargetPointer(uint32_t address, int32_t size)
{
    uint32_t value = 0;
    switch (fieldBytes(size)) {
    case 1: return ReadValue8(address);
    case 2: value = ReadValue16(address); break;
    case 3: value = ReadValue24(address, false); break;
    case 4: case 6: return ReadValue32(address);
    default: return 0;
    }
    const uint32_t base = g.descriptor ? g.descriptor->pointerBase : 0;
    return value ? value + base : 0;
}

bool WriteTargetPointer(uint32_t address, int32_t size, uint32_t value)
{
    return WriteTargetField(address, size, false, value);
}

void ReadFieldTable(uint32_t address, LayoutTable& table, int count)
{
    table.offsets.assign(static_cast<std::size_t>(count), 0);
    table.sizes.assign(static_cast<std::size_t>(count), 0);
    const uint32_t half = static_cast<uint32_t>(g.tableEntryUnits);
    for (int i = 0; i < count; ++i) {
        const uint32_t at = address + static_cast<uint32_t>(i) * 2 * half;
        table.offsets[static_cast<std::size_t>(i)] = ReadTableEntry(at);
        table.sizes[static_cast<std::size_t>(i)] = ReadTableEntry(at + half);
    }
}

int32_t FieldSize(const LayoutTable& table, int field)
{
    return (field >= 0 && field < table.count()) ? table.sizes[static_cast<std::size_t>(field)] : 0;
}

int32_t FieldOffset(const LayoutTable& table, int field)
{
    return (field >= 0 && field < table.count()) ? table.offsets[static_cast<std::size_t>(field)] : 0;
}

uint32_t ReadField(const LayoutTable& table, int field, uint32_t address)
{
    if (field < 0 || field >= table.count())
        return 0;
    return ReadTargetField(address + static_cast<uint32_t>(FieldOffset(table, field)), FieldSize(table, field), false);
}

int32_t ReadSignedField(const LayoutTable& table, int field, uint32_t address)
{
    return static_cast<int32_t>(signExtend(ReadField(table, field, address), fieldBytes(FieldSize(table, field))));
}

uint32_t ReadPointerField(const LayoutTable& table, int field, uint32_t address)
{
    if (field < 0 || field >= table.count())
        return 0;
    return ReadTargetPointer(address + static_cast<uint32_t>(FieldOffset(table, field)), FieldSize(table, field));
}

uint32_t ReadWordPointerField(const LayoutTable& table, int field, uint32_t address)
{
    return PortAddress(ReadPointerField(table, field, address));
}

bool WriteField(const LayoutTable& table, int field, uint32_t address, uint32_t value)
{
    if (field < 0 || field >= table.count())
        return false;
    return WriteTargetField(address + static_cast<uint32_t>(FieldOffset(table, field)), FieldSize(table, field), false,
                            value);
}

uint32_t PortAddress(uint32_t value) { return GetPortCode() == 8 ? value * 2 : value; }

} // namespace kernel
