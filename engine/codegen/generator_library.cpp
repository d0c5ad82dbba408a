#include "generator_library.h"

#include "engine/names/project_walk.h"
#include "engine/records/text_field.h"
#include "platform/core/dynamic_library.h"
#include "platform/core/message_service.h"

#include <cerrno>

#include <unistd.h>

namespace engine {

namespace {

void errorBox(const std::string& text)
{
    platform::messageBox(text, "Error", platform::MbOk | platform::MbIconError);
}

// Loads the CPU's library and finds the entry; on failure shows the message and fills the outcome.
void* loadEntry(const CpuRecord& cpu, platform::DynamicLibrary& library, const char* name,
                GeneratorCallOutcome& outcome)
{
    if (!library.load(textString(cpu.kernel.codeGeneratorLibrary))) {
        errorBox("Unable to load code generator DLL");
        outcome.result = GeneratorCallResult::LoadFailed;
        outcome.loadError = library.error();
        outcome.loadErrorNumber = ::access(library.path().c_str(), R_OK) != 0 ? errno : ENOEXEC;
        return nullptr;
    }
    void* entry = library.symbol(name);
    if (!entry) {
        errorBox("Missing entry point in code generator");
        outcome.result = GeneratorCallResult::EntryMissing;
    }
    return entry;
}

} // namespace

void MarkApplicationForRegeneration(ApplicationRecord& application)
{
    const bool marked = application.userTrace != 0 ||
                        ForEachApplicationClassEntry(application, [](ApplicationClassEntry& entry) {
                            return entry.enabled && (entry.systemTrace || entry.hFileDirty || entry.mFileDirty) ? 1 : 0;
                        }) != 0;
    if (marked)
        application.regenerate = 1;
}

GeneratorCallOutcome CallGenerateCode(ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                                      ConfigRecord* config, CodeGeneratorParams params)
{
    GeneratorCallOutcome outcome;
    MarkApplicationForRegeneration(application);
    platform::DynamicLibrary library;
    const auto entry = reinterpret_cast<GenerateCodeEntry>(loadEntry(cpu, library, kGenerateCodeEntryName, outcome));
    if (!entry)
        return outcome;
    if (entry(project, &cpu, &application, &params, config) != 0) {
        errorBox("Code generation failure.");
        outcome.result = GeneratorCallResult::Failed;
        return outcome;
    }
    outcome.result = GeneratorCallResult::Done;
    return outcome;
}

GeneratorCallOutcome CallPrintSystem(ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                                     ConfigRecord* config, CodeGeneratorParams params)
{
    GeneratorCallOutcome outcome;
    platform::DynamicLibrary library;
    const auto entry = reinterpret_cast<PrintSystemEntry>(loadEntry(cpu, library, kPrintSystemEntryName, outcome));
    if (!entry)
        return outcome;
    if (entry(&application, &cpu, project, config, &params) != 0) {
        errorBox("Print failure.");
        outcome.result = GeneratorCallResult::Failed;
        return outcome;
    }
    outcome.result = GeneratorCallResult::Done;
    return outcome;
}

} // namespace engine
