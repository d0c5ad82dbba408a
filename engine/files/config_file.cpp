#include "engine/files/config_file.h"

#include "engine/files/file_message.h"
#include "engine/files/script_list.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/path.h"
#include "engine/util/text.h"

#include <cstring>

namespace engine {
namespace {

// Stores a path read from the file; refuses (with a message) one that does not fit its field.
bool storePath(char* field, std::size_t size, const std::string& path)
{
    if (setText(field, size, path))
        return true;
    ShowFileMessage(FormatText("Path \"%s\" in configuration file is longer than %zu characters", path.c_str(),
                               size - 1));
    return false;
}

} // namespace

bool ConfigFile::Read(ConfigRecord& record, const std::string& fileName)
{
    FreeConfigRecord(record);
    std::string path = MakeNativePath(fileName);
    if (path.empty() || path.front() != '/') {
        std::string directory = ProgramDirectory();
        if (directory.empty() || directory.back() != '/')
            directory.push_back('/');
        path = directory + path;
    }

    auto file = new SectionedFile(path, false);
    const ReadResult loaded = file->Load(true);
    if (loaded != ReadResult::Ok) {
        delete file;
        ShowFileMessage(loaded == ReadResult::OpenFailed
                            ? FormatText("Unable to open configuration file %s for reading", path.c_str())
                            : FormatText("Unable to read configuration file %s: %s", path.c_str(),
                                         ReadFailureReason(loaded, path).c_str()));
        return false;
    }
    record.configFile = file;
    return ParseSections(record);
}

bool ConfigFile::ParseSections(ConfigRecord& record)
{
    const Parsed parsed = parse(record);
    if (parsed != Parsed::Failed)
        return parsed == Parsed::Whole;
    // Keep the loaded file (it is what was read) but none of the tables.
    SectionedFile* file = record.configFile;
    record.configFile = nullptr;
    FreeConfigRecord(record);
    record.configFile = file;
    return false;
}

ConfigFile::Parsed ConfigFile::parse(ConfigRecord& record)
{
    freeRows(record.modelCount, record.models);
    freeRows(record.scriptCount, record.scripts);
    const SectionedFile* file = record.configFile;
    if (file != nullptr && !CheckParsedFile(*file, "configuration", file->GetPath()))
        return Parsed::Failed;
    const SectionedFileSection* models = file ? file->FindSection("MODELS") : nullptr;
    const std::size_t count = models ? models->GetEntryCount() : 0;
    if (count == 0) {
        ShowFileMessage("No models defined in configuration file");
        return Parsed::Failed;
    }
    ModelEntry* rows = count <= INT32_MAX ? allocateRows<ModelEntry>(static_cast<int32_t>(count)) : nullptr;
    if (!rows) {
        ShowFileMessage("Unable to allocate sufficient memory to load models from configuration file");
        return Parsed::Failed;
    }
    record.models = rows;
    record.modelCount = static_cast<int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const SectionedFileEntry* entry = models->GetEntry(i);
        if (!setText(rows[i].name, entry->GetName())) {
            ShowFileMessage(FormatText("Model name \"%s\" in configuration file is longer than %d characters",
                                       entry->GetName().c_str(), kNameSize - 1));
            return Parsed::Failed;
        }
        if (!storePath(rows[i].path, sizeof rows[i].path, MakeNativePath(entry->GetValue())))
            return Parsed::Failed;
    }

    const SectionedFileSection* general = file->FindSection("GENERAL");
    if (!general) {
        ShowFileMessage(FormatText("Unable to locate required section \"%s\" in configuration file", "GENERAL"));
        return Parsed::ModelsOnly;
    }
    if (!storePath(record.releaseNotesFile, sizeof record.releaseNotesFile,
                   MakeNativePath(general->GetString("Release Notes", "Help\\OMBAgenReleaseNotes.htm"))) ||
        !storePath(record.helpFile, sizeof record.helpFile,
                   MakeNativePath(general->GetString("Help File", "Help\\OMBAgenUserManual.pdf"))))
        return Parsed::Failed;

    if (const std::string problem = ReadScriptList(file->FindSection("SCRIPTS"), record.scriptCount, record.scripts);
        !problem.empty()) {
        ShowLoadProblem("configuration", file->GetPath(), problem);
        return Parsed::Failed;
    }
    return Parsed::Whole;
}

void ConfigFile::ResetConfigRecord(ConfigRecord& record, bool keepBuffers)
{
    if (!keepBuffers)
        FreeConfigRecord(record);
    std::memset(static_cast<void*>(&record), 0, sizeof record);
}

void ConfigFile::FreeConfigRecord(ConfigRecord& record)
{
    freeRows(record.modelCount, record.models);
    freeRows(record.scriptCount, record.scripts);
    delete record.configFile;
    record.configFile = nullptr;
    std::memset(record.helpFile, 0, sizeof record.helpFile);
    std::memset(record.releaseNotesFile, 0, sizeof record.releaseNotesFile);
}

} // namespace engine
