// Readers of the objects of every class but tasks.
#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>

namespace kernel {
namespace {

uint32_t addressOf(ObjectKind kind, uint32_t n) { return KindObjectAddress(kind, n); }
uint32_t field(ObjectKind kind, uint32_t n, int f) { return ReadKindField(kind, n, f); }
int32_t signedField(ObjectKind kind, uint32_t n, int f) { return ReadKindSignedField(kind, n, f); }

uint32_t pointerField(ObjectKind kind, uint32_t n, int f)
{
    const uint32_t a = addressOf(kind, n);
    return a ? ReadPointerField(KindLayout(kind), f, a) : 0;
}

uint32_t wordPointerField(ObjectKind kind, uint32_t n, int f)
{
    const uint32_t a = addressOf(kind, n);
    return a ? ReadWordPointerField(KindLayout(kind), f, a) : 0;
}

uint32_t classAttributes(ObjectKind kind)
{
    ClassCounts counts;
    FillClassCounts(counts, ClassOf(kind));
    return counts[0];
}

uint32_t pointerSize() { return static_cast<uint32_t>(GetUnitSize(PointerSize)); }

const LayoutTable& envelopeLayout()
{
    static const LayoutTable empty;
    const KwsDescriptor* d = GetKwsDescriptor();
    return d ? d->envelope : empty;
}

// Index of element k (1-based) of a ring: (head - count, wrapped, + k - 1) mod depth; -1 for a depth of 0.
int64_t ringIndex(int32_t head, int32_t count, int32_t depth, uint32_t k)
{
    if (depth <= 0)
        return -1;
    int64_t i = int64_t{head} - count;
    if (i < 0)
        i += depth;
    i = (i + k - 1) % depth;
    return i < 0 ? i + depth : i;
}

// The k-th element (1-based) of a chain from `first` along `next`. Every element on the way counts as
// visited, so a chain that comes back to an element it passed (stale memory) never yields one twice: 0
// when the chain ends, repeats or exceeds the step bound before element k.
template <typename Next>
uint32_t chainElement(uint32_t first, uint32_t k, Next next)
{
    BoundedWalk walk(kMaxWalk);
    uint32_t at = first;
    for (uint32_t i = 1;; ++i) {
        if (!walk.visit(at))
            return 0;
        if (i == k)
            return at;
        at = next(at);
    }
}

// The k-th envelope of a mailbox (1-based), 0 when there is none.
uint32_t envelopeAt(uint32_t n, uint32_t k)
{
    const uint32_t count = field(ObjectKind::Mailbox, n, 6);
    if (k == 0 || count == 0 || count < k)
        return 0;
    return chainElement(wordPointerField(ObjectKind::Mailbox, n, 4), k,
                        [](uint32_t envelope) { return ReadWordPointerField(envelopeLayout(), 1, envelope); });
}

} // namespace

uint32_t ReadSemaphoreCount(uint32_t n) { return field(ObjectKind::Semaphore, n, 5); }
void ReadSemaphoreRecord(uint32_t n, SemaphoreRecord& out) { out = {field(ObjectKind::Semaphore, n, 1), field(ObjectKind::Semaphore, n, 5)}; }
void ReadSemaphoreStatistics(uint32_t n, SemaphoreStatistics& out) { out = {field(ObjectKind::Semaphore, n, 7)}; }

uint32_t ReadMailboxMessageCount(uint32_t n) { return field(ObjectKind::Mailbox, n, 6); }
void ReadMailboxRecord(uint32_t n, MailboxRecord& out) { out = {field(ObjectKind::Mailbox, n, 1), field(ObjectKind::Mailbox, n, 6)}; }
void ReadMailboxStatistics(uint32_t n, MailboxStatistics& out) { out = {field(ObjectKind::Mailbox, n, 8)}; }

int ReadMailboxMessage(uint32_t n, uint32_t k, MailboxMessage& out)
{
    out.fill(0);
    const uint32_t e = envelopeAt(n, k);
    if (!e)
        return 0;
    const LayoutTable& l = envelopeLayout();
    out = {static_cast<uint32_t>(ReadSignedField(l, 3, e)), ReadField(l, 6, e), ReadField(l, 7, e), ReadPointerField(l, 8, e)};
    return 1;
}

uint32_t ReadMailboxMessageAddress(uint32_t n, uint32_t k)
{
    const uint32_t e = envelopeAt(n, k);
    return e ? ReadPointerField(envelopeLayout(), 8, e) : 0;
}

uint32_t ForEachMailboxMessage(uint32_t n, const MailboxMessageVisitor& visit)
{
    const uint32_t count = field(ObjectKind::Mailbox, n, 6);
    const LayoutTable& l = envelopeLayout();
    uint32_t envelope = wordPointerField(ObjectKind::Mailbox, n, 4);
    BoundedWalk walk(kMaxWalk);
    uint32_t k = 1;
    for (; k <= count; ++k) {
        if (k > 1)
            envelope = ReadWordPointerField(l, 1, envelope);
        if (!walk.visit(envelope))
            break;
        const MailboxMessage message = {static_cast<uint32_t>(ReadSignedField(l, 3, envelope)), ReadField(l, 6, envelope),
                                        ReadField(l, 7, envelope), ReadPointerField(l, 8, envelope)};
        if (!visit(k, message, ReadPointerField(l, 8, envelope)))
            return k;
    }
    return k - 1;
}

uint32_t ReadPartitionAvailable(uint32_t n) { return field(ObjectKind::Partition, n, 6); }

uint32_t ReadPartitionFreeBlock(uint32_t n, uint32_t k)
{
    const uint32_t available = field(ObjectKind::Partition, n, 6);
    const uint32_t a = addressOf(ObjectKind::Partition, n);
    if (!a || k == 0 || available == 0 || available < k || k > kMaxWalk)
        return 0;
    const int32_t size = FieldSize(KindLayout(ObjectKind::Partition), 4);
    return chainElement(ReadPointerField(KindLayout(ObjectKind::Partition), 4, a), k,
                        [size](uint32_t block) { return ReadTargetPointer(PortAddress(block), size); });
}

uint32_t ReadPartitionFreeBlocks(uint32_t n, uint32_t* out, uint32_t maximum)
{
    const auto p = ObjectKind::Partition;
    const uint32_t a = addressOf(p, n);
    if (!a || !out)
        return 0;
    const int32_t size = FieldSize(KindLayout(p), 4);
    BoundedWalk walk(std::min({maximum, field(p, n, 6), kMaxWalk}));
    uint32_t count = 0;
    for (uint32_t block = ReadPointerField(KindLayout(p), 4, a); walk.visit(block);
         block = ReadTargetPointer(PortAddress(block), size))
        out[count++] = block;
    return count;
}

void ReadPartitionRecord(uint32_t n, PartitionRecord& out)
{
    const auto k = ObjectKind::Partition;
    out = {field(k, n, 1), pointerField(k, n, 5), field(k, n, 6), field(k, n, 8), field(k, n, 7)};
}

void ReadPartitionStatistics(uint32_t n, PartitionStatistics& out) { out = {field(ObjectKind::Partition, n, 10), field(ObjectKind::Partition, n, 11)}; }

uint32_t ReadQueueCount(uint32_t n) { return field(ObjectKind::Queue, n, 8); }

uint32_t ReadQueueEntryAddress(uint32_t n, uint32_t k)
{
    const auto q = ObjectKind::Queue;
    if (!addressOf(q, n) || field(q, n, 8) < k)
        return 0;
    int64_t i = int64_t{signedField(q, n, 7)} - k;
    if (i < 0)
        i += signedField(q, n, 6);
    return pointerField(q, n, 4) + static_cast<uint32_t>(i) * field(q, n, 5);
}

void ReadQueueRecord(uint32_t n, QueueRecord& out)
{
    const auto q = ObjectKind::Queue;
    out = {field(q, n, 1), pointerField(q, n, 4), field(q, n, 5), field(q, n, 6), field(q, n, 8)};
}

void ReadQueueStatistics(uint32_t n, QueueStatistics& out) { out = {field(ObjectKind::Queue, n, 11), field(ObjectKind::Queue, n, 12)}; }

uint32_t ReadMutexOwner(uint32_t n)
{
    const uint32_t owner = wordPointerField(ObjectKind::Mutex, n, 4);
    return owner ? ReadField(KindLayout(ObjectKind::Task), 5, owner) : 0;
}

uint32_t ReadMutexCount(uint32_t n) { return field(ObjectKind::Mutex, n, 5); }

void ReadMutexRecord(uint32_t n, MutexRecord& out)
{
    const auto m = ObjectKind::Mutex;
    out = {field(m, n, 1), ReadMutexOwner(n), field(m, n, 5), static_cast<uint32_t>(signedField(m, n, 6))};
}

void ReadMutexStatistics(uint32_t n, MutexStatistics& out) { out = {field(ObjectKind::Mutex, n, 8), field(ObjectKind::Mutex, n, 9)}; }

void ReadPipeActions(uint32_t n, PipeActions& out)
{
    const auto p = ObjectKind::Pipe;
    out = {static_cast<uint32_t>(signedField(p, n, 11)), field(p, n, 12), static_cast<uint32_t>(signedField(p, n, 13)),
           field(p, n, 14)};
}

uint32_t ReadPipeFreeCount(uint32_t n) { return field(ObjectKind::Pipe, n, 8); }
uint32_t ReadPipeFullCount(uint32_t n) { return field(ObjectKind::Pipe, n, 4); }

void ReadPipeRecord(uint32_t n, PipeRecord& out)
{
    const auto p = ObjectKind::Pipe;
    out = {field(p, n, 1), field(p, n, 2), field(p, n, 3), field(p, n, 4), wordPointerField(p, n, 6), field(p, n, 8)};
}

void ReadPipeStatistics(uint32_t n, PipeStatistics& out) { out = {field(ObjectKind::Pipe, n, 15), field(ObjectKind::Pipe, n, 16)}; }

uint32_t ReadPipeFreeBuffer(uint32_t n, uint32_t k)
{
    const auto p = ObjectKind::Pipe;
    if (!addressOf(p, n) || k > field(p, n, 8))
        return 0;
    const int64_t i = ringIndex(signedField(p, n, 9), signedField(p, n, 8), signedField(p, n, 2), k);
    if (i < 0)
        return 0;
    return ReadTargetPointer(wordPointerField(p, n, 10) + static_cast<uint32_t>(i) * pointerSize(),
                             static_cast<int32_t>(pointerSize()));
}

uint32_t ReadPipeFullBuffer(uint32_t n, uint32_t k, uint32_t* size)
{
    const auto p = ObjectKind::Pipe;
    if (size)
        *size = 0;
    if (!addressOf(p, n) || k > field(p, n, 4))
        return 0;
    const int64_t i = ringIndex(signedField(p, n, 5), signedField(p, n, 4), signedField(p, n, 2), k);
    if (i < 0)
        return 0;
    const int32_t word = GetWordUnits();
    if (size) {
        const uint32_t at = wordPointerField(p, n, 7) + static_cast<uint32_t>(i) * static_cast<uint32_t>(word);
        uint32_t value = ReadTargetField(at, word, true);
        const int64_t bytes = int64_t{word} * GetAddressUnitWidth();
        if (bytes > 0 && bytes < 4 && (value & (1u << (8 * bytes - 1))))
            value |= ~((1u << (8 * bytes)) - 1);
        *size = value;
    }
    return ReadTargetPointer(wordPointerField(p, n, 6) + static_cast<uint32_t>(i) * pointerSize(),
                             static_cast<int32_t>(pointerSize()));
}

uint32_t ReadThreadArgAddress(uint32_t n) { return (classAttributes(ObjectKind::Thread) & 0x100) ? pointerField(ObjectKind::Thread, n, 11) : 0; }
uint32_t ReadThreadEnvArgAddress(uint32_t n) { return (classAttributes(ObjectKind::Thread) & 0x80) ? pointerField(ObjectKind::Thread, n, 10) : 0; }

void ReadThreadGate(uint32_t n, ThreadGate& out)
{
    if (!(classAttributes(ObjectKind::Thread) & 0x200))
        return;
    out = {field(ObjectKind::Thread, n, 8), field(ObjectKind::Thread, n, 9),
           static_cast<uint32_t>(int64_t{FieldSize(KindLayout(ObjectKind::Thread), 8)} * GetAddressUnitWidth())};
}

int32_t ReadThreadOrder(uint32_t n) { return signedField(ObjectKind::Thread, n, 2); }

void ReadThreadRunCount(uint32_t n, ThreadRunCount& out)
{
    if (classAttributes(ObjectKind::Thread) & 0x8)
        out = {static_cast<uint32_t>(signedField(ObjectKind::Thread, n, 12))};
}

void ReadThreadRecord(uint32_t n, ThreadRecord& out)
{
    const auto t = ObjectKind::Thread;
    out = {field(t, n, 1), static_cast<uint32_t>(signedField(t, n, 2)), static_cast<uint32_t>(signedField(t, n, 3)),
           static_cast<uint32_t>(signedField(t, n, 4)), wordPointerField(t, n, 5)};
}

uint32_t ReadEventSourceAccumulator(uint32_t n) { return field(ObjectKind::EventSource, n, 3); }
void ReadEventSourceRecord(uint32_t n, EventSourceRecord& out) { out = {field(ObjectKind::EventSource, n, 1), field(ObjectKind::EventSource, n, 3)}; }

uint32_t ReadEventSourceCounters(uint32_t n, EventSourceCounter* out, uint32_t maximum)
{
    if (!out)
        return 0;
    const LayoutTable& c = KindLayout(ObjectKind::Counter);
    BoundedWalk walk(std::min(maximum, kMaxWalk));
    uint32_t count = 0;
    for (uint32_t at = pointerField(ObjectKind::EventSource, n, 2); walk.visit(at); at = ReadWordPointerField(c, 2, at))
        out[count++] = {ReadField(c, 6, at), ReadField(c, 7, at), ReadField(c, 8, at), ReadField(c, 4, at)};
    return count;
}

void ReadCounterRecord(uint32_t n, CounterRecord& out)
{
    const auto c = ObjectKind::Counter;
    out = {field(c, n, 1), field(c, n, 5), field(c, n, 6), field(c, n, 7), field(c, n, 8)};
}

uint32_t ReadCounterAlarms(uint32_t n, CounterAlarm* out, uint32_t maximum)
{
    if (!out)
        return 0;
    const LayoutTable& a = KindLayout(ObjectKind::Alarm);
    const uint32_t accumulator = field(ObjectKind::Counter, n, 8);
    const bool narrow = int64_t{FieldSize(a, 6)} * GetAddressUnitWidth() == 2;
    BoundedWalk walk(std::min(maximum, kMaxWalk));
    uint32_t count = 0;
    for (uint32_t at = pointerField(ObjectKind::Counter, n, 9); walk.visit(at); at = ReadWordPointerField(a, 4, at)) {
        uint32_t value = ReadField(a, 6, at);
        if (narrow && value < accumulator)
            value += 0x10000;
        out[count++] = {value - accumulator, ReadField(a, 7, at), ReadField(a, 8, at), ReadField(a, 9, at),
                        ReadField(a, 10, at), ReadField(a, 11, at), ReadField(a, 13, at), ReadField(a, 14, at),
                        ReadField(a, 15, at), ReadField(a, 16, at)};
    }
    return count;
}

void ReadAlarmRecord(uint32_t n, AlarmRecord& out)
{
    out.fill(0);
    const uint32_t alarm = addressOf(ObjectKind::Alarm, n);
    if (!alarm)
        return;
    const LayoutTable& a = KindLayout(ObjectKind::Alarm);
    const uint32_t counter = ReadWordPointerField(a, 12, alarm);
    out = {ReadField(a, 1, alarm), AlarmTicksLeft(alarm), ReadField(a, 7, alarm), ReadField(a, 8, alarm),
           ReadField(a, 9, alarm), ReadField(a, 10, alarm), static_cast<uint32_t>(ReadSignedField(a, 11, alarm)),
           counter ? ReadField(KindLayout(ObjectKind::Counter), 4, counter) : 0, ReadField(a, 13, alarm),
           ReadField(a, 14, alarm)};
}

uint32_t ReadAlarmWaiters(uint32_t n, uint32_t* out, uint32_t maximum)
{
    const uint32_t alarm = addressOf(ObjectKind::Alarm, n);
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!alarm || !d)
        return 0;
    BoundedWalk walk(std::min(maximum, kMaxWalk));
    uint32_t count = 0;
    for (uint32_t at = ReadWordPointerField(d->waitHeader, 2, alarm); walk.visit(at);
         at = ReadWordPointerField(d->waitNode, 1, at)) {
        if (out)
            out[count] = ReadField(KindLayout(ObjectKind::Task), 5, ReadWordPointerField(d->waitNode, 6, at));
        ++count;
    }
    return count;
}

void ReadExceptionRecord(uint32_t n, ExceptionRecord& out)
{
    const auto e = ObjectKind::Exception;
    out = {field(e, n, 1), field(e, n, 2), field(e, n, 3), wordPointerField(e, n, 4)};
}

void ReadLevelRecord(uint32_t n, LevelRecord& out)
{
    out = {field(ObjectKind::Level, n, 1), field(ObjectKind::Level, n, 3), field(ObjectKind::Level, n, 4)};
}

// Level field 5 is the level's table of thread pointers, indexed by level number. On port 8 it holds a
// word address like the kernel's other list pointers, so both readers below double it after reading;
// the thread pointers in the table are byte addresses and are used as read.
int ReadLevelSchedule(uint32_t n, LevelSchedule& out)
{
    out.fill(0);
    const uint32_t index = field(ObjectKind::Level, n, 10);
    if (index == 0)
        return 0;
    const uint32_t table = wordPointerField(ObjectKind::Level, n, 5);
    const uint32_t thread = ReadTargetPointer(table + index * pointerSize(), static_cast<int32_t>(pointerSize()));
    out = {thread ? ReadField(KindLayout(ObjectKind::Thread), 7, thread) : 0, index};
    return 1;
}

uint32_t ReadLevelScheduledThreads(uint32_t n, ScheduledThread* out, uint32_t maximum)
{
    const auto l = ObjectKind::Level;
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!out || !d || !addressOf(l, n))
        return 0;
    const uint32_t table = wordPointerField(l, n, 5);
    const uint32_t mask = field(l, n, 2);
    // Level numbers beyond 32 select no bit of a 32-bit word.
    const uint32_t levels = std::min<uint32_t>(d->value3 & 0xFFFF, 32);
    const uint32_t top = levels < 9 ? 0x80u : levels <= 16 ? 0x8000u : levels < 25 ? 0x800000u : 0x80000000u;
    const uint32_t mode = field(l, n, 1) & 0x30;
    uint32_t selection = 0;
    if (mode == 0x10)
        selection = field(l, n, 7);
    else if (mode == 0)
        selection = 0xFFFFFFFFu;
    else
        return 0;
    uint32_t count = 0;
    for (int pass = 0; pass < 2; ++pass, selection = ~selection) {
        for (uint32_t i = 1; i <= levels && selection && mask && count < maximum; ++i) {
            const uint32_t bit = i < 32 ? top >> i : 0;
            if (!((selection & mask) & bit))
                continue;
            const uint32_t thread = ReadTargetPointer(table + i * pointerSize(), static_cast<int32_t>(pointerSize()));
            const uint32_t number = thread ? ReadField(KindLayout(ObjectKind::Thread), 7, thread) : 0;
            out[count++] = {number, static_cast<uint32_t>(ReadThreadOrder(number)), mode};
        }
    }
    return count;
}

} // namespace kernel
