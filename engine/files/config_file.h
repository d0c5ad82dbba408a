#pragma once
// The configuration file "ombagen.cfg" in the program's own folder: the models (name and model file),
// the help and release-notes files and the utility scripts. Read once at start-up into a ConfigRecord;
// there is no writer.

#include "engine/records/records.h"

#include <string>

namespace engine {

class ConfigFile {
public:
    static constexpr const char* kDefaultFileName = "ombagen.cfg";

    // Reads the named file from the program's folder (a name starting with "/" is taken as it stands) into
    // the record, its old content freed first; record.configFile->GetPath() is then the full path. On
    // failure shows the message and returns false (see ParseSections for what the record keeps).
    static bool Read(ConfigRecord& record, const std::string& fileName = kDefaultFileName);
    // Fills the record from its loaded configFile; on failure shows the message and returns false. The
    // record then holds no models or scripts, except when only the "GENERAL" section is missing: the models
    // read before it stay filled (no scripts, no help paths), so a project using them can still be opened.
    static bool ParseSections(ConfigRecord& record);

    // Frees the record's buffers unless keepBuffers is set, then zero-fills it.
    static void ResetConfigRecord(ConfigRecord& record, bool keepBuffers = false);
    // Frees the models, the scripts and the SectionedFile, leaving counts 0 and pointers null.
    static void FreeConfigRecord(ConfigRecord& record);

private:
    enum class Parsed { Whole, ModelsOnly, Failed };
    static Parsed parse(ConfigRecord& record);
};

} // namespace engine
