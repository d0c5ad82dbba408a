// Replacing files through temporaries: a save touches only what it saves, says why it failed in words
// that name the user's file, puts back what a failed commit had replaced, and waits for another save.

#include "engine/util/file_io.h"
#include "engine/util/tests/scratch_dir.h"
#include "platform/core/tests/run_unprivileged.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <thread>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

namespace engine {
namespace {

using engine::testing::ScratchDir;
namespace fs = std::filesystem;

// The names in the folder that start with `prefix` and are not `except`.
std::vector<std::string> namesStartingWith(const ScratchDir& dir, const std::string& prefix, const std::string& except)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && name != except)
            names.push_back(name);
    }
    return names;
}

ino_t inodeOf(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// A file and a link whose names look like a temporary's (the target's name, "temp", a random part) are the
// user's: a save neither writes through nor removes them.
TEST(FileReplace, ATemporaryIsANewFileAndNoOtherFileIsTouched)
{
    ScratchDir dir;
    const std::string target = dir.write("control.app", "old");
    dir.write("control.apptemp", "a listed file");
    const std::string victim = dir.write("victim", "not the program's");
    fs::create_symlink(victim, dir.file("control.apptemp.000000"));
    {
        FileCommit commit;
        ASSERT_TRUE(ReplaceFileContents(target, "new"));
        // The temporary has no name until the commit gives it one.
        EXPECT_EQ(dir.fileCount(), 4u);
        ASSERT_TRUE(commit.nameHeld());
        const auto temporaries = namesStartingWith(dir, "control.apptemp.", "control.apptemp.000000");
        ASSERT_EQ(temporaries.size(), 1u);
        EXPECT_EQ(dir.read(temporaries[0]), "new");
        EXPECT_EQ(dir.read("control.app"), "old");
    }
    EXPECT_EQ(dir.fileCount(), 4u) << "the unmade commit's temporary is gone";
    // What a killed save of control.app left goes with its next save; another file's stays.
    dir.write("control.apptemp.Ab12Cd", "left by a killed save");
    dir.write("monitor.apptemp.Ab12Cd", "left by a killed save of another file");
    ASSERT_TRUE(ReplaceFileContents(target, "new"));
    EXPECT_EQ(dir.read("control.app"), "new");
    EXPECT_EQ(dir.read("control.apptemp"), "a listed file");
    EXPECT_EQ(dir.read("victim"), "not the program's");
    EXPECT_TRUE(fs::is_symlink(dir.file("control.apptemp.000000")));
    EXPECT_FALSE(fs::exists(dir.file("control.apptemp.Ab12Cd")));
    EXPECT_EQ(dir.fileCount(), 5u);
}

TEST(FileReplace, AFailureNamesTheUsersFileAndSaysWhy)
{
    ScratchDir dir;
    const auto text = [](const ReplaceOutcome& outcome) {
        return ReplaceFailureText(outcome, "control.app", "Unable to open application file %s for writing",
                                  "Unable to write application file %s");
    };
    const std::string folder = dir.file("control.app");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(ReplaceFileContents(folder, "new"));
    EXPECT_EQ(LastReplaceOutcome().step, ReplaceFailure::NotRegular);
    EXPECT_EQ(LastReplaceOutcome().path, folder);
    EXPECT_EQ(text(LastReplaceOutcome()), "Unable to open application file control.app for writing: it is a folder");
    ForgetLastReplaceOutcome();
    EXPECT_TRUE(LastReplaceOutcome().path.empty());
    EXPECT_EQ(text(LastReplaceOutcome()), "");

    EXPECT_EQ(text({ReplaceFailure::WriteTemporary, ENOSPC, "control.app", {}}),
              "Unable to write application file control.app: the disk is full");
    EXPECT_EQ(text({ReplaceFailure::WriteTemporary, EFBIG, "control.app", {}}),
              "Unable to write application file control.app: its new version cannot be written (File too large)");
    EXPECT_EQ(text({ReplaceFailure::Rename, EROFS, "control.app", "control.apptemp.a1b2c3"}),
              "Unable to rename file control.apptemp.a1b2c3 to control.app: the file system is read-only");
    EXPECT_EQ(text({ReplaceFailure::Locked, 0, "control.app", {}}),
              "Unable to write application file control.app: the project is being saved by another program; try "
              "again once that save has ended");

    // A file or a folder the user may not write (root may write any, so this part runs without rights).
    const std::string readOnly = dir.write("monitor.app", "old");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string closed = dir.file("closed");
    ASSERT_EQ(::mkdir(closed.c_str(), 0755), 0);
    const std::string inClosed = dir.write("closed/link.app", "old");
    korvane::testing::OpenFolderToEveryone(dir.path());
    ASSERT_EQ(::chmod(closed.c_str(), 0555), 0);
    const int result = korvane::testing::RunUnprivileged([&] {
        if (ReplaceFileContents(readOnly, "new") || LastReplaceOutcome().step != ReplaceFailure::ReadOnly)
            return 1;
        if (ReplaceFailureText(LastReplaceOutcome(), "monitor.app", "", "") !=
            "Unable to delete old version of file monitor.app: the file is read-only")
            return 2;
        if (ReplaceFileContents(inClosed, "new") || LastReplaceOutcome().step != ReplaceFailure::CreateTemporary)
            return 3;
        return ReplaceFailureText(LastReplaceOutcome(), "link.app", "Can't open file %s", "") ==
                       "Can't open file link.app: its folder " + closed + " does not allow new files (Permission denied)"
                   ? 0
                   : 4;
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(dir.read("monitor.app"), "old");
    EXPECT_EQ(dir.read("closed/link.app"), "old");
}

// A save of several files writes every temporary before it renames the first: a refusal anywhere leaves
// every file as it was, and a commit puts them all in place in the order written.
TEST(FileCommitTest, RenamesNothingUntilEveryFileIsWritten)
{
    ScratchDir dir;
    const std::string first = dir.write("first.app", "old one");
    const std::string second = dir.write("second.app", "old two");
    const std::string folder = dir.file("third.app");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    {
        FileCommit commit;
        EXPECT_TRUE(ReplaceFileContents(first, "new one"));
        EXPECT_TRUE(ReplaceFileContents(second, "new two"));
        EXPECT_EQ(dir.read("first.app"), "old one");
        EXPECT_EQ(namesStartingWith(dir, "first.apptemp.", "").size(), 0u) << "no temporary has a name yet";
        // A file that cannot take its temporary (a folder's) ends the commit unmade.
        EXPECT_FALSE(ReplaceFileContents(folder, "new three"));
    }
    EXPECT_EQ(dir.read("first.app"), "old one");
    EXPECT_EQ(dir.read("second.app"), "old two");
    EXPECT_EQ(dir.fileCount(), 3u) << "no temporary is left";

    FileCommit commit;
    EXPECT_TRUE(ReplaceFileContents(first, "new one"));
    EXPECT_TRUE(ReplaceFileContents(second, "new two"));
    EXPECT_TRUE(ReplaceFileContents(first, "newer one")); // written twice, renamed once
    EXPECT_EQ(dir.fileCount(), 3u);
    EXPECT_TRUE(commit.Commit());
    EXPECT_EQ(dir.read("first.app"), "newer one");
    EXPECT_EQ(dir.read("second.app"), "new two");
    EXPECT_EQ(dir.fileCount(), 3u);
    // After the commit a replace takes effect at once.
    EXPECT_TRUE(ReplaceFileContents(second, "later"));
    EXPECT_EQ(dir.read("second.app"), "later");

    // With fewer descriptors than files, no temporary has a name before the commit either, and the commit
    // puts every file in place.
    rlimit limit {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const auto openNow = static_cast<rlim_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
    rlimit fewer = limit;
    fewer.rlim_cur = openNow + 8;
    std::vector<std::string> many;
    for (int i = 0; i < 40; ++i)
        many.push_back(dir.write("many" + std::to_string(i) + ".app", "old"));
    {
        FileCommit fewerCommit;
        ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &fewer), 0);
        bool written = true;
        for (const std::string& file : many)
            written = ReplaceFileContents(file, "new") && written;
        ::setrlimit(RLIMIT_NOFILE, &limit);
        const std::size_t count = dir.fileCount();
        ::setrlimit(RLIMIT_NOFILE, &fewer);
        const bool committed = fewerCommit.Commit();
        ::setrlimit(RLIMIT_NOFILE, &limit);
        EXPECT_TRUE(written);
        EXPECT_EQ(count, 43u) << "a temporary had a name before the commit";
        EXPECT_TRUE(committed);
    }
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(dir.read("many" + std::to_string(i) + ".app"), "new") << i;
    EXPECT_EQ(dir.fileCount(), 43u);
}

// A rename that fails after others were made puts every file back: the old files (the same files, by
// inode) at their names, a file the commit created gone, no temporary left.
TEST(FileCommitTest, ARenameFailingMidwayPutsBackWhatWasReplaced)
{
    ScratchDir dir;
    const std::string first = dir.write("first.app", "old one");
    const std::string created = dir.file("created.app");
    const std::string second = dir.write("second.app", "old two");
    const std::string third = dir.write("third.app", "old three");
    const ino_t firstInode = inodeOf(first);
    const ino_t secondInode = inodeOf(second);
    FileCommit commit;
    for (const std::string& file : {first, created, second, third})
        ASSERT_TRUE(ReplaceFileContents(file, "new"));
    // The third file's temporary goes away once named, before the commit renames it.
    ASSERT_TRUE(commit.nameHeld());
    const auto temporaries = namesStartingWith(dir, "third.apptemp.", "");
    ASSERT_EQ(temporaries.size(), 1u);
    ASSERT_EQ(::unlink(dir.file(temporaries[0]).c_str()), 0);
    EXPECT_FALSE(commit.Commit());
    EXPECT_EQ(commit.failedFile(), third);
    EXPECT_EQ(LastReplaceOutcome().step, ReplaceFailure::Rename);
    EXPECT_EQ(LastReplaceOutcome().systemError, ENOENT);
    EXPECT_EQ(dir.read("first.app"), "old one");
    EXPECT_EQ(dir.read("second.app"), "old two");
    EXPECT_EQ(dir.read("third.app"), "old three");
    EXPECT_EQ(inodeOf(first), firstInode);
    EXPECT_EQ(inodeOf(second), secondInode);
    EXPECT_FALSE(fs::exists(created));
    EXPECT_EQ(dir.fileCount(), 3u);
}

// Another save that holds the folder (here the test, as another program would) is waited for; when it
// holds the folder longer than a save waits, the save fails without writing anything, and succeeds once
// the folder is free. A save of several files in one folder holds it once.
TEST(SaveLock, ASaveWaitsForAnotherSaveOfTheFolderAndGivesUpAfterTheWait)
{
    ScratchDir dir;
    const std::string target = dir.write("control.app", "old");
    const int folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_GE(folder, 0);
    ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    const auto wait = SetSaveLockWait(std::chrono::milliseconds(0));
    EXPECT_FALSE(ReplaceFileContents(target, "new"));
    EXPECT_EQ(LastReplaceOutcome().step, ReplaceFailure::Locked);
    {
        FileCommit commit;
        EXPECT_FALSE(ReplaceFileContents(target, "new"));
    }
    EXPECT_EQ(dir.read("control.app"), "old");
    EXPECT_EQ(dir.fileCount(), 1u);
    ASSERT_EQ(::flock(folder, LOCK_UN), 0);
    {
        FileCommit commit;
        EXPECT_TRUE(ReplaceFileContents(target, "new"));
        EXPECT_TRUE(ReplaceFileContents(dir.file("monitor.app"), "new"));
        // Held by the commit until it ends: another holder is refused meanwhile.
        EXPECT_NE(::flock(folder, LOCK_EX | LOCK_NB), 0);
        EXPECT_TRUE(commit.Commit());
    }
    EXPECT_EQ(::flock(folder, LOCK_EX | LOCK_NB), 0);
    ::close(folder);
    EXPECT_EQ(dir.read("control.app"), "new");
    EXPECT_EQ(dir.read("monitor.app"), "new");

    // Two saves sharing two folders, each naming them in its own order, never each hold one that the other
    // waits for: both end saved.
    SetSaveLockWait(std::chrono::milliseconds(3000));
    fs::create_directories(dir.file("one"));
    fs::create_directories(dir.file("two"));
    const std::string inOne = dir.write("one/a.app", "old");
    const std::string inTwo = dir.write("two/b.app", "old");
    for (int round = 0; round < 30; ++round) {
        bool saved[2] = {false, false};
        const auto save = [](std::vector<std::string> files, bool& ok) {
            FileCommit commit;
            ok = commit.lockFoldersOf(files) && ReplaceFileContents(files[0], "new") &&
                 ReplaceFileContents(files[1], "new") && commit.Commit();
        };
        std::thread first(save, std::vector<std::string>{inOne, inTwo}, std::ref(saved[0]));
        std::thread second(save, std::vector<std::string>{inTwo, inOne}, std::ref(saved[1]));
        first.join();
        second.join();
        ASSERT_TRUE(saved[0] && saved[1]) << "round " << round;
    }
    SetSaveLockWait(wait);
}

} // namespace
} // namespace engine
