#pragma once
// The task windows: Tasks (display command 2) and its detail windows Task Register Information, Task
// Stacks Information and Task Semaphores.

#include "plugin/views/object_list_window.h"

#include "plugin/kernel/object_classes.h"

namespace views {

class TasksWindow : public ObjectListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1000;
    enum Control : int { List = 1000, RegisterInfo = 1018, StackInfo = 1056, Semaphores = 1066, LogData = 1075 };
    explicit TasksWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override;
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override;
    void endOfRefreshEnables() override;
    void onButton(int id) override;
    int traceObjectColumn() const override;
    int traceActorColumn() const override;
    bool objectInUse(uint32_t n) override;
    uint32_t traceWord(uint32_t n) override;
    void setTrace(uint32_t n, bool actor, bool on) override;

private:
    kernel::ClassCounts m_counts{};
};

class TaskRegisterWindow : public RegisterListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1013;
    static constexpr int kListId = 1018;
    static constexpr int kLegendNotValid = 1071;
    static constexpr int kLegendNeverValid = 1072;
    explicit TaskRegisterWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override;
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override;

private:
    kernel::ClassCounts m_counts{};
};

class TaskStacksWindow : public CountedDetailWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1032;
    explicit TaskStacksWindow(WindowManager* manager);
};

class TaskSemaphoresWindow : public CountedDetailWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1034;
    explicit TaskSemaphoresWindow(WindowManager* manager);
};

} // namespace views
