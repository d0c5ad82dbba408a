#pragma once
// The thread windows: Threads (display command 9) and its Thread Gate Information window; the level
// windows it opens are registered by dialog id (1025 Level Information, 1026 Thread Schedule
// Information).

#include "plugin/views/object_list_window.h"

#include "plugin/kernel/object_classes.h"

namespace views {

enum ThreadColumn : int { ThrNumber, ThrName, ThrCurrLevel, ThrBaseLevel, ThrOrder, ThrEntry, ThrArg, ThrEnvArg,
                          ThrUse, ThrRuns, ThrTraceObject, ThrTraceActor };
std::vector<ColumnSpec> ThreadColumns();
void FillThreadRows(ListSheet& sheet, const kernel::ClassCounts& counts);
void FillThreadGateRows(ListSheet& sheet, const kernel::ClassCounts& counts);

inline constexpr uint32_t kLevelInfoDialog = 1025;
inline constexpr uint32_t kLevelScheduleDialog = 1026;

class ThreadsWindow : public ObjectListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1007;
    enum Control : int { List = 1001, ScheduleInfo = 1042, GateInfo = 1043, LevelInfo = 1045, ResetStatistics = 1058,
                         LogData = 1182 };
    explicit ThreadsWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override { return ThreadColumns(); }
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override { FillThreadRows(sheet, m_counts); }
    void endOfRefreshEnables() override;
    void onButton(int id) override;
    int traceObjectColumn() const override { return ThrTraceObject; }
    int traceActorColumn() const override { return ThrTraceActor; }
    bool objectInUse(uint32_t n) override { return kernel::IsThreadInUse(n) != 0; }
    uint32_t traceWord(uint32_t n) override;
    void setTrace(uint32_t n, bool actor, bool on) override;

private:
    kernel::ClassCounts m_counts{};
};

class ThreadGateWindow : public CountedDetailWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1027;
    explicit ThreadGateWindow(WindowManager* manager);
};

} // namespace views
