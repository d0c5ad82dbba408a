// Source positions, program records and their queries over the simulated debugger's program.

#include "plugin/sdk/program_records.h"
#include "plugin/sdk/symbols.h"
#include "plugin/sdk/tests/sdk_fixture.h"

namespace dk::test {
namespace {

class SdkProgramTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        kernel.symbols().add({"main", true, 0, 0x100, DK_SYM_FUNCTION});
        kernel.symbols().add({"loop", true, 0, 0x140, DK_SYM_ASM_LABEL});
        simdbg::SimRecord outer = simdbg::simRecord(2, {"main.c", 10, 1}, {"main.c", 30, 2}, 0x100, 0x1FF, "main");
        outer.flag = 1;
        outer.functionType = 0x77;
        outer.children = {2, 2}; // the block below, listed twice: each copy is its own handle
        outerRecord = program().addRecord(outer);
        simdbg::SimRecord inner = simdbg::simRecord(3, {"main.c", 12, 5}, {"", 14, 1}, 0x140, 0x17F);
        inner.label = "loop";
        inner.parent = outerRecord;
        innerRecord = program().addRecord(inner);
        simdbg::SimRecord odd = simdbg::simRecord(40, {"main.c", 40, 1}, {"main.c", 41, 1}, 0x300, 0x30F);
        odd.linked = outerRecord;
        program().addRecord(odd);
        program().addSourceFile("main.c", {"int main(void)", "{", "    return 0;", "}"});
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(program().outstandingHandles(), 0u);
        EXPECT_EQ(program().outstandingBlocks(), 0u);
        EXPECT_EQ(kernel.outstandingArrays(), 0u);
        EXPECT_TRUE(program().ledgerErrors().empty()) << program().ledgerErrors().front();
        SdkTest::TearDown();
    }
    simdbg::SimProgram& program() { return kernel.program(); }
    static TargetLocation at(uint64_t address) { return TargetLocation(MemoryZone(0), address); }
    uint32_t outerRecord = 0;
    uint32_t innerRecord = 0;
};

TEST(SourcePositionTest, EqualityNeedsTheFileButTheOrderIgnoresIt)
{
    SourcePosition a("a.c", 10, 4), b("b.c", 10, 4);
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(a != b);
    EXPECT_FALSE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(a <= b && a >= b);
    SourcePosition later("a.c", 10, 5), nextLine("a.c", 11, 1);
    EXPECT_TRUE(a < later && later < nextLine && nextLine > a);
    // The order is unsigned: a column above 2^31 is greater, not negative.
    EXPECT_TRUE(a < SourcePosition("a.c", 10, 0x80000000u));
    EXPECT_FALSE(SourcePosition().IsSet());
    SourceRange range(a, later);
    SourceRange shared = range;
    shared.SetEnd(nextLine);
    EXPECT_EQ(range.GetEnd().GetLine(), 11u); // copies share one body
}

TEST_F(SdkProgramTest, RecordsAtALocationCarryTheirFieldsAndLinks)
{
    std::vector<DebugInfoRecord> records;
    ASSERT_EQ(GetRecordsAt(at(0x150), records), DK_STATUS_OK);
    ASSERT_EQ(records.size(), 2u); // the function and the block inside it, in order
    const DebugInfoRecord& outer = records[0];
    EXPECT_EQ(outer.GetKind(), 2u);
    EXPECT_TRUE(outer.GetFlag());
    SourceRange range;
    ASSERT_TRUE(outer.GetSourceRange(range));
    EXPECT_EQ(range.GetStart(), SourcePosition("main.c", 10, 1));
    EXPECT_EQ(range.GetEnd(), SourcePosition("main.c", 30, 2));
    EXPECT_EQ(outer.GetFunctionSymbol().GetName(), "main");
    EXPECT_EQ(outer.GetFunctionType().GetCTypeHandle(), 0x77u);
    EXPECT_EQ(outer.GetParent().GetHandle(), 0u);

    const DebugInfoRecord& inner = records[1];
    EXPECT_FALSE(inner.GetSourceRange(range)) << "the end position has no file";
    EXPECT_EQ(inner.GetParent().GetKind(), 2u);
    EXPECT_EQ(inner.GetLabelSymbol().GetName(), "loop");
    EXPECT_EQ(outer.GetLabelSymbol().GetHandle(), 0u);
    TargetLocation where;
    EXPECT_EQ(inner.GetRecordAt(&where).GetKind(), 3u);
    EXPECT_EQ(where.GetAddress(), 0x140u);
    EXPECT_NE(outer.GetSubHandle().GetHandle(), 0u);
}

TEST_F(SdkProgramTest, KindsOutsideTheRangeReadAsZeroAndLinkedRecordsFollow)
{
    std::vector<DebugInfoRecord> records;
    ASSERT_EQ(GetRecordsAt(at(0x300), records), DK_STATUS_OK);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].GetKind(), 0u);
    EXPECT_EQ(records[0].GetLinkedRecord().GetKind(), 2u);
    EXPECT_EQ(records[0].GetChildren().size(), 0u);
    DebugInfoRecord none;
    EXPECT_EQ(none.GetKind(), 0u);
    EXPECT_EQ(none.GetLinkedRecord().GetHandle(), 0u);
    EXPECT_EQ(kernel.callCount(DK_RECORD_FILL), 2u) << "handle 0 fills nothing";
}

TEST_F(SdkProgramTest, ListQueriesAppendOnSuccessAndLeaveTheListOnFailure)
{
    std::vector<DebugInfoRecord> records(1);
    ASSERT_EQ(GetRecordsAt(SourcePosition("main.c", 13, 1), records), DK_STATUS_OK);
    EXPECT_EQ(records.size(), 3u); // appended after the caller's element
    EXPECT_EQ(GetRecordsAt(SourcePosition("other.c", 1, 1), records), DK_STATUS_FAILURE);
    EXPECT_EQ(records.size(), 3u);
    kernel.injectFailure(DK_RECORDS_AT_LOCATION, 0x1234);
    EXPECT_EQ(GetRecordsAt(at(0x150), records), 0x1234) << "the debugger's status is returned unchanged";
    EXPECT_EQ(records.size(), 3u);

    std::vector<DebugInfoHandle> handles;
    ASSERT_EQ(GetInfoHandlesAt(at(0x150), handles), DK_STATUS_OK);
    EXPECT_EQ(handles.size(), 2u);
    DebugInfoHandle empty;
    EXPECT_EQ(empty.GetHandle(), 0u);
}

TEST_F(SdkProgramTest, ParentsChildrenAndTheContextsRecordAndRanges)
{
    program().setContextRecord(outerRecord);
    DebugInfoRecord current = GetContextRecord(DkContext::Memory());
    EXPECT_EQ(current.GetKind(), 2u);
    std::vector<DebugInfoRecord> children = current.GetChildren();
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[1].GetKind(), 3u);
    EXPECT_NE(children[0].GetHandle(), children[1].GetHandle());
    std::vector<SourceRange> ranges(2);
    EXPECT_EQ(GetContextSourceRanges(DkContext::Memory(), ranges), 0);
    EXPECT_EQ(ranges.size(), 2u) << "untouched without ranges";
    program().setContextRanges({{{"a.c", 1, 1}, {"a.c", 2, 1}}});
    EXPECT_EQ(GetContextSourceRanges(DkContext::Memory(), ranges), 1);
    ASSERT_EQ(ranges.size(), 1u);
    EXPECT_EQ(ranges[0].GetEnd().GetLine(), 2u);
    program().setContextRanges({{{"a.c", 1, 1}, {"a.c", 2, 1}}, {{"b.c", 5, 1}, {"b.c", 9, 3}}});
    EXPECT_EQ(GetContextSourceRanges(DkContext::Memory(), ranges), 2);
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[1].GetStart().GetFileName(), "b.c");
}

TEST_F(SdkProgramTest, SourceTextIsOneBasedAndPathsResolve)
{
    std::string text;
    EXPECT_EQ(GetSourceLines("main.c", 3, 3, text), 1);
    EXPECT_EQ(text, "    return 0;");
    EXPECT_EQ(GetSourceText("main.c", 1, 5, 2, 1, text), 2);
    EXPECT_EQ(text, "main(void)\n{");
    EXPECT_EQ(GetSourceLines("missing.c", 1, 2, text), 2);
    EXPECT_EQ(text, "");

    program().addPath("main.c", "/src/app/main.c");
    std::string path = "unchanged";
    EXPECT_FALSE(ResolvePath("other.c", path));
    EXPECT_EQ(path, "unchanged");
    EXPECT_TRUE(ResolvePath("main.c", path));
    EXPECT_EQ(path, "/src/app/main.c");
    EXPECT_TRUE(ResolvePathPair("/src", "lib.c", path));
    EXPECT_EQ(path, "/src/lib.c");
}

} // namespace
} // namespace dk::test
