#include "plugin/kernel/object_classes.h"

#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/target_access.h"
#include "sdk/kerneldata/kernel_limits.h"

#include <algorithm>
#include <vector>

namespace kernel {
namespace {

constexpr uint32_t kConfigBits[kObjectKindCount] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x800, 0x400,
                                                    0x40, 0x80, 0x100, 0x200, 0x400};

const LayoutTable& emptyTable()
{
    static const LayoutTable table;
    return table;
}

const LayoutTable& descriptorTable(const LayoutTable KwsDescriptor::*member)
{
    const KwsDescriptor* d = GetKwsDescriptor();
    return d ? d->*member : emptyTable();
}

// The kind of a class number, when one kind has it.
std::optional<ObjectKind> kindOfClass(int cls)
{
    for (int k = 0; k < kObjectKindCount; ++k)
        if (GetClassNumber(static_cast<ObjectKind>(k)) == cls)
            return static_cast<ObjectKind>(k);
    return std::nullopt;
}

// The attribute field of a kind's objects: task field 3, the others field 1.
int attributeField(ObjectKind kind) { return kind == ObjectKind::Task ? 3 : 1; }

void setTraceBit(ObjectKind kind, uint32_t n, uint32_t bit, int on)
{
    const uint32_t address = KindObjectAddress(kind, n);
    if (!address)
        return;
    const LayoutTable& t = KindLayout(kind);
    const int field = attributeField(kind);
    uint32_t value = ReadField(t, field, address);
    value = on == 1 ? (value | bit) : (value & ~bit);
    WriteField(t, field, address, value);
}

void zeroFields(ObjectKind kind, uint32_t n, std::initializer_list<int> fields)
{
    const uint32_t address = KindObjectAddress(kind, n);
    if (!address)
        return;
    for (int f : fields)
        WriteField(KindLayout(kind), f, address, 0);
}

const ObjectClassRecord* loadedRecord(int cls)
{
    if (cls < 0 || cls >= kClassSlots)
        return nullptr;
    return ClassRecords()[static_cast<std::size_t>(cls)].get();
}

// How many of the class's objects the target can hold: objects 0 to n lie at objectBase + stride x n,
// so the table must stay inside the 32-bit address space and its last record must be readable. When
// it is not, the highest object whose record is readable is found by bisection (a few reads, once per
// record load). A stride of 0 or less claims no memory and holds no object.
uint32_t heldObjects(const ObjectClassRecord& r)
{
    if (r.stride <= 0 || r.totalCount == 0)
        return 0;
    const uint64_t stride = static_cast<uint64_t>(r.stride);
    const uint64_t room = (uint64_t{1} << 32) - r.objectBase; // bytes from the base to the top
    uint64_t fits = room / stride;                            // objects 0 .. fits - 1 fit
    uint32_t held = static_cast<uint32_t>(std::min<uint64_t>(r.totalCount, fits == 0 ? 0 : fits - 1));
    auto readable = [&r, stride](uint32_t n) {
        return IsTargetAddressValid(static_cast<uint32_t>(r.objectBase + stride * n + stride - 1));
    };
    if (held == 0 || readable(held))
        return held;
    uint32_t low = 0, high = held; // object `low` is taken as held, object `high` is not
    while (high - low > 1) {
        const uint32_t middle = low + (high - low) / 2;
        if (readable(middle))
            low = middle;
        else
            high = middle;
    }
    return low;
}

// The units a layout's fields span from the start of their structure.
int64_t layoutExtent(const LayoutTable& t)
{
    int64_t end = 0;
    for (int f = 0; f < t.count(); ++f)
        end = std::max<int64_t>(end, int64_t{t.offsets[static_cast<std::size_t>(f)]} + t.sizes[static_cast<std::size_t>(f)]);
    return end;
}

// The highest number a record field holds: all ones in the field's width.
uint32_t fieldMaximum(const LayoutTable& t, int field)
{
    const int64_t bits = int64_t{FieldSize(t, field)} * std::max(GetAddressUnitWidth(), 1) * 8;
    return bits >= 32 ? 0xFFFFFFFFu : bits <= 0 ? 0u : (1u << bits) - 1u;
}

// The field in which a live object of the kind keeps its own number (task field 5, thread field 7), else 0.
int numberField(ObjectKind kind) { return kind == ObjectKind::Task ? 5 : kind == ObjectKind::Thread ? 7 : 0; }

// A class record a kernel can have written: no more objects than a kernel can be configured with (and,
// where the records keep their own numbers, than the number field holds), every record it claims in
// memory the target has, no more static objects than objects; records at least as long as the object
// layout's fields and a name length the generator can configure (0 when names are not kept). The stop
// that says why it is not (StopNone when it is).
ListStop classRecordStop(const ObjectClassRecord& r, int cls)
{
    const auto kind = kindOfClass(cls);
    const LayoutTable& t = kind ? KindLayout(*kind) : emptyTable();
    const uint32_t numbers = kind && numberField(*kind) ? fieldMaximum(t, numberField(*kind)) : 0;
    if (r.totalCount > kerneldata::kMostClassObjects || r.heldCount < r.totalCount ||
        (numbers != 0 && r.totalCount > numbers))
        return StopClaim;
    if (r.stride <= 0 || r.staticCount > r.totalCount || r.nameLength < 0 ||
        r.nameLength > kerneldata::kLongestNameLimit || layoutExtent(t) > r.stride)
        return StopRecord;
    return StopNone;
}

// A name as the kernel holds it: read up to its terminator, at most name length + 1 units. A static name
// is as the kernel's build wrote it, its terminator within its slot, every unit readable. A dynamic name
// is the caller's text, of any bytes: it ends at its first unit the target does not give, and a longer
// one is shown cut. Control characters are shown escaped (FormatObjectName).
bool nameSound(uint32_t from, int32_t nameLength, bool staticName)
{
    const uint32_t maximum = static_cast<uint32_t>(nameLength) + 1u;
    for (uint32_t i = 0; i < maximum; ++i) {
        uint8_t byte = 0;
        if (!ReadTargetBlock(from + i, 1, &byte))
            return !staticName;
        if (byte == 0)
            return true;
    }
    return !staticName;
}

bool spanReadable(uint32_t address, uint64_t units)
{
    const uint64_t bytes = units * static_cast<uint64_t>(std::max(GetAddressUnitWidth(), 1));
    if (bytes == 0 || address + bytes - 1 > 0xFFFFFFFFu)
        return false;
    return IsTargetAddressValid(address) && IsTargetAddressValid(static_cast<uint32_t>(address + bytes - 1));
}

// A pointer the kernel keeps to an object of `kind`: null, or the address of one of the objects that
// class's table holds.
bool linkSound(uint32_t pointer, ObjectKind kind)
{
    if (pointer == 0)
        return true;
    const ObjectClassRecord* r = LoadClassRecord(GetClassNumber(kind));
    if (!r || r->stride <= 0 || pointer < r->objectBase)
        return false;
    const uint64_t offset = pointer - r->objectBase;
    const auto stride = static_cast<uint64_t>(r->stride);
    return offset % stride == 0 && offset / stride <= r->heldCount;
}

// A pointer to memory the kernel set up (a wait node, a buffer, a table): null or readable.
bool pointerSound(uint32_t pointer) { return pointer == 0 || IsTargetAddressValid(pointer); }

// The object's own number as a field of its record holds it (a layout without the field keeps none).
bool numberSound(const LayoutTable& t, int field, uint32_t at, uint32_t n)
{
    return fieldMaximum(t, field) == 0 || ReadField(t, field, at) == n;
}

// What the record of a live object n of a kind must hold: its own number where the kernel keeps one
// (tasks, threads), its links null or at objects of the class they link to, the first node of its wait
// list and its buffers null or readable. A free dynamic slot holds whatever its last object left, or
// nothing when the kernel never created it, so none of this applies to it.
bool recordFieldsSound(ObjectKind kind, uint32_t n, uint32_t at)
{
    const LayoutTable& t = KindLayout(kind);
    auto link = [&t, at](int field, ObjectKind to) { return linkSound(ReadWordPointerField(t, field, at), to); };
    auto pointer = [&t, at](int field) { return pointerSound(ReadWordPointerField(t, field, at)); };
    auto waitList = [at] {
        return pointerSound(ReadWordPointerField(descriptorTable(&KwsDescriptor::waitHeader), 2, at));
    };
    switch (kind) {
    case ObjectKind::Task:
        return numberSound(t, 5, at, n) && link(1, ObjectKind::Task) && link(8, ObjectKind::Alarm);
    case ObjectKind::Thread:
        return numberSound(t, 7, at, n);
    case ObjectKind::Semaphore:
    case ObjectKind::Mailbox:
    case ObjectKind::Partition:
    case ObjectKind::Queue:
        return waitList();
    case ObjectKind::Mutex:
        return waitList() && link(4, ObjectKind::Task);
    case ObjectKind::Alarm:
        return waitList() && link(4, ObjectKind::Alarm) && link(12, ObjectKind::Counter);
    case ObjectKind::Counter:
        return link(2, ObjectKind::Counter) && linkSound(ReadPointerField(t, 9, at), ObjectKind::Alarm);
    case ObjectKind::EventSource:
        return linkSound(ReadPointerField(t, 2, at), ObjectKind::Counter);
    case ObjectKind::Exception:
        return link(4, ObjectKind::Exception);
    case ObjectKind::Pipe:
        return pointer(6) && pointer(7) && pointer(10);
    case ObjectKind::Level:
        return pointer(5);
    }
    return true;
}

// Object n passes its record's checks: its record is readable; a static object and a dynamic one its
// dynamic record marks in use hold what the kernel writes in a live record, with a static object's name
// (when names are kept) as the build wrote it and a dynamic one's readable. A dynamic slot marked free is
// not in use whatever else its records hold (a kernel may never have written it).
bool objectSound(const ObjectClassRecord& r, int cls, uint32_t n)
{
    const uint64_t address = uint64_t{r.objectBase} + static_cast<uint64_t>(r.stride) * n;
    if (address > 0xFFFFFFFFu || !spanReadable(static_cast<uint32_t>(address), static_cast<uint64_t>(r.stride)))
        return false;
    if (n == 0)
        return true;
    const auto kind = kindOfClass(cls);
    auto liveRecordSound = [&] { return !kind || recordFieldsSound(*kind, n, static_cast<uint32_t>(address)); };
    if (n <= r.staticCount)
        return liveRecordSound() &&
               (r.namePool == 0 ||
                nameSound(r.namePool + (n - 1) * (static_cast<uint32_t>(r.nameLength) + 1u), r.nameLength, true));
    const int32_t recordSize = GetUnitSize(DynamicRecordSize);
    if (!r.dynamicArea || recordSize <= 0)
        return false;
    const uint32_t at = r.dynamicArea + (n - r.staticCount - 1) * static_cast<uint32_t>(recordSize);
    if (!spanReadable(at, static_cast<uint64_t>(recordSize)))
        return false;
    const LayoutTable& dynamic = descriptorTable(&KwsDescriptor::dynamicObject);
    if (ReadField(dynamic, 2, at) == 0)
        return true;
    const uint32_t name = ReadWordPointerField(dynamic, 1, at);
    return liveRecordSound() && (name == 0 || nameSound(name, r.nameLength, false));
}

// The objects from 1 on that pass their checks, up to the first that does not: checked once between two
// runs of the target (a walk reads a sound object's record and name, which its row reads again from the
// read cache), so lists and texts of one refresh see the same count. When the target refuses the reads,
// the count last read is kept and the list says why it is not read anew.
uint32_t soundObjects(ObjectClassRecord& r, int cls)
{
    const uint64_t generation = TargetReadGeneration();
    if (r.checkedGeneration == generation && r.checked)
        return r.soundCount;
    ReadSourceScope target(kTargetSource);
    uint32_t n = 0;
    const uint32_t last = r.totalCount;
    const ListStop recordStop = classRecordStop(r, cls);
    const bool recordSound = recordStop == StopNone;
    if (recordSound)
        while (n < last && objectSound(r, cls, n + 1))
            ++n;
    if (recordSound && n < last && TargetReadsRefused()) {
        r.stop = StopRefused;
        r.checkedGeneration = generation;
        return r.soundCount; // the count held; the next generation reads again
    }
    r.stop = !recordSound ? recordStop : n < r.totalCount ? StopCheck : StopNone;
    r.soundCount = n;
    r.checkedGeneration = generation;
    r.checked = true;
    return n;
}

// The class record, loaded on first use: texts of one class read objects of others whose windows may
// never have run.
const ObjectClassRecord* record(int cls) { return LoadClassRecord(cls); }

} // namespace

int ClassOf(ObjectKind kind) { return GetClassNumber(kind); }

bool IsKindConfigured(ObjectKind kind)
{
    return HasSystemProperties() && (GetSystemPropertiesWords()[0] & kConfigBits[static_cast<int>(kind)]) != 0;
}

const LayoutTable& KindLayout(ObjectKind kind)
{
    const KwsDescriptor* d = GetKwsDescriptor();
    return d ? d->objects[static_cast<std::size_t>(kind)] : emptyTable();
}

uint32_t KindObjectAddress(ObjectKind kind, uint32_t n) { return GetObjectAddress(ClassOf(kind), n); }

uint32_t ReadKindField(ObjectKind kind, uint32_t n, int field)
{
    const uint32_t address = KindObjectAddress(kind, n);
    return address ? ReadField(KindLayout(kind), field, address) : 0;
}

int32_t ReadKindSignedField(ObjectKind kind, uint32_t n, int field)
{
    const uint32_t address = KindObjectAddress(kind, n);
    return address ? ReadSignedField(KindLayout(kind), field, address) : 0;
}

const ObjectClassRecord* LoadClassRecord(int cls)
{
    if (cls < 0 || cls >= kClassSlots)
        return nullptr;
    if (const ObjectClassRecord* existing = loadedRecord(cls))
        return existing;
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d || !d->classEntry.present())
        return nullptr;
    ReadSourceScope target(kTargetSource);
    const uint64_t failures = TargetReadFailures();
    const int32_t size = FieldSize(d->kws, 11);
    const uint32_t slot = GetClassTableAddress() + static_cast<uint32_t>(cls) * static_cast<uint32_t>(std::max(size, 0));
    const uint32_t entry = PortAddress(ReadTargetPointer(slot, size));
    if (entry == 0)
        return nullptr;
    auto r = std::make_unique<ObjectClassRecord>();
    const LayoutTable& e = d->classEntry;
    r->attributes = ReadField(e, 1, entry);
    r->totalCount = ReadField(e, 2, entry);
    r->staticCount = ReadField(e, 3, entry);
    r->stride = ReadSignedField(e, 4, entry);
    r->objectBase = ReadPointerField(e, 5, entry);
    r->namePool = ReadPointerField(e, 6, entry);
    r->nameLength = ReadSignedField(e, 7, entry);
    r->dynamicArea = ReadWordPointerField(e, 8, entry);
    r->field9 = ReadWordPointerField(e, 9, entry);
    r->field10 = ReadWordPointerField(e, 10, entry);
    if (TargetReadFailures() != failures)
        return nullptr; // a read was refused: nothing half read is kept, a later refresh tries again
    r->heldCount = heldObjects(*r); // probes where the records end: its failed reads are expected
    ClassRecords()[static_cast<std::size_t>(cls)] = std::move(r);
    return loadedRecord(cls);
}

int EnsureClassRecord(int cls)
{
    if (cls < 0)
        return 0;
    return LoadClassRecord(cls) ? 1 : 0;
}

void FillClassCounts(ClassCounts& out, int cls)
{
    out = {0, 0, 0, 0};
    if (!record(cls))
        return;
    ObjectClassRecord* r = ClassRecords()[static_cast<std::size_t>(cls)].get();
    // A list shows the objects that pass their record's checks, up to the first that does not; what the
    // class claims beyond it is counted so the window can say so.
    const uint32_t total = soundObjects(*r, cls);
    const uint32_t statics = std::min(r->staticCount, total);
    out = {r->attributes, statics, total - statics, r->totalCount - std::min(total, r->totalCount), r->stop};
}

void GetClassCounts(int cls, ClassCounts& out) { FillClassCounts(out, cls); }

uint32_t GetObjectAddress(int cls, uint32_t n)
{
    const ObjectClassRecord* r = record(cls);
    if (!r)
        return 0;
    return static_cast<uint32_t>(r->stride) * n + r->objectBase;
}

int32_t GetClassNameLength(int cls)
{
    const ObjectClassRecord* r = record(cls);
    return r ? r->nameLength : 0;
}

bool IsObjectHeld(int cls, uint32_t n)
{
    const ObjectClassRecord* r = record(cls);
    if (!r || n > r->totalCount || classRecordStop(*r, cls) != StopNone)
        return false;
    ReadSourceScope target(kTargetSource);
    return objectSound(*r, cls, n);
}

int IsObjectInUse(uint32_t n, int cls)
{
    const ObjectClassRecord* r = record(cls);
    if (!r)
        return 0;
    // Object 0 lies at the object base (the null task the Tasks window lists) and counts as static.
    if (n <= r->staticCount)
        return 1;
    if (!r->dynamicArea || n > r->totalCount)
        return 0;
    const uint32_t d = n - r->staticCount;
    const uint32_t at = r->dynamicArea + (d - 1) * static_cast<uint32_t>(GetUnitSize(DynamicRecordSize));
    return ReadField(descriptorTable(&KwsDescriptor::dynamicObject), 2, at) != 0 ? 1 : 0;
}

std::optional<std::string> GetObjectName(uint32_t n, int cls)
{
    const ObjectClassRecord* r = record(cls);
    if (!r)
        return std::nullopt;
    // At most name length + 1 characters, for names of every length the generator configures.
    const uint32_t maximum =
        static_cast<uint32_t>(std::clamp<int64_t>(int64_t{r->nameLength} + 1, 0, int64_t{kerneldata::kLongestNameLimit} + 1));
    std::vector<char> buffer(maximum + 1, 0);
    uint32_t from = 0;
    if (n == 0)
        return std::string(); // the null object has no name of its own
    if (n <= r->staticCount) {
        if (!r->namePool)
            return std::string();
        // Names lie name length + 1 units apart; 32-bit target address arithmetic, as the kernel's own.
        from = r->namePool + (n - 1) * (static_cast<uint32_t>(r->nameLength) + 1u);
    } else {
        if (!r->dynamicArea || !IsObjectInUse(n, cls))
            return std::nullopt;
        const uint32_t d = n - r->staticCount;
        const uint32_t at = r->dynamicArea + (d - 1) * static_cast<uint32_t>(GetUnitSize(DynamicRecordSize));
        from = ReadWordPointerField(descriptorTable(&KwsDescriptor::dynamicObject), 1, at);
        if (!from)
            return std::string();
    }
    ReadValueString(from, maximum, buffer.data());
    return std::string(buffer.data());
}

uint32_t GetObjectEventSemaphore(int kind, int cls, uint32_t n)
{
    const auto k = kindOfClass(cls);
    if (!k || (kind != 1 && kind != 2))
        return 0;
    int field = 0;
    switch (*k) {
    case ObjectKind::Mailbox: field = kind == 1 ? 7 : 0; break;
    case ObjectKind::Partition: field = kind == 1 ? 9 : 0; break;
    case ObjectKind::Queue: field = kind == 1 ? 9 : 10; break;
    case ObjectKind::Mutex: field = kind == 1 ? 7 : 0; break;
    case ObjectKind::Alarm: field = kind == 1 ? 15 : 16; break;
    default: return 0;
    }
    return field ? ReadKindField(*k, n, field) : 0;
}

uint32_t AlarmTicksLeft(uint32_t alarm)
{
    const LayoutTable& a = KindLayout(ObjectKind::Alarm);
    const LayoutTable& c = KindLayout(ObjectKind::Counter);
    const uint32_t counter = ReadWordPointerField(a, 12, alarm);
    uint32_t value = ReadField(a, 6, alarm);
    const uint32_t accumulator = counter ? ReadField(c, 8, counter) : 0;
    if (int64_t{FieldSize(c, 8)} * GetAddressUnitWidth() == 2 && value < accumulator)
        value += 0x10000;
    return value - accumulator;
}

uint32_t ReadWaitingTasks(uint32_t n, int cls, WaiterRecord* out, uint32_t maximum)
{
    const uint32_t object = GetObjectAddress(cls, n);
    if (!object || maximum == 0)
        return 0;
    const LayoutTable& header = descriptorTable(&KwsDescriptor::waitHeader);
    const LayoutTable& node = descriptorTable(&KwsDescriptor::waitNode);
    const LayoutTable& task = KindLayout(ObjectKind::Task);
    uint32_t count = 0;
    BoundedWalk walk(kMaxWalk);
    for (uint32_t at = ReadWordPointerField(header, 2, object); count < maximum && walk.visit(at);
         at = ReadWordPointerField(node, 1, at)) {
        if (!out) { // counting only
            ++count;
            continue;
        }
        const uint32_t taskAddress = ReadWordPointerField(node, 6, at);
        WaiterRecord rec{ReadField(task, 5, taskAddress), 0, 0};
        const uint32_t alarm = rec[0] ? ReadWordPointerField(task, 8, taskAddress) : 0;
        if (alarm) {
            rec[1] = AlarmTicksLeft(alarm);
            rec[2] = ReadField(KindLayout(ObjectKind::Alarm), 13, alarm);
        }
        out[count++] = rec;
    }
    return count;
}

#define KERNEL_CLASS_FAMILY(C)                                                                           \
    bool Is##C##ClassConfigured() { return IsKindConfigured(ObjectKind::C); }                         \
    void Get##C##Counts(ClassCounts& out) { FillClassCounts(out, ClassOf(ObjectKind::C)); }           \
    int Ensure##C##ClassRecord() { return EnsureClassRecord(ClassOf(ObjectKind::C)); }                \
    std::optional<std::string> Get##C##Name(uint32_t n) { return GetObjectName(n, ClassOf(ObjectKind::C)); } \
    int Is##C##InUse(uint32_t n) { return IsObjectInUse(n, ClassOf(ObjectKind::C)); }
KERNEL_CLASS_FAMILY(Task)
KERNEL_CLASS_FAMILY(Semaphore)
KERNEL_CLASS_FAMILY(Mailbox)
KERNEL_CLASS_FAMILY(Partition)
KERNEL_CLASS_FAMILY(Queue)
KERNEL_CLASS_FAMILY(Mutex)
KERNEL_CLASS_FAMILY(Pipe)
KERNEL_CLASS_FAMILY(Thread)
KERNEL_CLASS_FAMILY(EventSource)
KERNEL_CLASS_FAMILY(Counter)
KERNEL_CLASS_FAMILY(Alarm)
KERNEL_CLASS_FAMILY(Exception)
#undef KERNEL_CLASS_FAMILY

int EnsureThreadClassRecords()
{
    if (!EnsureClassRecord(ClassOf(ObjectKind::Thread)))
        return 0;
    return EnsureClassRecord(ClassOf(ObjectKind::Level));
}

void GetLevelCounts(ClassCounts& out) { FillClassCounts(out, ClassOf(ObjectKind::Level)); }
std::optional<std::string> GetLevelName(uint32_t n) { return GetObjectName(n, ClassOf(ObjectKind::Level)); }

uint32_t ReadSemaphoreWaiters(uint32_t n, WaiterRecord* out, uint32_t m) { return ReadWaitingTasks(n, ClassOf(ObjectKind::Semaphore), out, m); }
uint32_t ReadMailboxWaiters(uint32_t n, WaiterRecord* out, uint32_t m) { return ReadWaitingTasks(n, ClassOf(ObjectKind::Mailbox), out, m); }
uint32_t ReadPartitionWaiters(uint32_t n, WaiterRecord* out, uint32_t m) { return ReadWaitingTasks(n, ClassOf(ObjectKind::Partition), out, m); }
uint32_t ReadQueueWaiters(uint32_t n, WaiterRecord* out, uint32_t m) { return ReadWaitingTasks(n, ClassOf(ObjectKind::Queue), out, m); }
uint32_t ReadMutexWaiters(uint32_t n, WaiterRecord* out, uint32_t m) { return ReadWaitingTasks(n, ClassOf(ObjectKind::Mutex), out, m); }

uint32_t GetMailboxNotEmptySemaphore(uint32_t n) { return GetObjectEventSemaphore(1, ClassOf(ObjectKind::Mailbox), n); }
uint32_t GetPartitionNotEmptySemaphore(uint32_t n) { return GetObjectEventSemaphore(1, ClassOf(ObjectKind::Partition), n); }
uint32_t GetQueueNotEmptySemaphore(uint32_t n) { return GetObjectEventSemaphore(1, ClassOf(ObjectKind::Queue), n); }
uint32_t GetQueueNotFullSemaphore(uint32_t n) { return GetObjectEventSemaphore(2, ClassOf(ObjectKind::Queue), n); }
uint32_t GetMutexNotBusySemaphore(uint32_t n) { return GetObjectEventSemaphore(1, ClassOf(ObjectKind::Mutex), n); }
uint32_t GetAlarmExpiredSemaphore(uint32_t n) { return GetObjectEventSemaphore(1, ClassOf(ObjectKind::Alarm), n); }
uint32_t GetAlarmAbortedSemaphore(uint32_t n) { return GetObjectEventSemaphore(2, ClassOf(ObjectKind::Alarm), n); }

void SetTaskTraceObject(uint32_t n, int on) { setTraceBit(ObjectKind::Task, n, kTraceObjectBit, on); }
void SetTaskTraceActor(uint32_t n, int on) { setTraceBit(ObjectKind::Task, n, kTraceActorBit, on); }
void SetThreadTraceObject(uint32_t n, int on) { setTraceBit(ObjectKind::Thread, n, kTraceObjectBit, on); }
void SetThreadTraceActor(uint32_t n, int on) { setTraceBit(ObjectKind::Thread, n, kTraceActorBit, on); }
void SetExceptionTraceObject(uint32_t n, int on) { setTraceBit(ObjectKind::Exception, n, kTraceObjectBit, on); }
void SetExceptionTraceActor(uint32_t n, int on) { setTraceBit(ObjectKind::Exception, n, kTraceActorBit, on); }
void SetSemaphoreTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Semaphore, n, kTraceObjectBit, on); }
void SetMailboxTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Mailbox, n, kTraceObjectBit, on); }
void SetPartitionTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Partition, n, kTraceObjectBit, on); }
void SetQueueTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Queue, n, kTraceObjectBit, on); }
void SetMutexTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Mutex, n, kTraceObjectBit, on); }
void SetPipeTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Pipe, n, kTraceObjectBit, on); }
void SetEventSourceTrace(uint32_t n, int on) { setTraceBit(ObjectKind::EventSource, n, kTraceObjectBit, on); }
void SetCounterTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Counter, n, kTraceObjectBit, on); }
void SetAlarmTrace(uint32_t n, int on) { setTraceBit(ObjectKind::Alarm, n, kTraceObjectBit, on); }

void ResetSemaphoreStatistics(uint32_t n) { zeroFields(ObjectKind::Semaphore, n, {7}); }
void ResetMailboxStatistics(uint32_t n) { zeroFields(ObjectKind::Mailbox, n, {8}); }
void ResetQueueStatistics(uint32_t n) { zeroFields(ObjectKind::Queue, n, {11, 12}); }
void ResetMutexStatistics(uint32_t n) { zeroFields(ObjectKind::Mutex, n, {8, 9}); }
void ResetPipeStatistics(uint32_t n) { zeroFields(ObjectKind::Pipe, n, {15, 16}); }
void ResetThreadStatistics(uint32_t n) { zeroFields(ObjectKind::Thread, n, {12}); }

void ResetPartitionStatistics(uint32_t n)
{
    const uint32_t address = KindObjectAddress(ObjectKind::Partition, n);
    if (!address)
        return;
    const LayoutTable& t = KindLayout(ObjectKind::Partition);
    WriteField(t, 10, address, 0);
    WriteField(t, 11, address, ReadField(t, 7, address));
}

} // namespace kernel
