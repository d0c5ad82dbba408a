#include "platform/core/tests/run_unprivileged.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

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

} // namespace
