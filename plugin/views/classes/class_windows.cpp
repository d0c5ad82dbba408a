#include "plugin/views/classes/class_windows.h"

#include "plugin/views/windows/class_counts.h"

#include <QPushButton>

namespace views {

void EnsureConfiguredClassRecords()
{
    for (int k = 0; k < kernel::kObjectKindCount; ++k) {
        const auto kind = static_cast<kernel::ObjectKind>(k);
        if (kernel::IsKindConfigured(kind))
            kernel::EnsureClassRecord(kernel::ClassOf(kind));
    }
}

kernel::ClassCounts RefreshCounts(bool (*configured)(), int (*ensure)(), void (*get)(kernel::ClassCounts&))
{
    EnsureConfiguredClassRecords();
    return ReadCounts(configured, ensure, get);
}

ListWindowSpec SingleTraceSpec(uint32_t dialogId, const char* title, const char* traceTitle, uint32_t traceClass,
                               int list, int logData, std::vector<ButtonSpec> more)
{
    ListWindowSpec s{dialogId, title, traceTitle, traceClass, list, logData, TraceKind::Single,
                     {{logData, "Log Data"}, {kServicesTraceButton, "Services Trace"}}};
    s.buttons.insert(s.buttons.end(), more.begin(), more.end());
    return s;
}

SingleTraceListWindow::SingleTraceListWindow(WindowManager* manager, ListWindowSpec spec, int traceColumn, TraceOps ops)
    : ObjectListWindow(manager, std::move(spec)), m_traceColumn(traceColumn), m_ops(ops)
{
}

void SingleTraceListWindow::setTrace(uint32_t n, bool actor, bool on)
{
    if (!actor)
        m_ops.set(n, on ? 1 : 0);
}

ClassListWindow::ClassListWindow(WindowManager* manager, ClassListSpec spec)
    : SingleTraceListWindow(manager, spec.list, spec.traceColumn, spec.trace), m_pool(std::move(spec))
{
}

ColumnContext ClassListWindow::readContext()
{
    m_counts = m_pool.counts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    context.taskClass = kernel::IsTaskClassConfigured();
    return context;
}

void ClassListWindow::endOfRefreshEnables()
{
    for (const ClassListSpec::Detail& detail : m_pool.details)
        button(detail.button)->setEnabled(detail.neededAttribute == 0 || (m_counts[0] & detail.neededAttribute) != 0);
    if (m_pool.resetButton != 0)
        button(m_pool.resetButton)->setEnabled((m_counts[0] & 0x8) != 0);
}

void ClassListWindow::onButton(int id)
{
    if (id != 0 && id == m_pool.resetButton) {
        resetStatistics(LastObject(m_counts), m_pool.resetInUseOnly, m_pool.reset, m_pool.trace.inUse);
        return;
    }
    for (const ClassListSpec::Detail& detail : m_pool.details)
        if (detail.button == id)
            openRegisteredDetail(detail.dialogId);
}

} // namespace views
