#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

#include "engine/footprint/structure_size.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {
namespace {

const char kTypes[] = "[Types]\n"
                      "NumberOfTypes=6\n"
                      "Type_1_Name=char\nType_1_Size=1\n"
                      "Type_2_Name=short\nType_2_Size=2\n"
                      "Type_3_Name=int\nType_3_Size=0x4\n"
                      "Type_4_Name=PTR\nType_4_Size=int\n"
                      "Type_5_Name=HDR\nType_5_IsStruct=1\n"
                      "Type_6_Name=HDRCOPY\nType_6_Size=HDR\n";

// Reads the tables of a model text made of kTypes and the given structure sections.
class StructureSizeTest : public ::testing::Test {
protected:
    bool Load(const std::string& structures, const std::string& types = kTypes)
    {
        SectionedFile model;
        model.ParseSectionedText(types + structures);
        messages.clear();
        return ReadModelTables(model, tables, [this](const std::string& text) { messages.push_back(text); });
    }

    StructureSizer Sizer(int32_t alignment)
    {
        return StructureSizer(
            tables, alignment,
            [this](std::string_view text) {
                const auto it = symbols.find(std::string(text));
                return it == symbols.end() ? 0u : it->second;
            },
            [this](const std::string& text) { messages.push_back(text); });
    }

    ModelTables tables;
    std::map<std::string, uint32_t> symbols{{"YES", 1}, {"NO", 0}, {"THREE", 3}};
    std::vector<std::string> messages;
};

const char kMixed[] = "[Structures]\nNumberOfStructures=2\nStructure_1_Name=HDR\nStructure_2_Name=REC\n"
                      "[Structure_HDR]\nNumberOfMembers=2\nMember_1_Type=char\nMember_2_Type=int\n"
                      "[Structure_REC]\nNumberOfMembers=5\n"
                      "Member_1_Type=char\n"
                      "Member_2_Type=short\nMember_2_Elements=THREE\n"
                      "Member_3_Type=int\nMember_3_Needs=NO\n"
                      "Member_4_Type=PTR\nMember_4_Needs=YES\n"
                      "Member_5_Type=HDRCOPY\nMember_5_Elements=NO\n";

TEST_F(StructureSizeTest, MembersAreAlignedToTheModelsAlignment)
{
    ASSERT_TRUE(Load(kMixed)) << messages.front();
    StructureSizer sizer = Sizer(4);
    // HDR: char at 0, int at 4 -> 8.
    EXPECT_EQ(sizer.StructureSize("HDR"), 8u);
    // REC: char 0; short[3] at 2 (6 bytes); int skipped; PTR at 8; HDRCOPY (8 bytes, one element) at 12
    // aligned to min(8, 4) -> 12; total 20, rounded to min(8, 4).
    EXPECT_EQ(sizer.StructureSize("REC"), 20u);
    const std::vector<MemberPlacement> layout = sizer.Layout("REC");
    ASSERT_EQ(layout.size(), 5u);
    EXPECT_EQ(layout[1].offset, 2u);
    EXPECT_EQ(layout[1].size, 6u);
    EXPECT_FALSE(layout[2].present);
    EXPECT_EQ(layout[3].offset, 8u);
    EXPECT_EQ(layout[4].offset, 12u);
    EXPECT_EQ(layout[4].size, 8u);
    EXPECT_EQ(sizer.TypeSize("PTR"), 4u);     // copied from int
    EXPECT_EQ(sizer.TypeSize("HDRCOPY"), 8u); // copied from a structure type
    EXPECT_EQ(sizer.TypeSize("nothing"), 0u);
    EXPECT_EQ(sizer.StructureSize("nothing"), 0u);
    EXPECT_TRUE(messages.empty());
}

TEST_F(StructureSizeTest, AlignmentZeroOrOneMovesNothing)
{
    ASSERT_TRUE(Load(kMixed));
    for (int32_t alignment : {0, 1, -4}) {
        StructureSizer sizer = Sizer(alignment);
        EXPECT_EQ(sizer.StructureSize("HDR"), 5u) << alignment;
        EXPECT_EQ(sizer.StructureSize("REC"), 1u + 6u + 4u + 5u) << alignment;
    }
    StructureSizer wide = Sizer(2);
    EXPECT_EQ(wide.StructureSize("HDR"), 6u); // int at 2, total rounded to 2
}

TEST_F(StructureSizeTest, FailedConditionsGiveSizeZero)
{
    ASSERT_TRUE(Load("[Structures]\nNumberOfStructures=2\nStructure_1_Name=EMPTY\nStructure_2_Name=GATED\n"
                     "Structure_2_Needs=NO\n"
                     "[Structure_EMPTY]\nNumberOfMembers=2\nMember_1_Type=int\nMember_1_Needs=NO\n"
                     "Member_2_Type=char\nMember_2_Needs=NO || NO\n"
                     "[Structure_GATED]\nNumberOfMembers=1\nMember_1_Type=int\n"));
    StructureSizer sizer = Sizer(4);
    EXPECT_EQ(sizer.StructureSize("EMPTY"), 0u);
    EXPECT_EQ(sizer.StructureSize("GATED"), 0u);
}

TEST_F(StructureSizeTest, CyclesStopWithOneMessage)
{
    ASSERT_TRUE(Load("[Structures]\nNumberOfStructures=3\nStructure_1_Name=A\nStructure_2_Name=B\n"
                     "Structure_3_Name=SELF\n"
                     "[Structure_A]\nNumberOfMembers=2\nMember_1_Type=int\nMember_2_Type=B\n"
                     "[Structure_B]\nNumberOfMembers=2\nMember_1_Type=char\nMember_2_Type=A\n"
                     "[Structure_SELF]\nNumberOfMembers=2\nMember_1_Type=SELF\nMember_1_Elements=THREE\n"
                     "Member_2_Type=short\n"));
    StructureSizer sizer = Sizer(4);
    // A: int, then B (char, A counted as 0 -> 1 byte) -> 4 + 1 = 5, rounded to 4 -> 8.
    EXPECT_EQ(sizer.StructureSize("A"), 8u);
    EXPECT_EQ(sizer.StructureSize("B"), 1u);
    EXPECT_EQ(sizer.StructureSize("SELF"), 2u);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Structure \"A\" contains itself; its size counts as 0 inside itself");
}

TEST_F(StructureSizeTest, DeepNestingAndWideFanOutStayBounded)
{
    // 200 structures each holding the next one twice: sizes double down the chain and are remembered,
    // so the work stays linear; nesting past the limit counts as 0.
    std::string text = "[Structures]\nNumberOfStructures=200\n";
    for (int i = 1; i <= 200; ++i)
        text += "Structure_" + std::to_string(i) + "_Name=S" + std::to_string(i) + "\n";
    for (int i = 1; i <= 200; ++i) {
        text += "[Structure_S" + std::to_string(i) + "]\n";
        if (i == 200)
            text += "NumberOfMembers=1\nMember_1_Type=char\n";
        else
            text += "NumberOfMembers=2\nMember_1_Type=S" + std::to_string(i + 1) + "\nMember_2_Type=S" +
                    std::to_string(i + 1) + "\n";
    }
    ASSERT_TRUE(Load(text));
    const auto start = std::chrono::steady_clock::now();
    StructureSizer sizer = Sizer(1);
    const uint32_t deepest = sizer.StructureSize("S180");
    EXPECT_EQ(deepest, 1u << 20);
    EXPECT_EQ(sizer.StructureSize("S1"), 0u); // S1 reaches past the nesting limit from the top
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(messages.empty());
}

TEST_F(StructureSizeTest, HugeSizesHoldAtTheMaximum)
{
    ASSERT_TRUE(Load("[Structures]\nBIG=\n"
                     "[Structure_BIG]\nNumberOfMembers=3\nMember_1_Type=int\nMember_1_Elements=HUGE\n"
                     "Member_2_Type=int\nMember_2_Elements=HUGE\nMember_3_Type=char\n"));
    symbols["HUGE"] = 0xFFFFFFFFu;
    StructureSizer sizer = Sizer(4);
    EXPECT_EQ(sizer.StructureSize("BIG"), 0xFFFFFFFFu);
}

struct TableFault {
    const char* label;
    const char* text;
    const char* message;
};

class TableFaultTest : public StructureSizeTest, public ::testing::WithParamInterface<TableFault> {};

TEST_P(TableFaultTest, ReportsTheFault)
{
    EXPECT_FALSE(Load(GetParam().text, ""));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TableFaultTest,
    ::testing::Values(
        TableFault{"NoTypes", "[Structures]\n", "The required section \"Types\" is missing"},
        TableFault{"NoTypeCount", "[Types]\nX=1\n", "The required value \"NumberOfTypes\" is missing in section \"Types\""},
        TableFault{"NoTypeName", "[Types]\nNumberOfTypes=1\n",
                   "The required value \"Type_1_Name\" is missing in section \"Types\""},
        TableFault{"UnknownSizingType", "[Types]\nNumberOfTypes=1\nType_1_Name=a\nType_1_Size=b\n",
                   "The sizing data type \"b\" referred to by data type \"a\" is unknown"},
        TableFault{"LaterSizingType",
                   "[Types]\nNumberOfTypes=2\nType_1_Name=a\nType_1_Size=b\nType_2_Name=b\nType_2_Size=4\n",
                   "The sizing data type \"b\" referred to by data type \"a\" is unknown"},
        TableFault{"TypeWithoutSize", "[Types]\nNumberOfTypes=1\nType_1_Name=a\n",
                   "Type \"a\" is required to either be given a size, declared a structure, or have its size "
                   "copied from another type"},
        TableFault{"DuplicateType",
                   "[Types]\nNumberOfTypes=2\nType_1_Name=a\nType_1_Size=1\nType_2_Name=a\nType_2_Size=2\n",
                   "Couldn't add type \"a\""},
        TableFault{"NoStructures", "[Types]\nNumberOfTypes=0\n", "The required section \"Structures\" is missing"},
        TableFault{"DuplicateStructure",
                   "[Types]\nNumberOfTypes=0\n[Structures]\nNumberOfStructures=2\nStructure_1_Name=S\n"
                   "Structure_2_Name=S\n",
                   "Couldn't add struct \"S\""},
        TableFault{"NoStructureSection", "[Types]\nNumberOfTypes=0\n[Structures]\nS=\n",
                   "The required section \"Structure_S\" is missing"},
        TableFault{"NoMemberCount", "[Types]\nNumberOfTypes=0\n[Structures]\nS=\n[Structure_S]\nx=1\n",
                   "The required value \"NumberOfMembers\" is missing in section \"Structure_S\""},
        TableFault{"NoMemberType",
                   "[Types]\nNumberOfTypes=0\n[Structures]\nS=\n[Structure_S]\nNumberOfMembers=1\n",
                   "The required value \"Member_1_Type\" is missing in section \"Structure_S\""},
        TableFault{"UnknownMemberType",
                   "[Types]\nNumberOfTypes=0\n[Structures]\nS=\n[Structure_S]\nNumberOfMembers=1\nMember_1_Type=q\n",
                   "The data type \"q\" for member \"Member_1\" of structure \"S\" is unknown"},
        TableFault{"UnknownNamedMemberType",
                   "[Types]\nNumberOfTypes=0\n[Structures]\nS=\n[Structure_S]\nNumberOfMembers=1\nMember_1_Type=q\n"
                   "Member_1_Name=pNext\n",
                   "The data type \"q\" for member \"pNext\" of structure \"S\" is unknown"},
        TableFault{"HugeMemberCount",
                   "[Types]\nNumberOfTypes=0\n[Structures]\nS=\n[Structure_S]\nNumberOfMembers=2147483647\n",
                   "The required value \"Member_1_Type\" is missing in section \"Structure_S\""}),
    [](const ::testing::TestParamInfo<TableFault>& info) { return std::string(info.param.label); });

TEST_F(StructureSizeTest, MembersMayNameLaterStructuresAndNegativeCountsAreRefused)
{
    ASSERT_TRUE(Load("[Structures]\nNumberOfStructures=2\nStructure_1_Name=OUTER\nStructure_2_Name=INNER\n"
                     "[Structure_OUTER]\nNumberOfMembers=1\nMember_1_Type=INNER\n"
                     "[Structure_INNER]\nNumberOfMembers=0\n"));
    EXPECT_EQ(Sizer(4).StructureSize("OUTER"), 0u);
    EXPECT_EQ(tables.structures.Find("INNER")->members.size(), 0u);
    // A negative count is no empty table: the model is refused.
    EXPECT_FALSE(Load("[Structures]\nNumberOfStructures=1\nStructure_1_Name=INNER\n"
                      "[Structure_INNER]\nNumberOfMembers=-5\n"));
}

} // namespace
} // namespace engine
