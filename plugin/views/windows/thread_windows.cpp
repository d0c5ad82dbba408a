#include "plugin/views/windows/thread_windows.h"

#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/text_utils.h"
#include "platform/qt/wait_cursor.h"

#include <QPushButton>

namespace views {
namespace {

std::string dec(uint32_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }
std::string hex(uint32_t value) { return kernel::HexText(value, 8, true, true); }

kernel::ClassCounts threadCounts()
{
    return ReadCounts(&kernel::IsThreadClassConfigured, &kernel::EnsureThreadClassRecords, &kernel::GetThreadCounts);
}

std::vector<ColumnSpec> threadGateColumns()
{
    return {{"#", Align::Right, 15}, {"Name", Align::Left, 100}, {"Gate Key", Align::Right, 75},
            {"GKey Preset", Align::Right, 75}};
}

ListWindowSpec threadsSpec()
{
    return ListWindowSpec{ThreadsWindow::kDialogId,
                          "Threads",
                          "Thread",
                          1,
                          ThreadsWindow::List,
                          ThreadsWindow::LogData,
                          TraceKind::ObjectActor,
                          {{ThreadsWindow::LogData, "Log Data"},
                           {kServicesTraceButton, "Services Trace"},
                           {ThreadsWindow::LevelInfo, "Level Info"},
                           {ThreadsWindow::ScheduleInfo, "Schedule Info"},
                           {ThreadsWindow::GateInfo, "Gate Info", false},
                           {ThreadsWindow::ResetStatistics, "Reset Statistics", false}},
                          false};
}

} // namespace

std::vector<ColumnSpec> ThreadColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"Curr Level", Align::Right, 40},
        {"Base Level", Align::Right, 40},
        {"Order", Align::Right, 40},
        {"Entry", Align::Right, 75},
        {"Arg Addr", Align::Right, 75, 0x100},
        {"Env Arg Addr", Align::Right, 75, 0x80},
        {"Use", Align::Right, 50, 0x1},
        {"Total Runs", Align::Right, 75, 0x8},
        {"Trace Object", Align::Left, 75, 0, true},
        {"Trace Actor", Align::Left, 75, 0, true},
    };
}

void FillThreadRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, ThrNumber, dec(n));
        const int use = kernel::IsThreadInUse(n);
        if (use == 0) {
            sheet.set(row, ThrName, kNotInUse);
            continue;
        }
        kernel::ThreadRecord record{};
        kernel::ReadThreadRecord(n, record);
        sheet.set(row, ThrName, kernel::FormatThreadName(n));
        sheet.set(row, ThrCurrLevel, dec(record[2]));
        sheet.set(row, ThrBaseLevel, dec(record[3]));
        sheet.set(row, ThrOrder, dec(record[1]));
        sheet.set(row, ThrEntry, hex(record[4]));
        if (sheet.isShown(ThrArg))
            sheet.set(row, ThrArg, hex(kernel::ReadThreadArgAddress(n)));
        if (sheet.isShown(ThrEnvArg))
            sheet.set(row, ThrEnvArg, hex(kernel::ReadThreadEnvArgAddress(n)));
        sheet.set(row, ThrUse, dec(static_cast<uint32_t>(use)));
        if (sheet.isShown(ThrRuns)) {
            kernel::ThreadRunCount runs{};
            kernel::ReadThreadRunCount(n, runs);
            sheet.set(row, ThrRuns, dec(runs[0]));
        }
        sheet.set(row, ThrTraceObject, YesNo((record[0] & kernel::kTraceObjectBit) != 0));
        sheet.set(row, ThrTraceActor, YesNo((record[0] & kernel::kTraceActorBit) != 0));
    }
    AddNotReadRow(sheet, counts);
}

void FillThreadGateRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, 0, dec(n));
        kernel::ThreadGate gate{};
        kernel::ReadThreadGate(n, gate);
        const int digits = static_cast<int>(std::min<uint32_t>(gate[2], 4)) * 2;
        sheet.set(row, 1, kernel::FormatThreadName(n));
        sheet.set(row, 2, kernel::HexText(gate[0], digits, true, true));
        sheet.set(row, 3, kernel::HexText(gate[1], digits, true, true));
    }
    AddNotReadRow(sheet, counts);
}

ThreadsWindow::ThreadsWindow(WindowManager* manager) : ObjectListWindow(manager, threadsSpec()) {}

ColumnContext ThreadsWindow::readContext()
{
    m_counts = threadCounts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

void ThreadsWindow::endOfRefreshEnables()
{
    button(GateInfo)->setEnabled((m_counts[0] & 0x200) != 0);
    button(ResetStatistics)->setEnabled((m_counts[0] & 0x8) != 0);
    button(LevelInfo)->setEnabled(true);
    button(ScheduleInfo)->setEnabled(true);
}

void ThreadsWindow::onButton(int id)
{
    switch (id) {
    case LevelInfo:
        openRegisteredDetail(kLevelInfoDialog);
        break;
    case ScheduleInfo:
        openRegisteredDetail(kLevelScheduleDialog);
        break;
    case GateInfo:
        openDetail<ThreadGateWindow>(ThreadGateWindow::kDialogId);
        break;
    case ResetStatistics: {
        platform::ScopedWaitCursor wait;
        readContext();
        resetStatistics(LastObject(m_counts), false, &kernel::ResetThreadStatistics, nullptr);
        break;
    }
    default:
        break;
    }
}

uint32_t ThreadsWindow::traceWord(uint32_t n)
{
    kernel::ThreadRecord record{};
    kernel::ReadThreadRecord(n, record);
    return record[0];
}

void ThreadsWindow::setTrace(uint32_t n, bool actor, bool on)
{
    if (actor)
        kernel::SetThreadTraceActor(n, on ? 1 : 0);
    else
        kernel::SetThreadTraceObject(n, on ? 1 : 0);
}

ThreadGateWindow::ThreadGateWindow(WindowManager* manager)
    : CountedDetailWindow(manager, {kDialogId, "Thread Gate Information", 1048, &threadGateColumns, &threadCounts,
                                  &FillThreadGateRows})
{
}

ObjectWindow* CreateThreadsWindow(WindowManager& manager) { return new ThreadsWindow(&manager); }

} // namespace views
