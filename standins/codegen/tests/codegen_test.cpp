#include "codegen_fixture.h"
#include "compile_check.h"

#include "standins/codegen/c_text.h"
#include "standins/codegen/generation.h"

#include "sdk/codegen/generator_entries.h"

#include "platform/core/program_path.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>

using namespace codegen;
using namespace codegen::test;
namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> fileNames(const std::vector<std::string>& paths)
{
    std::vector<std::string> names;
    for (const std::string& path : paths)
        names.push_back(fs::path(path).filename().string());
    return names;
}

class Generation : public ::testing::Test {
protected:
    ScratchFolder scratch;
    ProjectFixture fixture{scratch.path()};

    GenerationResult generate(bool force)
    {
        return generateApplication(&fixture.project, fixture.cpu, fixture.application, "1.12.414", force);
    }
};

} // namespace

TEST(CText, LiteralsAndCommentsStayInsideTheirDelimiters)
{
    EXPECT_EQ(cStringLiteral("a\"b\\c"), R"("a\"b\\c")");
    EXPECT_EQ(cStringLiteral("?\?/"), R"("\?\?/")");
    EXPECT_EQ(cStringLiteral("caf\xe9\n"), R"("caf\351\012")");
    EXPECT_EQ(commentText("a */ b /* c"), "a * / b / * c");
    EXPECT_EQ(commentText("ends in \\"), "ends in \\ ");
    EXPECT_EQ(macroPart("Application Heap"), "APPLICATION_HEAP");
    EXPECT_EQ(identifierPart(""), "_");
}

TEST_F(Generation, WritesTheEnabledClassesFilesAndTheyCompile)
{
    const GenerationResult result = generate(true);
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(fileNames(result.written),
              (std::vector<std::string>{"kproject.c", "kproject.h", "koptions.h", "aoptions.h", "klvl.c", "klvl.h",
                                        "kthd.c", "kthd.h", "ktask.c", "ktask.h"}));
    for (const std::string& path : result.written)
        EXPECT_EQ(compileGeneratedFile(path, scratch.path(), scratch.path() / "stubs"), "");

    // Chained objects point at their parent's row; the disabled Queue class has no files.
    const std::string threads = readFile(scratch.path() / "src/kthd.c");
    EXPECT_NE(threads.find(R"({"thrLogger", "", 1, 0, 0, 0, 0, 0}, "")"), std::string::npos) << threads;
    EXPECT_NE(readFile(scratch.path() / "src/ktask.c").find(R"("odd \"quoted\" \?\?/ name\\")"), std::string::npos);
    EXPECT_FALSE(fs::exists(scratch.path() / "src/kque.c"));
    EXPECT_NE(readFile(scratch.path() / "src/kproject.c").find("#include \"../inc/kproject.h\""), std::string::npos);
    const std::string options = readFile(scratch.path() / "inc/aoptions.h");
    EXPECT_NE(options.find("#define AO_APPLICATION_HEAP 4096"), std::string::npos);
    EXPECT_NE(options.find("#define AO_APPLICATION_HEAP_2 0"), std::string::npos);
    EXPECT_NE(readFile(scratch.path() / "inc/kproject.h").find("#define KP_USER_RAM 100u"), std::string::npos);
}

TEST_F(Generation, OptionalFilesFollowTheApplicationsSettings)
{
    engine::ApplicationRecord& app = fixture.application;
    app.generateI2Symbols = 1;
    app.isMp = 1;
    app.generateAssemblerCode = 1;
    app.generateUserIsrs = 1;
    app.generateDosFiles = 1;
    engine::setText(app.asmSourceExtension, "s");
    const GenerationResult result = generate(true);
    ASSERT_TRUE(result.ok) << result.error;
    const std::vector<std::string> names = fileNames(result.written);
    for (const char* expected : {"i2symbol.c", "kmpinfo.h", "uexcptn.s", "koptions.inc", "aoptions.inc", "ktask.inc"})
        EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
    for (const std::string& path : result.written)
        EXPECT_EQ(compileGeneratedFile(path, scratch.path(), scratch.path() / "stubs"), "");
    const std::string instrumentation = readFile(scratch.path() / "src/i2symbol.c");
    EXPECT_NE(instrumentation.find("\"tskIdle\",\r\n"), std::string::npos) << instrumentation;
}

TEST_F(Generation, WritesOnlyWhatIsMarkedOrMissingAndClearsTheFlags)
{
    engine::ApplicationRecord& app = fixture.application;
    app.projectCDirty = 1;
    app.kernelHDirty = 1;
    app.regenerate = 1;
    fixture.entries[2].cFileDirty = 1;  // the disabled Queue entry
    fixture.threadEntry.hFileDirty = 1;
    ASSERT_TRUE(generate(false).ok);
    EXPECT_EQ(app.projectCDirty + app.kernelHDirty + app.regenerate + fixture.threadEntry.hFileDirty, 0);
    EXPECT_EQ(fixture.entries[2].cFileDirty, 1) << "a disabled entry's flags are not handled";

    EXPECT_TRUE(generate(false).written.empty());

    fixture.taskEntry().cFileDirty = 1;
    fs::remove(scratch.path() / "inc/klvl.h");
    EXPECT_EQ(fileNames(generate(false).written), (std::vector<std::string>{"klvl.h", "ktask.c"}));
    EXPECT_EQ(fixture.taskEntry().cFileDirty, 0);
    EXPECT_EQ(generate(true).written.size(), 10u);
}

TEST_F(Generation, AFailedWriteKeepsTheFlags)
{
    std::ofstream(scratch.path() / "blocker") << "a file where a folder should be";
    engine::setText(fixture.application.codePath, (scratch.path() / "blocker/src").string());
    fixture.application.projectCDirty = 1;
    const GenerationResult result = generate(true);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("blocker"), std::string::npos) << result.error;
    EXPECT_EQ(fixture.application.projectCDirty, 1);
}

// The entries as the generator programs reach them: by name from the built library.
class LibraryEntries : public Generation {
protected:
    void SetUp() override
    {
        // The library lands beside the test program.
        handle = dlopen((platform::programDirectory() + "/libombacodegen_standin.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        generateCode = reinterpret_cast<engine::GenerateCodeEntry>(dlsym(handle, engine::kGenerateCodeEntryName));
        printSystem = reinterpret_cast<engine::PrintSystemEntry>(dlsym(handle, engine::kPrintSystemEntryName));
        ASSERT_TRUE(generateCode && printSystem);
        logPath = scratch.path() / "calls.log";
        setenv("OMBA_CODEGEN_LOG", logPath.c_str(), 1);
        unsetenv("OMBA_CODEGEN_FAIL");
    }
    void TearDown() override
    {
        unsetenv("OMBA_CODEGEN_LOG");
        unsetenv("OMBA_CODEGEN_FAIL");
        if (handle)
            dlclose(handle);
    }

    void* handle = nullptr;
    engine::GenerateCodeEntry generateCode = nullptr;
    engine::PrintSystemEntry printSystem = nullptr;
    fs::path logPath;
};

TEST_F(LibraryEntries, LogTheParameterBlockAndWriteTheReport)
{
    engine::CodeGeneratorParams generate{engine::CallerConsole, "1.12.414", 0, 1};
    EXPECT_EQ(generateCode(&fixture.project, &fixture.cpu, &fixture.application, &generate, nullptr), 0);
    engine::CodeGeneratorParams print{engine::CallerGui, "1.12", engine::OperationPrintSystem, 0};
    EXPECT_EQ(printSystem(&fixture.application, &fixture.cpu, &fixture.project, nullptr, &print), 0);

    const std::string log = readFile(logPath);
    EXPECT_NE(log.find("GenerateCode caller=0 version=\"1.12.414\" operation=0 force=1 project=\"Demo\" cpu=\"Main\" "
                       "application=\"Control\" regenerate=0 footprint=valid result=0\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("  wrote " + (scratch.path() / "src/kproject.c").string() + "\n"), std::string::npos) << log;
    EXPECT_NE(log.find("PrintSystem caller=1 version=\"1.12\" operation=0 force=0"), std::string::npos) << log;

    const std::string report = readFile(scratch.path() / "reports/Main_Control.txt");
    EXPECT_NE(report.find("Task (type 8): 2 object(s)"), std::string::npos) << report;
    EXPECT_NE(report.find("tskMain entryPoint=MainTask initialPriority=3 stackSize=1024"), std::string::npos) << report;
    EXPECT_NE(report.find("Queue (type 10): disabled"), std::string::npos) << report;

    // A footprint past what its counters hold is written as no exact figure.
    fixture.application.footprint.Set(UINT32_MAX, 10, 20);
    fixture.application.footprint.MarkValid();
    EXPECT_EQ(generateCode(&fixture.project, &fixture.cpu, &fixture.application, &generate, nullptr), 0);
    EXPECT_EQ(printSystem(&fixture.application, &fixture.cpu, &fixture.project, nullptr, &print), 0);
    const std::string header = readFile(scratch.path() / "inc/kproject.h");
    EXPECT_NE(header.find("#define KP_FOOTPRINT_VALID 0\n"), std::string::npos) << header;
    EXPECT_NE(header.find("#define KP_FOOTPRINT_AT_LEAST 1\n"), std::string::npos) << header;
    EXPECT_NE(readFile(scratch.path() / "reports/Main_Control.txt").find("4294967295 or more\n"), std::string::npos);
}

TEST_F(LibraryEntries, FailOnRequestOrWithoutRecordsAndWriteNothing)
{
    engine::CodeGeneratorParams params{engine::CallerConsole, "1.12.414", 0, 1};
    setenv("OMBA_CODEGEN_FAIL", "PrintSystem,GenerateCode:Control", 1);
    EXPECT_NE(generateCode(&fixture.project, &fixture.cpu, &fixture.application, &params, nullptr), 0);
    EXPECT_NE(printSystem(&fixture.application, &fixture.cpu, &fixture.project, nullptr, &params), 0);
    EXPECT_FALSE(fs::exists(scratch.path() / "src"));
    EXPECT_FALSE(fs::exists(scratch.path() / "reports"));

    setenv("OMBA_CODEGEN_FAIL", "GenerateCode:Other", 1);
    EXPECT_EQ(generateCode(&fixture.project, &fixture.cpu, &fixture.application, &params, nullptr), 0);
    EXPECT_NE(generateCode(nullptr, nullptr, &fixture.application, nullptr, nullptr), 0);
    EXPECT_NE(printSystem(nullptr, &fixture.cpu, nullptr, nullptr, nullptr), 0);
}
