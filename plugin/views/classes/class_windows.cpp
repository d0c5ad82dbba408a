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

ClassDetailWindow::ClassDetailWindow(WindowManager* manager, const Spec& spec)
    : DetailListWindow(manager, spec.dialogId, spec.title, spec.listId), m_spec(spec)
{
}

ColumnContext ClassDetailWindow::readContext()
{
    EnsureConfiguredClassRecords();
    m_counts = m_spec.counts();
    ColumnContext context;
    context.classAttributes = m_counts[0];
    return context;
}

ClassListWindow::ClassListWindow(WindowManager* manager, ClassListSpec spec)
    : SingleTraceListWindow(manager, spec.list, spec.traceColumn, spec.trace), m_pool(std::move(spec))
{
}

ColumnContext ClassListWindow::readContext()
{
    EnsureConfiguredClassRecords();
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
        for (uint32_t n = 1; n <= LastObject(m_counts); ++n)
            if (!m_pool.resetInUseOnly || m_pool.trace.inUse(n))
                m_pool.reset(n);
        Refresh();
        return;
    }
    for (const ClassListSpec::Detail& detail : m_pool.details) {
        if (detail.button != id)
            continue;
        // The detail-window rule: an open one is shown and refreshed, otherwise a new one is made.
        if (manager() == nullptr || manager()->ShowOpenWindow(detail.dialogId))
            return;
        ObjectWindow* window = detail.create(manager());
        window->ShowModeless();
        window->raise();
        return;
    }
}

} // namespace views
