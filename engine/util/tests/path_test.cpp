#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/print_text.h"
#include "engine/util/tests/scratch_dir.h"
#include "platform/core/message_service.h"
#include "platform/core/tests/run_unprivileged.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

using engine::testing::ScratchDir;

TEST(PathText, DirectoryAndFileNameSplit)
{
    EXPECT_EQ(DirectoryOfPath("file.cpu"), ".");
    EXPECT_EQ(DirectoryOfPath("a/b/file.cpu"), "a/b");
    EXPECT_EQ(DirectoryOfPath("a\\b\\file.cpu"), "a\\b");
    EXPECT_EQ(DirectoryOfPath("/file.cpu"), "/");
    EXPECT_EQ(DirectoryOfPath("C:\\file.cpu"), "C:\\");
    EXPECT_EQ(FileNameOfPath("a/b\\file.cpu"), "file.cpu");
    EXPECT_EQ(FileNameOfPath("file.cpu"), "file.cpu");
    EXPECT_EQ(FileNameOfPath("dir/"), "");
    EXPECT_EQ(MakeNativePath("Help\\Manual.pdf"), "Help/Manual.pdf");
    std::string path = "a\\b/c";
    ToNativeSeparators(path);
    EXPECT_EQ(path, "a/b/c");
}

TEST(PathText, ResolveFoldsDotsAgainstTheCurrentFolder)
{
    ScratchDir dir;
    CurrentDirectoryGuard guard(dir.path());
    ASSERT_TRUE(guard.changed());
    std::string here = GetCurrentDirectoryText();
    EXPECT_EQ(ResolvePath("x/../y/./z.txt"), here + "/y/z.txt");
    EXPECT_EQ(ResolvePath("/a/b/../c"), "/a/c");
    EXPECT_EQ(ResolvePath("..\\..\\.."), ResolvePath("../../.."));
    EXPECT_EQ(ResolvePath(""), "");  // no name names no file, not the current folder
}

// ".." after a linked folder is the parent of the folder the link leads to, as the system takes it.
TEST(PathText, ResolveTakesDotDotAfterALinkWhereTheSystemDoes)
{
    ScratchDir dir;
    CurrentDirectoryGuard guard(dir.path());
    ASSERT_TRUE(guard.changed());
    const std::string here = GetCurrentDirectoryText();
    std::filesystem::create_directories(dir.file("b/deeper"));
    std::filesystem::create_directory_symlink("b/deeper", dir.file("shortcut"));
    EXPECT_EQ(ResolvePath("shortcut/../viaparent.omb"), here + "/b/viaparent.omb");
    EXPECT_EQ(ResolvePath(here + "/shortcut/./../../x"), here + "/x");
    EXPECT_EQ(ResolvePath("not-there/../z"), here + "/z"); // no folder there, no link to follow
}

TEST(PathFolders, GuardRestoresTheFolder)
{
    std::string before = GetCurrentDirectoryText();
    {
        ScratchDir dir;
        CurrentDirectoryGuard guard(dir.path());
        EXPECT_NE(GetCurrentDirectoryText(), before);
        CurrentDirectoryGuard missing(dir.file("does-not-exist"));
        EXPECT_FALSE(missing.changed());
    }
    EXPECT_EQ(GetCurrentDirectoryText(), before);
    EXPECT_FALSE(SetCurrentDirectoryText(""));
}

TEST(PathEnvironment, LongValuesReadAsEmpty)
{
    ::setenv("KORVANE_TEST_VALUE", "abc", 1);
    EXPECT_EQ(GetEnvironmentText("KORVANE_TEST_VALUE"), "abc");
    ::setenv("KORVANE_TEST_VALUE", std::string(1023, 'x').c_str(), 1);
    EXPECT_EQ(GetEnvironmentText("KORVANE_TEST_VALUE").size(), 1023u);
    ::setenv("KORVANE_TEST_VALUE", std::string(1024, 'x').c_str(), 1);
    EXPECT_EQ(GetEnvironmentText("KORVANE_TEST_VALUE"), "");
    ::unsetenv("KORVANE_TEST_VALUE");
    EXPECT_EQ(GetEnvironmentText("KORVANE_TEST_VALUE"), "");
}

TEST(PathTime, YearAndDateText)
{
    EXPECT_GE(CurrentYear(), 2024);
    std::string text = DateTimeText();
    ASSERT_EQ(text.size(), 19u);
    EXPECT_EQ(text[2], '/');
    EXPECT_EQ(text[5], '/');
    EXPECT_EQ(text.substr(6, 4), std::to_string(CurrentYear()));
}

TEST(PathFiles, TempNamesAndExistence)
{
    ScratchDir dir;
    std::string unique = MakeTempFileName(dir.path(), "OMBAprefix", 0);
    ASSERT_FALSE(unique.empty());
    EXPECT_EQ(FileNameOfPath(unique).substr(0, 3), "OMB");
    EXPECT_FALSE(FileExists(unique)); // only the name is kept
    EXPECT_EQ(MakeTempFileName(dir.path(), "ab", 0x1f), dir.path() + "/ab1F.TMP");
    EXPECT_FALSE(FileExists(dir.path())); // a folder is not a file
    std::string file = dir.write("x.txt", "1");
    EXPECT_TRUE(FileExists(file));
}

TEST(FileIo, ReadWholeAndReplace)
{
    ScratchDir dir;
    std::string bytes = "keep";
    EXPECT_EQ(ReadWholeFile(dir.file("missing"), bytes), ReadResult::OpenFailed);
    EXPECT_EQ(ReadWholeFile(dir.path(), bytes), ReadResult::NotRegular);
    EXPECT_EQ(ReadFailureReason(ReadResult::NotRegular, dir.path()), "it is a folder");
    const std::string fifo = dir.file("pipe.cpu"); // a named pipe without a writer is refused, not waited on
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(ReadWholeFile(fifo, bytes), ReadResult::NotRegular);
    EXPECT_EQ(ReadFailureReason(ReadResult::NotRegular, fifo), "it is a named pipe");
    EXPECT_EQ(ReadWholeFile("/dev/null", bytes), ReadResult::NotRegular);
    EXPECT_EQ(ReadFailureReason(ReadResult::NotRegular, "/dev/null"), "it is a device");
    ::unlink(fifo.c_str());
    EXPECT_EQ(bytes, "keep");

    std::string target = dir.file("a.cpu");
    ASSERT_TRUE(ReplaceFileContents(target, std::string("one\0two", 7)));
    ASSERT_TRUE(ReplaceFileContents(target, "second"));
    EXPECT_EQ(ReadWholeFile(target, bytes), ReadResult::Ok);
    EXPECT_EQ(bytes, "second");
    EXPECT_EQ(dir.fileCount(), 1u); // no temporary file left

    // A target that cannot be replaced (a folder) leaves everything as it was.
    std::string folder = dir.file("sub");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(ReplaceFileContents(folder, "x"));
    EXPECT_EQ(dir.fileCount(), 2u);
    EXPECT_FALSE(WriteWholeFile(dir.file("no/such/folder"), "x"));

    // A file too large to take into memory is refused before any buffer is made (a sparse file here).
    std::string huge = dir.write("huge.bin", "");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxReadSize) + 1), 0);
    EXPECT_EQ(ReadWholeFile(huge, bytes), ReadResult::NoMemory);
    EXPECT_EQ(bytes, "second");
}

TEST(PrintReport, PrintsTheWholeFileOrReports)
{
    ScratchDir dir;
    std::string printed;
    TextPrinter previous = SetTextPrinter([&](const std::string& text, const std::string&) {
        printed = text;
        return true;
    });
    platform::ScopedScriptedMessages messages;
    EXPECT_TRUE(ShowReportFile(dir.write("report.txt", "line 1\r\nline 2\r\n")));
    EXPECT_EQ(printed, "line 1\r\nline 2\r\n");
    printed.clear();
    std::string missing = dir.file("missing.txt");
    EXPECT_FALSE(ShowReportFile(missing));
    EXPECT_EQ(printed, "");
    ASSERT_EQ(messages->texts().size(), 1u);
    EXPECT_EQ(messages->texts()[0], "Unable to open file '" + missing + "'");
    SetTextPrinter(previous);
}

TEST(PrintReport, TheDefaultPrinterRunsThePrintCommandWithoutAShell)
{
    // The one print command variable names a program and its words; the text arrives as a file.
    ScratchDir dir;
    TextPrinter previous = SetTextPrinter(nullptr);
    const char* old = std::getenv("OMBAGEN_PRINT_COMMAND");
    const std::string saved = old ? old : "";
    ASSERT_EQ(::setenv("OMBAGEN_PRINT_COMMAND", ("cp -t " + dir.path()).c_str(), 1), 0);
    EXPECT_TRUE(PrintText("report text\r\n"));
    ASSERT_EQ(dir.fileCount(), 1u);
    const std::string copied = std::filesystem::directory_iterator(dir.path())->path().filename().string();
    EXPECT_EQ(dir.read(copied), "report text\r\n");

    // A shell line is not run by a shell: no program has that name, and nothing else runs.
    const std::string marker = dir.file("marker");
    ASSERT_EQ(::setenv("OMBAGEN_PRINT_COMMAND", ("true;touch " + marker).c_str(), 1), 0);
    EXPECT_FALSE(PrintText("x"));
    EXPECT_FALSE(std::filesystem::exists(marker));
    if (old)
        ::setenv("OMBAGEN_PRINT_COMMAND", saved.c_str(), 1);
    else
        ::unsetenv("OMBAGEN_PRINT_COMMAND");
    SetTextPrinter(previous);
}


} // namespace
} // namespace engine
