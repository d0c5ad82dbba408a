#include "gui/editors/model/application_sheet.h"

#include "engine/ops/project_manager.h"

namespace editors {

ApplicationSheetTransaction::ApplicationSheetTransaction(engine::CpuRecord& cpu,
                                                         engine::ApplicationRecord& application)
    : m_cpu(cpu), m_application(application)
{
}

ApplicationSheetTransaction::~ApplicationSheetTransaction()
{
    if (m_taken)
        engine::ProjectManager::FreeApplication(m_snapshot);
}

bool ApplicationSheetTransaction::begin()
{
    engine::ProjectManager::InitApplicationRecord(m_snapshot);
    m_taken = engine::ProjectManager::CloneApplication(m_cpu, m_snapshot, m_application);
    if (!m_taken)
        engine::ProjectManager::FreeApplication(m_snapshot);
    return m_taken;
}

void ApplicationSheetTransaction::finish(int result)
{
    if (!m_taken)
        return;
    if (result == 1) {
        if (engine::ProjectManager::ApplicationsDiffer(m_application, m_snapshot)) {
            m_application.edited = 1;
            m_application.kernelHDirty = 1;
            m_application.kernelMDirty = 1;
            if (m_application.userVersion != m_snapshot.userVersion)
                m_application.projectHDirty = 1;
        }
        return;
    }
    engine::ProjectManager::AssignApplication(m_cpu, m_application, m_snapshot);
    if (m_fileWritten)
        m_application.edited = 1;
}

bool ApplicationHasOptionsPage(const engine::ApplicationRecord& application)
{
    return application.optionCount > 0 && application.options;
}

bool ApplicationHasContextPage(const engine::CpuRecord& cpu)
{
    const engine::KernelRecord& kernel = cpu.kernel;
    return (kernel.featureMask & 2) && (kernel.framework & 2) && kernel.extendedContextCount > 0;
}

} // namespace editors
