#include "cmdgen/arguments.h"
#include "cmdgen/console_texts.h"
#include "cmdgen/return_codes.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace cmdgen;

namespace {

struct ArgumentCase {
    const char* name;
    std::vector<std::string> arguments;
    int code;
    bool skip;
    int usagePrints;
};

class Arguments : public ::testing::TestWithParam<ArgumentCase> {};

} // namespace

TEST_P(Arguments, GiveCodeSkipAndUsage)
{
    const ArgumentCase& c = GetParam();
    const RunOptions options = parseArguments(c.arguments);
    EXPECT_EQ(options.code, c.code);
    EXPECT_EQ(options.skip, c.skip);
    EXPECT_EQ(options.usagePrints, c.usagePrints);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, Arguments,
    ::testing::Values(ArgumentCase{"None", {}, CodeUsage, false, 1},
                      ArgumentCase{"HelpFirst", {"-H"}, CodeDone, true, 1},
                      ArgumentCase{"QuestionFirst", {"/?"}, CodeDone, true, 1},
                      ArgumentCase{"SlashHFirst", {"/h", "-x"}, CodeDone, true, 1},
                      ArgumentCase{"HelpLater", {"p.omb", "-x", "-?"}, CodeDone, true, 1},
                      ArgumentCase{"UnknownSwitch", {"p.omb", "-x", "-q"}, CodeUsage, false, 1},
                      ArgumentCase{"BareWord", {"p.omb", "x"}, CodeUsage, false, 1},
                      ArgumentCase{"TwoStrayWords", {"p.omb", "x", "y"}, CodeUsage, false, 2},
                      ArgumentCase{"LoneDash", {"p.omb", "-"}, CodeUsage, false, 1},
                      ArgumentCase{"Valid", {"p.omb", "-cMain", "-aControl", "-f", "-p", "-s"}, CodeDone, false, 0}),
    [](const ::testing::TestParamInfo<ArgumentCase>& info) { return info.param.name; });

TEST(ArgumentValues, SwitchesInEitherCaseAndPrefixLaterOnesWin)
{
    const RunOptions options = parseArguments({"dir/p.omb", "/X", "-cA", "/Cb", "-aFirst", "-A", "/F", "-P", "/s"});
    EXPECT_EQ(options.projectFile, "dir/p.omb");
    EXPECT_TRUE(options.all && options.force && options.report && options.save);
    EXPECT_EQ(options.cpuName, "b");
    EXPECT_EQ(options.applicationName, "") << "an empty name is allowed and replaces the earlier one";
    EXPECT_EQ(options.code, CodeDone);
    EXPECT_FALSE(options.skip);
}

TEST(ConsoleTexts, BannerAndLastLine)
{
    std::ostringstream out;
    printBanner(out, 2031);
    printCompletion(out, 5);
    EXPECT_EQ(out.str(),
              "\nOMBAgenCmd Version 1.12, Build 414\nCopyright (c) 2031 Korvane Systems, Inc. All rights reserved.\n\n"
              "\nOMBAgenCmd execution complete, return code 5\n");
}
