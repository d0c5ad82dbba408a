#include "standins/debugger/simtarget/kernel_objects.h"

#include "standins/debugger/simtarget/port_frames.h"

#include <algorithm>

namespace simtarget {
namespace {

int32_t layoutEnd(const LayoutTable& t)
{
    int32_t end = 0;
    for (int i = 0; i < t.count(); ++i)
        end = std::max(end, t.offsets[static_cast<std::size_t>(i)] + t.sizes[static_cast<std::size_t>(i)]);
    return (end + 3) & ~3;
}

// A pointer field as an address (word pointers are stored halved on port 8).
uint32_t loadPointer(TargetBuilder& b, const LayoutTable& t, uint32_t address, int field, bool wordPointer)
{
    const uint32_t value = b.structField(t, address, field);
    return (wordPointer && b.spec().port == 8) ? value * 2 : value;
}

// Appends a wait node to the wait list of the object at `object`.
void appendWaitNode(TargetBuilder& b, uint32_t object, uint32_t node)
{
    const LayoutTable& header = b.layout(Structure::WaitHeader);
    const LayoutTable& wait = b.layout(Structure::WaitNode);
    const uint32_t first = loadPointer(b, header, object, 2, true);
    if (first == 0) {
        b.setStructField(header, object, 2, node, true);
    } else {
        uint32_t last = first;
        for (uint32_t next; (next = loadPointer(b, wait, last, 1, true)) != 0;)
            last = next;
        b.setStructField(wait, last, 1, node, true);
    }
    b.setStructField(header, object, 3, node, true);
    b.setStructField(wait, node, 1, 0, true);
}

void fillPattern(TargetBuilder& b, uint32_t address, uint32_t size)
{
    for (uint32_t i = 0; i + 1 < size; i += 2)
        b.memory().put(address + i, 2, b.spec().stackFillPattern);
}

void writeContext(TargetBuilder& b, uint32_t context, uint32_t owner, bool shortFrame)
{
    const LayoutTable& ctx = b.layout(Structure::Context);
    for (int s = 0; s < ctx.count(); ++s)
        b.setStructField(ctx, context, s, ContextSlotValue(owner, s));
    if (const int frameType = FramesOf(b.spec().port).frameTypeSlot; frameType >= 0)
        b.setStructField(ctx, context, frameType, shortFrame ? 0 : 1);
}

} // namespace

uint32_t ContextSlotValue(uint32_t task, int slot)
{
    return 0xC0000000u | ((task & 0xFFFu) << 12) | static_cast<uint32_t>(slot & 0xFFF);
}

uint32_t MakeTask(TargetBuilder& b, uint32_t n, const TaskOptions& o)
{
    const auto task = ObjectKind::Task;
    const uint32_t t = b.objectAddress(task, n);
    b.setField(task, n, 3, o.attributes);
    b.setField(task, n, 4, static_cast<uint32_t>(o.priority));
    b.setField(task, n, 5, n);
    b.setField(task, n, 6, o.status);
    b.setField(task, n, 9, o.entry + n * 0x100, true);
    b.setField(task, n, 12, static_cast<uint32_t>(o.basePriority));
    b.setField(task, n, 13, o.sliceCount);
    b.setField(task, n, 14, o.sliceLimit);
    const uint32_t size = o.stackSize;
    const uint32_t base = b.allocate(size);
    fillPattern(b, base, size);
    b.setField(task, n, 10, base);
    b.setField(task, n, 11, size);
    if (o.status == 0x800) {
        b.setField(task, n, 7, base + size - 16, true);
        return 0;
    }
    const int port = b.spec().port;
    const bool blocked = (o.status & 0x7E0) != 0;
    const uint32_t k = blocked ? static_cast<uint32_t>(o.waits.size()) : 0;
    const uint32_t cs = b.contextSize(), wns = b.waitNodeSize(), ptr = b.pointerSize();
    const bool below = WaitNodesBelowStackPointer(port);
    // Offsets inside the used part: context e, the cell p that points at it, and the wait nodes.
    uint32_t e = 0, p = 0, used = cs;
    std::vector<uint32_t> nodes;
    if (blocked && below) {
        p = cs + k * wns + ((port == 6 || port == 8) ? wns : 0);
        for (uint32_t i = 1; i <= k; ++i)
            nodes.push_back(p - i * wns);
        used = p + ptr;
    } else if (blocked) {
        p = 0;
        for (uint32_t i = 0; i < k; ++i)
            nodes.push_back(ptr + i * wns);
        e = ptr + k * wns;
        used = e + cs;
    }
    used = (used + 3) & ~3u;
    const uint32_t start = b.spec().stackGrowth ? base : base + size - used;
    b.memory().fill(start, used, 0x11);
    // The rest of the part in use, past the saved context.
    if (o.stackUsed > used && o.stackUsed <= size)
        b.memory().fill(b.spec().stackGrowth ? base + used : base + size - o.stackUsed, o.stackUsed - used, 0x22);
    writeContext(b, start + e, n, o.shortFrame);
    if (blocked) {
        b.memory().put(start + p, ptr, b.stored(start + e, true));
        b.setField(task, n, 7, start + p, true);
        for (std::size_t i = 0; i < nodes.size(); ++i) {
            const uint32_t node = start + nodes[i];
            const LayoutTable& wait = b.layout(Structure::WaitNode);
            b.setStructField(wait, node, 4, o.waits[i].second);
            b.setStructField(wait, node, 6, t, true);
            appendWaitNode(b, b.objectAddress(o.waits[i].first, o.waits[i].second), node);
        }
    } else {
        b.setField(task, n, 7, start + e, true);
    }
    return start + e;
}

void SetTaskTimeout(TargetBuilder& b, uint32_t task, uint32_t alarm)
{
    b.setField(ObjectKind::Task, task, 8, b.objectAddress(ObjectKind::Alarm, alarm), true);
}

void LinkReadyList(TargetBuilder& b, const std::vector<uint32_t>& tasks)
{
    b.setKwsField(13, tasks.empty() ? 0 : b.objectAddress(ObjectKind::Task, tasks[0]), true);
    for (std::size_t i = 0; i < tasks.size(); ++i)
        b.setField(ObjectKind::Task, tasks[i], 1, i + 1 < tasks.size() ? b.objectAddress(ObjectKind::Task, tasks[i + 1]) : 0, true);
}

void AddWaiter(TargetBuilder& b, ObjectKind kind, uint32_t object, uint32_t task)
{
    const uint32_t node = b.allocate(b.waitNodeSize());
    const LayoutTable& wait = b.layout(Structure::WaitNode);
    b.setStructField(wait, node, 4, object);
    b.setStructField(wait, node, 6, b.objectAddress(ObjectKind::Task, task), true);
    appendWaitNode(b, b.objectAddress(kind, object), node);
}

void AddMessage(TargetBuilder& b, uint32_t mailbox, int32_t priority, uint32_t sender, uint32_t state, uint32_t data)
{
    const LayoutTable& env = b.layout(Structure::Envelope);
    const uint32_t e = b.allocate(static_cast<uint32_t>(layoutEnd(env)));
    b.setStructField(env, e, 3, static_cast<uint32_t>(priority));
    b.setStructField(env, e, 6, sender);
    b.setStructField(env, e, 7, state);
    b.setStructField(env, e, 8, data);
    const uint32_t box = b.objectAddress(ObjectKind::Mailbox, mailbox);
    const LayoutTable& m = b.objectLayout(ObjectKind::Mailbox);
    uint32_t last = loadPointer(b, m, box, 4, true);
    if (!last) {
        b.setField(ObjectKind::Mailbox, mailbox, 4, e, true);
    } else {
        for (uint32_t next; (next = loadPointer(b, env, last, 1, true)) != 0;)
            last = next;
        b.setStructField(env, last, 1, e, true);
    }
    b.setField(ObjectKind::Mailbox, mailbox, 6, b.field(ObjectKind::Mailbox, mailbox, 6) + 1);
}

void MakePartition(TargetBuilder& b, uint32_t n, uint32_t blocks, uint32_t blockSize, uint32_t freeBlocks)
{
    const auto p = ObjectKind::Partition;
    const uint32_t area = b.allocate(blocks * blockSize);
    b.setField(p, n, 5, area);
    b.setField(p, n, 6, freeBlocks);
    b.setField(p, n, 7, blocks);
    b.setField(p, n, 8, blockSize);
    b.setField(p, n, 4, freeBlocks ? b.stored(area, true) : 0);
    for (uint32_t i = 0; i < freeBlocks; ++i)
        b.memory().put(area + i * blockSize, b.pointerSize(), i + 1 < freeBlocks ? b.stored(area + (i + 1) * blockSize, true) : 0);
}

void MakeQueue(TargetBuilder& b, uint32_t n, uint32_t width, uint32_t depth, uint32_t putIndex, uint32_t count)
{
    const auto q = ObjectKind::Queue;
    b.setField(q, n, 4, b.allocate(width * depth));
    b.setField(q, n, 5, width);
    b.setField(q, n, 6, depth);
    b.setField(q, n, 7, putIndex);
    b.setField(q, n, 8, count);
}

void MakePipe(TargetBuilder& b, uint32_t n, uint32_t buffers, uint32_t size, uint32_t fullCount, uint32_t fullIndex,
              uint32_t freeCount, uint32_t freeIndex)
{
    const auto p = ObjectKind::Pipe;
    const uint32_t ptr = b.pointerSize();
    const uint32_t word = b.spec().port == 8 ? 2 : 4;
    const uint32_t area = b.allocate(buffers * size);
    const uint32_t fullRing = b.allocate(buffers * ptr), sizeRing = b.allocate(buffers * word), freeRing = b.allocate(buffers * ptr);
    for (uint32_t i = 0; i < buffers; ++i) {
        b.memory().put(fullRing + i * ptr, ptr, area + i * size);
        b.memory().put(sizeRing + i * word, word, 10 + i);
        b.memory().put(freeRing + i * ptr, ptr, area + (buffers - 1 - i) * size);
    }
    b.setField(p, n, 2, buffers);
    b.setField(p, n, 3, size);
    b.setField(p, n, 4, fullCount);
    b.setField(p, n, 5, fullIndex);
    b.setField(p, n, 6, fullRing, true);
    b.setField(p, n, 7, sizeRing, true);
    b.setField(p, n, 8, freeCount);
    b.setField(p, n, 9, freeIndex);
    b.setField(p, n, 10, freeRing, true);
}

void AttachCounter(TargetBuilder& b, uint32_t eventSource, uint32_t counter)
{
    const auto c = ObjectKind::Counter;
    const uint32_t address = b.objectAddress(c, counter);
    b.setField(c, counter, 5, eventSource);
    uint32_t last = b.field(ObjectKind::EventSource, eventSource, 2);
    if (!last) {
        b.setField(ObjectKind::EventSource, eventSource, 2, address);
    } else {
        for (uint32_t next; (next = loadPointer(b, b.objectLayout(c), last, 2, true)) != 0;)
            last = next;
        b.setStructField(b.objectLayout(c), last, 2, address, true);
    }
}

void AttachAlarm(TargetBuilder& b, uint32_t counter, uint32_t alarm)
{
    const auto a = ObjectKind::Alarm;
    const uint32_t address = b.objectAddress(a, alarm);
    b.setField(a, alarm, 12, b.objectAddress(ObjectKind::Counter, counter), true);
    uint32_t last = b.field(ObjectKind::Counter, counter, 9);
    if (!last) {
        b.setField(ObjectKind::Counter, counter, 9, address);
    } else {
        for (uint32_t next; (next = loadPointer(b, b.objectLayout(a), last, 4, true)) != 0;)
            last = next;
        b.setStructField(b.objectLayout(a), last, 4, address, true);
    }
}

std::vector<uint32_t> MakeExceptionChain(TargetBuilder& b, const std::vector<ExceptionFrame>& frames, bool cyclic)
{
    std::vector<uint32_t> out;
    const PortFrames& port = FramesOf(b.spec().port);
    if (port.nextFrameRegister < 0)
        return out;
    const LayoutTable& ctx = b.layout(Structure::Context);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        out.push_back(b.allocate(b.contextSize()));
        // The other registers get the generator's marker values; the three the backtrace reads are real.
        writeContext(b, out.back(), 0x800 + static_cast<uint32_t>(i), false);
        b.setStructField(ctx, out.back(), port.slotOf(port.exceptionRegister), frames[i].exception);
        b.setStructField(ctx, out.back(), port.slotOf(port.threadRegister), frames[i].thread);
        b.setStructField(ctx, out.back(), port.slotOf(port.levelRegister), frames[i].level);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const uint32_t next = i + 1 < out.size() ? out[i + 1] : (cyclic ? out[0] : 0);
        b.setStructField(ctx, out[i], port.slotOf(port.nextFrameRegister), next, true);
    }
    b.setKwsField(26, out.empty() ? 0 : out[0], true);
    return out;
}

uint32_t MakeTrace(TargetBuilder& b, const TraceSetup& s)
{
    const LayoutTable& cbl = b.layout(Structure::TraceControl);
    const LayoutTable& segl = b.layout(Structure::Segment);
    const LayoutTable& listl = b.layout(Structure::TraceList);
    const uint32_t ptr = b.pointerSize();
    const uint32_t block = b.allocate(static_cast<uint32_t>(layoutEnd(cbl)));
    b.setKwsField(27, block, true);
    const uint32_t flags = b.allocate(s.highestService + 1, 1);
    for (uint32_t i = 0; i <= s.highestService; ++i)
        b.memory().put(flags + i, 1, i % 3 == 0 ? 1 : 0);
    std::vector<uint32_t> segs, data;
    const uint32_t segTable = b.allocate(s.segments * ptr), dataTable = b.allocate(s.segments * ptr);
    for (uint32_t i = 0; i < s.segments; ++i) {
        segs.push_back(b.allocate(static_cast<uint32_t>(layoutEnd(segl))));
        data.push_back(b.allocate(s.segmentSize));
        for (uint32_t j = 0; j < s.segmentSize; ++j)
            b.memory().put(data[i] + j, 1, (i * 0x40 + j) & 0xFF);
        b.memory().put(segTable + i * ptr, ptr, segs[i]);
        b.memory().put(dataTable + i * ptr, ptr, data[i]);
        b.setStructField(segl, segs[i], 4, data[i]);
        b.setStructField(segl, segs[i], 2, s.segmentSize);
        b.setStructField(segl, segs[i], 3, data[i]);
    }
    uint32_t next = 0;
    auto record = [&](uint32_t bytes) {
        const uint32_t seg = segs[next++];
        b.setStructField(segl, seg, 2, s.segmentSize - std::min(bytes, s.segmentSize));
        b.setStructField(segl, seg, 3, b.structField(segl, seg, 4) + bytes);
        return seg;
    };
    auto makeList = [&](const std::vector<uint32_t>& members) {
        const uint32_t header = b.allocate(static_cast<uint32_t>(layoutEnd(listl)));
        b.setStructField(listl, header, 1, static_cast<uint32_t>(members.size()));
        b.setStructField(listl, header, 2, members.empty() ? 0 : members.front());
        b.setStructField(listl, header, 3, members.empty() ? 0 : members.back(), true);
        for (std::size_t i = 0; i < members.size(); ++i)
            b.setStructField(segl, members[i], 1, i + 1 < members.size() ? members[i + 1] : 0);
        return header;
    };
    std::vector<uint32_t> l14, l13, freeSegs;
    for (uint32_t bytes : s.list14)
        l14.push_back(record(bytes));
    for (uint32_t bytes : s.list13)
        l13.push_back(record(bytes));
    const uint32_t active = next < s.segments ? record(s.active) : 0;
    while (next < s.segments)
        freeSegs.push_back(segs[next++]);
    b.setStructField(cbl, block, 1, flags);
    b.setStructField(cbl, block, 2, s.highestService);
    b.setStructField(cbl, block, 3, s.mode);
    b.setStructField(cbl, block, 5, active);
    b.setStructField(cbl, block, 6, 0x66);
    b.setStructField(cbl, block, 7, static_cast<uint32_t>(freeSegs.size()));
    b.setStructField(cbl, block, 8, s.segments);
    b.setStructField(cbl, block, 9, s.segmentSize);
    b.setStructField(cbl, block, 10, segTable);
    b.setStructField(cbl, block, 11, dataTable);
    b.setStructField(cbl, block, 12, makeList(freeSegs));
    b.setStructField(cbl, block, 13, makeList(l13));
    b.setStructField(cbl, block, 14, makeList(l14));
    return block;
}

void MakeServicesTable(TargetBuilder& b, const std::vector<ServiceSpec>& services)
{
    SimMemory& image = b.secondImage();
    const LayoutTable& table = b.layout(Structure::ServicesTable);
    const LayoutTable& entry = b.layout(Structure::ServiceEntry);
    const uint32_t word = b.spec().port == 8 ? 2 : 4;
    const uint32_t size = static_cast<uint32_t>(layoutEnd(entry));
    image.put(static_cast<uint32_t>(table.offsets[4]), 4, 0x100);
    image.put(0x100, word, static_cast<uint32_t>(services.size()));
    image.put(static_cast<uint32_t>(table.offsets[5]), 4, 0x200);
    image.put(static_cast<uint32_t>(table.offsets[6]), 4, size);
    uint32_t names = 0x2000;
    for (std::size_t i = 0; i < services.size(); ++i) {
        const uint32_t at = 0x200 + static_cast<uint32_t>(i) * size;
        auto put = [&](int f, uint32_t v) {
            image.put(at + static_cast<uint32_t>(entry.offsets[static_cast<std::size_t>(f)]),
                      static_cast<uint32_t>(entry.sizes[static_cast<std::size_t>(f)]), v);
        };
        put(1, services[i].number);
        put(2, names);
        put(3, services[i].cls);
        put(4, services[i].value);
        image.putString(names, services[i].name);
        names += static_cast<uint32_t>(services[i].name.size() + 1);
    }
}

} // namespace simtarget
