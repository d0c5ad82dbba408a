#pragma once
// The timing windows: Alarms (display command 15) with its Alarm Semaphores window, Counters (14) and
// Event Sources (13).

#include "plugin/views/classes/class_windows.h"

#include "plugin/kernel/object_classes.h"

namespace views {

class AlarmsWindow : public SingleTraceListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1020;
    enum Control : int { List = 1033, Semaphores = 1032, LogData = 1172 };
    explicit AlarmsWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override;
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override;
    void endOfRefreshEnables() override;
    void onButton(int id) override;

private:
    kernel::ClassCounts m_counts{};
};

class AlarmSemaphoresWindow : public CountedDetailWindow {
public:
    static constexpr uint32_t kDialogId = 1021;
    explicit AlarmSemaphoresWindow(WindowManager* manager);
};

class CountersWindow : public ClassListWindow {
public:
    static constexpr uint32_t kDialogId = 1019;
    enum Control : int { List = 1031, LogData = 1173 };
    explicit CountersWindow(WindowManager* manager);
};

class EventSourcesWindow : public ClassListWindow {
public:
    static constexpr uint32_t kDialogId = 1018;
    enum Control : int { List = 1030, LogData = 1174 };
    explicit EventSourcesWindow(WindowManager* manager);
};

} // namespace views
