#include "gui/editors/model/cpu_sheet.h"

#include <cstring>
#include <utility>
#include <vector>

#include "engine/files/model_file.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/project_save.h"
#include "engine/records/model_bounds.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "gui/editors/model/dialog_model.h"

namespace editors {

CpuSheetTransaction::CpuSheetTransaction(engine::CpuRecordHandler& handler) : m_handler(handler) {}

CpuSheetTransaction::~CpuSheetTransaction()
{
    if (m_taken)
        engine::CpuRecordHandler::FreeKernelRecord(m_saved);
    delete m_savedModelFile;
}

engine::KernelRecord& CpuSheetTransaction::kernel() const
{
    return *m_handler.GetKernelRecord();
}

bool CpuSheetTransaction::begin()
{
    std::memset(&m_saved, 0, sizeof m_saved);
    m_taken = engine::CpuRecordHandler::CloneKernelRecord(m_saved, kernel());
    if (!m_taken) {
        engine::CpuRecordHandler::FreeKernelRecord(m_saved);
        return false;
    }
    if (engine::CpuRecord* cpu = m_handler.GetCpuRecord()) {
        engine::VisitCpuClassEntries(*cpu, [this](const engine::ClassEntryPlace& place) {
            m_dynamics.push_back(place.entry->numberOfDynamics);
            return 0;
        });
    }
    return true;
}

bool CpuSheetTransaction::changeModel(int32_t index)
{
    engine::CpuRecord* cpu = m_handler.GetCpuRecord();
    const engine::ConfigRecord* config = m_handler.GetConfigRecord();
    if (!cpu || !config)
        return false;
    engine::KernelRecord scratch{};
    engine::CpuRecordHandler::ResetKernelRecord(scratch, true);
    auto* modelFile = new engine::SectionedFile("Model File", false);
    if (!engine::LoadModelFileInto(scratch, *modelFile, *config, index)) {
        engine::CpuRecordHandler::FreeKernelRecord(scratch);
        delete modelFile;
        return false;
    }
    scratch.modelIndex = index;
    engine::setText(scratch.kernelPath, engine::textOf(kernel().kernelPath));
    engine::CpuRecordHandler::FreeKernelRecord(kernel());
    kernel() = scratch;
    // The first model change keeps the CPU's old model file for a Cancel; later ones replace each other.
    if (!m_modelChanged)
        m_savedModelFile = cpu->modelFile;
    else
        delete cpu->modelFile;
    cpu->modelFile = modelFile;
    m_modelChanged = true;
    return true;
}

void CpuSheetTransaction::alignClassEntries()
{
    engine::CpuRecord* cpu = m_handler.GetCpuRecord();
    if (!cpu)
        return;
    const engine::KernelRecord& k = kernel();
    engine::VisitCpuClassEntries(*cpu, [&](const engine::ClassEntryPlace& place) {
        engine::ApplicationClassEntry& entry = *place.entry;
        const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(cpu, entry.classType);
        if (!kernelClass)
            return 0;
        const int32_t enabled = kernelClass->available ? 1 : 0;
        const bool changed = entry.diagnostics != k.defaultDiagnostics || entry.statistics != k.defaultStatistics ||
                             entry.systemTrace != k.defaultTrace || entry.enabled != enabled;
        entry.diagnostics = k.defaultDiagnostics;
        entry.statistics = k.defaultStatistics;
        entry.systemTrace = k.defaultTrace;
        entry.enabled = enabled;
        if (changed) {
            if (place.application)
                place.application->edited = 1;
            entry.hFileDirty = entry.mFileDirty = 1;
        }
        return 0;
    });
}

void CpuSheetTransaction::applyModelChange()
{
    engine::CpuRecord* cpu = m_handler.GetCpuRecord();
    if (!cpu || !m_modelChanged)
        return;
    alignClassEntries();
    const engine::KernelRecord& k = kernel();
    for (int32_t a = 0; cpu->applications && a < cpu->applicationCount; ++a) {
        engine::BuildApplicationOptionListAt(*cpu, a);
        // The kernel stack follows the new model's limits, as its other values take the model's defaults: the
        // System page may not offer the size for every framework.
        engine::ApplicationRecord& app = cpu->applications[a];
        const int32_t stack = engine::stackWithinModel(app.kernelStackAvailable, k.minKernelStackSize,
                                                       k.maxKernelStackSize, k.taskStackModulus);
        if (stack != app.kernelStackAvailable) {
            app.kernelStackAvailable = stack;
            app.edited = 1;
        }
    }
    engine::ProjectManager::UpdateClassEntryFlags(*cpu);
}

bool CpuSheetTransaction::withChangeApplied(const std::function<bool()>& act)
{
    engine::CpuRecord* cpu = m_handler.GetCpuRecord();
    if (!cpu || !m_modelChanged)
        return act();
    // The applications as they are now are set aside whole and their copies take the change; `act` runs on
    // the copies, which are then freed, and the applications come back untouched whatever it did.
    const int32_t count = cpu->applications ? cpu->applicationCount : 0;
    std::vector<engine::ApplicationRecord> copies(static_cast<std::size_t>(count));
    int32_t made = 0;
    for (; made < count; ++made) {
        std::memset(&copies[made], 0, sizeof copies[made]);
        if (!engine::ProjectManager::CloneApplication(*cpu, copies[made], cpu->applications[made]))
            break;
    }
    bool done = false;
    if (made == count) {
        for (int32_t a = 0; a < count; ++a)
            std::swap(copies[a], cpu->applications[a]);
        applyModelChange();
        done = act();
        for (int32_t a = 0; a < count; ++a)
            std::swap(copies[a], cpu->applications[a]);
    } else {
        showCheckMessage("Error allocating memory for the applications of the CPU");
    }
    for (int32_t a = 0; a < made; ++a)
        engine::ProjectManager::FreeApplication(copies[a]);
    return done;
}

bool CpuSheetTransaction::projectKeeps(const engine::ProjectRecord& project)
{
    return withChangeApplied([&] { return projectKeepsEdit(project); });
}

bool CpuSheetTransaction::saveKernel(engine::ProjectRecord* project)
{
    engine::CpuRecord* cpu = m_handler.GetCpuRecord();
    engine::ConfigRecord* config = m_handler.GetConfigRecord();
    // The project file names the CPU's model and the applications hold what the model gives them: a kernel
    // file opens only with them. When they are on disk as the program holds them, it is written alone; else
    // all are saved as one, a model change of this sheet in them as OK would keep it.
    bool unsaved = m_modelChanged || (project && project->edited);
    for (int32_t a = 0; cpu && cpu->applications && a < cpu->applicationCount; ++a)
        unsaved = unsaved || cpu->applications[a].edited;
    if (!unsaved || !project || !cpu || !config) {
        if (!m_handler.SaveKernel())
            return false;
        m_fileWritten = true;
        return true;
    }
    engine::ProjectManager manager;
    if (!withChangeApplied([&] { return engine::SaveProjectFiles(manager, *project, *config); }))
        return false;
    m_fileWritten = true;
    m_projectWritten = project;
    return true;
}

void CpuSheetTransaction::finish(int result)
{
    if (!m_taken)
        return;
    engine::CpuRecord* cpu = m_handler.GetCpuRecord();
    if (result == 1) {
        applyModelChange();
        if (engine::CpuRecordHandler::KernelRecordsDiffer(kernel(), m_saved)) {
            kernel().hFileDirty = kernel().mFileDirty = kernel().edited = 1;
            for (int32_t a = 0; cpu && cpu->applications && a < cpu->applicationCount; ++a) {
                engine::ApplicationRecord& app = cpu->applications[a];
                app.kernelHDirty = app.kernelMDirty = app.edited = 1;
                app.projectHDirty = app.projectCDirty = 1;
            }
        }
        return;
    }
    // Cancel: the saved copy moves back whole; it is not freed again.
    engine::CpuRecordHandler::FreeKernelRecord(kernel());
    kernel() = m_saved;
    std::memset(&m_saved, 0, sizeof m_saved);
    m_taken = false;
    if (m_modelChanged && cpu) {
        delete cpu->modelFile;
        cpu->modelFile = m_savedModelFile;
        m_savedModelFile = nullptr;
    }
    if (cpu) {
        std::size_t n = 0;
        engine::VisitCpuClassEntries(*cpu, [&](const engine::ClassEntryPlace& place) {
            if (n < m_dynamics.size())
                place.entry->numberOfDynamics = m_dynamics[n];
            ++n;
            return 0;
        });
    }
    // What a page's Save wrote stays on disk; the project as it is again differs from it until saved.
    if (m_fileWritten)
        kernel().edited = 1;
    if (m_projectWritten) {
        m_projectWritten->edited = 1;
        for (int32_t a = 0; cpu && cpu->applications && a < cpu->applicationCount; ++a)
            cpu->applications[a].edited = 1;
    }
}

bool CpuHasOptionsPage(const engine::CpuRecordHandler& handler)
{
    return handler.CountVariantOptions() > 0;
}

} // namespace editors
