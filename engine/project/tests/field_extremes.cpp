#include "engine/project/tests/field_extremes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

#include "engine/names/project_walk.h"
#include "engine/project/object_keys.h"
#include "engine/records/text_field.h"

namespace fs = std::filesystem;

namespace engine::testing {

std::string extremeText(const FieldDescription& field, const FieldRange& range, ExtremeForm form)
{
    const bool unsignedField = field.type == FieldType::Unsigned;
    switch (form) {
    case ExtremeForm::Least:
        return std::to_string(range.minimum);
    case ExtremeForm::GreatestAsDecimal:
        return std::to_string(range.maximum);
    case ExtremeForm::GreatestAsPattern:
        return unsignedField && range.maximum == UINT32_MAX ? std::string("-1") : std::to_string(range.maximum);
    case ExtremeForm::GreatestAsHex: {
        std::ostringstream hex;
        hex << "0x" << std::hex << std::uppercase << range.maximum;
        return hex.str();
    }
    }
    return {};
}

bool takesExtremes(const FieldDescription& field)
{
    const std::string key = field.key;
    return (field.type == FieldType::Signed || field.type == FieldType::Unsigned) && key != "Kernel Stack Available" &&
           key != "Manual" && key != "Is MP" && key != "Global" && key.find("dirty") == std::string::npos;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string joinLines(const std::vector<std::string>& lines)
{
    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\n";
    return joined;
}

std::vector<FieldLine> fieldLines(const std::vector<std::string>& lines)
{
    std::map<std::string, std::string> kindOf{{"APPLICATION", "APPLICATION"}};
    std::string section;
    for (const std::string& line : lines) {
        if (line.rfind("[", 0) == 0)
            section = line.substr(1, line.find(']') - 1);
        else if (line.rfind("Class Name=", 0) == 0)
            kindOf[section] = line.substr(11, line.find('\r') - 11);
    }
    std::vector<FieldLine> fields;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string line = lines[i].substr(0, lines[i].find('\r'));
        if (line.rfind("[", 0) == 0) {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || !kindOf.count(section))
            continue;
        const std::string key = line.substr(0, equals);
        if (const FieldDescription* field = FindFieldDescription(FieldFile::Application, kindOf[section], key))
            fields.push_back({i, section, kindOf[section], key, line.substr(equals + 1), field});
    }
    return fields;
}

OpenedProject::OpenedProject(const fs::path& configFile, const fs::path& projectFile)
{
    ProjectManager::ResetProject(m_project, true);
    std::string path = projectFile.string();
    m_opened = ConfigFile::Read(m_config, configFile.string()) &&
               m_manager.OpenProjectFile(m_project, m_config, path, true) == 1;
}

OpenedProject::~OpenedProject()
{
    ProjectManager::FreeProject(m_project);
    ConfigFile::FreeConfigRecord(m_config);
}

FieldRange OpenedProject::rangeOf(const std::string& section, const std::string& kind, const FieldDescription& field)
{
    FieldRange range{field.minimum, field.maximum};
    const int32_t type = classTypeOfWord(kind);
    VisitProjectObjects(m_project, [&](const ObjectPlace& place) {
        if (textOf(place.object->name) != section || place.entry->classType != type)
            return 0;
        for (const ObjectKey& key : objectKeysOfClass(type)) {
            if (&key.field != &field)
                continue;
            const ObjectKeyRange taken = objectKeyRange(*place.cpu, type, key, place.object->data);
            if (taken.applies)
                range = {taken.minimum, taken.maximum};
        }
        return 1;
    });
    return range;
}

std::map<std::string, std::string> setExtremes(const fs::path& file, ExtremeForm form, OpenedProject& ranges)
{
    std::ifstream in(file, std::ios::binary);
    std::vector<std::string> lines = linesOf(std::string(std::istreambuf_iterator<char>(in), {}));
    std::map<std::string, std::string> expected;
    for (const FieldLine& at : fieldLines(lines)) {
        if (!takesExtremes(*at.field))
            continue;
        const std::string text = extremeText(*at.field, ranges.rangeOf(at.section, at.kind, *at.field), form);
        const FieldReading reading = ReadFieldValue(*at.field, text);
        EXPECT_EQ(reading.problem, FieldProblem::None) << at.key << "=" << text;
        lines[at.line] = at.key + "=" + text + "\r";
        expected[at.section + "\n" + at.key] = FieldValueText(*at.field, reading.stored);
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << joinLines(lines);
    return expected;
}

} // namespace engine::testing
