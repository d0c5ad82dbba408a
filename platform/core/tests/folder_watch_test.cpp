#include "platform/core/folder_watch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

class ScratchFolder {
public:
    ScratchFolder()
    {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/folder_watch_XXXXXX";
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~ScratchFolder()
    {
        if (!m_path.empty())
            std::system(("rm -rf '" + m_path + "'").c_str());
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

// Waits until the watch has something to take: the system says so on its descriptor.
bool changesWait(const FolderWatch& watch)
{
    pollfd ready{watch.Descriptor(), POLLIN, 0};
    return ::poll(&ready, 1, 10000) == 1;
}

// A folder is watched by its own bytes, a name that does not decode as much as any other: what comes,
// goes or is renamed in it is reported once per folder, and a folder that goes is no longer watched.
TEST(FolderWatch, FoldersAreWatchedByTheirBytesWhateverTheirNames)
{
    ScratchFolder scratch;
    ASSERT_FALSE(scratch.path().empty());
    const std::string odd = scratch.path() + "/nf_\xff\xfe";
    const std::string plain = scratch.path() + "/caf\xc3\xa9";
    ASSERT_EQ(::mkdir(odd.c_str(), 0700), 0);
    ASSERT_EQ(::mkdir(plain.c_str(), 0700), 0);

    FolderWatch watch;
    ASSERT_GE(watch.Descriptor(), 0);
    ASSERT_TRUE(watch.Add(odd));
    ASSERT_TRUE(watch.Add(plain));
    EXPECT_TRUE(watch.Watching(odd));
    EXPECT_TRUE(watch.TakeChanged().empty());

    ASSERT_EQ(::mkdir((odd + "/sub").c_str(), 0700), 0);
    ASSERT_EQ(::rename((odd + "/sub").c_str(), (odd + "/sub2").c_str()), 0);
    ASSERT_TRUE(changesWait(watch));
    EXPECT_EQ(watch.TakeChanged(), std::vector<std::string>{odd});

    ASSERT_EQ(::mkdir((plain + "/x").c_str(), 0700), 0);
    ASSERT_EQ(::rmdir((odd + "/sub2").c_str()), 0);
    ASSERT_TRUE(changesWait(watch));
    EXPECT_EQ(watch.TakeChanged(), (std::vector<std::string>{plain, odd}));

    // A folder that is not watched any more reports nothing; a folder that went is dropped.
    watch.Remove(plain);
    EXPECT_FALSE(watch.Watching(plain));
    ASSERT_EQ(::rmdir((plain + "/x").c_str()), 0);
    ASSERT_EQ(::rmdir(odd.c_str()), 0);
    ASSERT_TRUE(changesWait(watch));
    EXPECT_EQ(watch.TakeChanged(), std::vector<std::string>{odd});
    EXPECT_FALSE(watch.Watching(odd));
    EXPECT_FALSE(watch.Add(odd));
    EXPECT_FALSE(watch.Add(scratch.path() + "/missing"));
}

} // namespace
} // namespace platform
