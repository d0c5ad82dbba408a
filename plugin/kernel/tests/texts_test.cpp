// Texts that need no target: numbers, paths, enumerations, register values and the loader's errors.
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/text_utils.h"

#include <gtest/gtest.h>

namespace kernel::test {
namespace {

TEST(Texts, Numbers)
{
    EXPECT_EQ(HexText(0x12345, 4, true, true), "0x2345");
    EXPECT_EQ(HexText(0xABCDEF, 8, true, true), "0x00ABCDEF");
    EXPECT_EQ(HexText(0xABCDEF, 8, false, false), "  abcdef");
    EXPECT_EQ(HexText(0xFFFFFFFF, 0, true, true), "0xFFFFFFFF");
    EXPECT_EQ(DecimalText(-5), "-5");
    EXPECT_EQ(UnsignedText(0xFFFFFFFF), "4294967295");
    EXPECT_EQ(UnsignedLongText(25), "25");
}

TEST(Texts, StringsAndPaths)
{
    EXPECT_EQ(TrimmedText("  a b  ", true, false), "a b  ");
    EXPECT_EQ(TrimmedText("  a b  ", true, true), "a b");
    EXPECT_EQ(RepeatText("-", 3), "---");
    EXPECT_EQ(RepeatText("-", 0), "");
    EXPECT_EQ(SeparatorIf(0), "");
    EXPECT_EQ(SeparatorIfNotEmpty("x"), " ");
    EXPECT_EQ(SeparatorIfMissing("a/", "/"), "");
    EXPECT_EQ(SeparatorIfMissing("a", "/"), "/");
    EXPECT_EQ(ConcatCStringLeft("ab", "cd"), "abcd");
    // A bare name has no folder and a name without a dot no extension, so the second image's path
    // ("i2data." + extension in the data file's folder) comes out right.
    EXPECT_EQ(GetPathDirectory(" /data/z5data.a79 "), "/data");
    EXPECT_EQ(GetPathDirectory("C:\\kernel\\z5data.a79"), "C:\\kernel");
    EXPECT_EQ(GetPathDirectory("z5data.a79"), "");
    EXPECT_EQ(GetPathExtension("/data/z5data.a79"), "a79");
    EXPECT_EQ(GetPathExtension("/data.d/z5data"), "");
    EXPECT_EQ(GetPathExtension("z5data"), "");
    EXPECT_EQ(DefaultSRecordExtension(), "a79");
    EXPECT_FALSE(FindFileExists("/nonexistent/z5data.a79"));
    EXPECT_TRUE(FindFileExists("/"));
}

TEST(Texts, Enumerations)
{
    EXPECT_EQ(SchedulingMethodText(0x30), "Round Robin");
    EXPECT_EQ(SchedulingMethodText(0x20), "FIFO");
    EXPECT_EQ(SchedulingMethodText(0), "Priority");
    EXPECT_EQ(PipeActionText(2), "ScheduleThread");
    EXPECT_EQ(PipeActionText(3), "DecrThreadGate");
    EXPECT_EQ(PipeActionText(-1), "<no action>");
    EXPECT_EQ(WaitOrderText(2), "FIFO");
    EXPECT_EQ(MultipleSingleText(0x10), "Multiple");
    EXPECT_EQ(YesNoText(0), "No");
    EXPECT_EQ(ThreadGateActionText(0, 1), "<no action>");
    EXPECT_EQ(ThreadGateActionText(7, 1), "Unknown");
    EXPECT_EQ(ThreadGateActionText(1, 0), "ScheduleThread <Kernel>");
    const std::pair<uint32_t, const char*> states[] = {{0, "Inactive"}, {1, "Active"}, {2, "Done"}, {4, "Expired"},
                                                       {8, "Killed"}, {10, "Aborted"}, {20, "Cancelled"},
                                                       {3, "Unknown alarm state #3"}, {16, "Unknown alarm state #16"}};
    for (const auto& [state, text] : states)
        EXPECT_EQ(AlarmStateText(state), text);
    EXPECT_EQ(ClassNameText(99), "Unknown class #99");
    EXPECT_EQ(FormatThreadName(0xFFFFFFFF), "<Kernel>");
    EXPECT_EQ(FormatTaskName(0), "<Null Task>");
    EXPECT_EQ(FormatSemaName(3), "<Sema #3>"); // no class loaded: the number
}

TEST(Texts, RegisterValues)
{
    EXPECT_EQ(RegisterValueText(0x12345678, 8, 0, false, 0), "0x12345678");
    EXPECT_EQ(RegisterValueText(0x12345678, 4, 0, false, 0), "0x5678");
    EXPECT_EQ(RegisterValueText(0x12345678, 8, 5, false, 0), "");
    EXPECT_EQ(RegisterValueText(0x12345678, 8, 0, true, 0), "0x12345678");
    EXPECT_EQ(RegisterValueText(0x12345678, 8, 0, true, 1), "----------");
    EXPECT_EQ(RegisterValueText(0x12345678, 4, 0, true, 2), "******");
}

TEST(Texts, DataFileErrors)
{
    EXPECT_EQ(DescribeDataFileError(0), "Success");
    EXPECT_EQ(DescribeDataFileError(1), "ERROR 1 - Z5DATA file not found");
    EXPECT_EQ(DescribeDataFileError(4), "ERROR 4 - OMBA version in Z5DATA does not match version from system properties");
    EXPECT_EQ(DescribeDataFileError(8), "ERROR 8 - Content of anchor address is NULL");
    EXPECT_EQ(DescribeDataFileError(13),
              "ERROR 13 - pointer to system properties is not a valid address in target memory");
    EXPECT_EQ(DescribeDataFileError(16), "ERROR 16 - KWS and SysProp clkrate mismatch");
    EXPECT_EQ(DescribeDataFileError(17), "ERROR - Unknown error number 17");
    EXPECT_EQ(DescribeDataFileError(-1), "ERROR - Unknown error number -1");
}

} // namespace
} // namespace kernel::test
