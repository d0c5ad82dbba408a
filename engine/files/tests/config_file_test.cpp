#include "engine/files/tests/files_fixture.h"

namespace engine {
namespace {

using ConfigFileTest = engine::testing::FilesTest;

TEST_F(ConfigFileTest, ReadsModelsGeneralAndScriptsFromTheProgramFolder)
{
    dir.write("ombagen.cfg", "[MODELS]\r\nZ5 Standard=models\\z5std.mdl\r\nZ5 MP = models/z5mp.mde ; enciphered\n"
                             "[GENERAL]\r\nHelp File=Docs\\Manual.pdf\r\n"
                             "[SCRIPTS]\r\n List = ls -l \r\nNo command=\r\n=no name\r\n");
    ASSERT_TRUE(ConfigFile::Read(config));
    EXPECT_EQ(config.configFile->GetPath(), dir.file("ombagen.cfg"));
    ASSERT_EQ(config.modelCount, 2);
    EXPECT_EQ(textOf(config.models[0].name), "Z5 Standard");
    EXPECT_EQ(textOf(config.models[0].path), "models/z5std.mdl");
    EXPECT_EQ(textOf(config.models[1].name), "Z5 MP");
    EXPECT_EQ(textOf(config.models[1].path), " models/z5mp.mde");
    EXPECT_EQ(textOf(config.helpFile), "Docs/Manual.pdf");
    EXPECT_EQ(textOf(config.releaseNotesFile), "Help/OMBAgenReleaseNotes.htm");
    ASSERT_EQ(config.scriptCount, 1);
    EXPECT_EQ(textOf(config.scripts[0].name), "List");
    EXPECT_EQ(textOf(config.scripts[0].command), "ls -l");
    ASSERT_NE(config.configFile, nullptr);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ConfigFileTest, FailuresGiveTheirMessageAndAnEmptyRecord)
{
    struct Case {
        const char* text; // null: no file at all
        std::string message;
    };
    const Case cases[] = {
        {nullptr, "Unable to open configuration file " + dir.file("ombagen.cfg") + " for reading"},
        {"", "No models defined in configuration file"},
        {"[MODELS]\r\n[GENERAL]\r\n", "No models defined in configuration file"},
        {"[models]\nA=a.mdl\n[General]\nRelease Notes=x\n", ""},
    };
    for (const Case& c : cases) {
        messages->clear();
        std::remove(dir.file("ombagen.cfg").c_str());
        if (c.text)
            dir.write("ombagen.cfg", c.text);
        const bool ok = ConfigFile::Read(config);
        EXPECT_EQ(ok, c.message.empty()) << (c.text ? c.text : "(missing)");
        if (c.message.empty())
            continue;
        EXPECT_EQ(Messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(messages->boxes().back().caption, "OMBAgen");
        EXPECT_EQ(config.modelCount, 0);
        EXPECT_EQ(config.models, nullptr);
        EXPECT_EQ(config.scriptCount, 0);
    }
}

// Without "GENERAL" the read fails with its message, but the models read before it stay, so a project that
// names one can still be opened; no scripts are read.
TEST_F(ConfigFileTest, AMissingGeneralSectionKeepsTheModels)
{
    dir.write("ombagen.cfg", "[MODELS]\r\nA=a.mdl\r\nB=b.mdl\r\n[SCRIPTS]\r\nList=ls\r\n");
    EXPECT_FALSE(ConfigFile::Read(config));
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to locate required section \"GENERAL\" in configuration file"});
    ASSERT_EQ(config.modelCount, 2);
    EXPECT_STREQ(config.models[0].name, "A");
    EXPECT_STREQ(config.models[1].path, "b.mdl");
    EXPECT_EQ(config.scriptCount, 0);
    EXPECT_EQ(config.scripts, nullptr);
}

TEST_F(ConfigFileTest, OverlongNamesAndPathsAreRefusedNotCut)
{
    const std::string longName(128, 'n');
    dir.write("ombagen.cfg", "[MODELS]\r\n" + longName + "=a.mdl\r\n[GENERAL]\r\n");
    EXPECT_FALSE(ConfigFile::Read(config));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("longer than 127"), std::string::npos);

    messages->clear();
    dir.write("ombagen.cfg", "[MODELS]\r\nA=" + std::string(260, 'p') + "\r\n[GENERAL]\r\n");
    EXPECT_FALSE(ConfigFile::Read(config));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].find("longer than 259"), std::string::npos);

    messages->clear();
    const std::string longest = "[MODELS]\r\n" + std::string(127, 'n') + "=" + std::string(259, 'p') +
                                "\r\n[GENERAL]\r\n[SCRIPTS]\r\n";
    dir.write("ombagen.cfg", longest + std::string(127, 's') + "=" + std::string(1023, 'c'));
    ASSERT_TRUE(ConfigFile::Read(config));
    EXPECT_EQ(textOf(config.models[0].name).size(), 127u);
    EXPECT_EQ(textOf(config.models[0].path).size(), 259u);
    ASSERT_EQ(config.scriptCount, 1);
    EXPECT_EQ(textOf(config.scripts[0].name).size(), 127u);
    EXPECT_EQ(textOf(config.scripts[0].command).size(), 1023u);

    // A script name or command longer than its field is refused, never cut.
    for (const auto& [script, limit] : {std::pair{std::string(128, 's') + "=c", "longer than 127"},
                                        std::pair{"s=" + std::string(1024, 'c'), "longer than 1023"}}) {
        messages->clear();
        dir.write("ombagen.cfg", longest + script);
        EXPECT_FALSE(ConfigFile::Read(config));
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_NE(Messages()[0].find(limit), std::string::npos) << Messages()[0];
    }
}

TEST_F(ConfigFileTest, ResetAndFreeLeaveAnEmptyRecord)
{
    const std::string elsewhere = dir.write("other.cfg", "[MODELS]\r\nA=a.mdl\r\n[GENERAL]\r\n[SCRIPTS]\r\nx=y\r\n");
    ASSERT_TRUE(ConfigFile::Read(config, elsewhere)); // a full path is taken as it stands
    EXPECT_EQ(config.scriptCount, 1);
    ConfigFile::ResetConfigRecord(config);
    EXPECT_EQ(config.modelCount, 0);
    EXPECT_EQ(config.models, nullptr);
    EXPECT_EQ(config.scripts, nullptr);
    EXPECT_EQ(config.configFile, nullptr);
    ConfigFile::FreeConfigRecord(config); // a second free is harmless
}

TEST_F(ConfigFileTest, TruncatedAndCorruptedFilesNeverCrash)
{
    const std::string good = "[MODELS]\r\nZ5=models\\z5.mdl\r\n[GENERAL]\r\nHelp File=h.pdf\r\n[SCRIPTS]\r\nx=y\r\n";
    for (std::size_t cut = 0; cut <= good.size(); ++cut) {
        dir.write("ombagen.cfg", good.substr(0, cut));
        messages->clear();
        if (ConfigFile::Read(config)) {
            EXPECT_GT(config.modelCount, 0);
        } else if (!Messages().empty() && Messages().back().find("\"GENERAL\"") != std::string::npos) {
            EXPECT_EQ(config.modelCount, 1) << "the models read before a missing GENERAL stay";
        } else {
            EXPECT_EQ(config.modelCount, 0);
        }
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(bad[at] ^ 0x5a);
        dir.write("ombagen.cfg", bad);
        ConfigFile::Read(config);
    }
}

} // namespace
} // namespace engine
