#include "platform/core/tests/run_unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>

namespace {

// The mechanism other suites rely on for read-only cases: the child must really lose the right to write.
TEST(RunUnprivileged, ChildCannotWriteAFileWithoutWritePermission)
{
    char pattern[] = "/tmp/korvane-unpriv-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const std::filesystem::path folder = pattern;
    const std::filesystem::path file = folder / "locked.txt";
    std::ofstream(file) << "old";
    ::chmod(file.c_str(), 0444);
    korvane::testing::OpenFolderToEveryone(folder);

    EXPECT_EQ(korvane::testing::RunUnprivileged([&] { return ::access(file.c_str(), W_OK) == 0 ? 1 : 0; }), 0);
    EXPECT_EQ(korvane::testing::RunUnprivileged([&] { return ::access(file.c_str(), R_OK) == 0 ? 0 : 1; }), 0);
    EXPECT_EQ(korvane::testing::RunUnprivileged([] { return 7; }), 7);
    std::filesystem::remove_all(folder);
}

// A wait that fails for good (here: the child is reaped by the system, as SIGCHLD is ignored) gives -1
// instead of waiting again for ever.
TEST(RunUnprivileged, AWaitThatCannotSucceedGivesMinusOne)
{
    void (*old)(int) = std::signal(SIGCHLD, SIG_IGN);
    const int result = korvane::testing::RunUnprivileged([] { return 3; });
    std::signal(SIGCHLD, old);
    EXPECT_EQ(result, -1);
}

} // namespace
