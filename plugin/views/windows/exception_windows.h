#pragma once
// The exception windows: Exceptions (display command 10) and Exception Backtrace (display command 16).

#include "plugin/views/object_list_window.h"

#include "plugin/kernel/object_classes.h"

namespace views {

enum ExceptionColumn : int { ExcNumber, ExcName, ExcLevel, ExcVector, ExcPrevious, ExcTraceObject, ExcTraceActor };
std::vector<ColumnSpec> ExceptionColumns();
void FillExceptionRows(ListSheet& sheet, const kernel::ClassCounts& counts);

// Frames shown at most.
constexpr uint32_t kBacktraceShown = 10;
// Sets the register columns from the frames' states, then fills the rows.
void FillBacktraceRows(ListSheet& sheet);

class ExceptionsWindow : public ObjectListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1008;
    enum Control : int { List = 1008, LogData = 1175 };
    explicit ExceptionsWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override { return ExceptionColumns(); }
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override { FillExceptionRows(sheet, m_counts); }
    int traceObjectColumn() const override { return ExcTraceObject; }
    int traceActorColumn() const override { return ExcTraceActor; }
    bool objectInUse(uint32_t n) override { return kernel::IsExceptionInUse(n) != 0; }
    uint32_t traceWord(uint32_t n) override;
    void setTrace(uint32_t n, bool actor, bool on) override;

private:
    kernel::ClassCounts m_counts{};
};

class BacktraceWindow : public RegisterListWindow {
    Q_OBJECT

public:
    static constexpr uint32_t kDialogId = 1033;
    static constexpr int kListId = 1065;
    static constexpr int kLegendNotValid = 1069;
    static constexpr int kLegendNeverValid = 1070;
    explicit BacktraceWindow(WindowManager* manager);

protected:
    std::vector<ColumnSpec> columns() const override;
    ColumnContext readContext() override { return ColumnContext{}; }
    void fillRows(ListSheet& sheet) override { FillBacktraceRows(sheet); }
    bool saysWalkCuts() const override { return true; } // "... the chain repeats here"
};

} // namespace views
