// The round trip through the real program: whatever opens saves and opens again the same.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <functional>
#include <ostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "console_fixture.h"
#include "cmdgen/console_run.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"

namespace cmdgen::test {
namespace {

namespace fs = std::filesystem;

void writeText(const fs::path& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

void replaceIn(const fs::path& path, const std::string& from, const std::string& to)
{
    std::string text = readText(path);
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << path << ": " << from;
    writeText(path, text.replace(at, from.size(), to));
}

// The lines of a file with their line ends.
std::vector<std::string> linesWithEnds(const std::string& text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(at, next - at));
        at = next;
    }
    return lines;
}

enum class Change { Delete, Blank };

// The file with line `index` deleted, or with its value blanked (the key and "=" kept; a line without a
// value is left as it is).
std::string changed(const std::vector<std::string>& lines, std::size_t index, Change change)
{
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != index) {
            text += lines[i];
            continue;
        }
        if (change == Change::Delete)
            continue;
        const std::string& line = lines[i];
        const std::size_t equals = line.find('=');
        const std::size_t end = line.find_first_of("\r\n");
        text += equals == std::string::npos || line[0] == '[' ? line
                                                              : line.substr(0, equals + 1) +
                                                                    (end == std::string::npos ? "" : line.substr(end));
    }
    return text;
}

// The second project: the demo with its Comms CPU on a model whose stack limits differ from Main's.
void useModelsOfDifferentLimits(const ConsoleFixture& fixture)
{
    const fs::path model = fixture.bin() / "models/z5mp.mdl";
    replaceIn(model, "Task Stack Modulus=8", "Task Stack Modulus=16");
    replaceIn(model, "Minimum Kernel Stack Size=256", "Minimum Kernel Stack Size=128");
    replaceIn(model, "Maximum Kernel Stack Size=65536", "Maximum Kernel Stack Size=4096");
    replaceIn(model, "Minimum Task Stack Size=128", "Minimum Task Stack Size=512");
    replaceIn(model, "Maximum Task Stack Size=32768", "Maximum Task Stack Size=2048");
    replaceIn(fixture.project() / "demo.omb", "Model=Z5 Multiprocessor", "Model=Z5 Multiprocessor (plain)");
}

// One part of the sweep: the lines `shard`, `shard + shards`, ... of one file, so that a long file is
// swept by several tests that can run side by side.
struct Sweep {
    std::string name;
    bool differentLimits = false;
    std::string file;
    Change change = Change::Delete;
    std::size_t shard = 0;
    std::size_t shards = 1;
};

std::string sweepName(const ::testing::TestParamInfo<Sweep>& info) { return info.param.name; }
void PrintTo(const Sweep& sweep, std::ostream* out) { *out << sweep.name; }

// The sweeps of the demo's files and of the project whose CPUs' models differ in their limits, each cut
// into parts of about the same number of lines.
std::vector<Sweep> sweeps()
{
    struct File {
        const char* name;
        bool differentLimits;
        const char* file;
        Change change;
    };
    constexpr File kFiles[] = {
        {"Project", false, "demo.omb", Change::Delete}, {"Project", false, "demo.omb", Change::Blank},
        {"MainKernel", false, "main.cpu", Change::Delete}, {"MainKernel", false, "main.cpu", Change::Blank},
        {"CommsKernel", false, "comms.cpu", Change::Delete}, {"CommsKernel", false, "comms.cpu", Change::Blank},
        {"Control", false, "control.app", Change::Delete}, {"Control", false, "control.app", Change::Blank},
        {"Monitor", false, "monitor.app", Change::Delete}, {"Monitor", false, "monitor.app", Change::Blank},
        {"Link", false, "link.app", Change::Delete}, {"Link", false, "link.app", Change::Blank},
        {"TwoLimitsProject", true, "demo.omb", Change::Delete}, {"TwoLimitsProject", true, "demo.omb", Change::Blank},
        {"TwoLimitsCommsKernel", true, "comms.cpu", Change::Blank},
        {"TwoLimitsLink", true, "link.app", Change::Delete}, {"TwoLimitsLink", true, "link.app", Change::Blank},
    };
    constexpr std::size_t kLinesPerShard = 60;
    std::vector<Sweep> all;
    for (const File& file : kFiles) {
        const std::size_t lines =
            linesWithEnds(readText(fs::path(CMDGEN_SOURCE_DIR) / "samples/demo" / file.file)).size();
        const std::size_t shards = std::max<std::size_t>(1, (lines + kLinesPerShard - 1) / kLinesPerShard);
        for (std::size_t shard = 0; shard < shards; ++shard) {
            std::string name = std::string(file.name) + (file.change == Change::Delete ? "Deleted" : "Blanked");
            if (shards > 1)
                name += "Part" + std::to_string(shard + 1);
            all.push_back({name, file.differentLimits, file.file, file.change, shard, shards});
        }
    }
    return all;
}

// One value for the bytes of every file of the project folder, to know a state already saved twice.
std::size_t stateOf(const fs::path& folder)
{
    std::string all;
    for (const auto& [name, bytes] : filesAndModes(folder))
        all += name + '\0' + bytes.first + '\0' + std::to_string(bytes.second) + '\0';
    return std::hash<std::string>{}(all);
}

// What one run of the generator did to a copy of the project.
struct RunOutcome {
    int code = 0;
    std::string messages;  // "caption: text" lines, as the program prints them on standard error
    std::map<std::string, std::pair<std::string, unsigned>> files;  // the project folder after the run
};

// Runs the generator's own code in this process on the fixture's project folder, as the program does:
// the program folder is the fixture's, the run starts in the project folder, and every box is recorded.
RunOutcome runInProcess(const ConsoleFixture& fixture, const std::vector<std::string>& arguments)
{
    RunOutcome outcome;
    std::error_code ec;
    const fs::path start = fs::current_path(ec);
    fs::current_path(fixture.project(), ec);
    platform::setProgramDirectoryOverride(fixture.bin().string());
    {
        platform::ScopedScriptedMessages boxes;
        std::ostringstream out;
        outcome.code = RunConsoleGenerator(arguments, out);
        for (const platform::ScriptedMessageService::Box& box : boxes->boxes())
            outcome.messages += fixture.normalise(box.caption + ": " + box.text) + "\n";
    }
    platform::setProgramDirectoryOverride("");
    fs::current_path(start, ec);
    outcome.files = filesAndModes(fixture.project());
    return outcome;
}

// The same run through the real program.
RunOutcome runProgram(const ConsoleFixture& fixture, const std::vector<std::string>& arguments)
{
    const RunResult result = fixture.run(arguments);
    RunOutcome outcome;
    outcome.code = result.code;
    outcome.messages = result.err;
    outcome.files = filesAndModes(fixture.project());
    return outcome;
}

void putCopy(const ConsoleFixture& fixture, const std::map<std::string, std::pair<std::string, unsigned>>& original,
             const std::string& file, const std::string& text)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(fixture.project()))
        fs::remove_all(entry.path());
    for (const auto& [name, bytes] : original)
        writeText(fixture.project() / name, name == file ? text : bytes.first);
}

// The first line of a run's messages: what a refusal says, to know one refusal of each kind.
std::string firstMessage(const std::string& messages) { return messages.substr(0, messages.find('\n')); }

class RoundTripSweep : public ::testing::TestWithParam<Sweep> {};

// Every line of a file of the project, deleted and then with its value blanked, one at a time: each copy
// is either refused at open with a message and no file changed, or it generates and saves, and what it
// saved opens again and saves the same bytes. Every copy runs through the generator's own code in this
// process; the real program runs a spread sample of the copies and the first copy of every kind of
// refusal, and must give the same code, the same messages and the same files.
TEST_P(RoundTripSweep, EachCopyIsRefusedAtOpenOrSavesAndOpensAgainTheSame)
{
    const Sweep& sweep = GetParam();
    const std::vector<std::string> arguments{"demo.omb", "-x", "-s"};
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    if (sweep.differentLimits)
        useModelsOfDifferentLimits(fixture);
    const auto original = filesAndModes(fixture.project());
    std::set<std::size_t> fixed;  // projects seen to save again unchanged: a copy saved as one needs no second run
    {
        // The project as it stands must pass first, or every copy would say nothing.
        ASSERT_EQ(runProgram(fixture, arguments).code, 0);
        fixed.insert(stateOf(fixture.project()));
        ASSERT_EQ(runInProcess(fixture, arguments).code, 0);
        ASSERT_EQ(stateOf(fixture.project()), *fixed.begin());
    }

    const std::vector<std::string> lines = linesWithEnds(original.at(sweep.file).first);
    std::set<std::string> tried{original.at(sweep.file).first};
    std::set<std::string> refusalsRun;  // kinds of refusal already run through the real program
    // About one copy in eight through the real program, spread over the file.
    constexpr std::size_t kSampleEvery = 8;
    int refused = 0;
    int saved = 0;
    int programRuns = 0;
    for (std::size_t i = sweep.shard; i < lines.size(); i += sweep.shards) {
        const std::string text = changed(lines, i, sweep.change);
        if (!tried.insert(text).second)
            continue;
        SCOPED_TRACE("line " + std::to_string(i + 1) + ": " + lines[i]);
        putCopy(fixture, original, sweep.file, text);
        const auto before = filesAndModes(fixture.project());
        const RunOutcome first = runInProcess(fixture, arguments);
        const bool newRefusal = first.code != 0 && refusalsRun.insert(firstMessage(first.messages)).second;
        if (newRefusal || tried.size() % kSampleEvery == 0) {
            putCopy(fixture, original, sweep.file, text);
            const RunOutcome program = runProgram(fixture, arguments);
            ++programRuns;
            EXPECT_EQ(program.code, first.code) << program.messages;
            EXPECT_EQ(program.messages, first.messages);
            EXPECT_TRUE(program.files == first.files) << "the program and its code in process left other files";
        }
        if (first.code != 0) {
            ++refused;
            EXPECT_EQ(first.code, 4) << first.messages;
            EXPECT_FALSE(first.messages.empty()) << "refused without a message";
            EXPECT_TRUE(first.files == before) << "a refused copy changed a file";
            continue;
        }
        ++saved;
        if (fixed.count(stateOf(fixture.project())) != 0)
            continue;
        const RunOutcome second = runInProcess(fixture, arguments);
        EXPECT_EQ(second.code, 0) << second.messages;
        EXPECT_TRUE(second.files == first.files) << "saved again, the files changed";
        if (second.code == 0 && second.files == first.files)
            fixed.insert(stateOf(fixture.project()));
    }
    // The part reached the program, through its own code and through the real program.
    EXPECT_GT(refused + saved, 0);
    EXPECT_GT(programRuns, 0);
}

INSTANTIATE_TEST_SUITE_P(DemoAndTwoLimits, RoundTripSweep, ::testing::ValuesIn(sweeps()), sweepName);

// "Override Binary" of an option's section is read from stored files but never written: it is not kept,
// so the project saves, and the saved file opens again the same.
TEST(ConsoleJourney, AKeyTheWriterNeverWritesIsNotKeptAndTheProjectSaves)
{
    ConsoleFixture fixture;
    ASSERT_TRUE(fixture.ready());
    replaceIn(fixture.project() / "control.app", "[Trace Buffer Size]\r\nValue=128\r\nState=1\r\n",
              "[Trace Buffer Size]\r\nValue=128\r\nState=1\r\nOverride Binary=1\r\n");
    RunResult result = fixture.run({"demo.omb", "-x", "-s"});
    ASSERT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(readText(fixture.project() / "control.app").find("Override Binary"), std::string::npos);
    const auto saved = filesAndModes(fixture.project());
    result = fixture.run({"demo.omb", "-x", "-s"});
    EXPECT_EQ(result.code, 0) << result.err;
    EXPECT_EQ(filesAndModes(fixture.project()), saved);
}

} // namespace
} // namespace cmdgen::test
