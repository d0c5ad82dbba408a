#include "standins/debugger/simtarget/target_builder.h"

#include "standins/debugger/simtarget/port_frames.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <stdexcept>

namespace simtarget {
namespace {

constexpr int kObjectFieldCounts[kObjectKindCount] = {20, 8, 9, 12, 13, 10, 17, 15, 4, 10, 17, 6, 11};
constexpr uint32_t kConfigBits[kObjectKindCount] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x800, 0x400,
                                                            0x40, 0x80, 0x100, 0x200, 0x400};
// Class numbers of the plain layout, by kind (the data file lists level, thread, event source, counter,
// alarm, pipe, exception, task, semaphore, mailbox, partition, queue, mutex as 0 to 12).
constexpr int kPlainClassNumbers[kObjectKindCount] = {7, 8, 9, 10, 11, 12, 5, 1, 2, 3, 4, 6, 0};
constexpr int kClassListOrder[kObjectKindCount] = {12, 7, 8, 9, 10, 6, 11, 0, 1, 2, 3, 4, 5}; // list i -> kind

bool waitable(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Semaphore: case ObjectKind::Mailbox: case ObjectKind::Partition: case ObjectKind::Queue:
    case ObjectKind::Mutex: case ObjectKind::Alarm:
        return true;
    default:
        return false;
    }
}

// The field in which the kernel keeps an object's own number: task field 5, thread field 7.
int numberField(ObjectKind kind) { return kind == ObjectKind::Task ? 5 : kind == ObjectKind::Thread ? 7 : 0; }

int32_t layoutEnd(const LayoutTable& t)
{
    int32_t end = 0;
    for (int i = 0; i < t.count(); ++i)
        end = std::max(end, t.offsets[static_cast<std::size_t>(i)] + t.sizes[static_cast<std::size_t>(i)]);
    return end;
}

} // namespace

TargetBuilder::TargetBuilder(const KernelSpec& spec)
    : m_spec(spec), m_random(spec.seed), m_shuffle(spec.seed != 0), m_memory(spec.littleEndian),
      m_second(spec.littleEndian)
{
    if (spec.port == 8) {
        m_next = 0x1000;
        m_limit = 0x1FFF0; // the 2-unit anchor holds KWS / 2: the anchor and the KWS lie below 0x20000
    } else {
        m_next = 0x20000000;
        m_limit = 0x2FFFFFF0;
    }
    // Class numbers.
    std::vector<int> numbers(14);
    std::iota(numbers.begin(), numbers.end(), 0);
    if (m_shuffle)
        std::shuffle(numbers.begin(), numbers.end(), m_random);
    for (int k = 0; k < kObjectKindCount; ++k)
        m_classNumbers[static_cast<std::size_t>(k)] = m_shuffle ? numbers[static_cast<std::size_t>(k)] : kPlainClassNumbers[k];

    // Layouts. Waitable objects start with the wait header.
    m_layouts[30] = makeLayout(4);
    std::vector<int32_t> kwsSpans(32, 4);
    kwsSpans[11] = static_cast<int32_t>(kClassSlots * pointerSize()); // the inline class table
    m_layouts[10] = makeLayout(32, {}, nullptr, kwsSpans);
    std::vector<int32_t> entrySizes(11, 4);
    entrySizes[4] = 2;
    entrySizes[7] = 2;
    m_layouts[11] = makeLayout(11, entrySizes);
    for (int k = 0; k < kObjectKindCount; ++k)
        m_layouts[kerneldata::kFirstObjectLayoutEntry + k] = makeLayout(kObjectFieldCounts[k], {}, waitable(static_cast<ObjectKind>(k)) ? &m_layouts[30] : nullptr);
    m_layouts[25] = makeLayout(7);
    m_layouts[26] = makeLayout(11);
    m_contextSlots = FramesOf(spec.port).contextSlots;
    m_layouts[27] = makeLayout(m_contextSlots);
    m_layouts[29] = makeLayout(4);
    m_layouts[31] = makeLayout(9);
    m_layouts[35] = makeLayout(15);
    m_layouts[36] = makeLayout(5);
    m_layouts[38] = makeLayout(5);
    m_layouts[39] = makeLayout(4);
    // The services table's offsets are absolute addresses in the second image.
    LayoutTable services;
    services.offsets.assign(14, 0);
    services.sizes.assign(14, 0);
    std::vector<int32_t> cells{0x10, 0x14, 0x18};
    if (m_shuffle)
        std::shuffle(cells.begin(), cells.end(), m_random);
    for (int f = 4; f <= 6; ++f) {
        services.offsets[static_cast<std::size_t>(f)] = cells[static_cast<std::size_t>(f - 4)];
        services.sizes[static_cast<std::size_t>(f)] = 4;
    }
    m_layouts[37] = services;
    const int unusedEntries[] = {40, 41, 42, 44, 45, 46};
    const int unusedCounts[] = {8, 6, 3, 12, 6, 6};
    for (int i = 0; i < 6; ++i)
        m_layouts[unusedEntries[i]] = makeLayout(unusedCounts[i]);

    m_waitNodeSize = static_cast<uint32_t>((layoutEnd(m_layouts[25]) + 3) & ~3);
    m_dynamicRecordSize = static_cast<uint32_t>((layoutEnd(m_layouts[29]) + 3) & ~3);
    m_contextSize = static_cast<uint32_t>((layoutEnd(m_layouts[27]) + 3) & ~3);
    m_waitListBias = WaitNodesBelowStackPointer(spec.port) ? m_contextSize : 0;

    // Fixed places: the anchor, the KWS (below 0x100 on port 6, whose anchor is one unit wide), SYSPROP.
    m_anchor = allocate(4);
    const uint32_t kwsSize = kwsExtent();
    m_kws = spec.port == 6 ? 0x40 : allocate(kwsSize);
    if (spec.port == 6)
        m_memory.fill(m_kws, kwsSize, 0);
    m_sysprop = allocate(static_cast<uint32_t>(layoutEnd(m_layouts[26])));
    // Every other structure is reached through 32-bit fields (word pointers halved): on port 8 the rest of
    // the system RAM the system properties declare (0x1000 on, 1 MB) holds them, above the anchor's reach.
    if (spec.port == 8)
        m_limit = 0x1000 + 0x00100000;
}

LayoutTable TargetBuilder::makeLayout(int fields, const std::vector<int32_t>& sizes, const LayoutTable* prefix,
                                      std::vector<int32_t> spans)
{
    LayoutTable t;
    t.offsets.assign(static_cast<std::size_t>(fields), 0);
    t.sizes.assign(static_cast<std::size_t>(fields), 4);
    for (std::size_t i = 0; i < sizes.size() && i < t.sizes.size(); ++i)
        t.sizes[i] = sizes[i];
    if (spans.empty())
        spans = t.sizes;
    int first = 0;
    int32_t offset = 0;
    if (prefix) {
        for (int i = 0; i < prefix->count() && i < fields; ++i) {
            t.offsets[static_cast<std::size_t>(i)] = prefix->offsets[static_cast<std::size_t>(i)];
            t.sizes[static_cast<std::size_t>(i)] = prefix->sizes[static_cast<std::size_t>(i)];
        }
        first = prefix->count();
        offset = layoutEnd(*prefix);
    }
    std::vector<int> order;
    for (int i = first; i < fields; ++i)
        order.push_back(i);
    if (m_shuffle)
        std::shuffle(order.begin(), order.end(), m_random);
    for (int i : order) {
        const int32_t align = std::min<int32_t>(std::max<int32_t>(t.sizes[static_cast<std::size_t>(i)], 1), 4);
        offset = (offset + align - 1) / align * align;
        t.offsets[static_cast<std::size_t>(i)] = offset;
        offset += std::max(spans[static_cast<std::size_t>(i)], t.sizes[static_cast<std::size_t>(i)]);
    }
    return t;
}

uint32_t TargetBuilder::kwsExtent() const
{
    // Every field, the inline class table of field 11 whole (its 14 slots), wherever the shuffle put it.
    const LayoutTable& kws = m_layouts.at(10);
    const int32_t classTableEnd = kws.offsets[11] + static_cast<int32_t>(kClassSlots * pointerSize());
    return static_cast<uint32_t>(std::max(layoutEnd(kws), classTableEnd));
}

const LayoutTable& TargetBuilder::layout(Structure s) const { return m_layouts.at(static_cast<int>(s)); }
const LayoutTable& TargetBuilder::objectLayout(ObjectKind kind) const { return m_layouts.at(kerneldata::kFirstObjectLayoutEntry + static_cast<int>(kind)); }

uint32_t TargetBuilder::allocate(uint32_t size, uint32_t align)
{
    if (align == 0)
        align = 1;
    m_next = (m_next + align - 1) / align * align;
    const uint32_t at = m_next;
    if (static_cast<uint64_t>(at) + size > m_limit)
        throw std::length_error("simulated target memory is full");
    m_next += size ? size : 1;
    m_memory.fill(at, size, 0);
    return at;
}

uint32_t TargetBuilder::stored(uint32_t address, bool wordPointer) const
{
    return (wordPointer && m_spec.port == 8) ? address / 2 : address;
}

void TargetBuilder::setStructField(const LayoutTable& t, uint32_t address, int field, uint32_t value, bool wordPointer)
{
    if (field < 0 || field >= t.count())
        return;
    m_memory.put(address + static_cast<uint32_t>(t.offsets[static_cast<std::size_t>(field)]),
                 static_cast<uint32_t>(t.sizes[static_cast<std::size_t>(field)]), stored(value, wordPointer));
}

void TargetBuilder::setStructField(Structure s, uint32_t address, int field, uint32_t value, bool wordPointer)
{
    setStructField(layout(s), address, field, value, wordPointer);
}

uint32_t TargetBuilder::structField(const LayoutTable& t, uint32_t address, int field) const
{
    if (field < 0 || field >= t.count())
        return 0;
    return m_memory.get(address + static_cast<uint32_t>(t.offsets[static_cast<std::size_t>(field)]),
                        static_cast<uint32_t>(t.sizes[static_cast<std::size_t>(field)]));
}

void TargetBuilder::setKwsField(int field, uint32_t value, bool wordPointer)
{
    setStructField(Structure::Kws, m_kws, field, value, wordPointer);
}

void TargetBuilder::setSyspropField(int field, uint32_t value) { setStructField(Structure::Sysprop, m_sysprop, field, value); }

void TargetBuilder::setFieldSize(ObjectKind kind, int field, int32_t size)
{
    LayoutTable& t = m_layouts.at(kerneldata::kFirstObjectLayoutEntry + static_cast<int>(kind));
    if (field >= 0 && field < t.count() && size <= t.sizes[static_cast<std::size_t>(field)])
        t.sizes[static_cast<std::size_t>(field)] = size;
}

void TargetBuilder::addClass(ObjectKind kind, uint32_t staticCount, uint32_t dynamicCount, uint32_t attributes,
                             int32_t nameLength)
{
    if (nameLength < 0)
        nameLength = m_spec.nameLength;
    ClassInfo info;
    info.attributes = attributes;
    info.staticCount = staticCount;
    info.dynamicCount = dynamicCount;
    info.nameLength = nameLength;
    info.stride = (layoutEnd(objectLayout(kind)) + 3) & ~3;
    const uint32_t total = staticCount + dynamicCount;
    info.base = allocate((total + 1) * static_cast<uint32_t>(info.stride));
    if (nameLength > 0 && staticCount > 0)
        info.pool = allocate(staticCount * static_cast<uint32_t>(nameLength + 1), 1);
    if (dynamicCount > 0) {
        info.dynamicArea = allocate(dynamicCount * dynamicRecordSize());
        for (uint32_t d = 0; d < dynamicCount; ++d)
            setStructField(Structure::Dynamic, info.dynamicArea + d * dynamicRecordSize(), 2, 1);
    }
    info.entry = allocate(static_cast<uint32_t>(layoutEnd(layout(Structure::ClassEntry))));
    m_classes[kind] = info;
    // Every object of a new class is live (the static ones set up at the kernel's start, the dynamic ones
    // created): each record holds its number where the kernel keeps one.
    for (uint32_t n = 1; numberField(kind) != 0 && n <= total; ++n)
        setField(kind, n, numberField(kind), n);
}

uint32_t TargetBuilder::objectAddress(ObjectKind kind, uint32_t n) const
{
    const ClassInfo& c = m_classes.at(kind);
    return c.base + static_cast<uint32_t>(c.stride) * n;
}

uint32_t TargetBuilder::objectCount(ObjectKind kind) const
{
    auto it = m_classes.find(kind);
    return it == m_classes.end() ? 0 : it->second.staticCount + it->second.dynamicCount;
}

void TargetBuilder::setName(ObjectKind kind, uint32_t n, const std::string& name)
{
    const ClassInfo& c = m_classes.at(kind);
    if (n >= 1 && n <= c.staticCount) {
        if (!c.pool)
            return;
        const uint32_t at = c.pool + (n - 1) * static_cast<uint32_t>(c.nameLength + 1);
        m_memory.fill(at, static_cast<uint32_t>(c.nameLength + 1), 0);
        m_memory.putBytes(at, std::vector<uint8_t>(name.begin(),
                                                   name.begin() + std::min<std::size_t>(name.size(), static_cast<std::size_t>(c.nameLength))));
    } else if (n > c.staticCount && n <= c.staticCount + c.dynamicCount) {
        const uint32_t record = c.dynamicArea + (n - c.staticCount - 1) * dynamicRecordSize();
        uint32_t text = 0;
        if (!name.empty()) {
            text = allocate(static_cast<uint32_t>(name.size() + 1), 2); // a word address on port 8
            m_memory.putString(text, name);
        }
        setStructField(Structure::Dynamic, record, 1, text, true);
    }
}

void TargetBuilder::setInUse(ObjectKind kind, uint32_t n, bool inUse)
{
    const ClassInfo& c = m_classes.at(kind);
    if (n <= c.staticCount || n > c.staticCount + c.dynamicCount)
        return;
    const uint32_t record = c.dynamicArea + (n - c.staticCount - 1) * dynamicRecordSize();
    if (!inUse && m_spec.freeSlots == FreeSlot::NeverWritten) {
        m_memory.fill(objectAddress(kind, n), static_cast<uint32_t>(c.stride), 0);
        m_memory.fill(record, dynamicRecordSize(), 0);
        return;
    }
    setStructField(Structure::Dynamic, record, 2, inUse ? 1 : 0);
    if (inUse && numberField(kind) != 0)
        setField(kind, n, numberField(kind), n);
}

void TargetBuilder::setField(ObjectKind kind, uint32_t n, int field, uint32_t value, bool wordPointer)
{
    setStructField(objectLayout(kind), objectAddress(kind, n), field, value, wordPointer);
}

uint32_t TargetBuilder::field(ObjectKind kind, uint32_t n, int field) const
{
    return structField(objectLayout(kind), objectAddress(kind, n), field);
}

void TargetBuilder::clearClassPointer(ObjectKind kind)
{
    auto it = m_classes.find(kind);
    if (it != m_classes.end())
        it->second.entry = 0;
}

uint32_t TargetBuilder::configurationWord() const
{
    uint32_t word = 0;
    for (const auto& [kind, info] : m_classes)
        word |= kConfigBits[static_cast<int>(kind)];
    return word;
}

GeneratedTarget TargetBuilder::build()
{
    GeneratedTarget out;
    const bool port8 = m_spec.port == 8;
    // Kernel stack: the pattern below the used part (stacks grow down unless the growth flag is set).
    const uint32_t stackSize = m_spec.kernelStackSize;
    const uint32_t stack = allocate(stackSize);
    for (uint32_t i = 0; i + 1 < stackSize; i += 2)
        m_memory.put(stack + i, 2, m_spec.stackFillPattern);
    const uint32_t used = std::min(m_spec.kernelStackUsed, stackSize);
    const uint32_t usedStart = m_spec.stackGrowth ? stack : stack + stackSize - used;
    for (uint32_t i = 0; i < used; ++i)
        m_memory.put(usedStart + i, 1, 0xC0 + (i & 0xF));
    const uint32_t stackEnd = m_spec.stackGrowth ? stack : stack + stackSize;
    setKwsField(1, stackEnd);
    setKwsField(23, m_sysprop, true);

    // Class table inline at KWS field 11, and the class entries.
    const uint32_t table = m_kws + static_cast<uint32_t>(layout(Structure::Kws).offsets[11]);
    for (const auto& [kind, c] : m_classes) {
        const int number = classNumber(kind);
        if (c.entry)
            m_memory.put(table + static_cast<uint32_t>(number) * 4, 4, stored(c.entry, true));
        if (!c.entry)
            continue;
        const LayoutTable& e = layout(Structure::ClassEntry);
        setStructField(e, c.entry, 1, c.attributes);
        setStructField(e, c.entry, 2, c.staticCount + c.dynamicCount);
        setStructField(e, c.entry, 3, c.staticCount);
        setStructField(e, c.entry, 4, static_cast<uint32_t>(c.stride));
        setStructField(e, c.entry, 5, c.base);
        setStructField(e, c.entry, 6, c.pool);
        setStructField(e, c.entry, 7, static_cast<uint32_t>(c.nameLength));
        setStructField(e, c.entry, 8, c.dynamicArea, true);
    }

    // System properties.
    setSyspropField(1, configurationWord());
    setSyspropField(2, m_spec.targetVersion);
    setSyspropField(3, port8 ? 0x1000 : 0x20000000);
    setSyspropField(4, 0x00100000);
    setSyspropField(5, m_sysprop);
    setSyspropField(6, stackSize);

    // The anchor.
    const uint32_t anchorWidth = m_spec.port == 6 ? 1 : port8 ? 2 : 4;
    m_memory.put(m_anchor, anchorWidth, stored(m_kws, true));

    SimMemory image(m_spec.littleEndian);
    writeDataFile(image);
    out.dataFile = image.blocks();
    out.secondImage = m_second.blocks();
    out.memory = m_memory.blocks();
    out.symbols[m_spec.symbolPrefix + "pKWS"] = m_anchor;
    out.anchor = m_anchor;
    out.kws = m_kws;
    return out;
}

void TargetBuilder::writeDataFile(SimMemory& image)
{
    const bool port8 = m_spec.port == 8;
    const uint32_t wordUnits = port8 ? 2 : 4;
    image.put(0, 1, 4);          // A: the header-table location lies at 4
    image.put(1, 1, 2);          // B: two units wide
    image.put(2, 2, 0x0100);     // format word
    image.put(4, 2, 0x10);       // H
    std::vector<uint32_t> cells(kerneldata::kHeaderEntries);
    std::iota(cells.begin(), cells.end(), 0u);
    if (m_shuffle)
        std::shuffle(cells.begin(), cells.end(), m_random);
    uint32_t next = 0x400;
    auto place = [&next](uint32_t size) {
        const uint32_t at = next;
        next = (next + size + 3) & ~3u;
        return at;
    };
    auto entry = [&](int e, uint32_t size, uint32_t value) {
        const uint32_t cell = 0x100 + cells[static_cast<std::size_t>(e)] * 4;
        image.put(0x10 + static_cast<uint32_t>(e) * 4, 2, cell);
        image.put(0x12 + static_cast<uint32_t>(e) * 4, 2, size);
        image.put(cell, size, value);
    };
    auto table = [&](int e) {
        const LayoutTable& t = m_layouts.at(e);
        const uint32_t at = place(static_cast<uint32_t>(t.count()) * 4);
        for (int i = 0; i < t.count(); ++i) {
            image.put(at + static_cast<uint32_t>(i) * 4, 2, static_cast<uint32_t>(t.offsets[static_cast<std::size_t>(i)]));
            image.put(at + static_cast<uint32_t>(i) * 4 + 2, 2, static_cast<uint32_t>(t.sizes[static_cast<std::size_t>(i)]));
        }
        entry(e, 2, port8 ? at / 2 : at);
    };
    auto list = [&](int e, const std::vector<uint32_t>& values, uint32_t width) {
        const uint32_t at = place(static_cast<uint32_t>(values.size()) * width);
        for (std::size_t i = 0; i < values.size(); ++i)
            image.put(at + static_cast<uint32_t>(i) * width, width, values[i]);
        entry(e, 2, at);
        return at;
    };

    entry(0, 2, static_cast<uint32_t>(m_spec.port));
    entry(1, 4, m_spec.layoutVersion);
    entry(2, 2, m_spec.clockRate);
    entry(3, 2, m_spec.levels);
    entry(4, 2, 0x0005);
    entry(5, 2, 0x0007);
    entry(6, 4, 0x20261209);
    entry(7, 4, 0x00000042);
    if (port8)
        entry(8, 2, m_anchor / 2);
    else
        entry(8, 4, m_anchor);
    entry(9, 4, kwsExtent());
    for (int e : {10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 29, 30, 31, 35, 36, 37, 38,
                  39, 40, 41, 42, 44, 45, 46})
        table(e);
    list(28, {4, 4, pointerSize(), 0, 0, dynamicRecordSize(), m_waitNodeSize, 0, m_waitListBias, 0, 0, 0}, 2);
    std::vector<uint32_t> numbers;
    for (int i = 0; i < kObjectKindCount; ++i)
        numbers.push_back(static_cast<uint32_t>(m_classNumbers[static_cast<std::size_t>(kClassListOrder[i])]));
    list(32, numbers, wordUnits);
    entry(33, 2, m_spec.stackFillPattern);
    if (m_spec.port == 10 || m_spec.port == 13) {
        const uint32_t count = m_spec.port == 10 ? 43 : 54;
        std::vector<uint32_t> extras;
        for (uint32_t i = 0; i < count; ++i)
            extras.push_back(0x100 + i);
        const uint32_t extrasAt = place(count * 4);
        for (uint32_t i = 0; i < count; ++i)
            image.put(extrasAt + i * 4, 4, extras[i]);
        list(34, {m_spec.stackGrowth, extrasAt}, 4);
    } else {
        list(34, {m_spec.stackGrowth}, wordUnits);
    }
    entry(43, 4, 0);
}

bool WriteTargetFiles(const GeneratedTarget& target, const std::string& folder, const std::string& ext,
                      std::string& error)
{
    auto write = [&](const std::string& name, const std::string& content) {
        const std::string path = folder + "/" + name;
        const std::string temporary = path + ".tmp";
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            out << content;
            if (!out.flush()) {
                error = path + ": cannot be written";
                return false;
            }
        }
        if (std::rename(temporary.c_str(), path.c_str()) != 0) {
            error = path + ": cannot be written";
            return false;
        }
        return true;
    };
    std::string symbols;
    char line[300];
    for (const auto& [name, address] : target.symbols) {
        std::snprintf(line, sizeof line, "%s 0x%08X\n", name.c_str(), address);
        symbols += line;
    }
    return write("z5data." + ext, SRecordText(target.dataFile, "z5data")) &&
           write("i2data." + ext, SRecordText(target.secondImage, "i2data")) &&
           write("target.srec", SRecordText(target.memory, "target")) && write("target.sym", symbols);
}

} // namespace simtarget
