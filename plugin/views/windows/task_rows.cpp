#include "plugin/views/windows/task_rows.h"

#include "plugin/views/kit/trace_popup.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/stack_scan.h"
#include "plugin/kernel/text_utils.h"

namespace views {
namespace {

std::string dec(uint32_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }
std::string hex(uint32_t value) { return kernel::HexText(value, 8, true, true); }

// Max Used and Least Spare of a stack check: exact when the scan met a used unit or the stack's end;
// bounds when the stack was not scanned (larger than a kernel can be configured with); nothing read when
// a read was refused.
void setScanCells(ListSheet& sheet, int row, uint32_t used, uint32_t spare, int end)
{
    if (!sheet.isShown(StackMaxUsed))
        return;
    switch (end) {
    case kernel::ScanRefused:
        sheet.set(row, StackMaxUsed, kStackNotRead);
        sheet.set(row, StackLeastSpare, kStackNotRead);
        break;
    case kernel::ScanBound:
        sheet.set(row, StackMaxUsed, "at most " + kernel::UnsignedLongText(used));
        sheet.set(row, StackLeastSpare, "at least " + kernel::UnsignedLongText(spare));
        break;
    default:
        sheet.set(row, StackMaxUsed, kernel::UnsignedLongText(used));
        sheet.set(row, StackLeastSpare, kernel::UnsignedLongText(spare));
        break;
    }
}

} // namespace

std::vector<ColumnSpec> TaskColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Priority", Align::Right, 50},
        {"Entry", Align::Right, 75},
        {"Arg Address", Align::Right, 75, 0x100},
        {"State", Align::Left, 150},
        {"Trace Object", Align::Left, 150, 0, true},
        {"Trace Actor", Align::Left, 150, 0, true},
    };
}

void FillTaskRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    kernel::TaskStatusContext context; // read once for every row of this refresh
    for (uint32_t n = 0; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, TaskNumber, dec(n));
        if (!kernel::IsTaskInUse(n)) {
            sheet.set(row, TaskName, kNotInUse);
            continue;
        }
        kernel::TaskRecord record{};
        kernel::ReadTaskRecord(n, record);
        sheet.set(row, TaskName, kernel::FormatTaskName(n, record[0]));
        sheet.set(row, TaskPriority, dec(record[2]));
        sheet.set(row, TaskEntry, hex(record[7]));
        if (sheet.isShown(TaskArg))
            sheet.set(row, TaskArg, hex(kernel::ReadTaskArgAddress(n)));
        sheet.set(row, TaskState, kernel::FormatTaskStatus(n, record, counts, context));
        sheet.set(row, TaskTraceObject, YesNo((record[0] & kernel::kTraceObjectBit) != 0));
        sheet.set(row, TaskTraceActor, YesNo((record[0] & kernel::kTraceActorBit) != 0));
    }
    AddNotReadRow(sheet, counts);
}

const RegisterGrid& TaskRegisterGrid()
{
    static const RegisterGrid grid =
        MakeRegisterGrid({{"#", Align::Right, 15}, {"Name", Align::Left, 90}, {"Status", Align::Left, 100}});
    return grid;
}

void FillTaskRegisterRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    const RegisterGrid& grid = TaskRegisterGrid();
    const uint32_t current = kernel::GetCurrentTask();
    const uint32_t last = LastObject(counts);
    RegisterMaximum maximum;
    RegisterStates states{};
    for (uint32_t n = 0; n <= last; ++n) {
        if (n == current || !kernel::IsTaskInUse(n))
            continue;
        states.fill(0);
        kernel::GetTaskRegisterStates(n, states.data(), static_cast<uint32_t>(states.size()));
        if (states[0] != kernel::RegisterNoContext)
            maximum.raise(states);
    }
    maximum.applyTo(grid, sheet);

    for (uint32_t n = 0; n <= last; ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, 0, dec(n));
        if (!kernel::IsTaskInUse(n)) {
            sheet.set(row, 1, kNotInUse);
            continue;
        }
        sheet.set(row, 1, kernel::FormatTaskName(n));
        states.fill(0);
        kernel::GetTaskRegisterStates(n, states.data(), static_cast<uint32_t>(states.size()));
        if (n == current) {
            sheet.set(row, 2, "<current>");
            continue;
        }
        if (states[0] == kernel::RegisterNoContext) {
            sheet.set(row, 2, "<inactive>");
            continue;
        }
        for (std::size_t c = 0; c < grid.registers.size(); ++c) {
            const RegisterColumn& column = grid.registers[c];
            if (column.reg < 0 || !sheet.isShown(static_cast<int>(c)))
                continue;
            const uint32_t state = states[static_cast<std::size_t>(column.reg)];
            sheet.set(row, static_cast<int>(c),
                      kernel::TaskRegisterText(n, column.digits, column.reg, column.second, column.validity,
                                               static_cast<int>(state)));
        }
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> TaskStackColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Address", Align::Right, 75},
        {"Size", Align::Right, 75},
        {"Max Used", Align::Right, 75, 0x8},
        {"Least Spare", Align::Right, 50, 0x8},
        {"Current Used", Align::Right, 50},
        {"Current Spare", Align::Right, 50},
    };
}

void FillTaskStackRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    const uint32_t current = kernel::GetCurrentTask();
    kernel::KernelProperties props{};
    kernel::GetSystemProperties(props);
    const uint32_t growth = kernel::GetStackGrowthFlag();

    const uint32_t kernelSize = props[5];
    const int kernelRow = sheet.addRow(0);
    sheet.set(kernelRow, StackNumber, "-");
    sheet.set(kernelRow, StackName, "<Kernel>");
    sheet.set(kernelRow, StackAddress, hex(growth == 0 ? props[4] - kernelSize : props[4]));
    sheet.set(kernelRow, StackSize, dec(kernelSize));
    if (sheet.isShown(StackMaxUsed)) {
        const kernel::KernelStackSpare spare = kernel::GetKernelStackSpare();
        setScanCells(sheet, kernelRow, kernelSize - spare.bytes, spare.bytes, spare.end);
    }
    sheet.set(kernelRow, StackCurrentUsed, "N/A");
    sheet.set(kernelRow, StackCurrentSpare, "N/A");

    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, StackNumber, dec(n));
        if (!kernel::IsTaskInUse(n)) {
            sheet.set(row, StackName, kNotInUse);
            continue;
        }
        kernel::TaskStackInfo info{};
        kernel::ReadTaskStackInfo(n, info);
        const uint32_t base = info[0];
        const uint32_t size = info[1];
        sheet.set(row, StackName, kernel::FormatTaskName(n));
        sheet.set(row, StackAddress, hex(base));
        sheet.set(row, StackSize, dec(size));
        setScanCells(sheet, row, info[2], info[3], static_cast<int>(info[4]));
        if (n == current) {
            sheet.set(row, StackCurrentUsed, "<current task>");
            continue;
        }
        if (size == 0) {
            // No stack of its own: nothing to measure.
            sheet.set(row, StackCurrentUsed, "N/A");
            sheet.set(row, StackCurrentSpare, "N/A");
            continue;
        }
        kernel::TaskRecord record{};
        kernel::ReadTaskRecord(n, record);
        uint32_t offset = 0;
        if ((record[1] & 0x800) != 0) {
            // An inactive task holds nothing on its stack: all of it is spare.
            offset = growth != 0 ? 0 : size;
        } else {
            // The stack pointer's offset from the base, in 64 bits: both values come from target memory.
            const uint32_t stackPointer = kernel::ReadFrameRegister(
                record[4], kernel::KindObjectAddress(kernel::ObjectKind::Task, n), 1, nullptr);
            int64_t signedOffset = static_cast<int32_t>(stackPointer - base);
            if (signedOffset < 0)
                signedOffset += static_cast<int32_t>(size);
            offset = static_cast<uint32_t>(signedOffset);
        }
        const uint32_t used = growth != 0 ? offset : size - offset;
        sheet.set(row, StackCurrentUsed, dec(used));
        sheet.set(row, StackCurrentSpare, dec(size - used));
    }
    AddNotReadRow(sheet, counts);
}

std::vector<ColumnSpec> TaskSemaphoreColumns()
{
    return {{"#", Align::Right, 15}, {"Name", Align::Left, 100}, {"Semaphore", Align::Left, 50}};
}

void FillTaskSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, 0, dec(n));
        if (!kernel::IsTaskInUse(n)) {
            sheet.set(row, 1, kNotInUse);
            continue;
        }
        sheet.set(row, 1, kernel::FormatTaskName(n));
        const uint32_t semaphore = (counts[0] & 0x4) != 0 ? kernel::ReadTaskSemaphore(n) : 0;
        if (semaphore != 0)
            sheet.set(row, 2, kernel::FormatSemaName(semaphore));
    }
    AddNotReadRow(sheet, counts);
}

} // namespace views
