// Rows of the partition, queue, pipe and mutex windows.

#include "plugin/views/classes/pool_rows.h"

#include "plugin/views/classes/cells.h"
#include "plugin/views/kit/trace_popup.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"

#include <functional>

namespace views {
namespace {

constexpr uint32_t kStatisticsAttribute = 0x8;

bool traced(uint32_t flags) { return (flags & kernel::kTraceObjectBit) != 0; }

// One row per object 1 to static + dynamic: "#", then "<not in use>" in "Name" for an object that
// `inUse` denies (no test without one), else `fill` writes the row.
void forEachObject(ListSheet& sheet, const kernel::ClassCounts& counts, int (*inUse)(uint32_t),
                   const std::function<void(int row, uint32_t n)>& fill)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, 0, Dec(n));
        if (inUse != nullptr && !inUse(n)) {
            sheet.set(row, 1, kNotInUse);
            continue;
        }
        fill(row, n);
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> nameAnd(const char* title, int width)
{
    return {{"#", Align::Right, 15}, {"Name", Align::Left, 100}, {title, Align::Left, width}};
}

} // namespace

std::vector<ColumnSpec> PartitionColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Address", Align::Right, 75},
        {"Available", Align::Right, 50},
        {"Total", Align::Right, 40},
        {"Bsize", Align::Right, 40},
        {"Worst", Align::Right, 40, kStatisticsAttribute},
        {"Usage", Align::Right, 40, kStatisticsAttribute},
        {"Order", Align::Left, 50},
        {"Waiter(s)", Align::Left, 250},
        {"Trace", Align::Left, 50, 0, true},
    };
}

void FillPartitionRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsPartitionInUse, [&](int row, uint32_t n) {
        kernel::PartitionRecord record{};
        kernel::ReadPartitionRecord(n, record);
        sheet.set(row, PrtName, kernel::FormatPartName(n));
        sheet.set(row, PrtAddress, Address(record[1]));
        sheet.set(row, PrtAvailable, Dec(record[2]));
        sheet.set(row, PrtTotal, Dec(record[4]));
        sheet.set(row, PrtBsize, Dec(record[3]));
        if (sheet.isShown(PrtWorst)) {
            kernel::PartitionStatistics statistics{};
            kernel::ReadPartitionStatistics(n, statistics);
            sheet.set(row, PrtWorst, Dec(statistics[1]));
            sheet.set(row, PrtUsage, Dec(statistics[0]));
        }
        sheet.set(row, PrtOrder, kernel::WaitOrderText(record[0]));
        sheet.set(row, PrtWaiters, kernel::PartitionWaitersText(n, record));
        sheet.set(row, PrtTrace, YesNo(traced(record[0])));
    });
}

std::vector<ColumnSpec> PartitionBlockColumns()
{
    return {{"#", Align::Right, 15},
            {"Name", Align::Left, 100},
            {"Available Blocks", Align::Right, 75},
            {"Block Address(es)", Align::Left, 600}};
}

void FillPartitionBlockRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsPartitionInUse, [&](int row, uint32_t n) {
        sheet.set(row, 1, kernel::FormatPartName(n));
        const uint32_t available = kernel::ReadPartitionAvailable(n);
        if (available == 0) {
            sheet.set(row, 2, "<none>");
            return;
        }
        sheet.set(row, 2, Dec(available));
        sheet.set(row, 3, kernel::PartitionFreeBlocksText(n));
    });
}

std::vector<ColumnSpec> PartitionSemaphoreColumns() { return nameAnd("Semaphore", 275); }

void FillPartitionSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsPartitionInUse, [&](int row, uint32_t n) {
        sheet.set(row, 1, kernel::FormatPartName(n));
        if (uint32_t semaphore = kernel::GetPartitionNotEmptySemaphore(n))
            sheet.set(row, 2, kernel::FormatSemaName(semaphore) + "<PNE>");
    });
}

std::vector<ColumnSpec> QueueColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Address", Align::Right, 75},
        {"Current", Align::Right, 50},
        {"Depth", Align::Right, 50},
        {"Width", Align::Right, 50},
        {"Worst", Align::Right, 50, kStatisticsAttribute},
        {"Usage", Align::Right, 50, kStatisticsAttribute},
        {"Order", Align::Left, 50},
        {"Waiter(s)", Align::Left, 250},
        {"Trace", Align::Left, 50, 0, true},
    };
}

void FillQueueRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsQueueInUse, [&](int row, uint32_t n) {
        kernel::QueueRecord record{};
        kernel::ReadQueueRecord(n, record);
        sheet.set(row, QueName, kernel::FormatQueueName(n));
        sheet.set(row, QueAddress, Address(record[1]));
        sheet.set(row, QueCurrent, Dec(record[4]));
        sheet.set(row, QueDepth, Dec(record[3]));
        sheet.set(row, QueWidth, Dec(record[2]));
        if (sheet.isShown(QueWorst)) {
            kernel::QueueStatistics statistics{};
            kernel::ReadQueueStatistics(n, statistics);
            sheet.set(row, QueWorst, Dec(statistics[1]));
            sheet.set(row, QueUsage, Dec(statistics[0]));
        }
        sheet.set(row, QueOrder, kernel::WaitOrderText(record[0]));
        sheet.set(row, QueWaiters, kernel::QueueWaitersText(n, record));
        sheet.set(row, QueTrace, YesNo(traced(record[0])));
    });
}

std::vector<ColumnSpec> QueueEntryColumns() { return nameAnd("Entry Address(es)", 200); }

void FillQueueEntryRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsQueueInUse, [&](int row, uint32_t n) {
        sheet.set(row, 1, kernel::FormatQueueName(n));
        sheet.set(row, 2, kernel::QueueEntriesText(n));
    });
}

std::vector<ColumnSpec> QueueSemaphoreColumns() { return nameAnd("Semaphore(s)", 200); }

void FillQueueSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsQueueInUse, [&](int row, uint32_t n) {
        sheet.set(row, 1, kernel::FormatQueueName(n));
        sheet.set(row, 2, kernel::QueueSemaphoresText(n));
    });
}

std::vector<ColumnSpec> PipeColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Full", Align::Right, 50},
        {"Empty", Align::Right, 50},
        {"NBufs", Align::Right, 50},
        {"Bsize", Align::Right, 50},
        {"Worst", Align::Right, 50, kStatisticsAttribute},
        {"Usage", Align::Right, 50, kStatisticsAttribute},
        {"PutFull Action", Align::Left, 100},
        {"PutEmpty Action", Align::Left, 100},
        {"Trace", Align::Left, 50, 0, true},
    };
}

namespace {

std::string pipeAction(uint32_t action, uint32_t thread)
{
    std::string text = kernel::PipeActionText(static_cast<int32_t>(action));
    if (thread != 0)
        text += " " + kernel::FormatThreadName(thread);
    return text;
}

} // namespace

void FillPipeRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsPipeInUse, [&](int row, uint32_t n) {
        kernel::PipeRecord record{};
        kernel::ReadPipeRecord(n, record);
        sheet.set(row, PipName, kernel::FormatPipeName(n));
        sheet.set(row, PipFull, Dec(record[3]));
        sheet.set(row, PipEmpty, Dec(record[5]));
        sheet.set(row, PipBuffers, Dec(record[1]));
        sheet.set(row, PipBsize, Dec(record[2]));
        if (sheet.isShown(PipWorst)) {
            kernel::PipeStatistics statistics{};
            kernel::ReadPipeStatistics(n, statistics);
            sheet.set(row, PipWorst, Dec(statistics[1]));
            sheet.set(row, PipUsage, Dec(statistics[0]));
        }
        kernel::PipeActions actions{};
        kernel::ReadPipeActions(n, actions);
        sheet.set(row, PipPutFull, pipeAction(actions[2], actions[3]));
        sheet.set(row, PipPutEmpty, pipeAction(actions[0], actions[1]));
        sheet.set(row, PipTrace, YesNo(traced(record[0])));
    });
}

std::vector<ColumnSpec> PipeBufferColumns(bool full)
{
    return full ? nameAnd("Buffer Addresses/Size", 375) : nameAnd("Buffer Addresses", 275);
}

void FillPipeBufferRows(ListSheet& sheet, const kernel::ClassCounts& counts, bool full)
{
    const bool testInUse = (counts[0] & 0x1) != 0;
    forEachObject(sheet, counts, testInUse ? &kernel::IsPipeInUse : nullptr, [&](int row, uint32_t n) {
        sheet.set(row, 1, kernel::FormatPipeName(n));
        sheet.set(row, 2, full ? kernel::FormatFullBuffersText(n) : kernel::FormatFreeBuffersText(n));
    });
}

std::vector<ColumnSpec> MutexColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Level", Align::Right, 75},
        {"Usage", Align::Right, 75, kStatisticsAttribute},
        {"Conflicts", Align::Right, 75, kStatisticsAttribute},
        {"Order", Align::Left, 50},
        {"Inversion", Align::Left, 55},
        {"Owner", Align::Left, 100},
        {"Waiter(s)", Align::Left, 250},
        {"Trace", Align::Left, 250, 0, true},
    };
}

void FillMutexRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsMutexInUse, [&](int row, uint32_t n) {
        kernel::MutexRecord record{};
        kernel::ReadMutexRecord(n, record);
        sheet.set(row, MtxName, kernel::FormatMutexName(n));
        sheet.set(row, MtxLevel, Dec(record[2]));
        if (sheet.isShown(MtxUsage)) {
            kernel::MutexStatistics statistics{};
            kernel::ReadMutexStatistics(n, statistics);
            sheet.set(row, MtxUsage, Unsigned(statistics[0]));
            sheet.set(row, MtxConflicts, Unsigned(statistics[1]));
        }
        sheet.set(row, MtxOrder, kernel::WaitOrderText(record[0]));
        sheet.set(row, MtxInversion, kernel::YesNoText(record[0]));
        sheet.set(row, MtxOwner, kernel::MutexOwnerText(record));
        sheet.set(row, MtxWaiters, kernel::MutexWaitersText(n, record));
        sheet.set(row, MtxTrace, YesNo(traced(record[0])));
    });
}

std::vector<ColumnSpec> MutexSemaphoreColumns() { return nameAnd("Semaphore", 200); }

void FillMutexSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    forEachObject(sheet, counts, &kernel::IsMutexInUse, [&](int row, uint32_t n) {
        sheet.set(row, 1, kernel::FormatMutexName(n));
        if (uint32_t semaphore = kernel::GetMutexNotBusySemaphore(n))
            sheet.set(row, 2, kernel::FormatSemaName(semaphore));
    });
}

} // namespace views
