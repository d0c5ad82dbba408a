#pragma once
// The Semaphores window (display command 3).

#include "plugin/views/object_list_window.h"

#include "plugin/kernel/object_classes.h"

namespace views {

enum SemaphoreColumn : int { SemaNumber, SemaName, SemaState, SemaCount, SemaUsage, SemaSignalType, SemaOrder,
                             SemaWaiters, SemaTrace };
std::vector<ColumnSpec> SemaphoreColumns();
void FillSemaphoreRows(ListSheet& sheet, const kernel::ClassCounts& counts);

class SemaphoresWindow : public ObjectListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1001;
    enum Control : int { List = 1002, ResetStatistics = 1025, LogData = 1181 };
    explicit SemaphoresWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override { return SemaphoreColumns(); }
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override { FillSemaphoreRows(sheet, m_counts); }
    void endOfRefreshEnables() override;
    void onButton(int id) override;
    int traceObjectColumn() const override { return SemaTrace; }
    bool objectInUse(uint32_t n) override { return kernel::IsSemaphoreInUse(n) != 0; }
    uint32_t traceWord(uint32_t n) override;
    void setTrace(uint32_t n, bool actor, bool on) override;

private:
    kernel::ClassCounts m_counts{};
};

} // namespace views
