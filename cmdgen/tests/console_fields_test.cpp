// Every number field of the demo's application files at the extremes of its range (its description's, or what
// the model and the object's placement give an object's key), written each way stored files and users write
// it: the real OMBAgenCmd opens the project, generates and saves it; what it saves holds each value as stored
// files have it and saves back unchanged. One past either end, each field alone, is refused at open.

#include "console_fixture.h"

#include "engine/project/object_keys.h"
#include "engine/project/tests/field_extremes.h"
#include "platform/core/message_service.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <vector>

using namespace cmdgen::test;
namespace fs = std::filesystem;

namespace {

using engine::testing::ExtremeForm;
using engine::testing::FieldLine;
using engine::testing::linesOf;

// The demo project as the engine opens it from the fixture's copy.
struct DemoRanges : engine::testing::OpenedProject {
    explicit DemoRanges(const ConsoleFixture& fixture)
        : OpenedProject(fixture.bin() / "ombagen.cfg", fixture.project() / "demo.omb")
    {
    }
};

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
        ExtremeForm form;
    } forms[] = {
        {"least", ExtremeForm::Least},
        {"greatest as its decimal", ExtremeForm::GreatestAsDecimal},
        {"greatest as stored files have it", ExtremeForm::GreatestAsPattern},
        {"greatest in hexadecimal", ExtremeForm::GreatestAsHex},
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
            expected[fixture.project() / name] = engine::testing::setExtremes(fixture.project() / name, form.form, ranges);
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
        std::ofstream(fixture.project() / name, std::ios::binary | std::ios::trunc) << engine::testing::joinLines(lines);
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
        for (const FieldLine& at : engine::testing::fieldLines(linesOf(original[name]))) {
            std::vector<std::string> refused;
            if (engine::testing::takesExtremes(*at.field)) {
                const engine::testing::FieldRange range = demo.rangeOf(at.section, at.kind, *at.field);
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
