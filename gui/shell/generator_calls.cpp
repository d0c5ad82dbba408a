#include "generator_calls.h"

#include "engine/codegen/generator_library.h"
#include "engine/footprint/footprint.h"
#include "engine/names/project_walk.h"
#include "engine/names/report_texts.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"

namespace shell {

namespace {

template <typename Predicate>
bool anyEnabledInChains(engine::ApplicationRecord& application, Predicate predicate)
{
    return engine::ForEachApplicationClassEntry(application, [&](engine::ApplicationClassEntry& entry) {
               return entry.enabled && predicate(entry) ? 1 : 0;
           }) != 0;
}

} // namespace

void MarkEditedForDirtyClasses(engine::ApplicationRecord& application)
{
    if (application.edited)
        return;
    if (anyEnabledInChains(application, [](const engine::ApplicationClassEntry& entry) {
            return entry.cFileDirty || entry.hFileDirty || entry.mFileDirty;
        }))
        application.edited = 1;
}

void ClearKernelDirtyFlags(engine::CpuRecord& cpu)
{
    bool hPending = false;
    bool mPending = false;
    engine::ForEachCpuApplication(cpu, [&](engine::ApplicationRecord& application) {
        hPending = hPending || application.kernelHDirty || application.projectHDirty;
        mPending = mPending || application.kernelMDirty;
        return 0;
    });
    if (!hPending && cpu.kernel.hFileDirty) {
        cpu.kernel.hFileDirty = 0;
        cpu.kernel.edited = 1;
    }
    if (!mPending && cpu.kernel.mFileDirty) {
        cpu.kernel.mFileDirty = 0;
        cpu.kernel.edited = 1;
    }
}

bool RunCodeGenerator(engine::ProjectRecord& project, engine::ConfigRecord& config, engine::CpuRecord& cpu,
                      engine::ApplicationRecord& application, bool all)
{
    // The GUI hands the model's "Version" text as the CPU record stores it; the console builds its own.
    const std::string version = engine::textString(cpu.kernel.modelVersion);
    if (!engine::CallGenerateCode(&project, cpu, application, &config,
                                  {engine::CallerGui, version.c_str(), engine::OperationGenerateCode, all ? 1 : 0})
             .ok())
        return false;
    ClearKernelDirtyFlags(cpu);
    return true;
}

bool RunPrintSystem(engine::ProjectRecord& project, engine::ConfigRecord& config, engine::CpuRecord& cpu,
                    engine::ApplicationRecord& application, std::string& reportPath)
{
    // The GUI hands the model's "Version" text as the CPU record stores it; the console builds its own.
    const std::string version = engine::textString(cpu.kernel.modelVersion);
    if (!engine::CallPrintSystem(&project, cpu, application, &config,
                                 {engine::CallerGui, version.c_str(), engine::OperationPrintSystem, 0})
             .ok())
        return false;
    reportPath = engine::ReportFileName(cpu, application);
    return true;
}

std::string FootprintStatusText(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application)
{
    const uint32_t systemRam = application.footprint.SystemRam();
    const bool over = application.systemRamManual && systemRam > static_cast<uint32_t>(application.systemRamAvailable);
    return engine::FormatText("For application %s, System RAM=%s%s, User RAM=%s, User ROM=%s %s",
                              engine::textString(application.name).c_str(), engine::FootprintAmountText(systemRam).c_str(),
                              over ? "*" : "", engine::FootprintAmountText(application.footprint.UserRam()).c_str(),
                              engine::FootprintAmountText(application.footprint.UserRom()).c_str(),
                              engine::textString(cpu.kernel.sizeUnitName).c_str());
}

} // namespace shell
