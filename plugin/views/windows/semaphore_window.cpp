#include "plugin/views/windows/semaphore_window.h"

#include "plugin/views/windows/builtin_windows.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/text_utils.h"

#include <QPushButton>

namespace views {

std::vector<ColumnSpec> SemaphoreColumns()
{
    return {
        {"#", Align::Right, 15},
        {"Name", Align::Left, 100},
        {"State", Align::Left, 75},
        {"Count", Align::Right, 50},
        {"Usage", Align::Right, 50, 0x8},
        {"Signal Type", Align::Left, 50},
        {"Order", Align::Left, 50},
        {"Waiter(s)", Align::Left, 200},
        {"Trace", Align::Left, 50, 0, true},
    };
}

void FillSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts)
{
    for (uint32_t n = 1; n <= LastObject(counts); ++n) {
        const int row = sheet.addRow(n);
        sheet.set(row, SemaNumber, kernel::DecimalText(static_cast<int32_t>(n)));
        if (!kernel::IsSemaphoreInUse(n)) {
            sheet.set(row, SemaName, kNotInUse);
            continue;
        }
        sheet.set(row, SemaName, kernel::FormatSemaName(n));
        uint32_t waiters = 0;
        const std::string waitersText = kernel::SemaphoreWaitersText(n, "", &waiters);
        kernel::SemaphoreRecord record{};
        kernel::ReadSemaphoreRecord(n, record);
        sheet.set(row, SemaState, record[1] != 0 ? "Done" : waiters != 0 ? "Wait" : "Pend");
        if (record[1] != 0)
            sheet.set(row, SemaCount, kernel::DecimalText(static_cast<int32_t>(record[1])));
        if (sheet.isShown(SemaUsage)) {
            kernel::SemaphoreStatistics statistics{};
            kernel::ReadSemaphoreStatistics(n, statistics);
            sheet.set(row, SemaUsage, kernel::DecimalText(static_cast<int32_t>(statistics[0])));
        }
        sheet.set(row, SemaSignalType, kernel::MultipleSingleText(record[0]));
        sheet.set(row, SemaOrder, kernel::WaitOrderText(record[0]));
        sheet.set(row, SemaWaiters, waitersText);
        sheet.set(row, SemaTrace, YesNo((record[0] & kernel::kTraceObjectBit) != 0));
    }
    AddNotReadRow(sheet, counts);
}

namespace {

ListWindowSpec semaphoresSpec()
{
    return ListWindowSpec{SemaphoresWindow::kDialogId,
                          "Semaphores",
                          "Semaphore",
                          8,
                          SemaphoresWindow::List,
                          SemaphoresWindow::LogData,
                          TraceKind::Single,
                          {{SemaphoresWindow::LogData, "Log Data"},
                           {kServicesTraceButton, "Services Trace", false},
                           {SemaphoresWindow::ResetStatistics, "Reset Statistics", false}}};
}

} // namespace

SemaphoresWindow::SemaphoresWindow(WindowManager* manager) : ObjectListWindow(manager, semaphoresSpec()) {}

ColumnContext SemaphoresWindow::readContext()
{
    m_counts = ReadCounts(&kernel::IsSemaphoreClassConfigured, &kernel::EnsureSemaphoreClassRecord,
                          &kernel::GetSemaphoreCounts);
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

void SemaphoresWindow::endOfRefreshEnables() { button(ResetStatistics)->setEnabled((m_counts[0] & 0x8) != 0); }

void SemaphoresWindow::onButton(int id)
{
    if (id != ResetStatistics)
        return;
    readContext();
    resetStatistics(LastObject(m_counts), true, &kernel::ResetSemaphoreStatistics, &kernel::IsSemaphoreInUse);
}

uint32_t SemaphoresWindow::traceWord(uint32_t n)
{
    kernel::SemaphoreRecord record{};
    kernel::ReadSemaphoreRecord(n, record);
    return record[0];
}

void SemaphoresWindow::setTrace(uint32_t n, bool, bool on) { kernel::SetSemaphoreTrace(n, on ? 1 : 0); }

ObjectWindow* CreateSemaphoresWindow(WindowManager& manager) { return new SemaphoresWindow(&manager); }

} // namespace views
