#include "platform/core/profile_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Points XDG_CONFIG_HOME at a fresh folder for the test's lifetime.
class ProfileStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/profile_test.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
        const char* old = std::getenv("XDG_CONFIG_HOME");
        m_hadOld = old != nullptr;
        if (old)
            m_old = old;
        setenv("XDG_CONFIG_HOME", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        if (m_hadOld)
            setenv("XDG_CONFIG_HOME", m_old.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        const std::string command = "rm -rf '" + m_dir + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static std::string readAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string m_dir;
    std::string m_old;
    bool m_hadOld = false;
};

TEST_F(ProfileStoreTest, KeysMapToFilesUnderTheConfigFolder)
{
    EXPECT_EQ(ProfileStore::pathForKey("Korvane Systems, Inc.\\OMBA Korvane 1.0\\OMBAgen"),
              m_dir + "/Korvane Systems, Inc./OMBA Korvane 1.0/OMBAgen.ini");
    // The registry form with "Software" names the same file; unsafe parts are neutralised.
    EXPECT_EQ(ProfileStore::pathForKey("Software\\A\\B"), ProfileStore::pathForKey("A\\B"));
    EXPECT_EQ(ProfileStore::pathForKey("..\\a/b\\\\.\\c"), m_dir + "/a_b/c.ini");
    EXPECT_EQ(ProfileStore::pathForKey(""), "");
    EXPECT_EQ(ProfileStore::pathForKey("Software"), "");

    unsetenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(ProfileStore::configHome(), std::string(home) + "/.config");
}

TEST_F(ProfileStoreTest, ValuesRoundTripThroughTheFile)
{
    const std::string path = ProfileStore::pathForKey("Maker\\Product\\App");
    {
        ProfileStore store(path);
        EXPECT_TRUE(store.isRegistryBacked());
        EXPECT_TRUE(store.writeString("Recent File List", "File1", "/home/u/a \"b\"\\c\nd\x01.omb"));
        EXPECT_TRUE(store.writeInt("WindowPositions\\ID=0x000000cc", "Left", -1));
        EXPECT_TRUE(store.writeInt("WindowPositions\\ID=0x000000cc", "(valid)", 1));
        EXPECT_TRUE(store.writeBinary("Window Position", "", {0x2c, 0, 0, 0, 0xff}));
        EXPECT_TRUE(store.writeBinary("Window Position", "ID=0x00000066", {}));
        EXPECT_TRUE(store.writeString("Latin", "x", "caf\xe9"));
    }
    ProfileStore again(path);
    EXPECT_EQ(again.getString("Recent File List", "File1"), "/home/u/a \"b\"\\c\nd\x01.omb");
    EXPECT_EQ(again.getInt("WindowPositions\\ID=0x000000cc", "Left"), -1);
    EXPECT_EQ(again.getInt("windowpositions\\id=0x000000CC", "(VALID)"), 1);
    EXPECT_EQ(again.getBinary("Window Position", ""), (ProfileBytes{0x2c, 0, 0, 0, 0xff}));
    EXPECT_EQ(again.getBinary("Window Position", "ID=0x00000066"), ProfileBytes{});
    EXPECT_EQ(again.getString("Latin", "x"), "caf\xe9");
    // A value of another type, or a missing one, reads as absent.
    EXPECT_FALSE(again.getString("WindowPositions\\ID=0x000000cc", "Left"));
    EXPECT_FALSE(again.getInt("Recent File List", "File2"));
    EXPECT_EQ(again.getInt("Recent File List", "File2", 7), 7);
    EXPECT_EQ(again.getString("Nope", "x", "d"), "d");
    EXPECT_EQ(again.entries("Window Position"), (std::vector<std::string>{"", "ID=0x00000066"}));

    // The empty name is written as "@", the section name literally with its backslash.
    const std::string text = readAll(path);
    EXPECT_NE(text.find("[WindowPositions\\ID=0x000000cc]\n"), std::string::npos);
    EXPECT_NE(text.find("@=hex:2c,00,00,00,ff\n"), std::string::npos);
    EXPECT_NE(text.find("\"Left\"=dword:ffffffff\n"), std::string::npos);
    struct stat st {};
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileStoreTest, DeletingAndReplacingKeepsOtherValues)
{
    const std::string path = ProfileStore::pathForKey("M\\P");
    ProfileStore store(path);
    ASSERT_TRUE(store.writeString("S", "a", "1"));
    ASSERT_TRUE(store.writeString("S", "b", "2"));
    ASSERT_TRUE(store.writeInt("S", "A", 5)); // replaces "a", changing its type
    EXPECT_TRUE(store.deleteEntry("S", "b"));
    EXPECT_TRUE(store.deleteEntry("S", "missing"));
    ProfileStore again(path);
    EXPECT_EQ(again.getInt("S", "a"), 5);
    EXPECT_FALSE(again.getString("S", "b"));
    ASSERT_TRUE(again.deleteEntry("S", "a"));
    again.reload();
    EXPECT_TRUE(again.sections().empty());
}

TEST_F(ProfileStoreTest, AFailedSaveReportsAndKeepsTheOldState)
{
    // The folder that should hold the file is a plain file, so nothing can be saved there.
    const std::string blocker = m_dir + "/blocked";
    std::ofstream(blocker) << "x";
    ProfileStore store(blocker + "/p.ini");
    EXPECT_FALSE(store.writeInt("S", "v", 1));
    EXPECT_FALSE(store.getInt("S", "v"));
    EXPECT_FALSE(store.writeString("bad\nsection", "v", "x"));

    // A memory-only store accepts writes but is not a persistent store.
    ProfileStore memory("");
    EXPECT_FALSE(memory.isRegistryBacked());
    EXPECT_TRUE(memory.writeInt("S", "v", 3));
    EXPECT_EQ(memory.getInt("S", "v"), 3);
}

TEST(ProfileTextTest, DamagedLinesAreSkippedAndTheRestKept)
{
    const std::string text =
        "garbage before any section\n"
        "[A]\r\n"
        "\"ok\"=\"v\"\r\n"
        "\"unterminated=\"x\n"
        "\"badhex\"=hex:0g\n"
        "\"trailingcomma\"=hex:01,\n"
        "\"toolong\"=dword:123456789\n"
        "\"escape\"=\"a\\x4\"\n"
        "@=dword:2a\n"
        "[broken\n"
        "\"lost\"=\"x\"\n"
        "[a]\n"
        "\"second\"=hex:\n";
    const std::vector<ProfileSection> sections = parseProfileText(text);
    ASSERT_EQ(sections.size(), 1u);
    ASSERT_EQ(sections[0].values.size(), 3u);
    EXPECT_EQ(sections[0].values[0].first, "ok");
    EXPECT_EQ(sections[0].values[1].first, "");
    EXPECT_EQ(sections[0].values[1].second.number, 42);
    EXPECT_EQ(sections[0].values[2].first, "second");
    EXPECT_TRUE(sections[0].values[2].second.bytes.empty());

    const std::optional<std::string> again = formatProfileText(sections);
    ASSERT_TRUE(again);
    EXPECT_EQ(formatProfileText(parseProfileText(*again)), again);
}

TEST(ApplicationProfileTest, InstallAndRestore)
{
    ProfileStore memory("");
    ProfileStore other("");
    Profile* previous = setApplicationProfile(&memory);
    EXPECT_EQ(applicationProfile(), &memory);
    {
        ScopedApplicationProfile scoped(&other);
        EXPECT_EQ(applicationProfile(), &other);
    }
    EXPECT_EQ(setApplicationProfile(previous), &memory);
}

} // namespace
} // namespace platform
