#include "console_run.h"

#include "arguments.h"
#include "console_texts.h"
#include "library_calls.h"
#include "engine/project/project_save.h"
#include "return_codes.h"

#include "engine/files/config_file.h"
#include "engine/footprint/footprint.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/program_title.h"
#include "platform/core/message_service.h"

#include <cerrno>
#include <cstring>

#include <sys/stat.h>

namespace cmdgen {

namespace {

// Changes back to the starting folder whenever the run leaves, as the engine's readers move it.
class FolderRestorer {
public:
    explicit FolderRestorer(std::string folder) : m_folder(std::move(folder)) {}
    ~FolderRestorer()
    {
        if (!m_folder.empty())
            engine::SetCurrentDirectoryText(m_folder);
    }
    FolderRestorer(const FolderRestorer&) = delete;
    FolderRestorer& operator=(const FolderRestorer&) = delete;

private:
    std::string m_folder;
};

// The configuration and project records of the run, zero-filled before use and freed at its end.
class ConsoleSession {
public:
    ConsoleSession()
    {
        std::memset(&config, 0, sizeof config);
        std::memset(&project, 0, sizeof project);
    }
    ~ConsoleSession()
    {
        engine::ProjectManager::FreeProject(project);
        engine::ConfigFile::FreeConfigRecord(config);
    }
    ConsoleSession(const ConsoleSession&) = delete;
    ConsoleSession& operator=(const ConsoleSession&) = delete;

    engine::ConfigRecord config;
    engine::ProjectRecord project;
    engine::ProjectManager manager;
};

bool isAbsoluteName(const std::string& path)
{
    const std::string native = engine::MakeNativePath(path);
    return !native.empty() && native.front() == '/';
}

bool sameName(const char* field, std::size_t size, const std::string& name)
{
    return engine::textOf(field, size) == name;
}


// Generates (and reports on) the chosen applications. Returns CodeDone, CodeGenerationFailed at the
// first failure, or CodeNotFound.
int generateApplications(const RunOptions& options, ConsoleSession& session, std::ostream& out)
{
    engine::ProjectRecord& project = session.project;
    bool cpuFound = false;
    bool applicationFound = false;
    bool reportFailed = false;
    const int32_t cpuCount = project.cpus ? project.cpuCount : 0;
    for (int32_t c = 0; c < cpuCount; ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        if (!options.all && !sameName(cpu.name, sizeof cpu.name, options.cpuName))
            continue;
        cpuFound = true;
        const int32_t applicationCount = cpu.applications ? cpu.applicationCount : 0;
        for (int32_t a = 0; a < applicationCount; ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            if (!options.all && !sameName(application.name, sizeof application.name, options.applicationName))
                continue;
            applicationFound = true;
            const std::string cpuName = engine::textString(cpu.name);
            const std::string applicationName = engine::textString(application.name);
            const GeneratorRecords records{&project, &session.config, &cpu, &application};

            out << "Generating code for CPU \"" << cpuName << "\", Application \"" << applicationName << "\"...";
            engine::ComputeApplicationFootprint(&project, cpu, application);
            const bool ok = GenerateApplicationCode(records, options.force, out);
            out << (ok ? " Succeeded\n" : " Failed\n");
            // The report is written whatever the generation gave. A failed generation ends the run; a failed
            // report does not keep the other applications from theirs, and the run then ends failed.
            if (options.report) {
                out << "Writing report  for CPU \"" << cpuName << "\", Application \"" << applicationName << "\"...";
                engine::ComputeApplicationFootprint(&project, cpu, application);
                const bool reported = WriteApplicationReport(records, out);
                out << (reported ? " Succeeded\n" : " Failed\n");
                // Only a report the library has just written is printed, never one left from an earlier run.
                if (reported) {
                    out.flush();
                    PrintWrittenReport(records);
                }
                reportFailed = reportFailed || !reported;
            }
            if (!ok)
                return CodeGenerationFailed;
            if (!options.all)
                break;
        }
        if (!options.all)
            break;
    }
    if (reportFailed)
        return CodeGenerationFailed;
    if (options.all)
        return CodeDone;
    int code = CodeDone;
    if (!cpuFound) {
        out << "No CPU named \"" << options.cpuName << "\" could be found\n";
        code = CodeNotFound;
    }
    if (!applicationFound) {
        out << "No application named \"" << options.applicationName << "\" under a CPU named \"" << options.cpuName
            << "\" could be found";
        code = CodeNotFound;
    }
    return code;
}

int processProject(const RunOptions& options, std::ostream& out)
{
    const std::string startFolder = engine::GetCurrentDirectoryText();
    // A relative project name means nothing once the starting folder is gone (deleted under the run); an
    // absolute one needs no starting folder.
    if (startFolder.empty() && !isAbsoluteName(options.projectFile)) {
        out << "The current folder cannot be found\n";
        return CodeFolderChangeFailed;
    }
    const FolderRestorer restorer(startFolder);
    const std::string programFolder = engine::ProgramDirectory();
    if (!engine::SetCurrentDirectoryText(programFolder)) {
        out << "Unable to change folder to " << programFolder << "\n";
        return CodeFolderChangeFailed;
    }
    const std::string configPath =
        programFolder + (!programFolder.empty() && programFolder.back() == '/' ? "" : "/") + "ombagen.cfg";
    if (!engine::FileExists(configPath)) {
        out << "Configuration file \"" << configPath << "\" could not be found\n";
        return CodeConfigMissing;
    }

    ConsoleSession session;
    engine::ConfigFile::ResetConfigRecord(session.config, true);
    // The reader shows its own message on failure, also for a configuration without models. A file whose
    // GENERAL section is missing keeps the models read before it, and the run goes on with them, as the
    // desktop program does; without models there is nothing to open a project with.
    if (!engine::ConfigFile::Read(session.config, configPath) &&
        (session.config.models == nullptr || session.config.modelCount <= 0))
        return CodeConfigMissing;
    engine::ProjectManager::ResetProject(session.project, true);
    // A relative project name is resolved against the starting folder only; when that folder cannot be
    // entered again the run stops rather than find a project elsewhere. An absolute name needs no folder.
    if ((startFolder.empty() || !engine::SetCurrentDirectoryText(startFolder)) && !isAbsoluteName(options.projectFile)) {
        out << "Unable to change folder to " << startFolder << "\n";
        return CodeFolderChangeFailed;
    }

    // The name is taken as the system takes it: "demo.omb/" names no file, though its folded form would.
    const std::string given = engine::MakeNativePath(options.projectFile);
    struct stat info {};
    if (!given.empty() && ::stat(given.c_str(), &info) != 0) {
        const int error = errno;
        if (engine::CheckReadableFile(engine::ResolvePath(options.projectFile)) != engine::ReadResult::OpenFailed) {
            platform::messageBox("Can't open project file " + given + ": " + std::strerror(error), "File I/O Error",
                                 platform::MbOk | platform::MbIconError);
            return CodeProjectOpenFailed;
        }
    }
    std::string path = engine::ResolvePath(options.projectFile);
    if (!engine::textFits(session.project.path, path)) {
        platform::messageBox("The project file path " + path + " is longer than " +
                                 std::to_string(sizeof session.project.path - 1) + " characters",
                             "Error", platform::MbOk | platform::MbIconError);
        return CodeProjectOpenFailed;
    }
    engine::setText(session.project.path, path);
    if (path.empty()) {
        out << "No project file is named\n";
        return CodeProjectOpenFailed;
    }
    if (!session.manager.OpenProjectFile(session.project, session.config, path, true))
        return CodeProjectOpenFailed;

    int code = generateApplications(options, session, out);
    if (code == CodeDone && options.save &&
        !engine::SaveProjectFiles(session.manager, session.project, session.config))
        code = CodeSaveFailed;
    return code;
}

} // namespace

int RunConsoleGenerator(const std::vector<std::string>& arguments, std::ostream& out)
{
    // The engine's messages name the program that shows them.
    engine::SetProgramTitle("OMBAgenCmd");
    printBanner(out, engine::CurrentYear());
    // There is no windowing framework to start here, so code 1 never occurs.
    const RunOptions options = parseArguments(arguments);
    for (int i = 0; i < options.usagePrints; ++i)
        printUsage(out);
    int code = options.code;
    if (code == CodeDone && !options.skip)
        code = processProject(options, out);
    printCompletion(out, code);
    return code;
}

} // namespace cmdgen
