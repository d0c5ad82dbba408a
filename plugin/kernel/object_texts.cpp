#include "plugin/kernel/object_texts.h"

#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/text_utils.h"

#include <boost/format.hpp>

#include <vector>

namespace kernel {
namespace {

// Class words of the name texts and the record word that carries each class's attributes.
struct ClassText {
    ObjectKind kind;
    const char* word;      // "<Sema #3>"
    const char* className; // ClassNameText
};

constexpr ClassText kClassTexts[] = {
    {ObjectKind::Task, "Task", "Task"},           {ObjectKind::Semaphore, "Sema", "Semaphore"},
    {ObjectKind::Mailbox, "Mbox", "Mailbox"},     {ObjectKind::Partition, "Part", "Partition"},
    {ObjectKind::Queue, "Queue", "Queue"},        {ObjectKind::Mutex, "Mutex", "Mutex"},
    {ObjectKind::Pipe, "Pipe", "Pipe"},           {ObjectKind::Thread, "Thread", "Thread"},
    {ObjectKind::EventSource, "EvntSrc", "Evntsrc"}, {ObjectKind::Counter, "Counter", "Counter"},
    {ObjectKind::Alarm, "Alarm", "Alarm"},        {ObjectKind::Exception, "Excptn", "Exception"},
    {ObjectKind::Level, "Level", "Level"},
};

const ClassText& textOf(ObjectKind kind) { return kClassTexts[static_cast<int>(kind)]; }

const ClassText* textOfClass(int cls)
{
    for (const ClassText& t : kClassTexts)
        if (ClassOf(t.kind) == cls && cls >= 0)
            return &t;
    return nullptr;
}

// The attribute word of an object: the first word of its record (task field 3, the others field 1).
uint32_t attributeWord(ObjectKind kind, uint32_t n) { return ReadKindField(kind, n, kind == ObjectKind::Task ? 3 : 1); }

std::string nameOf(ObjectKind kind, uint32_t n)
{
    return FormatObjectName(ClassOf(kind), n, attributeWord(kind, n), textOf(kind).word);
}

// A name may hold any bytes (a dynamic one is the caller's text): each control character is shown as its
// escape ("\t", "\n", "\r", else "\x" and two hex digits) and a backslash as "\\", so every name reads
// as the target holds it and no two names read alike.
std::string printable(std::string text)
{
    if (text.size() > kShownNameLength)
        text.resize(kShownNameLength);
    std::string shown;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\') {
            shown += "\\\\";
            continue;
        }
        if (byte >= 0x20 && byte != 0x7F) {
            shown += c;
            continue;
        }
        static const char digits[] = "0123456789ABCDEF";
        shown += c == '\t' ? "\\t" : c == '\n' ? "\\n" : c == '\r' ? "\\r"
                                                   : std::string{'\\', 'x', digits[byte >> 4], digits[byte & 0xF]};
    }
    return shown;
}

// " <25 ticks:SysClk>" for a task with a timeout alarm that has ticks left, else "".
std::string timeoutSuffix(uint32_t task)
{
    TaskAlarmInfo info;
    if (!ReadTaskAlarmInfo(task, info) || info[3] == 0)
        return "";
    return (boost::format(" <%s ticks:%s>") % UnsignedLongText(info[3]) % FormatCounterName(info[5])).str();
}

void appendPart(std::string& text, const std::string& part) { text += SeparatorIfNotEmpty(text) + part; }

// Waiters of an object: task names, each with its timeout and a tag.
std::string waitersText(ObjectKind kind, uint32_t n, const std::string& tag, uint32_t* count)
{
    // One more than is listed, so a longer list is seen to be cut.
    std::vector<WaiterRecord> waiters(kListedWaiters + 1);
    const uint32_t read = ReadWaitingTasks(n, ClassOf(kind), waiters.data(), kListedWaiters + 1);
    const uint32_t found = std::min(read, kListedWaiters);
    std::string text;
    for (uint32_t i = 0; i < found; ++i) {
        text += SeparatorIf(static_cast<int>(i)) + FormatTaskName(waiters[i][0]) + tag;
        if (waiters[i][1] != 0) {
            TaskAlarmInfo info;
            ReadTaskAlarmInfo(waiters[i][0], info);
            text += (boost::format(" <%s ticks:%s>") % UnsignedLongText(waiters[i][1]) % FormatCounterName(info[5])).str();
        }
    }
    if (read > found)
        text += MoreText(ReadWaitingTasks(n, ClassOf(kind), nullptr, kMaxWalk) - found);
    if (count)
        *count = found;
    return text;
}

// Own waiters, then (attribute bit 0x4) those of the event semaphores with their tags.
std::string eventObjectWaitersText(ObjectKind kind, uint32_t n, uint32_t attributes,
                                   std::initializer_list<std::pair<uint32_t, const char*>> semaphores, uint32_t* count)
{
    uint32_t total = 0;
    std::string text = waitersText(kind, n, "", &total);
    if (attributes & 0x4) {
        for (const auto& [semaphore, tag] : semaphores) {
            if (!semaphore)
                continue;
            uint32_t listed = 0;
            const std::string part = SemaphoreWaitersText(semaphore, tag, &listed);
            if (!part.empty())
                text += SeparatorIfNotEmpty(text) + part;
            total += listed;
        }
    }
    if (count)
        *count = total;
    return text;
}

// Items 1..count (at most 16, then "...") joined by blanks. An item may be empty (a null buffer); it
// still takes its place after a blank, as the list is built item by item.
template <typename ItemText>
std::string listText(uint32_t count, ItemText item)
{
    std::string text;
    for (uint32_t k = 1; k <= count && k <= kListedItems; ++k) {
        const std::string one = item(k);
        text += SeparatorIfNotEmpty(text) + one;
    }
    if (count >= kListedItems)
        text += "...";
    return text;
}

} // namespace

// Mailboxes, partitions, queues (not empty, not full), mutexes, alarms (expired, aborted): the order in
// which the task status lists the owners of a semaphore. Each class is scanned once per refresh.
void TaskStatusContext::gatherOwners()
{
    m_ownersGathered = true;
    struct Source {
        ObjectKind kind;
        uint32_t configBit;
        int semaphoreKind;
        const char* tag;
    };
    static constexpr Source sources[] = {
        {ObjectKind::Mailbox, 0x4, 1, "<MNE>"}, {ObjectKind::Partition, 0x8, 1, "<PNE>"},
        {ObjectKind::Queue, 0x10, 1, "<QNE>"},  {ObjectKind::Queue, 0x10, 2, "<QNF>"},
        {ObjectKind::Mutex, 0x20, 1, "<UNB>"},  {ObjectKind::Alarm, 0x100, 1, "<AE>"},
        {ObjectKind::Alarm, 0x100, 2, "<AA>"},
    };
    if (!HasSystemProperties())
        return;
    for (const Source& s : sources) {
        if (!(GetSystemPropertiesWords()[0] & s.configBit))
            continue;
        ClassCounts counts;
        FillClassCounts(counts, ClassOf(s.kind));
        if (!(counts[0] & 0x4))
            continue;
        const uint32_t total = counts[1] + counts[2];
        if (counts[kCountsNotRead] != 0)
            m_ownersCut = true;
        for (uint32_t n = 1; n <= total; ++n)
            if (const uint32_t semaphore = GetObjectEventSemaphore(s.semaphoreKind, ClassOf(s.kind), n))
                m_owners[semaphore].push_back({s.kind, n, s.tag});
    }
}

const std::vector<TaskStatusContext::Owner>& TaskStatusContext::ownersOf(uint32_t semaphore)
{
    static const std::vector<Owner> none;
    if (!m_ownersGathered)
        gatherOwners();
    const auto found = m_owners.find(semaphore);
    return found == m_owners.end() ? none : found->second;
}

uint32_t TaskStatusContext::currentTask()
{
    if (!m_current)
        m_current = GetCurrentTask();
    return *m_current;
}

namespace {
} // namespace

std::string SchedulingMethodText(uint32_t a) { return (a & 0x10) ? "Round Robin" : (a & 0x20) ? "FIFO" : "Priority"; }

std::string PipeActionText(int32_t action)
{
    if (action == 1 || action == 2)
        return "ScheduleThread";
    if (action == 3 || action == 4)
        return "DecrThreadGate";
    return "<no action>";
}

std::string WaitOrderText(uint32_t a) { return (a & 0x2) ? "FIFO" : "Priority"; }
std::string MultipleSingleText(uint32_t a) { return (a & 0x10) ? "Multiple" : "Single"; }
std::string YesNoText(uint32_t a) { return (a & 0x10) ? "Yes" : "No"; }

std::string ThreadGateActionText(uint32_t action, uint32_t thread)
{
    switch (action) {
    case 0: return "<no action>";
    case 1: return "ScheduleThread " + FormatThreadName(thread);
    case 2: return "DecrThreadGate " + FormatThreadName(thread);
    default: return "Unknown";
    }
}

std::string AlarmStateText(uint32_t state)
{
    switch (state) {
    case 0: return "Inactive";
    case 1: return "Active";
    case 2: return "Done";
    case 4: return "Expired";
    case 8: return "Killed";
    case 10: return "Aborted";
    case 20: return "Cancelled";
    default: return (boost::format("Unknown alarm state #%d") % static_cast<int32_t>(state)).str();
    }
}

std::string AlarmTicksText(const AlarmRecord& record) { return record[8] == 1 ? UnsignedLongText(record[1]) : ""; }
std::string MutexOwnerText(const MutexRecord& record) { return record[1] ? FormatTaskName(record[1]) : ""; }

std::string ClassNameText(int cls)
{
    if (const ClassText* t = textOfClass(cls))
        return t->className;
    return (boost::format("Unknown class #%d") % cls).str();
}

std::string FormatObjectName(int cls, uint32_t n, uint32_t attributes, const std::string& classWord)
{
    std::string text;
    if (LoadClassRecord(cls)) {
        if (!IsObjectHeld(cls, n))
            return (boost::format("<Invalid %s handle #%d>") % ClassNameText(cls) % static_cast<int32_t>(n)).str();
    }
    if (GetClassNameLength(cls) != 0)
        text = printable(GetObjectName(n, cls).value_or(""));
    if (text.empty())
        text = (boost::format("<%s #%d>") % classWord % static_cast<int32_t>(n)).str();
    if (attributes & 0x400)
        text += "*";
    return text;
}

std::string FormatTaskName(uint32_t n) { return n == 0 ? "<Null Task>" : nameOf(ObjectKind::Task, n); }
std::string FormatTaskName(uint32_t n, uint32_t attributes)
{
    return n == 0 ? "<Null Task>" : FormatObjectName(ClassOf(ObjectKind::Task), n, attributes, textOf(ObjectKind::Task).word);
}
std::string FormatSemaName(uint32_t n) { return n == 0 ? "<Null Sema>" : nameOf(ObjectKind::Semaphore, n); }
std::string FormatMboxName(uint32_t n) { return nameOf(ObjectKind::Mailbox, n); }
std::string FormatPartName(uint32_t n) { return nameOf(ObjectKind::Partition, n); }
std::string FormatQueueName(uint32_t n) { return nameOf(ObjectKind::Queue, n); }
std::string FormatMutexName(uint32_t n) { return nameOf(ObjectKind::Mutex, n); }
std::string FormatPipeName(uint32_t n) { return nameOf(ObjectKind::Pipe, n); }
std::string FormatThreadName(uint32_t n) { return (n == 0 || n == 0xFFFFFFFFu) ? "<Kernel>" : nameOf(ObjectKind::Thread, n); }
std::string FormatExceptionName(uint32_t n) { return (n == 0 || n == 0xFFFFFFFFu) ? "<Kernel>" : nameOf(ObjectKind::Exception, n); }
std::string FormatLevelName(uint32_t n) { return nameOf(ObjectKind::Level, n); }
std::string FormatEventSourceName(uint32_t n) { return nameOf(ObjectKind::EventSource, n); }
std::string FormatCounterName(uint32_t n) { return nameOf(ObjectKind::Counter, n); }
std::string FormatAlarmName(uint32_t n) { return nameOf(ObjectKind::Alarm, n); }

std::string FormatHandleText(int cls, uint32_t n)
{
    // Valid is what the target holds, not the part of the class one refresh lists.
    if (n >= 1 && IsObjectHeld(cls, n)) {
        if (const ClassText* t = textOfClass(cls))
            return t->kind == ObjectKind::Task ? FormatTaskName(n)
                   : t->kind == ObjectKind::Semaphore ? FormatSemaName(n)
                   : t->kind == ObjectKind::Thread ? FormatThreadName(n)
                   : t->kind == ObjectKind::Exception ? FormatExceptionName(n)
                                                       : nameOf(t->kind, n);
        return (boost::format("<Unknown class #%d, object #%d>") % cls % static_cast<int32_t>(n)).str();
    }
    return (boost::format("<Invalid %s handle #%d>") % ClassNameText(cls) % static_cast<int32_t>(n)).str();
}

std::string FormatTaskStatus(uint32_t task, const TaskRecord& record, const ClassCounts& taskCounts)
{
    TaskStatusContext context;
    return FormatTaskStatus(task, record, taskCounts, context);
}

std::string FormatTaskStatus(uint32_t task, const TaskRecord& record, const ClassCounts& taskCounts,
                             TaskStatusContext& context)
{
    const uint32_t status = record[1];
    std::string text;
    if (status == 0)
        appendPart(text, context.currentTask() == task ? "(Current)" : "(Ready)");
    if (status & 0x1)
        appendPart(text, "Suspended");
    if (status & 0x2)
        appendPart(text, "Aborted");
    if (status & 0x4)
        appendPart(text, "Acknowledge" + timeoutSuffix(task));
    if (status & 0x8)
        appendPart(text, "Sleep" + timeoutSuffix(task));
    if (status & 0x20) {
        std::string part = "Semaphore";
        std::vector<uint32_t> semaphores(kListedWaiters + 1);
        const uint32_t read = ReadTaskMultipleWaitList(task, semaphores.data(), kListedWaiters + 1);
        const uint32_t found = std::min(read, kListedWaiters);
        for (uint32_t i = 0; i < found; ++i) {
            part += " " + FormatSemaName(semaphores[i]);
            // A healthy kernel gives a semaphore one or two owners; stale memory may give it thousands.
            const std::vector<TaskStatusContext::Owner>& owners = context.ownersOf(semaphores[i]);
            const std::size_t listed = std::min<std::size_t>(owners.size(), kListedWaiters);
            for (std::size_t k = 0; k < listed; ++k)
                part += std::string(":") + owners[k].tag + nameOf(owners[k].kind, owners[k].object);
            if (owners.size() > listed)
                part += ":... " + std::to_string(owners.size() - listed) + " more";
            if (context.ownersCut())
                part += ":... owners not all read";
        }
        if (read > found)
            part += MoreText(ReadTaskMultipleWaitList(task, nullptr, kMaxWalk) - found);
        appendPart(text, part + timeoutSuffix(task));
    }
    if (status & 0x40) {
        const uint32_t alarm = ReadTaskWaitObject(task);
        AlarmRecord a;
        ReadAlarmRecord(alarm, a);
        appendPart(text, "Alarm " + FormatAlarmName(alarm) + (boost::format(" <%s ticks>") % UnsignedLongText(a[1])).str() +
                             timeoutSuffix(task));
    }
    if (status & 0x80)
        appendPart(text, "Message " + FormatMboxName(ReadTaskWaitObject(task)) + timeoutSuffix(task));
    if (status & 0x100)
        appendPart(text, "Partition " + FormatPartName(ReadTaskWaitObject(task)) + timeoutSuffix(task));
    if (status & 0x200) {
        const uint32_t queue = ReadTaskWaitObject(task);
        appendPart(text, "Queue " + FormatQueueName(queue) + (ReadQueueCount(queue) == 0 ? "<Empty>" : "<Full>") +
                             timeoutSuffix(task));
    }
    if (status & 0x400)
        appendPart(text, "Mutex " + FormatMutexName(ReadTaskWaitObject(task)) + timeoutSuffix(task));
    if (status & 0x800)
        appendPart(text, "Inactive");
    if (taskCounts[0] & 0x40) {
        const uint32_t count = ReadTaskSliceCount(task), limit = ReadTaskSliceLimit(task);
        if (count || limit)
            appendPart(text, (boost::format("<%s/%s slices>") % DecimalText(static_cast<int32_t>(count)) %
                              DecimalText(static_cast<int32_t>(limit))).str());
    }
    return text;
}

std::string SemaphoreWaitersText(uint32_t semaphore, const std::string& tag, uint32_t* count)
{
    return waitersText(ObjectKind::Semaphore, semaphore, tag, count);
}

std::string MailboxWaitersText(uint32_t mailbox, const MailboxRecord& record, uint32_t* count)
{
    return eventObjectWaitersText(ObjectKind::Mailbox, mailbox, record[0], {{GetMailboxNotEmptySemaphore(mailbox), "<MNE>"}},
                                  count);
}

std::string MutexWaitersText(uint32_t mutex, const MutexRecord& record, uint32_t* count)
{
    return eventObjectWaitersText(ObjectKind::Mutex, mutex, record[0], {{GetMutexNotBusySemaphore(mutex), "<MNB>"}}, count);
}

std::string PartitionWaitersText(uint32_t partition, const PartitionRecord& record, uint32_t* count)
{
    return eventObjectWaitersText(ObjectKind::Partition, partition, record[0],
                                  {{GetPartitionNotEmptySemaphore(partition), "<PNE>"}}, count);
}

std::string QueueWaitersText(uint32_t queue, const QueueRecord& record, uint32_t* count)
{
    return eventObjectWaitersText(ObjectKind::Queue, queue, record[0],
                                  {{GetQueueNotFullSemaphore(queue), "<QNF>"}, {GetQueueNotEmptySemaphore(queue), "<QNE>"}},
                                  count);
}

std::string AlarmWaitersText(uint32_t alarm)
{
    std::vector<uint32_t> tasks(kListedWaiters + 1);
    const uint32_t read = ReadAlarmWaiters(alarm, tasks.data(), kListedWaiters + 1);
    const uint32_t found = std::min(read, kListedWaiters);
    std::string text;
    for (uint32_t i = 0; i < found; ++i)
        text += SeparatorIf(static_cast<int>(i)) + FormatTaskName(tasks[i]);
    if (read > found)
        text += MoreText(ReadAlarmWaiters(alarm, nullptr, kMaxWalk) - found);
    return text;
}

std::string FormatFullBuffersText(uint32_t pipe)
{
    const uint32_t full = ReadPipeFullCount(pipe);
    if (full == 0)
        return "<no full buffers>";
    return listText(full, [pipe](uint32_t k) {
        uint32_t size = 0;
        const uint32_t address = ReadPipeFullBuffer(pipe, k, &size);
        return address ? HexText(address, 8, true, true) + "/" + DecimalText(static_cast<int32_t>(size)) : std::string();
    });
}

std::string FormatFreeBuffersText(uint32_t pipe)
{
    const uint32_t free = ReadPipeFreeCount(pipe);
    if (free == 0)
        return "<no free buffers>";
    return listText(free, [pipe](uint32_t k) {
        const uint32_t address = ReadPipeFreeBuffer(pipe, k);
        return address ? HexText(address, 8, true, true) : std::string();
    });
}

std::string PartitionFreeBlocksText(uint32_t partition)
{
    uint32_t blocks[kListedItems];
    const uint32_t found = ReadPartitionFreeBlocks(partition, blocks, kListedItems);
    std::string text;
    for (uint32_t k = 0; k < found; ++k)
        text += SeparatorIfNotEmpty(text) + HexText(blocks[k], 8, true, true);
    if (found == kListedItems)
        text += "...";
    return text;
}

std::string QueueEntriesText(uint32_t queue)
{
    return listText(ReadQueueCount(queue), [queue](uint32_t k) { return HexText(ReadQueueEntryAddress(queue, k), 8, true, true); });
}

std::string QueueSemaphoresText(uint32_t queue)
{
    std::string text;
    if (const uint32_t notFull = GetQueueNotFullSemaphore(queue))
        text = FormatSemaName(notFull) + "<QNF>";
    if (const uint32_t notEmpty = GetQueueNotEmptySemaphore(queue))
        text += SeparatorIfNotEmpty(text) + FormatSemaName(notEmpty) + "<QNE>";
    return text;
}

std::string RegisterValueText(uint32_t value, int digits, int secondRegister, bool placeholderWanted, int placeholderKind)
{
    if (digits > 0 && digits < 8)
        value &= (1u << (4 * digits)) - 1;
    if (secondRegister != 0)
        return "";
    if (!placeholderWanted || placeholderKind == 0)
        return HexText(value, digits, true, true);
    return RepeatText(placeholderKind == 1 ? "-" : "*", digits + 2);
}

std::string TaskRegisterText(uint32_t task, int digits, int reg, int secondRegister, bool placeholderWanted,
                             int placeholderKind)
{
    uint32_t value = ReadTaskRegister(task, reg, nullptr);
    if (reg == 0)
        value &= ~1u;
    return RegisterValueText(value, digits, secondRegister, placeholderWanted, placeholderKind);
}

std::string FrameRegisterText(uint32_t context, int digits, int reg, int secondRegister, bool placeholderWanted,
                              int placeholderKind)
{
    uint32_t value = ReadFrameRegister(context, 0, reg, nullptr);
    if (reg == 0)
        value &= ~1u;
    return RegisterValueText(value, digits, secondRegister, placeholderWanted, placeholderKind);
}

std::string DescribeDataFileError(int code)
{
    static const char* const texts[] = {
        "Success",
        "ERROR %d - Z5DATA file not found",
        "ERROR %d - Processor defined in Z5DATA is incompatible with Z5",
        "ERROR %d - Z5 version in Z5DATA is incompatible",
        "ERROR %d - OMBA version in Z5DATA does not match version from system properties",
        "ERROR %d - Insufficient memory for Z5 files",
        "ERROR %d - Anchor address is not correctly aligned",
        "ERROR %d - Anchor address is not valid in target memory",
        "ERROR %d - Content of anchor address is NULL",
        "ERROR %d - Anchor is not correctly aligned",
        "ERROR %d - Anchor is not a valid address in target memory",
        "ERROR %d - pointer to system properties is NULL",
        "ERROR %d - pointer to system properties is misaligned",
        "ERROR %d - pointer to system properties is not a valid address in target memory",
        "ERROR %d - pointers to kernel workspace and system RAM base do not match",
        "ERROR %d - KWS and SysProp namelen mismatch",
        "ERROR %d - KWS and SysProp clkrate mismatch",
    };
    if (code == 0)
        return texts[0];
    if (code > 0 && code <= 16)
        return (boost::format(texts[code]) % code).str();
    return (boost::format("ERROR - Unknown error number %d") % code).str();
}

std::string DescribeWorkspaceLoadError(int code)
{
    // After a data file the reader refused (not S-records, a bad line, too large), slot 1 is empty and
    // the reader says why, naming the file and line; after a later check (a processor or a version that
    // does not match) it holds the image and the code's own text applies. A file that is there but is no
    // regular file (a folder, a device, a FIFO) is refused by the reader with its reason; only a missing
    // one is "not found" (1).
    if (code >= ImageNotSRecord && code <= ImageNoMemory && !HasMemoryImage(kKernelDataSlot) &&
        !GetImageLoadMessage().empty())
        return GetImageLoadMessage();
    // The address-validity test is a read of the target: a failed one is a read the target refused.
    if (code == LoadAnchorInvalid || code == LoadKwsInvalid || code == LoadSyspropInvalid)
        return DescribeDataFileError(code) + ": the target refused to read it";
    return DescribeDataFileError(code);
}

} // namespace kernel
