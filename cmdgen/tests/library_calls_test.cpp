// The calls into the code-generator library in process: the real stand-in library, found beside the
// test program as the programs find it, with a small project held in memory.

#include "cmdgen/library_calls.h"

#include "standins/codegen/tests/codegen_fixture.h"

#include "platform/core/message_service.h"
#include "platform/core/print_command.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <sstream>

using namespace cmdgen;
using codegen::test::ProjectFixture;
using codegen::test::ScratchFolder;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class LibraryCalls : public ::testing::Test {
protected:
    void SetUp() override
    {
        engine::setText(fixture.cpu.kernel.codeGeneratorLibrary, "libombacodegen_standin.DLL");
        engine::setText(fixture.cpu.kernel.modelVersion, " 1 . 0x0C ");
        fixture.cpu.kernel.bindingNumber = 414;
        const fs::path script = scratch.path() / "print.sh";
        std::ofstream(script) << "#!/bin/sh\necho \"$@\" >> '" << (scratch.path() / "printed.log").string() << "'\n";
        fs::permissions(script, fs::perms::owner_all);
        setenv(platform::kPrintCommandVariable, script.c_str(), 1);
        setenv("OMBA_CODEGEN_LOG", (scratch.path() / "calls.log").c_str(), 1);
        unsetenv("OMBA_CODEGEN_FAIL");
    }
    void TearDown() override
    {
        unsetenv(platform::kPrintCommandVariable);
        unsetenv("OMBA_CODEGEN_LOG");
        unsetenv("OMBA_CODEGEN_FAIL");
    }

    GeneratorRecords records() { return {&fixture.project, nullptr, &fixture.cpu, &fixture.application}; }
    fs::path reportFile() const { return scratch.path() / "reports/Main_Control.txt"; }

    ScratchFolder scratch;
    ProjectFixture fixture{scratch.path()};
    platform::ScopedScriptedMessages messages;
    std::ostringstream out;
};

} // namespace

TEST_F(LibraryCalls, GenerateAndReportWithTheConsolesParameterBlock)
{
    fixture.threadEntry.mFileDirty = 1;  // marks the application for regeneration
    EXPECT_TRUE(GenerateApplicationCode(records(), true, out));
    EXPECT_TRUE(WriteApplicationReport(records(), out));
    PrintWrittenReport(records());
    EXPECT_EQ(out.str(), "In GenerateCode()\n");
    EXPECT_TRUE(messages->boxes().empty());

    const std::string log = readAll(scratch.path() / "calls.log");
    EXPECT_NE(log.find("GenerateCode caller=0 version=\"1.12.414\" operation=0 force=1 project=\"Demo\" cpu=\"Main\" "
                       "application=\"Control\" regenerate=1 footprint=valid result=0"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("PrintSystem caller=0 version=\"1.12.414\" operation=0 force=0"), std::string::npos) << log;
    EXPECT_EQ(readAll(scratch.path() / "printed.log"), reportFile().string() + "\n");
}

TEST_F(LibraryCalls, FailuresShowTheirMessage)
{
    fixture.cpu.kernel.codeGeneratorLibrary[0] = '\0';
    engine::setText(fixture.cpu.kernel.codeGeneratorLibrary, "no_such_generator.dll");
    EXPECT_FALSE(GenerateApplicationCode(records(), false, out));
    EXPECT_FALSE(WriteApplicationReport(records(), out));
    EXPECT_EQ(out.str(), "In GenerateCode()\nErrorCode 2\n");

    engine::setText(fixture.cpu.kernel.codeGeneratorLibrary, "/lib/x86_64-linux-gnu/libm.so.6");
    EXPECT_FALSE(GenerateApplicationCode(records(), false, out));
    EXPECT_FALSE(WriteApplicationReport(records(), out));

    engine::setText(fixture.cpu.kernel.codeGeneratorLibrary, "libombacodegen_standin.so");
    setenv("OMBA_CODEGEN_FAIL", "GenerateCode,PrintSystem", 1);
    EXPECT_FALSE(GenerateApplicationCode(records(), false, out));
    EXPECT_FALSE(WriteApplicationReport(records(), out));

    EXPECT_EQ(messages->texts(), (std::vector<std::string>{"Unable to load code generator DLL",
                                                            "Unable to load code generator DLL",
                                                            "Missing entry point in code generator",
                                                            "Missing entry point in code generator",
                                                            "Code generation failure.", "Print failure."}));
    for (const auto& box : messages->boxes())
        EXPECT_EQ(box.caption, "Error");
}

TEST_F(LibraryCalls, AStaleReportIsNotPrintedAfterAFailedReport)
{
    fs::create_directories(reportFile().parent_path());
    std::ofstream(reportFile()) << "an old report\n";
    setenv("OMBA_CODEGEN_FAIL", "PrintSystem", 1);
    EXPECT_FALSE(WriteApplicationReport(records(), out));
    EXPECT_FALSE(fs::exists(scratch.path() / "printed.log"));
}

TEST_F(LibraryCalls, PrintCommandFailureIsShownButTheReportSucceeds)
{
    setenv(platform::kPrintCommandVariable, "no-such-print-command --now", 1);
    EXPECT_TRUE(WriteApplicationReport(records(), out));
    PrintWrittenReport(records());
    ASSERT_EQ(messages->texts().size(), 1u);
    EXPECT_EQ(messages->texts()[0], "Unable to execute command \"print " + reportFile().string() +
                                        "\"\nReason: The print command \"no-such-print-command\" was not found.");

    setenv(platform::kPrintCommandVariable, "false", 1);
    EXPECT_EQ(PrintFailureReason(platform::printFile(reportFile().string())),
              "The print command \"false\" ended with exit status 1.");
}
