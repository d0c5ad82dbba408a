#pragma once
// What the kernel data file's writer (the kernel build) and its readers agree on by the file's
// definition: the object classes in the order of their layout entries, and the sizes of the tables
// those numbers index. Everything else about the file (how its words and layouts are laid out, how
// registers are stacked) each side describes for itself.

namespace kerneldata {

// The object classes; class k's layout is header entry 12 + k of the data file.
enum class ObjectKind : int {
    Task, Semaphore, Mailbox, Partition, Queue, Mutex, Pipe, Thread, EventSource, Counter, Alarm,
    Exception, Level,
};
constexpr int kObjectKindCount = 13;
constexpr int kFirstObjectLayoutEntry = 12;
// Class numbers index a class table of this many entries (0 to 13).
constexpr int kClassSlots = 14;
// Entries of the data file's header table.
constexpr int kHeaderEntries = 47;

} // namespace kerneldata
