#include "plugin/kernel/trace.h"

#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/text_utils.h"

#include <algorithm>
#include <new>
#include <string>

namespace kernel {
namespace {

// The trace's segments are followed as far as any list of the target is (bounded_walk.h); a header that
// gives more is not followed, and says so (TraceRefusal).
constexpr uint32_t kMaxSegments = kMaxWalkSteps;
// No more trace data than this is taken in one upload (the host buffer); a larger trace stays on the
// target, and the refusal says so.
constexpr uint64_t kMaxTraceBytes = 16u << 20;
// Longest service name shown.
constexpr uint32_t kServiceNameLength = 31;

const KwsDescriptor* workspace()
{
    const KwsDescriptor* d = GetKwsDescriptor();
    return (d && d->kwsAddress) ? d : nullptr;
}

// The control block, read afresh from KWS field 27 and kept in the cached workspace values.
uint32_t controlBlock()
{
    const KwsDescriptor* d = workspace();
    if (!d)
        return 0;
    const uint32_t block = PortAddress(ReadPointerField(d->kws, 27, d->kwsAddress));
    KernelWorkspaceValues()[26] = block;
    return block;
}

struct Trace {
    const KwsDescriptor& d;
    uint32_t block;

    uint32_t cb(int f) const { return ReadField(d.traceControl, f, block); }
    uint32_t cbPointer(int f) const { return ReadPointerField(d.traceControl, f, block); }
    void setCb(int f, uint32_t v) const { WriteField(d.traceControl, f, block, v); }
    uint32_t seg(uint32_t s, int f) const { return ReadField(d.traceSegment, f, s); }
    uint32_t segPointer(uint32_t s, int f) const { return ReadPointerField(d.traceSegment, f, s); }
    void setSeg(uint32_t s, int f, uint32_t v) const { WriteField(d.traceSegment, f, s, v); }
    uint32_t list(uint32_t l, int f) const { return ReadField(d.traceList, f, l); }
    void setList(uint32_t l, int f, uint32_t v) const { WriteField(d.traceList, f, l, v); }
    // Every segment the header gives, or none when they cannot be followed (refusal()).
    uint32_t segmentCount() const { return refusal().empty() ? cb(8) : 0; }

    // Why the header's segments cannot be followed, empty when they can: no more than kMaxSegments, and
    // a segment and a data pointer readable for each in the two tables.
    std::string refusal() const
    {
        const uint32_t count = cb(8);
        if (count > kMaxSegments)
            return "The trace holds " + std::to_string(count) + " segments, more than the " +
                   std::to_string(kMaxSegments) + " that are read";
        if (count == 0)
            return {};
        const auto pointer = static_cast<uint64_t>(std::max(GetUnitSize(PointerSize), 1));
        for (const uint32_t table : {cbPointer(10), cbPointer(11)}) {
            const uint64_t last = uint64_t{table} + pointer * count - 1;
            if (!table || last > 0xFFFFFFFFu || !IsTargetAddressValid(table) ||
                !IsTargetAddressValid(static_cast<uint32_t>(last)))
                return "The trace's segment tables cannot be read for its " + std::to_string(count) + " segments";
        }
        return {};
    }

    // Recorded bytes of a segment, never more than the segment size.
    uint32_t recorded(uint32_t s) const
    {
        const uint32_t size = cb(9);
        const uint32_t free = seg(s, 2);
        return free >= size ? 0 : size - free;
    }

    // Recorded bytes of every segment on the full and empty lists and of the active one.
    uint64_t recordedTotal() const
    {
        uint64_t total = 0;
        for (int f : {13, 14})
            for (uint32_t s : segments(cbPointer(f)))
                total += recorded(s);
        if (const uint32_t active = cbPointer(5))
            total += recorded(active);
        return total;
    }

    // The segments of a list, bounded by its count, the number of segments and a repeat check.
    std::vector<uint32_t> segments(uint32_t l) const
    {
        std::vector<uint32_t> out;
        if (!l)
            return out;
        BoundedWalk walk(std::min(list(l, 1), segmentCount()));
        for (uint32_t s = ReadPointerField(d.traceList, 2, l); walk.visit(s); s = segPointer(s, 1))
            out.push_back(s);
        return out;
    }

    void clear(uint32_t l) const
    {
        if (!l)
            return;
        setList(l, 2, 0);
        setList(l, 3, 0);
        setList(l, 1, 0);
    }

    void append(uint32_t l, uint32_t s) const
    {
        const uint32_t count = list(l, 1);
        if (count != 0)
            setSeg(PortAddress(ReadPointerField(d.traceList, 3, l)), 1, s);
        else
            setList(l, 2, s);
        setList(l, 3, s);
        setList(l, 1, count + 1);
        setSeg(s, 1, 0);
    }

    uint32_t takeFirst(uint32_t l) const
    {
        const uint32_t count = list(l, 1);
        if (count == 0)
            return 0;
        setList(l, 1, count - 1);
        const uint32_t s = ReadPointerField(d.traceList, 2, l);
        setList(l, 2, segPointer(s, 1));
        setSeg(s, 3, segPointer(s, 4));
        setSeg(s, 2, cb(9));
        if (list(l, 1) < cb(7))
            setCb(7, list(l, 1));
        return s;
    }
};

} // namespace

int IsTraceAvailable()
{
    const KwsDescriptor* d = workspace();
    if (!d)
        return 0;
    ReadSourceScope target(kTargetSource);
    return (controlBlock() != 0 || ReadPointerField(d->kws, 3, d->kwsAddress) != 0) ? 1 : 0;
}

uint32_t GetTraceMode()
{
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    return block ? ReadField(workspace()->traceControl, 3, block) : kTraceModeNone;
}

void SetTraceMode(uint32_t mode)
{
    ReadSourceScope target(kTargetSource);
    if (const uint32_t block = controlBlock())
        WriteField(workspace()->traceControl, 3, block, mode);
}

uint32_t ReadServiceTraceFlag(uint32_t number)
{
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    if (!block)
        return 0;
    const Trace t{*workspace(), block};
    const uint32_t flags = t.cbPointer(1);
    // The array holds one flag per service number up to the highest, that one included.
    if (!flags || number > t.cb(2))
        return 0;
    return ReadTargetField(flags + number, 1, false);
}

void WriteServiceTraceFlags(uint32_t count, const uint32_t* numbers, const uint32_t* flags)
{
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    if (!block || !numbers || !flags)
        return;
    const Trace t{*workspace(), block};
    const uint32_t array = t.cbPointer(1);
    if (!array)
        return;
    const uint32_t highest = t.cb(2);
    for (uint32_t i = 0; i < count; ++i)
        if (numbers[i] <= highest)
            WriteTargetField(array + numbers[i], 1, false, flags[i]);
}

uint32_t ReadServiceCount()
{
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d)
        return 0;
    ReadSourceScope image(kSecondImageSlot);
    const LayoutTable& s = d->servicesTable;
    const uint32_t pointer = ReadTargetPointer(static_cast<uint32_t>(FieldOffset(s, 4)), FieldSize(s, 4));
    return pointer ? ReadTargetField(pointer, GetWordUnits(), false) : 0;
}

void ReadServiceEntry(uint32_t n, ServiceEntry& out)
{
    out = ServiceEntry{};
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d || n < 1 || n == 0xFFFFFFFFu || n > ReadServiceCount())
        return;
    ReadSourceScope image(kSecondImageSlot);
    const LayoutTable& s = d->servicesTable;
    const uint32_t size = ReadTargetField(static_cast<uint32_t>(FieldOffset(s, 6)), FieldSize(s, 6), false);
    if (!size)
        return;
    const uint32_t array = ReadTargetPointer(static_cast<uint32_t>(FieldOffset(s, 5)), FieldSize(s, 5));
    if (!array)
        return;
    const uint32_t entry = array + (n - 1) * size;
    const LayoutTable& e = d->serviceEntry;
    out.number = ReadField(e, 1, entry);
    if (const uint32_t name = ReadPointerField(e, 2, entry)) {
        char buffer[kServiceNameLength + 1] = {};
        ReadValueString(name, kServiceNameLength, buffer);
        out.name = buffer;
    }
    out.value3 = ReadField(e, 3, entry);
    out.value4 = ReadField(e, 4, entry);
}

std::string TraceRefusal()
{
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    if (!block)
        return {};
    const Trace t{*workspace(), block};
    if (std::string why = t.refusal(); !why.empty())
        return why;
    const uint64_t total = t.recordedTotal();
    if (total > kMaxTraceBytes)
        return "The trace holds " + std::to_string(total) + " bytes, more than the " + std::to_string(kMaxTraceBytes) +
               " taken in one upload";
    return {};
}

uint32_t GetTraceDataSize()
{
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    if (!block)
        return 0;
    const Trace t{*workspace(), block};
    const uint64_t total = t.recordedTotal();
    return static_cast<uint32_t>(std::min<uint64_t>(total, 0xFFFFFFFFu));
}

bool UploadTraceData(std::vector<uint8_t>& out, std::string* why)
{
    out.clear();
    auto fail = [why](std::string reason) {
        if (why)
            *why = std::move(reason);
        return false;
    };
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    if (!block)
        return fail("The kernel keeps no trace");
    const Trace t{*workspace(), block};
    std::vector<uint32_t> order;
    for (int f : {14, 13})
        for (uint32_t s : t.segments(t.cbPointer(f)))
            order.push_back(s);
    if (const uint32_t active = t.cbPointer(5))
        order.push_back(active);
    if (std::string refusal = t.refusal(); !refusal.empty())
        return fail(refusal); // the target keeps its trace
    uint64_t total = 0;
    for (uint32_t s : order)
        total += t.recorded(s);
    if (total > kMaxTraceBytes) // garbage sizes: the target keeps whatever it holds
        return fail("The trace holds " + std::to_string(total) + " bytes, more than the " +
                    std::to_string(kMaxTraceBytes) + " taken in one upload");
    try {
        out.resize(static_cast<std::size_t>(total));
    } catch (const std::bad_alloc&) {
        out.clear();
        return fail("No memory for the " + std::to_string(total) + " bytes of the trace"); // the target keeps its trace
    }
    std::size_t at = 0;
    for (uint32_t s : order) {
        const uint32_t n = t.recorded(s);
        const uint32_t data = t.segPointer(s, 4);
        if (data && n && !ReadValueBlock(data, n, out.data() + at)) {
            out.clear(); // could not read it all: keep the target's trace for another try
            return fail("The target refused to read the trace data (" + std::to_string(n) + " bytes at " +
                        HexText(data, 8, true, true) + "): nothing was uploaded");
        }
        at += n;
    }
    ResetTraceBuffer();
    return true;
}

void ResetTraceBuffer()
{
    ReadSourceScope target(kTargetSource);
    const uint32_t block = controlBlock();
    if (!block)
        return;
    const Trace t{*workspace(), block};
    if (!t.refusal().empty())
        return; // nothing is written where the segments cannot be followed
    const uint32_t freeList = t.cbPointer(12);
    for (int f : {13, 14, 12})
        t.clear(t.cbPointer(f));
    const uint32_t segments = t.segmentCount();
    const uint32_t segmentTable = t.cbPointer(10);
    const uint32_t dataTable = t.cbPointer(11);
    const int32_t pointerSize = GetUnitSize(PointerSize);
    const uint32_t size = t.cb(9);
    for (uint32_t i = 0; i < segments && freeList; ++i) {
        const uint32_t s = ReadTargetPointer(segmentTable + i * static_cast<uint32_t>(pointerSize), pointerSize);
        const uint32_t data = ReadTargetPointer(dataTable + i * static_cast<uint32_t>(pointerSize), pointerSize);
        if (!s)
            continue;
        t.setSeg(s, 4, data);
        t.setSeg(s, 2, size);
        t.setSeg(s, 3, data);
        t.append(freeList, s);
    }
    t.setCb(7, t.cb(8));
    t.setCb(6, 0);
    t.setCb(5, freeList ? t.takeFirst(freeList) : 0);
}

} // namespace kernel
