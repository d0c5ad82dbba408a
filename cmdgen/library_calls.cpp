#include "library_calls.h"

#include "print_command.h"

#include "engine/names/project_walk.h"
#include "engine/names/report_texts.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "platform/core/dynamic_library.h"
#include "platform/core/message_service.h"

#include <cerrno>
#include <cstdio>
#include <string>

#include <unistd.h>

namespace cmdgen {

namespace {

using GenerateCodeEntry = int32_t (*)(engine::ProjectRecord*, engine::CpuRecord*, engine::ApplicationRecord*,
                                      engine::CodeGeneratorParams*, engine::ConfigRecord*);
using PrintSystemEntry = int32_t (*)(engine::ApplicationRecord*, engine::CpuRecord*, engine::ProjectRecord*,
                                     engine::ConfigRecord*, engine::CodeGeneratorParams*);

void errorBox(const std::string& text)
{
    platform::messageBox(text, "Error", platform::MbOk | platform::MbIconError);
}

// Loads the CPU's code-generator library; on failure shows the message and returns false.
bool loadGenerator(const engine::CpuRecord& cpu, platform::DynamicLibrary& library, std::ostream* errorCodeOut)
{
    if (library.load(engine::textString(cpu.kernel.codeGeneratorLibrary)))
        return true;
    errorBox("Unable to load code generator DLL");
    std::fprintf(stderr, "%s\n", library.error().c_str());
    if (errorCodeOut) {
        // The nearest system error number: the file's own access error, else "not a loadable format".
        const int code = ::access(library.path().c_str(), R_OK) != 0 ? errno : ENOEXEC;
        *errorCodeOut << "ErrorCode " << code << "\n";
    }
    return false;
}

template <typename Entry>
Entry findEntry(const platform::DynamicLibrary& library, const char* name)
{
    void* address = library.symbol(name);
    if (!address)
        errorBox("Missing entry point in code generator");
    return reinterpret_cast<Entry>(address);
}

} // namespace

void markApplicationForRegeneration(engine::ApplicationRecord& application)
{
    const bool marked = application.userTrace != 0 ||
                        engine::ForEachApplicationClassEntry(application, [](engine::ApplicationClassEntry& entry) {
                            return entry.enabled && (entry.systemTrace || entry.hFileDirty || entry.mFileDirty) ? 1 : 0;
                        }) != 0;
    if (marked)
        application.regenerate = 1;
}

bool GenerateApplicationCode(const GeneratorRecords& records, bool force, std::ostream& out)
{
    out << "In GenerateCode()\n";
    out.flush();
    markApplicationForRegeneration(*records.application);
    platform::DynamicLibrary library;
    if (!loadGenerator(*records.cpu, library, &out))
        return false;
    const auto entry = findEntry<GenerateCodeEntry>(library, "GenerateCode");
    if (!entry)
        return false;
    const std::string version = engine::VersionText(*records.cpu);
    engine::CodeGeneratorParams params{engine::CallerConsole, version.c_str(), 0, force ? 1 : 0};
    if (entry(records.project, records.cpu, records.application, &params, records.config) != 0) {
        errorBox("Code generation failure.");
        return false;
    }
    return true;
}

bool WriteApplicationReport(const GeneratorRecords& records, std::ostream& out)
{
    out.flush();
    platform::DynamicLibrary library;
    if (!loadGenerator(*records.cpu, library, nullptr))
        return false;
    const auto entry = findEntry<PrintSystemEntry>(library, "PrintSystem");
    if (!entry)
        return false;
    const std::string version = engine::VersionText(*records.cpu);
    engine::CodeGeneratorParams params{engine::CallerConsole, version.c_str(), 0, 0};
    if (entry(records.application, records.cpu, records.project, records.config, &params) != 0) {
        errorBox("Print failure.");
        return false;
    }
    // Only a report the library has just written is printed, never one left from an earlier run.
    const std::string report = engine::ReportFileName(*records.cpu, *records.application);
    if (engine::FileExists(report)) {
        const PrintOutcome printed = printFile(report);
        if (!printed.ok)
            errorBox("Unable to execute command \"print " + report + "\"\nReason: " + printed.reason);
    }
    return true;
}

} // namespace cmdgen
