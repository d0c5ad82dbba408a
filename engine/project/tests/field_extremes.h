#pragma once
// The keys of an application file that have a description, found line by line, and the least and greatest
// value each takes in an opened project (its description's, or what the model and the object's placement
// give an object's key): shared by the walks that set every field to its extremes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "engine/files/config_file.h"
#include "engine/ops/project_manager.h"
#include "engine/records/field_descriptions.h"

namespace engine::testing {

enum class ExtremeForm { Least, GreatestAsDecimal, GreatestAsPattern, GreatestAsHex };

// The values a key takes: its least and greatest, read as its description reads them.
struct FieldRange {
    std::int64_t minimum;
    std::int64_t maximum;
};

// The text a file gives for the field in `form`.
std::string extremeText(const FieldDescription& field, const FieldRange& range, ExtremeForm form);

// Whether the walks set the field to its extremes: a number that chooses nothing about what other keys mean
// (placement, MP) and that the generation does not set (the dirty marks).
bool takesExtremes(const FieldDescription& field);

std::vector<std::string> linesOf(const std::string& text);
// The lines, each ended with "\n", as one text.
std::string joinLines(const std::vector<std::string>& lines);

// A key of the file's APPLICATION section or of an object section, with its description.
struct FieldLine {
    std::size_t line;
    std::string section;
    std::string kind;  // the object's class word, or "APPLICATION"
    std::string key;
    std::string value;
    const FieldDescription* field;
};

// Every line of an application file's lines that holds a key of such a section that has a description.
std::vector<FieldLine> fieldLines(const std::vector<std::string>& lines);

// A project opened by the engine from `projectFile` with the configuration file `configFile`.
class OpenedProject {
public:
    OpenedProject(const std::filesystem::path& configFile, const std::filesystem::path& projectFile);
    ~OpenedProject();
    OpenedProject(const OpenedProject&) = delete;
    OpenedProject& operator=(const OpenedProject&) = delete;
    bool opened() const { return m_opened; }
    ProjectRecord& project() { return m_project; }
    // The range of `field` in a section of `kind`: an object's key takes its object's range on its CPU.
    FieldRange rangeOf(const std::string& section, const std::string& kind, const FieldDescription& field);

private:
    ConfigRecord m_config{};
    ProjectRecord m_project{};
    ProjectManager m_manager;
    bool m_opened = false;
};

// Sets every field of the application file that takes extremes to `form` of its range in `ranges`; returns
// what each key of each section is to hold once saved ("section\nkey" -> stored text).
std::map<std::string, std::string> setExtremes(const std::filesystem::path& file, ExtremeForm form,
                                               OpenedProject& ranges);

} // namespace engine::testing
