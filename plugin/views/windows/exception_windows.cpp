#include "plugin/views/windows/exception_windows.h"

#include "plugin/views/kit/register_grid.h"
#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/text_utils.h"


namespace views {
namespace {

std::string dec(uint32_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }

const RegisterGrid& backtraceGrid()
{
    static const RegisterGrid grid =
        MakeRegisterGrid({{"#", Align::Right, 15}, {"Class", Align::Left, 90}, {"Object", Align::Left, 90}});
    return grid;
}

// The registers saved in a frame's context, in the shown register columns.
void writeFrameRegisters(ListSheet& sheet, int row, uint32_t context)
{
    const RegisterGrid& grid = backtraceGrid();
    RegisterStates states{};
    kernel::GetFrameRegisterStates(context, 0, states.data(), static_cast<uint32_t>(states.size()));
    for (std::size_t c = 0; c < grid.registers.size(); ++c) {
        const RegisterColumn& column = grid.registers[c];
        if (column.reg < 0 || !sheet.isShown(static_cast<int>(c)))
            continue;
        sheet.set(row, static_cast<int>(c),
                  kernel::FrameRegisterText(context, column.digits, column.reg, column.second, column.validity,
                                            static_cast<int>(states[static_cast<std::size_t>(column.reg)])));
    }
}

ListWindowSpec exceptionsSpec()
{
    return ListWindowSpec{ExceptionsWindow::kDialogId,
                          "Exceptions",
                          "Exception",
                          6,
                          ExceptionsWindow::List,
                          ExceptionsWindow::LogData,
                          TraceKind::ObjectActor,
                          {{ExceptionsWindow::LogData, "Log Data"}, {kServicesTraceButton, "Services Trace"}},
                          false};
}

} // namespace

std::vector<ColumnSpec> ExceptionColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Level", Align::Right, 50},
        {"Vector", Align::Right, 50},
        {"Previous Entry", Align::Right, 75},
        {"Trace Object", Align::Left, 75, 0, true},
        {"Trace Actor", Align::Left, 75, 0, true},
    };
}

void FillExceptionRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, ExcNumber, dec(n));
        if (!kernel::IsExceptionInUse(n)) {
            sheet.set(row, ExcName, kNotInUse);
            continue;
        }
        kernel::ExceptionRecord record{};
        kernel::ReadExceptionRecord(n, record);
        sheet.set(row, ExcName, kernel::FormatExceptionName(n));
        sheet.set(row, ExcLevel, dec(record[1]));
        sheet.set(row, ExcVector, dec(record[2]));
        sheet.set(row, ExcPrevious, kernel::HexText(record[3], 8, true, true));
        sheet.set(row, ExcTraceObject, YesNo((record[0] & kernel::kTraceObjectBit) != 0));
        sheet.set(row, ExcTraceActor, YesNo((record[0] & kernel::kTraceActorBit) != 0));
    }
    AddNotReadRow(sheet, counts);
}

void FillBacktraceRows(ListSheet& sheet)
{
    bool repeats = false;
    const uint32_t chain = kernel::GetBacktraceDepth(&repeats);
    const uint32_t depth = std::min(chain, kBacktraceShown);
    if (depth == 0) {
        // No frame, no registers: only "#", "Class" and "Object".
        for (int c = 3; c < sheet.columnCount(); ++c)
            sheet.setColumnShown(c, false);
        sheet.set(sheet.addRow(), 0, "<none>");
        return;
    }
    std::vector<kernel::BacktraceFrame> frames(depth);
    const uint32_t read = std::min(kernel::ReadBacktrace(frames.data(), depth), depth);
    frames.resize(read);

    RegisterMaximum maximum;
    RegisterStates states{};
    for (const kernel::BacktraceFrame& frame : frames) {
        states.fill(0);
        kernel::GetFrameRegisterStates(frame[0], 0, states.data(), static_cast<uint32_t>(states.size()));
        maximum.raise(states);
    }
    maximum.applyTo(backtraceGrid(), sheet);

    int number = 0;
    auto addRow = [&](const std::string& cls, const std::string& object) {
        const int row = sheet.addRow();
        sheet.set(row, 0, dec(static_cast<uint32_t>(++number)));
        sheet.set(row, 1, cls);
        sheet.set(row, 2, object);
        return row;
    };
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const kernel::BacktraceFrame& frame = frames[i];
        const uint32_t thread = frame[2];
        const int row = thread != 0
                            ? addRow("Thread", kernel::FormatThreadName(thread) + ":L" + dec(frame[3]) + ":O" +
                                                   kernel::DecimalText(kernel::ReadThreadOrder(thread)))
                            : addRow("Exception", kernel::FormatExceptionName(frame[1]));
        if (i > 0)
            writeFrameRegisters(sheet, row, frames[i - 1][0]);
        if (thread != 0)
            addRow("Exception", kernel::FormatExceptionName(frame[1]));
    }
    // A chain longer than the window shows, or one that comes back to a frame it passed (stale memory):
    // said above the row that carries the last frame's registers.
    if (chain > depth || repeats)
        sheet.set(sheet.addRow(), 1, chain > depth ? "... " + dec(chain - depth) + (repeats ? "+" : "") + " more frames"
                                                   : "... the chain repeats here");
    const int last = kernel::IsTaskClassConfigured() ? addRow("Task", kernel::FormatTaskName(kernel::GetCurrentTask()))
                                                     : addRow("----", "main()");
    if (!frames.empty())
        writeFrameRegisters(sheet, last, frames.back()[0]);
}

ExceptionsWindow::ExceptionsWindow(WindowManager* manager) : ObjectListWindow(manager, exceptionsSpec()) {}

ColumnContext ExceptionsWindow::readContext()
{
    m_counts = ReadCounts(&kernel::IsExceptionClassConfigured, &kernel::EnsureExceptionClassRecord,
                          &kernel::GetExceptionCounts);
    return ColumnContext{};
}

uint32_t ExceptionsWindow::traceWord(uint32_t n)
{
    kernel::ExceptionRecord record{};
    kernel::ReadExceptionRecord(n, record);
    return record[0];
}

void ExceptionsWindow::setTrace(uint32_t n, bool actor, bool on)
{
    if (actor)
        kernel::SetExceptionTraceActor(n, on ? 1 : 0);
    else
        kernel::SetExceptionTraceObject(n, on ? 1 : 0);
}

BacktraceWindow::BacktraceWindow(WindowManager* manager)
    : RegisterListWindow(manager, kDialogId, "Exception Backtrace", kListId, kLegendNotValid,
                         "------: Not Currrently Valid", kLegendNeverValid)
{
}

std::vector<ColumnSpec> BacktraceWindow::columns() const { return backtraceGrid().columns; }

ObjectWindow* CreateExceptionsWindow(WindowManager& manager) { return new ExceptionsWindow(&manager); }
ObjectWindow* CreateBacktraceWindow(WindowManager& manager) { return new BacktraceWindow(&manager); }

} // namespace views
