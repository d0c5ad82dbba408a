// OMBAgenCmd on copies of the demo whose files repeat a section header: the open is refused with a
// message that names the file and the section, and no file of the project changes.

#include "console_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace cmdgen::test;
namespace fs = std::filesystem;

TEST(ConsoleJourney, RepeatedSectionHeadersAreRefusedWithTheFileAndTheSection)
{
    struct Repeat {
        const char* name;
        const char* file;
        const char* appended;
        const char* message;
    };
    const Repeat repeats[] = {
        {"project list again", "demo.omb", "\r\n[APPS Main]\r\nExtra=extra.app\r\n",
         "demo.omb: the section \"APPS Main\" appears twice"},
        {"project list in other letters", "demo.omb", "\r\n[apps main]\r\n",
         "demo.omb: the section \"apps main\" appears twice"},
        {"object section again", "monitor.app", "\r\n[lvlMon]\r\nDescription=Second\r\n",
         "monitor.app: the section \"lvlMon\" appears twice"},
    };
    for (const Repeat& repeat : repeats) {
        SCOPED_TRACE(repeat.name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        std::ofstream(fixture.project() / repeat.file, std::ios::binary | std::ios::app) << repeat.appended;
        const auto before = filesAndModes(fixture.project());
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, 4) << result.out << result.err;
        EXPECT_NE(result.err.find("Unable to load "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(repeat.message), std::string::npos) << result.err;
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        EXPECT_EQ(fixture.callLog(), "");
    }
}
