#include "library_calls.h"

#include "engine/codegen/generator_library.h"
#include "engine/names/report_texts.h"
#include "engine/util/path.h"
#include "platform/core/message_service.h"
#include "platform/core/print_command.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace cmdgen {

namespace {

// Why a print command could not be started: a program that is not there is named, else the shell's text
// for the errors it has one for, else the system's own reason.
std::string startFailureText(const platform::PrintResult& result)
{
    const int error = result.startError;
    switch (error) {
    case ENOENT: return "The print command \"" + result.program + "\" was not found.";
    case EACCES: return engine::ShellExecuteErrorText(5);
    case ENOMEM: return engine::ShellExecuteErrorText(8);
    default: return std::strerror(error);
    }
}

} // namespace

std::string PrintFailureReason(const platform::PrintResult& result)
{
    if (!result.commandError.empty())
        return "The print command cannot be run: " + result.commandError + ".";
    if (result.startError != 0)
        return startFailureText(result);
    if (result.stillRunning)
        return "The print command \"" + result.program + "\" had not ended after " +
               std::to_string(result.waitedMilliseconds / 1000) + " seconds; it was ended.";
    if (result.signal != 0)
        return "The print command \"" + result.program + "\" was ended by signal " + std::to_string(result.signal) + ".";
    return "The print command \"" + result.program + "\" ended with exit status " + std::to_string(result.exitStatus) +
           ".";
}

bool GenerateApplicationCode(const GeneratorRecords& records, bool force, std::ostream& out)
{
    out << "In GenerateCode()\n";
    out.flush();
    const std::string version = engine::VersionText(*records.cpu);
    const engine::GeneratorCallOutcome outcome =
        engine::CallGenerateCode(records.project, *records.cpu, *records.application, records.config,
                                 {engine::CallerConsole, version.c_str(), 0, force ? 1 : 0});
    if (outcome.result == engine::GeneratorCallResult::LoadFailed) {
        platform::writeErrorLine(outcome.loadError);
        out << "ErrorCode " << outcome.loadErrorNumber << "\n";
    }
    return outcome.ok();
}

bool WriteApplicationReport(const GeneratorRecords& records, std::ostream& out)
{
    out.flush();
    // A report the system could not create is named with the reason before the library is asked for it.
    const std::string reportName = engine::ReportFileName(*records.cpu, *records.application);
    if (const std::string problem = engine::ReportFileNameProblem(reportName); !problem.empty()) {
        platform::messageBox("Unable to write report file " + reportName + ": " + problem, "Error",
                             platform::MbOk | platform::MbIconError);
        return false;
    }
    const std::string version = engine::VersionText(*records.cpu);
    const engine::GeneratorCallOutcome outcome =
        engine::CallPrintSystem(records.project, *records.cpu, *records.application, records.config,
                                {engine::CallerConsole, version.c_str(), 0, 0});
    if (outcome.result == engine::GeneratorCallResult::LoadFailed)
        platform::writeErrorLine(outcome.loadError);
    return outcome.ok();
}

void PrintWrittenReport(const GeneratorRecords& records)
{
    const std::string report = engine::ReportFileName(*records.cpu, *records.application);
    if (!engine::FileExists(report))
        return;
    const platform::PrintResult printed = platform::printFile(report);
    if (!printed.ok)
        platform::messageBox("Unable to execute command \"print " + report + "\"\nReason: " + PrintFailureReason(printed),
                             "Error", platform::MbOk | platform::MbIconError);
}

} // namespace cmdgen
