// Readers of tasks: records, priorities, stacks, timeouts, what a blocked task waits on, the ready list.
#include "plugin/kernel/bounded_walk.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/stack_scan.h"
#include "plugin/kernel/target_access.h"

#include <algorithm>

namespace kernel {
namespace {

constexpr uint32_t kStatusInactive = 0x800;

uint32_t taskAddress(uint32_t n) { return KindObjectAddress(ObjectKind::Task, n); }
const LayoutTable& taskLayout() { return KindLayout(ObjectKind::Task); }

uint32_t taskClassAttributes()
{
    ClassCounts counts;
    GetTaskCounts(counts);
    return counts[0];
}

// Field 4, or for an inactive task whose field 4 is 0 the base priority (field 12).
int32_t priorityOf(int32_t priority, uint32_t status, int32_t basePriority)
{
    return (priority == 0 && status == kStatusInactive) ? basePriority : priority;
}

bool waitNodesBelow(int port) { return port == 3 || port == 6 || port == 8 || port == 10 || port == 13; }

const LayoutTable& waitNodeLayout()
{
    static const LayoutTable empty;
    const KwsDescriptor* d = GetKwsDescriptor();
    return d ? d->waitNode : empty;
}

uint32_t readyListHead()
{
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d)
        return 0;
    const uint32_t head = ReadWordPointerField(d->kws, 13, d->kwsAddress);
    KernelWorkspaceValues()[12] = head;
    return head;
}

} // namespace

void ReadTaskRecord(uint32_t n, TaskRecord& out)
{
    out.fill(0);
    const uint32_t t = taskAddress(n);
    if (!t)
        return;
    // Each field once: the status feeds the priority and the context, the context the program counter.
    const LayoutTable& l = taskLayout();
    const uint32_t base = ReadPointerField(l, 10, t);
    const uint32_t size = ReadField(l, 11, t);
    const uint32_t status = ReadField(l, 6, t);
    const int32_t basePriority = ReadSignedField(l, 12, t);
    const uint32_t context = TaskContextFromFields(ReadWordPointerField(l, 7, t), status, base);
    out = {ReadField(l, 3, t),
           status,
           static_cast<uint32_t>(priorityOf(ReadSignedField(l, 4, t), status, basePriority)),
           static_cast<uint32_t>(basePriority),
           context,
           base + size,
           ReadFrameRegister(context, t, 0, nullptr),
           ReadWordPointerField(l, 9, t),
           base,
           size};
}

uint32_t ReadTaskStatus(uint32_t n) { return ReadKindField(ObjectKind::Task, n, 6); }

int32_t ReadTaskPriority(uint32_t n)
{
    const int32_t priority = ReadKindSignedField(ObjectKind::Task, n, 4);
    if (priority != 0)
        return priority;
    const uint32_t status = ReadTaskStatus(n);
    return priorityOf(priority, status, status == kStatusInactive ? ReadKindSignedField(ObjectKind::Task, n, 12) : 0);
}

uint32_t ReadTaskSliceCount(uint32_t n) { return (taskClassAttributes() & 0x40) ? ReadKindField(ObjectKind::Task, n, 13) : 0; }
uint32_t ReadTaskSliceLimit(uint32_t n) { return (taskClassAttributes() & 0x40) ? ReadKindField(ObjectKind::Task, n, 14) : 0; }

uint32_t ReadTaskArgAddress(uint32_t n)
{
    const uint32_t t = taskAddress(n);
    return (t && (taskClassAttributes() & 0x100)) ? ReadPointerField(taskLayout(), 15, t) : 0;
}

uint32_t ReadTaskSemaphore(uint32_t n) { return (taskClassAttributes() & 0x4) ? ReadKindField(ObjectKind::Task, n, 16) : 0; }

void ReadTaskStackInfo(uint32_t n, TaskStackInfo& out)
{
    out.fill(0);
    const uint32_t t = taskAddress(n);
    if (!t)
        return;
    const uint32_t base = ReadPointerField(taskLayout(), 10, t);
    if (!base)
        return;
    const uint32_t size = ReadField(taskLayout(), 11, t);
    out = {base, size, 0, 0};
    const int32_t unit = GetUnitSize(StackUnit);
    if (!(taskClassAttributes() & 0x8) || unit <= 0)
        return;
    const uint32_t u = static_cast<uint32_t>(unit);
    const bool down = GetStackGrowthFlag() != 0;
    const FillScan scan = CountFillUnits(down ? base + size - u : base, size / u, unit, down,
                                         GetKwsDescriptor()->stackFillPattern);
    out[4] = static_cast<uint32_t>(scan.end);
    if (scan.end == ScanRefused)
        return;
    out[2] = size - u * scan.units;
    out[3] = u * scan.units;
}

int ReadTaskAlarmInfo(uint32_t n, TaskAlarmInfo& out)
{
    out.fill(0);
    const uint32_t t = taskAddress(n);
    const uint32_t alarm = t ? ReadWordPointerField(taskLayout(), 8, t) : 0;
    if (!alarm)
        return 0;
    const LayoutTable& a = KindLayout(ObjectKind::Alarm);
    const LayoutTable& c = KindLayout(ObjectKind::Counter);
    const uint32_t counter = ReadWordPointerField(a, 12, alarm);
    out = {ReadField(a, 8, alarm),
           ReadField(a, 9, alarm),
           ReadField(a, 13, alarm),
           AlarmTicksLeft(alarm),
           static_cast<uint32_t>(ReadSignedField(a, 11, alarm)),
           counter ? ReadField(c, 4, counter) : 0,
           counter ? ReadField(c, 5, counter) : 0};
    return 1;
}

uint32_t ReadTaskWaitObject(uint32_t n)
{
    const uint32_t t = taskAddress(n);
    if (!t)
        return 0;
    const uint32_t p = ReadWordPointerField(taskLayout(), 7, t);
    const uint32_t node = waitNodesBelow(GetPortCode()) ? p - static_cast<uint32_t>(GetUnitSize(WaitNodeSize))
                                                        : p + static_cast<uint32_t>(GetUnitSize(PointerSize));
    return ReadField(waitNodeLayout(), 4, node);
}

uint32_t ReadTaskMultipleWaitList(uint32_t n, uint32_t* out, uint32_t maximum)
{
    const uint32_t t = taskAddress(n);
    if (!t || maximum == 0)
        return 0;
    const int port = GetPortCode();
    const uint32_t p = ReadWordPointerField(taskLayout(), 7, t);
    // The cell at p points at the saved context, a word address on port 8 as GetTaskContextAddress reads it.
    const uint32_t e = PortAddress(ReadTargetPointer(p, GetUnitSize(PointerSize)));
    const int64_t step = GetUnitSize(WaitNodeSize);
    const uint32_t limit = std::min(maximum, kMaxWalk);
    const LayoutTable& node = waitNodeLayout();
    uint32_t count = 0;
    if (waitNodesBelow(port)) {
        const int64_t bottom = int64_t{e} + GetUnitSize(WaitListBias);
        int64_t q = int64_t{p} - step;
        if (q == bottom) {
            if (out)
                out[0] = ReadField(node, 4, static_cast<uint32_t>(q));
            return 1;
        }
        const bool inclusive = port == 3 || port == 10 || port == 13;
        // A step of 0 or less would never leave the stack: one entry at most.
        while (count < limit && (inclusive ? q >= bottom : q > bottom) && q >= 0) {
            if (out)
                out[count] = ReadField(node, 4, static_cast<uint32_t>(q));
            ++count;
            if (step <= 0)
                break;
            q -= step;
        }
    } else {
        int64_t q = int64_t{p} + GetUnitSize(PointerSize);
        while (count < limit && q < int64_t{e}) {
            if (out)
                out[count] = ReadField(node, 4, static_cast<uint32_t>(q));
            ++count;
            if (step <= 0)
                break;
            q += step;
        }
    }
    return count;
}

uint32_t ReadReadyList(ReadyEntry* out, uint32_t maximum)
{
    if (!out)
        return 0;
    const LayoutTable& l = taskLayout();
    BoundedWalk walk(std::min(maximum, kMaxWalk));
    uint32_t count = 0;
    for (uint32_t t = readyListHead(); walk.visit(t); t = ReadWordPointerField(l, 1, t))
        out[count++] = {ReadField(l, 5, t), static_cast<uint32_t>(ReadSignedField(l, 4, t))};
    return count;
}

uint32_t GetCurrentTask()
{
    const uint32_t head = readyListHead();
    return head ? ReadField(taskLayout(), 5, head) : 0;
}

} // namespace kernel
