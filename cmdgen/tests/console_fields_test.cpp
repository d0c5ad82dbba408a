// Every number field of the demo's application files at the extremes of its range (its description's, or what
// the model and the object's placement give an object's key), written each way stored files and users write
// it: the real OMBAgenCmd opens the project, generates and saves it; what it saves holds each value as stored
// files have it and saves back unchanged. One past either end, each field alone, is refused at open.

#include "console_fixture.h"

#include "engine/files/config_file.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/text_field.h"
#include "platform/core/message_service.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <vector>

using namespace cmdgen::test;
namespace fs = std::filesystem;

namespace {

enum class Form { Least, GreatestAsDecimal, GreatestAsPattern, GreatestAsHex };

// The values a key takes: its least and greatest, read as its description reads them.
struct Range {
    std::int64_t minimum;
    std::int64_t maximum;
};

// The text a file gives for the field in `form`.
std::string textOf(const engine::FieldDescription& field, const Range& range, Form form)
{
    const bool unsignedField = field.type == engine::FieldType::Unsigned;
    switch (form) {
    case Form::Least:
        return std::to_string(range.minimum);
    case Form::GreatestAsDecimal:
        return std::to_string(range.maximum);
    case Form::GreatestAsPattern:
        return unsignedField && range.maximum == UINT32_MAX ? std::string("-1") : std::to_string(range.maximum);
    case Form::GreatestAsHex: {
        std::ostringstream hex;
        hex << "0x" << std::hex << std::uppercase << range.maximum;
        return hex.str();
    }
    }
    return {};
}

// Fields that choose what other keys mean (placement, MP) or that the generation sets (the dirty marks) keep
// the demo's values.
bool takesExtremes(const engine::FieldDescription& field)
{
    const std::string key = field.key;
    return (field.type == engine::FieldType::Signed || field.type == engine::FieldType::Unsigned) &&
           key != "Kernel Stack Available" && key != "Manual" && key != "Is MP" && key != "Global" &&
           key.find("dirty") == std::string::npos;
}

// The demo project as the engine opens it: the range of each object's keys on its CPU.
class DemoRanges {
public:
    explicit DemoRanges(const ConsoleFixture& fixture)
    {
        engine::ProjectManager::ResetProject(m_project, true);
        std::string path = (fixture.project() / "demo.omb").string();
        m_opened = engine::ConfigFile::Read(m_config, (fixture.bin() / "ombagen.cfg").string()) &&
                   m_manager.OpenProjectFile(m_project, m_config, path, true) == 1;
    }
    ~DemoRanges()
    {
        engine::ProjectManager::FreeProject(m_project);
        engine::ConfigFile::FreeConfigRecord(m_config);
    }
    bool opened() const { return m_opened; }
    // The range of `field` in a section of `kind`: an object's key takes its object's range on its CPU.
    Range rangeOf(const std::string& section, const std::string& kind, const engine::FieldDescription& field)
    {
        Range range{field.minimum, field.maximum};
        const int32_t type = engine::classTypeOfWord(kind);
        engine::VisitProjectObjects(m_project, [&](const engine::ObjectPlace& place) {
            if (engine::textOf(place.object->name) != section || place.entry->classType != type)
                return 0;
            for (const engine::ObjectKey& key : engine::objectKeysOfClass(type)) {
                if (&key.field != &field)
                    continue;
                const engine::ObjectKeyRange taken = engine::objectKeyRange(*place.cpu, type, key, place.object->data);
                if (taken.applies)
                    range = {taken.minimum, taken.maximum};
            }
            return 1;
        });
        return range;
    }

private:
    engine::ConfigRecord m_config{};
    engine::ProjectRecord m_project{};
    engine::ProjectManager m_manager;
    bool m_opened = false;
};

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// A key of the file's APPLICATION section or of an object section, with its description.
struct FieldLine {
    std::size_t line;
    std::string section;
    std::string kind;  // the object's class word, or "APPLICATION"
    std::string key;
    std::string value;
    const engine::FieldDescription* field;
};

// Every line of the file's lines that holds a key of such a section that has a description.
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
        if (const engine::FieldDescription* field =
                engine::FindFieldDescription(engine::FieldFile::Application, kindOf[section], key))
            fields.push_back({i, section, kindOf[section], key, line.substr(equals + 1), field});
    }
    return fields;
}

// Sets every number field of the file's object sections and APPLICATION section to `form`; returns what each
// key of each section is to hold once saved ("section\nkey" -> stored text).
std::map<std::string, std::string> setExtremes(const fs::path& file, Form form, DemoRanges& ranges)
{
    std::vector<std::string> lines = linesOf(readText(file));
    std::map<std::string, std::string> expected;
    for (const FieldLine& at : fieldLines(lines)) {
        if (!takesExtremes(*at.field))
            continue;
        const std::string text = textOf(*at.field, ranges.rangeOf(at.section, at.kind, *at.field), form);
        const engine::FieldReading reading = engine::ReadFieldValue(*at.field, text);
        EXPECT_EQ(reading.problem, engine::FieldProblem::None) << at.key << "=" << text;
        lines[at.line] = at.key + "=" + text + "\r";
        expected[at.section + "\n" + at.key] = engine::FieldValueText(*at.field, reading.stored);
    }
    std::string joined;
    for (const std::string& line : lines)
        joined += line + "\n";
    std::ofstream(file, std::ios::binary) << joined;
    return expected;
}

// What the saved file holds for each key named in `expected`.
std::map<std::string, std::string> savedValues(const fs::path& file, const std::map<std::string, std::string>& expected)
{
    std::map<std::string, std::string> saved;
    std::string section;
    for (const std::string& raw : linesOf(readText(file))) {
        const std::string line = raw.substr(0, raw.find('\r'));
        if (line.rfind("[", 0) == 0) {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos && expected.count(section + "\n" + line.substr(0, equals)))
            saved[section + "\n" + line.substr(0, equals)] = line.substr(equals + 1);
    }
    return saved;
}

} // namespace

TEST(ConsoleJourney, EveryNumberFieldAtItsExtremesOpensAndSavesBackUnchanged)
{
    const struct {
        const char* name;
        Form form;
    } forms[] = {
        {"least", Form::Least},
        {"greatest as its decimal", Form::GreatestAsDecimal},
        {"greatest as stored files have it", Form::GreatestAsPattern},
        {"greatest in hexadecimal", Form::GreatestAsHex},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        std::map<fs::path, std::map<std::string, std::string>> expected;
        const platform::ScopedScriptedMessages quiet;
        DemoRanges ranges(fixture);
        ASSERT_TRUE(ranges.opened());
        for (const char* name : {"control.app", "monitor.app", "link.app"})
            expected[fixture.project() / name] = setExtremes(fixture.project() / name, form.form, ranges);
        RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        ASSERT_EQ(result.code, 0) << result.out << result.err;
        for (const auto& [file, values] : expected) {
            EXPECT_FALSE(values.empty()) << file;
            EXPECT_EQ(savedValues(file, values), values) << file;
        }
        // Saved again, every file stays byte for byte.
        const auto saved = filesAndModes(fixture.project());
        result = fixture.run({"demo.omb", "-x", "-s"});
        ASSERT_EQ(result.code, 0) << result.out << result.err;
        for (const char* name : {"control.app", "monitor.app", "link.app", "main.cpu", "comms.cpu", "demo.omb"})
            EXPECT_EQ(readText(fixture.project() / name), saved.at(name).first) << name;
    }
}

// Each field of each object and of the APPLICATION section, alone one past either end of its range, and each
// entry point and manual placement label made no identifier or another object's symbol: the engine's open, as
// OMBAgenCmd runs it, refuses the project with a message naming the key, and no file changes.
TEST(ConsoleJourney, EveryFieldOnePastItsRangeIsRefusedAtOpen)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    std::map<std::string, std::string> original;
    for (const char* name : {"demo.omb", "main.cpu", "comms.cpu", "control.app", "monitor.app", "link.app"})
        original[name] = readText(fixture.project() / name);
    // The project opened with one line of a file replaced: whether it opened, and what it said.
    const auto openWith = [&](const std::string& name, std::size_t line, const std::string& text) {
        std::vector<std::string> lines = linesOf(original[name]);
        lines[line] = text + "\r";
        std::string joined;
        for (const std::string& l : lines)
            joined += l + "\n";
        std::ofstream(fixture.project() / name, std::ios::binary | std::ios::trunc) << joined;
        platform::ScopedScriptedMessages messages;
        std::string said;
        const bool opened = DemoRanges(fixture).opened();
        for (const std::string& text : messages.service().texts())
            said += text;
        std::ofstream(fixture.project() / name, std::ios::binary | std::ios::trunc) << original[name];
        return std::make_pair(opened, said);
    };
    const platform::ScopedScriptedMessages quiet;
    DemoRanges demo(fixture);
    ASSERT_TRUE(demo.opened());
    int fields = 0;
    int refusals = 0;
    for (const char* name : {"control.app", "monitor.app", "link.app"}) {
        std::map<std::string, std::string> names;  // another object's symbol, per file: its first entry point
        for (const FieldLine& at : fieldLines(linesOf(original[name]))) {
            std::vector<std::string> refused;
            if (takesExtremes(*at.field)) {
                const Range range = demo.rangeOf(at.section, at.kind, *at.field);
                if (!(at.field->type == engine::FieldType::Unsigned && range.minimum == 0))
                    refused.push_back(std::to_string(range.minimum - 1));
                refused.push_back(std::to_string(range.maximum + 1));
            }
            for (const engine::ObjectKey& objectKey : engine::objectKeysOfClass(engine::classTypeOfWord(at.kind))) {
                if (&objectKey.field != at.field || objectKey.symbol == engine::ObjectKeySymbol::None || at.value.empty())
                    continue;
                if (!names.count(name) && objectKey.symbol == engine::ObjectKeySymbol::EntryPoint) {
                    names[name] = at.value;
                    refused.push_back("9x y");
                } else {
                    refused.insert(refused.end(), {"1bad label", "", names[name], at.section});
                }
            }
            if (refused.empty())
                continue;
            ++fields;
            for (const std::string& value : refused) {
                SCOPED_TRACE(std::string(name) + " [" + at.section + "] " + at.key + "=" + value);
                const auto [opened, said] = openWith(name, at.line, at.key + "=" + value);
                EXPECT_FALSE(opened);
                EXPECT_NE(said.find("\"" + at.key + "\""), std::string::npos) << said;
                ++refusals;
            }
        }
    }
    for (const auto& [name, text] : original)
        EXPECT_EQ(readText(fixture.project() / name), text) << name;
    EXPECT_GT(fields, 40);
    std::printf("[ %d fields of the demo's applications, %d values past their ranges refused at open ]\n", fields,
                refusals);
}
