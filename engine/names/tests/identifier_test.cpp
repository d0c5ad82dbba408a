#include <gtest/gtest.h>

#include <cstring>

#include "engine/names/identifier.h"
#include "engine/names/report_texts.h"
#include "engine/records/text_field.h"

namespace engine {
namespace {

struct IdentifierCase {
    const char* label;
    const char* name;
    int maxLength;
    int code;
    const char* result;
};

class IdentifierTest : public ::testing::TestWithParam<IdentifierCase> {};

TEST_P(IdentifierTest, CodeAndRewrite)
{
    const IdentifierCase& c = GetParam();
    std::string name = c.name;
    EXPECT_EQ(MakeValidIdentifier(name, c.maxLength), c.code);
    EXPECT_EQ(name, c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Names, IdentifierTest,
    ::testing::Values(IdentifierCase{"Valid", "task_1", 0, IdentifierValid, "task_1"},
                      IdentifierCase{"SpecialCharactersAllowed", "a@b~c$d", 0, IdentifierValid, "a@b~c$d"},
                      IdentifierCase{"ExactlyMaximum", "abcdefgh", 8, IdentifierValid, "abcdefgh"},
                      IdentifierCase{"OneOverMaximum", "abcdefghi", 8, IdentifierTruncated, "abcdefgh"},
                      IdentifierCase{"BadCharacterBeyondMaximum", "abcdefgh-x", 8, IdentifierTruncated, "abcdefgh"},
                      IdentifierCase{"BadCharacterAndCut", "a-cdefghij", 8, IdentifierTruncated, "a_cdefgh"},
                      IdentifierCase{"HyphenReplaced", "a-b", 0, IdentifierModified, "a_b"},
                      IdentifierCase{"HighByteReplaced", "caf\xe9", 0, IdentifierModified, "caf_"},
                      IdentifierCase{"Empty", "", 0, IdentifierEmpty, ""},
                      IdentifierCase{"LeadingDigitUnchanged", "1a-b", 0, IdentifierLeadingDigit, "1a-b"},
                      IdentifierCase{"UnderscoresOnly", "___", 0, IdentifierNoLetter, "___"},
                      IdentifierCase{"ReplacedWithoutLetterIsModified", "-$-", 0, IdentifierModified, "_$_"}),
    [](const ::testing::TestParamInfo<IdentifierCase>& info) { return std::string(info.param.label); });

TEST(Identifier, DefaultMaximumIs127)
{
    std::string name(130, 'b');
    EXPECT_EQ(MakeValidIdentifier(name, 0), IdentifierTruncated);
    EXPECT_EQ(name.size(), 127u);
}

TEST(Identifier, FieldRewriteStaysInsideTheField)
{
    char field[8];
    setText(field, "ab-defg");
    EXPECT_EQ(MakeValidIdentifier(field, 100), IdentifierModified);
    EXPECT_STREQ(field, "ab_defg");

    // A field without a terminator is read to its end and cut to hold one.
    std::memset(field, 'x', sizeof field);
    EXPECT_EQ(MakeValidIdentifier(field, 0), IdentifierTruncated);
    EXPECT_EQ(std::string(field), std::string(7, 'x'));
}

TEST(Identifier, ProblemTexts)
{
    std::string text = "Name";
    IdentifierProblemText(IdentifierTruncated, text);
    EXPECT_EQ(text, "Name has been truncated to specified length limit. Please inspect the modified version "
                    "before proceeding.");
    std::string unchanged = "x";
    IdentifierProblemText(0, unchanged);
    IdentifierProblemText(6, unchanged);
    EXPECT_EQ(unchanged, "x");
}

TEST(ReportTexts, ShellErrorTable)
{
    EXPECT_EQ(ShellExecuteErrorText(2), "The specified file was not found.");
    EXPECT_EQ(ShellExecuteErrorText(11), "The .exe file is invalid (non-Win32\xAE .exe or error in .exe image).");
    EXPECT_EQ(ShellExecuteErrorText(32), "The specified dynamic-link library was not found.");
    EXPECT_EQ(ShellExecuteErrorText(7), "Unknown error code 7");
    EXPECT_EQ(ShellExecuteErrorText(-1), "Unknown error code -1");
}

TEST(ReportTexts, VersionAndReportName)
{
    static CpuRecord cpu{};
    ApplicationRecord application{};
    setText(cpu.name, "Main");
    setText(application.name, "Control");

    setText(cpu.kernel.modelVersion, "1.12");
    cpu.kernel.bindingNumber = 414;
    EXPECT_EQ(VersionText(cpu), "1.12.414");
    setText(cpu.kernel.modelVersion, " 0x2 . 010 ");
    EXPECT_EQ(VersionText(cpu), "2.8.414");
    setText(cpu.kernel.modelVersion, "3");
    EXPECT_EQ(VersionText(cpu), "3.0.414");
    setText(cpu.kernel.modelVersion, "");
    EXPECT_EQ(VersionText(cpu), "0.0.414");

    setText(application.reportPath, ".\\reports\\");
    EXPECT_EQ(ReportFileName(cpu, application), "./reports/Main_Control.txt");
    setText(application.reportPath, "out");
    EXPECT_EQ(ReportFileName(cpu, application), "out/Main_Control.txt");
    setText(application.reportPath, "");
    EXPECT_EQ(ReportFileName(cpu, application), "./Main_Control.txt");
}

TEST(ReportTexts, RelativePaths)
{
    EXPECT_EQ(MakeRelativePath("/home/u/proj", "/home/u/proj"), "./");
    EXPECT_EQ(MakeRelativePath("/home/u/proj/", "/home/u/proj/src/gen"), "./src/gen");
    EXPECT_EQ(MakeRelativePath("/home/u/proj", "/home/u/other/"), "../other");
    EXPECT_EQ(MakeRelativePath("/home/u/proj", "/home/u/proj/..data"), "./..data");
    EXPECT_EQ(MakeRelativePath("/home/u/proj", "/"), "../../..");
    EXPECT_EQ(MakeRelativePath("\\home\\u\\proj", "\\home\\u\\proj\\out"), "./out");
}

} // namespace
} // namespace engine
