#include "engine/usertext/user_text_store.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/records/counted_array.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {
namespace {

const char* const kTags[] = {"LVL", "THRD", "EXC", "ES", "CNTR", "ALRM", "PIPE",
                             "TASK", "SEMA", "QUE", "MBOX", "PART", "MUTX", "SS"};

// A kernel record with the classes of the given numbers, tagged as the demo model tags them.
struct Kernel {
    KernelRecord record{};
    explicit Kernel(std::vector<int32_t> types)
    {
        for (int32_t type : types) {
            KernelClassRecord* row = appendRow(record.classCount, record.classes);
            row->classType = type;
            setText(row->tag, kTags[type - 1]);
        }
    }
    ~Kernel() { freeRows(record.classCount, record.classes); }
};

std::vector<int32_t> allClasses()
{
    std::vector<int32_t> types;
    for (int32_t t = 1; t <= 14; ++t)
        types.push_back(t);
    return types;
}

std::vector<std::string> blockSummary(const UserTextStore& store)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < store.blockCount(); ++i)
        out.push_back(std::to_string(store.block(i).kind) + " " + store.block(i).sectionName(0));
    return out;
}

TEST(UserTextStore, BuildsProjectFilesThenThreeFilesPerKernelClass)
{
    Kernel kernel(allClasses());
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);

    // 9 project-level files, then 13 classes (Special Service has no files) with three files each.
    ASSERT_EQ(store.blockCount(), 9u + 13u * 3u);
    const std::vector<std::string> summary = blockSummary(store);
    const std::vector<std::string> head(summary.begin(), summary.begin() + 12);
    EXPECT_EQ(head, (std::vector<std::string>{
                        "0 kproject.c_user_incl", "0 kproject.h_user_incl", "0 koptions.h_user_incl",
                        "0 koptions.inc_user_incl", "0 aoptions.h_user_incl", "0 aoptions.inc_user_incl",
                        "0 i2symbol.c_user_incl", "0 kmpinfo.h_user_incl", "3 uexcptn.asm_user_incl",
                        "1 klvl.c_user_incl", "1 klvl.h_user_incl", "1 klvl.inc_user_incl"}));
    EXPECT_EQ(summary.back(), "13 kmutx.inc_user_incl");
    EXPECT_EQ(store.block(6).flags[3], 1);  // i2symbol
    EXPECT_EQ(store.block(7).flags[4], 1);  // kmpinfo
    EXPECT_EQ(store.block(8).flags[2], 1);  // uexcptn
    EXPECT_EQ(store.block(9).sectionName(1), "klvl.c_rev_top");
    EXPECT_EQ(store.block(9).sectionName(2), "klvl.c_rev_bot");
    EXPECT_EQ(store.SectionNames().size(), 144u);
}

TEST(UserTextStore, ClassesMissingFromTheKernelGetNoFiles)
{
    Kernel kernel({1, 2, 8});
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);
    ASSERT_EQ(store.blockCount(), 9u + 3u * 3u);
    for (std::size_t i = 9; i < store.blockCount(); ++i)
        EXPECT_TRUE(store.block(i).kind == 1 || store.block(i).kind == 2 || store.block(i).kind == 8);
}

TEST(UserTextStore, LinesSurviveSaveWriteReadAndLoad)
{
    Kernel kernel(allClasses());
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);
    const std::vector<std::string> awkward = {
        "#include \"board.h\"",       "  indented; with a semicolon", "// a line comment",
        "/* block */ after",          "trailing blank ",              "back\\slash and 'quotes'",
        "caf\xe9" "a and \x01" "abc", "",                             "0x41 http://example",
    };
    store.block(0).include = awkward;
    store.block(9).revisionTop = {"top"};
    store.block(store.blockCount() - 1).revisionBottom = {"last", "lines"};

    SectionedFile out("", true);
    ASSERT_TRUE(store.Save(out));
    EXPECT_EQ(out.GetSectionCount(), 144u);  // empty blocks are written too

    SectionedFile in;
    in.ParseSectionedText(out.ToText());
    UserTextStore loaded(&app, kernel.record, false);
    loaded.Load(in);
    EXPECT_EQ(loaded.block(0).include, awkward);
    EXPECT_TRUE(loaded.Equals(store));
}

TEST(UserTextStore, LoadStopsAtTheFirstMissingLineAndEmptiesOldLines)
{
    Kernel kernel({1});
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);
    store.block(1).include = {"stale"};
    SectionedFile in;
    in.ParseSectionedText("[kproject.c_rev_top]\r\n0=first\r\n1=second\r\n3=after the gap\r\n");
    store.Load(in);
    EXPECT_EQ(store.block(0).revisionTop, (std::vector<std::string>{"first", "second"}));
    EXPECT_TRUE(store.block(1).include.empty());
}

TEST(UserTextStore, SaveRefusesASectionThatIsAlreadyInTheFile)
{
    Kernel kernel({1});
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);
    SectionedFile out("", true);
    out.AddSection("klvl.h_rev_bot");
    EXPECT_FALSE(store.Save(out));
}

TEST(UserTextStore, CopiesCompareEqualUntilOneLineDiffers)
{
    Kernel kernel(allClasses());
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);
    store.block(20).include = {"a", "b"};
    UserTextStore copy(store);
    EXPECT_EQ(copy.owner(), &app);
    EXPECT_TRUE(copy.Equals(store));
    copy.block(20).include[1] = "c";
    EXPECT_TRUE(copy.Differs(store));
    copy.block(20).include[1] = "b";
    copy.block(20).flags[4] = 1;
    EXPECT_TRUE(copy.Differs(store));

    Kernel fewer({1});
    UserTextStore smaller(&app, fewer.record, false);
    EXPECT_TRUE(smaller.Differs(store));
    EXPECT_TRUE(UserTextStore(&app).Equals(UserTextStore(&app)));
}

TEST(UserTextStore, IterationVisitsEveryBlockInOrder)
{
    Kernel kernel({4});
    ApplicationRecord app{};
    UserTextStore store(&app, kernel.record, false);
    std::vector<const UserTextBlock*> seen;
    for (std::size_t position = store.GetStartPosition(); position != 0;)
        seen.push_back(store.Lookup(position));
    ASSERT_EQ(seen.size(), store.blockCount());
    EXPECT_EQ(seen.back(), &store.block(store.blockCount() - 1));
    EXPECT_EQ(UserTextStore(&app).GetStartPosition(), 0u);
}

TEST(UserTextStore, FileLabelsUseTheApplicationsExtensions)
{
    Kernel kernel({1});
    ApplicationRecord app{};
    setText(app.cSourceExtension, "cpp");
    setText(app.cHeaderExtension, "hpp");
    setText(app.asmSourceExtension, "s");
    setText(app.asmHeaderExtension, "i");
    UserTextStore store(&app, kernel.record, false);
    EXPECT_EQ(store.GetUserTextFileName(store.block(0)), "kproject.cpp");
    EXPECT_EQ(store.GetUserTextFileName(store.block(1)), "kproject.hpp");
    EXPECT_EQ(store.GetUserTextFileName(store.block(8)), "uexcptn.s");
    EXPECT_EQ(store.GetUserTextFileName(store.block(11)), "klvl.i");
}

TEST(UserTextStore, EditingGoesThroughTheInstalledEditor)
{
    Kernel kernel({1});
    ApplicationRecord app{};
    setText(app.cSourceExtension, "c");
    UserTextStore store(&app, kernel.record, false);
    EXPECT_EQ(store.EditTextForFile(store.block(0)), 2);  // no editor: Cancel

    std::string title;
    EditTextHandler previous = SetEditTextHandler(
        [&](const std::string& t, std::vector<std::string>& top, std::vector<std::string>& include,
            std::vector<std::string>& bottom) {
            title = t;
            top = {"top"};
            include = {"incl"};
            bottom = {"bottom"};
            return 1;
        });
    EXPECT_EQ(store.EditTextForFile(store.block(0)), 1);
    SetEditTextHandler(previous);
    EXPECT_EQ(title, "Edit text for file kproject.c");
    EXPECT_EQ(store.block(0).revisionTop, std::vector<std::string>{"top"});
    EXPECT_EQ(store.block(0).include, std::vector<std::string>{"incl"});
    EXPECT_EQ(store.block(0).revisionBottom, std::vector<std::string>{"bottom"});
}

TEST(UserTextStore, OwnersFollowTheApplicationArrayWhenItMoves)
{
    Kernel kernel({1});
    CpuRecord cpu{};
    cpu.applications = static_cast<ApplicationRecord*>(std::calloc(1, sizeof(ApplicationRecord)));
    cpu.applicationCount = 1;
    cpu.applications[0].userTexts = new UserTextStore(&cpu.applications[0], kernel.record, false);

    auto* grown = static_cast<ApplicationRecord*>(std::calloc(4, sizeof(ApplicationRecord)));
    std::memcpy(grown, cpu.applications, sizeof(ApplicationRecord));
    std::free(cpu.applications);
    cpu.applications = grown;
    cpu.applicationCount = 4;
    RepointUserTextOwners(cpu);
    EXPECT_EQ(cpu.applications[0].userTexts->owner(), &cpu.applications[0]);

    delete cpu.applications[0].userTexts;
    std::free(cpu.applications);
}

}  // namespace
}  // namespace engine
