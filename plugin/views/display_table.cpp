#include "plugin/views/display_table.h"

#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_classes.h"

#include <filesystem>

namespace views {
namespace {

bool always() { return true; }
bool never() { return false; }

struct MaskClass {
    uint32_t bit;
    bool (*configured)();
    int (*ensure)();
};

} // namespace

const std::vector<DisplayEntry>& DisplayTable()
{
    static const std::vector<DisplayEntry> table{
        {1, "Kernel Info", 0, &always},
        {2, "Tasks", 0x1, nullptr},
        {3, "Semaphore", 0x2, nullptr},
        {4, "Mailbox", 0x4, nullptr},
        {5, "Partition", 0x8, nullptr},
        {6, "Queue", 0x10, nullptr},
        {7, "Mutex", 0x20, nullptr},
        {8, "Pipe", 0x40, nullptr},
        {9, "Thread", 0x1080, nullptr},
        {10, "Exception", 0x800, nullptr},
        {12, "Task Ready List", 0x1, nullptr},
        {13, "Event Source", 0x100, nullptr},
        {14, "Counter", 0x200, nullptr},
        {15, "Alarm", 0x400, nullptr},
        {16, "Exception Backtrace", 0, &ShowsExceptionBacktrace},
        {17, "Trace", 0, &never},
        {19, "Profiles", 0, &never},
    };
    return table;
}

uint32_t ComputeClassMask()
{
    static const MaskClass kClasses[] = {
        {0x1, &kernel::IsTaskClassConfigured, &kernel::EnsureTaskClassRecord},
        {0x2, &kernel::IsSemaphoreClassConfigured, &kernel::EnsureSemaphoreClassRecord},
        {0x4, &kernel::IsMailboxClassConfigured, &kernel::EnsureMailboxClassRecord},
        {0x8, &kernel::IsPartitionClassConfigured, &kernel::EnsurePartitionClassRecord},
        {0x10, &kernel::IsQueueClassConfigured, &kernel::EnsureQueueClassRecord},
        {0x20, &kernel::IsMutexClassConfigured, &kernel::EnsureMutexClassRecord},
        {0x40, &kernel::IsPipeClassConfigured, &kernel::EnsurePipeClassRecord},
        {0x1080, &kernel::IsThreadClassConfigured, &kernel::EnsureThreadClassRecords},
        {0x100, &kernel::IsEventSourceClassConfigured, &kernel::EnsureEventSourceClassRecord},
        {0x200, &kernel::IsCounterClassConfigured, &kernel::EnsureCounterClassRecord},
        {0x400, &kernel::IsAlarmClassConfigured, &kernel::EnsureAlarmClassRecord},
        {0x800, &kernel::IsExceptionClassConfigured, &kernel::EnsureExceptionClassRecord},
    };
    uint32_t mask = 0;
    for (const MaskClass& c : kClasses)
        if (c.configured() && c.ensure() != 0)
            mask |= c.bit;
    return mask;
}

bool ShowsExceptionBacktrace()
{
    if (!kernel::IsExceptionClassConfigured() || kernel::EnsureExceptionClassRecord() == 0)
        return false;
    kernel::ClassCounts counts{};
    kernel::GetExceptionCounts(counts);
    return (counts[0] & 0x8) != 0;
}

std::vector<ListedDisplay> ListedDisplays(bool initialized, uint32_t classMask)
{
    std::vector<ListedDisplay> listed;
    if (!initialized)
        return listed;
    const auto& table = DisplayTable();
    for (std::size_t row = 0; row < table.size(); ++row) {
        const DisplayEntry& entry = table[row];
        bool shown = entry.predicate != nullptr ? entry.predicate() : (entry.classMask & classMask) != 0;
        if (shown)
            listed.push_back({entry.name, static_cast<int>(row)});
    }
    return listed;
}

uint32_t FindKernelAnchor(const SymbolLookup& lookup)
{
    if (!lookup)
        return 0;
    for (const char* prefix : {"", "_", "__", ".", "F"}) {
        uint32_t address = lookup(std::string(prefix) + "pKWS");
        if (address != 0xFFFFFFFFu)
            return address;
    }
    return 0;
}

std::string SecondImagePath(const std::string& dataFile)
{
    std::filesystem::path path(dataFile);
    std::string extension = path.extension().string();
    if (!extension.empty() && extension.front() == '.')
        extension.erase(0, 1);
    return (path.parent_path() / ("i2data." + extension)).string();
}

std::string LoadServicesImage(const std::string& dataFile)
{
    const std::string second = SecondImagePath(dataFile);
    if (kernel::LoadSecondImage(second, 0) == 0)
        return {};
    std::error_code error;
    return std::filesystem::exists(second, error) ? kernel::GetImageLoadMessage() : std::string();
}

} // namespace views
