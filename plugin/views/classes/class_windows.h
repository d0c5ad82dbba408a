#pragma once
// What the windows of the remaining object classes share: list windows whose objects carry one trace
// switch (bit 0x200) and the class list window (buttons that open detail windows registered by dialog
// id, a statistics reset).

#include "plugin/views/object_list_window.h"

#include "plugin/kernel/object_classes.h"

namespace views {

using CountsReader = kernel::ClassCounts (*)();
using RowFiller = void (*)(ListSheet&, const kernel::ClassCounts&);
using ColumnTable = std::vector<ColumnSpec> (*)();

// Loads the record of every configured class: the texts of one class (waiters, owners, queued
// entries) name objects of others, whose records must be known whichever window was opened first.
void EnsureConfiguredClassRecords();
// The counts of a class at a refresh, after EnsureConfiguredClassRecords.
kernel::ClassCounts RefreshCounts(bool (*configured)(), int (*ensure)(), void (*get)(kernel::ClassCounts&));

// Log Data and Services Trace first, then the class's own buttons.
ListWindowSpec SingleTraceSpec(uint32_t dialogId, const char* title, const char* traceTitle, uint32_t traceClass,
                               int list, int logData, std::vector<ButtonSpec> more = {});

class SingleTraceListWindow : public ObjectListWindow {
    Q_OBJECT

public:
    struct TraceOps {
        int (*inUse)(uint32_t);
        uint32_t (*flags)(uint32_t); // the word holding bit 0x200, read afresh
        void (*set)(uint32_t, int);
    };
    SingleTraceListWindow(WindowManager* manager, ListWindowSpec spec, int traceColumn, TraceOps ops);

protected:
    int traceObjectColumn() const override { return m_traceColumn; }
    // Continuation rows carry object 0: no popup, skipped by the batch switches.
    bool objectInUse(uint32_t n) override { return n != 0 && m_ops.inUse(n) != 0; }
    uint32_t traceWord(uint32_t n) override { return m_ops.flags(n); }
    void setTrace(uint32_t n, bool actor, bool on) override;

private:
    int m_traceColumn;
    TraceOps m_ops;
};

struct ClassListSpec {
    ListWindowSpec list;
    int traceColumn;
    SingleTraceListWindow::TraceOps trace;
    ColumnTable columns;
    RowFiller fill;
    CountsReader counts;
    struct Detail {
        int button;
        uint32_t neededAttribute; // enabled only with this class attribute bit (0: always)
        uint32_t dialogId;        // registered with WindowManager::RegisterDetailWindow
    };
    std::vector<Detail> details;
    int resetButton = 0;         // enabled with class attribute 0x8; 0 for none
    void (*reset)(uint32_t) = nullptr;
    bool resetInUseOnly = false;
};

class ClassListWindow : public SingleTraceListWindow {
    Q_OBJECT

public:
    ClassListWindow(WindowManager* manager, ClassListSpec spec);

protected:
    std::vector<ColumnSpec> columns() const override { return m_pool.columns(); }
    ColumnContext readContext() override;
    void fillRows(ListSheet& sheet) override { m_pool.fill(sheet, m_counts); }
    void endOfRefreshEnables() override;
    void onButton(int id) override;

private:
    ClassListSpec m_pool;
    kernel::ClassCounts m_counts{};
};

// The first word of an object's record: its flags with the trace bit.
template <typename Record, void (*Read)(uint32_t, Record&)>
uint32_t RecordFlags(uint32_t n)
{
    Record record{};
    Read(n, record);
    return record[0];
}

} // namespace views
