// The round trip through the real program: whatever opens saves and opens again the same.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <map>
#include <mutex>
#include <thread>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "console_fixture.h"

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

struct Sweep {
    const char* name;
    bool differentLimits;
    const char* file;
    Change change;
};

std::string sweepName(const ::testing::TestParamInfo<Sweep>& info) { return info.param.name; }
void PrintTo(const Sweep& sweep, std::ostream* out) { *out << sweep.name; }

// One value for the bytes of every file of the project folder, to know a state already saved twice.
std::size_t stateOf(const fs::path& folder)
{
    std::string all;
    for (const auto& [name, bytes] : filesAndModes(folder))
        all += name + '\0' + bytes.first + '\0' + std::to_string(bytes.second) + '\0';
    return std::hash<std::string>{}(all);
}

// What one copy of the project did: refused at open, or saved and then run again.
struct Outcome {
    std::size_t line = 0;
    int code = 0;
    std::string err;
    bool unchangedWhenRefused = true;
    bool runAgain = false;
    int secondCode = 0;
    std::string secondErr;
    bool sameWhenSavedAgain = true;
};

class RoundTripSweep : public ::testing::TestWithParam<Sweep> {};

// Every line of a file of the project, deleted and then with its value blanked, one at a time: each copy
// is either refused at open with a message and no file changed, or it generates and saves, and what it
// saved opens again and saves the same bytes. The copies are run by a few workers side by side, each in
// folders of its own.
TEST_P(RoundTripSweep, EachCopyIsRefusedAtOpenOrSavesAndOpensAgainTheSame)
{
    const Sweep& sweep = GetParam();
    std::map<std::string, std::pair<std::string, unsigned>> original;
    std::set<std::size_t> fixed;  // projects seen to save again unchanged: a copy saved as one needs no second run
    {
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        if (sweep.differentLimits)
            useModelsOfDifferentLimits(fixture);
        original = filesAndModes(fixture.project());
        // The project as it stands must pass first, or every copy would say nothing.
        ASSERT_EQ(fixture.run({"demo.omb", "-x", "-s"}).code, 0);
        fixed.insert(stateOf(fixture.project()));
        ASSERT_EQ(fixture.run({"demo.omb", "-x", "-s"}).code, 0);
        ASSERT_EQ(stateOf(fixture.project()), *fixed.begin());
    }

    const std::vector<std::string> lines = linesWithEnds(original.at(sweep.file).first);
    std::vector<std::pair<std::size_t, std::string>> copies;
    std::set<std::string> tried{original.at(sweep.file).first};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string text = changed(lines, i, sweep.change);
        if (tried.insert(text).second)
            copies.emplace_back(i, std::move(text));
    }

    // Each worker's folders are made before any worker runs the program: a program file still open for
    // writing while another thread starts a process would be inherited by it and could not be run.
    constexpr int kWorkers = 3;
    std::vector<std::unique_ptr<ConsoleFixture>> fixtures;
    for (int w = 0; w < kWorkers; ++w) {
        fixtures.push_back(std::make_unique<ConsoleFixture>());
        ASSERT_TRUE(fixtures.back()->ready());
        if (sweep.differentLimits)
            useModelsOfDifferentLimits(*fixtures.back());
    }
    std::vector<Outcome> outcomes(copies.size());
    std::atomic<std::size_t> next{0};
    std::mutex fixedLock;
    const auto work = [&](ConsoleFixture& fixture) {
        for (std::size_t n = next++; n < copies.size(); n = next++) {
            Outcome& outcome = outcomes[n];
            outcome.line = copies[n].first;
            for (const fs::directory_entry& entry : fs::directory_iterator(fixture.project()))
                fs::remove_all(entry.path());
            for (const auto& [name, bytes] : original)
                writeText(fixture.project() / name, name == sweep.file ? copies[n].second : bytes.first);
            const auto before = filesAndModes(fixture.project());
            const RunResult first = fixture.run({"demo.omb", "-x", "-s"});
            outcome.code = first.code;
            outcome.err = first.err;
            if (first.code != 0) {
                outcome.unchangedWhenRefused = filesAndModes(fixture.project()) == before;
                continue;
            }
            {
                const std::lock_guard<std::mutex> hold(fixedLock);
                if (fixed.count(stateOf(fixture.project())) != 0)
                    continue;
            }
            const auto afterSave = filesAndModes(fixture.project());
            const RunResult second = fixture.run({"demo.omb", "-x", "-s"});
            outcome.runAgain = true;
            outcome.secondCode = second.code;
            outcome.secondErr = second.err;
            outcome.sameWhenSavedAgain = filesAndModes(fixture.project()) == afterSave;
            if (second.code == 0 && outcome.sameWhenSavedAgain) {
                const std::lock_guard<std::mutex> hold(fixedLock);
                fixed.insert(stateOf(fixture.project()));
            }
        }
    };
    std::vector<std::thread> workers;
    for (const std::unique_ptr<ConsoleFixture>& fixture : fixtures)
        workers.emplace_back(work, std::ref(*fixture));
    for (std::thread& worker : workers)
        worker.join();

    int refused = 0;
    int saved = 0;
    for (const Outcome& outcome : outcomes) {
        SCOPED_TRACE("line " + std::to_string(outcome.line + 1) + ": " + lines[outcome.line]);
        if (outcome.code != 0) {
            ++refused;
            EXPECT_EQ(outcome.code, 4) << outcome.err;
            EXPECT_NE(outcome.err.find("OMBAgenCmd: "), std::string::npos) << "refused without a message";
            EXPECT_TRUE(outcome.unchangedWhenRefused) << "a refused copy changed a file";
            continue;
        }
        ++saved;
        if (!outcome.runAgain)
            continue;
        EXPECT_EQ(outcome.secondCode, 0) << outcome.secondErr;
        EXPECT_TRUE(outcome.sameWhenSavedAgain) << "saved again, the files changed";
    }
    // Both outcomes occur: the sweep reaches the generator and the refusals alike.
    EXPECT_GT(refused, 0);
    EXPECT_GT(saved, 0);
}

INSTANTIATE_TEST_SUITE_P(
    DemoAndTwoLimits, RoundTripSweep,
    ::testing::Values(Sweep{"ProjectDeleted", false, "demo.omb", Change::Delete},
                      Sweep{"ProjectBlanked", false, "demo.omb", Change::Blank},
                      Sweep{"MainKernelDeleted", false, "main.cpu", Change::Delete},
                      Sweep{"MainKernelBlanked", false, "main.cpu", Change::Blank},
                      Sweep{"CommsKernelDeleted", false, "comms.cpu", Change::Delete},
                      Sweep{"CommsKernelBlanked", false, "comms.cpu", Change::Blank},
                      Sweep{"ControlDeleted", false, "control.app", Change::Delete},
                      Sweep{"ControlBlanked", false, "control.app", Change::Blank},
                      Sweep{"MonitorDeleted", false, "monitor.app", Change::Delete},
                      Sweep{"MonitorBlanked", false, "monitor.app", Change::Blank},
                      Sweep{"LinkDeleted", false, "link.app", Change::Delete},
                      Sweep{"LinkBlanked", false, "link.app", Change::Blank},
                      Sweep{"TwoLimitsProjectDeleted", true, "demo.omb", Change::Delete},
                      Sweep{"TwoLimitsProjectBlanked", true, "demo.omb", Change::Blank},
                      Sweep{"TwoLimitsCommsKernelBlanked", true, "comms.cpu", Change::Blank},
                      Sweep{"TwoLimitsLinkDeleted", true, "link.app", Change::Delete},
                      Sweep{"TwoLimitsLinkBlanked", true, "link.app", Change::Blank}),
    sweepName);

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
