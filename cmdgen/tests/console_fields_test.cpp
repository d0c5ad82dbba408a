// Every number field of the demo's application files at the extremes of its description, written each way
// stored files and users write it: the real OMBAgenCmd opens the project, generates and saves it; what it
// saves holds each value as stored files have it and saves back unchanged.

#include "console_fixture.h"

#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <vector>

using namespace cmdgen::test;
namespace fs = std::filesystem;

namespace {

enum class Form { Least, GreatestAsDecimal, GreatestAsPattern, GreatestAsHex };

// The text a file gives for the field in `form`.
std::string textOf(const engine::FieldDescription& field, Form form)
{
    const bool unsignedField = field.type == engine::FieldType::Unsigned;
    switch (form) {
    case Form::Least:
        return std::to_string(field.minimum);
    case Form::GreatestAsDecimal:
        return std::to_string(field.maximum);
    case Form::GreatestAsPattern:
        return unsignedField ? std::string("-1") : std::to_string(field.maximum);
    case Form::GreatestAsHex: {
        std::ostringstream hex;
        hex << "0x" << std::hex << std::uppercase << field.maximum;
        return hex.str();
    }
    }
    return {};
}

// Fields whose bounds the model sets (a task's stack, the kernel stack), that choose what other keys mean (placement, MP) or
// that the generation sets (the dirty marks) keep the demo's values.
bool takesExtremes(const engine::FieldDescription& field)
{
    const std::string key = field.key;
    return (field.type == engine::FieldType::Signed || field.type == engine::FieldType::Unsigned) &&
           key != "Stack Size" && key != "Kernel Stack Available" && key != "Manual" && key != "Is MP" && key != "Global" &&
           key.find("dirty") == std::string::npos;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// Sets every number field of the file's object sections and APPLICATION section to `form`; returns what each
// key of each section is to hold once saved ("section\nkey" -> stored text).
std::map<std::string, std::string> setExtremes(const fs::path& file, Form form)
{
    std::vector<std::string> lines = linesOf(readText(file));
    std::map<std::string, std::string> kindOf; // section -> class word, or "APPLICATION"
    std::string section;
    for (const std::string& line : lines) {
        if (line.rfind("[", 0) == 0)
            section = line.substr(1, line.find(']') - 1);
        else if (line.rfind("Class Name=", 0) == 0)
            kindOf[section] = line.substr(11, line.find('\r') - 11);
    }
    kindOf["APPLICATION"] = "APPLICATION";
    std::map<std::string, std::string> expected;
    for (std::string& line : lines) {
        if (line.rfind("[", 0) == 0) {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos || !kindOf.count(section))
            continue;
        const std::string key = line.substr(0, equals);
        const engine::FieldDescription* field =
            engine::FindFieldDescription(engine::FieldFile::Application, kindOf[section], key);
        if (field == nullptr || !takesExtremes(*field))
            continue;
        const std::string text = textOf(*field, form);
        const engine::FieldReading reading = engine::ReadFieldValue(*field, text);
        EXPECT_EQ(reading.problem, engine::FieldProblem::None) << key << "=" << text;
        line = key + "=" + text + "\r";
        expected[section + "\n" + key] = engine::FieldValueText(*field, reading.stored);
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
        for (const char* name : {"control.app", "monitor.app", "link.app"})
            expected[fixture.project() / name] = setExtremes(fixture.project() / name, form.form);
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
