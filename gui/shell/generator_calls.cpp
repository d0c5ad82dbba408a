#include "generator_calls.h"

#include "engine/names/project_walk.h"
#include "engine/names/report_texts.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "platform/core/dynamic_library.h"
#include "platform/core/message_service.h"

namespace shell {

namespace {

using GenerateCodeEntry = int32_t (*)(engine::ProjectRecord*, engine::CpuRecord*, engine::ApplicationRecord*,
                                      engine::CodeGeneratorParams*, engine::ConfigRecord*);
using PrintSystemEntry = int32_t (*)(engine::ApplicationRecord*, engine::CpuRecord*, engine::ProjectRecord*,
                                     engine::ConfigRecord*, engine::CodeGeneratorParams*);

void errorBox(const std::string& text)
{
    platform::messageBox(text, "Error", platform::MbOk | platform::MbIconError);
}

template <typename Predicate>
bool anyEnabledInChains(engine::ApplicationRecord& application, Predicate predicate)
{
    return engine::ForEachApplicationClassEntry(application, [&](engine::ApplicationClassEntry& entry) {
               return entry.enabled && predicate(entry) ? 1 : 0;
           }) != 0;
}

// Loads the CPU's library and finds an entry; on failure shows the message and returns null.
void* loadEntry(const engine::CpuRecord& cpu, platform::DynamicLibrary& library, const char* name)
{
    if (!library.load(engine::textString(cpu.kernel.codeGeneratorLibrary))) {
        errorBox("Unable to load code generator DLL");
        return nullptr;
    }
    void* entry = library.symbol(name);
    if (!entry) {
        errorBox("Missing entry point in code generator");
        library.unload();
    }
    return entry;
}

} // namespace

void MarkApplicationForRegeneration(engine::ApplicationRecord& application)
{
    if (application.userTrace ||
        anyEnabledInChains(application, [](const engine::ApplicationClassEntry& entry) {
            return entry.systemTrace || entry.hFileDirty || entry.mFileDirty;
        }))
        application.regenerate = 1;
}

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
    const std::string version = engine::VersionText(cpu);
    engine::CodeGeneratorParams params{engine::CallerGui, version.c_str(), engine::OperationGenerateCode, all ? 1 : 0};
    MarkApplicationForRegeneration(application);
    platform::DynamicLibrary library;
    const auto entry = reinterpret_cast<GenerateCodeEntry>(loadEntry(cpu, library, "GenerateCode"));
    if (!entry)
        return false;
    if (entry(&project, &cpu, &application, &params, &config) != 0) {
        errorBox("Code generation failure.");
        return false;
    }
    ClearKernelDirtyFlags(cpu);
    return true;
}

bool RunPrintSystem(engine::ProjectRecord& project, engine::ConfigRecord& config, engine::CpuRecord& cpu,
                    engine::ApplicationRecord& application, std::string& reportPath)
{
    const std::string version = engine::VersionText(cpu);
    engine::CodeGeneratorParams params{engine::CallerGui, version.c_str(), engine::OperationPrintSystem, 0};
    platform::DynamicLibrary library;
    const auto entry = reinterpret_cast<PrintSystemEntry>(loadEntry(cpu, library, "PrintSystem"));
    if (!entry)
        return false;
    if (entry(&application, &cpu, &project, &config, &params) != 0) {
        errorBox("Print failure.");
        return false;
    }
    reportPath = engine::ReportFileName(cpu, application);
    return true;
}

std::string FootprintStatusText(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application)
{
    const uint32_t systemRam = application.footprint.SystemRam();
    const bool over = application.systemRamManual && systemRam > static_cast<uint32_t>(application.systemRamAvailable);
    return engine::FormatText("For application %s, System RAM=%lu%s, User RAM=%lu, User ROM=%lu %s",
                              engine::textString(application.name).c_str(), static_cast<unsigned long>(systemRam),
                              over ? "*" : "", static_cast<unsigned long>(application.footprint.UserRam()),
                              static_cast<unsigned long>(application.footprint.UserRom()),
                              engine::textString(cpu.kernel.sizeUnitName).c_str());
}

} // namespace shell
