// Typed target access: byte orders, widths, strings, the image/target split and failed reads.
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/tests/scratch_dir.h"

#include <gtest/gtest.h>

#include <cstring>

namespace kernel::test {
namespace {

class TargetAccessTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ResetTargetAccess();
        ResetMemoryImages();
        SetAddressUnitBits(8);
        SetLittleEndian(GetParam() ? 1 : 0);
        target.map(0x1000, 0x100);
        target.poke(0x1000, {0x12, 0x34, 0x56, 0x78, 0x9A});
        // The same bytes in a memory image at base 0x1000.
        ScratchDir dir;
        const std::string path = dir.write("img.srec", "S1081000123456789A39\n");
        ASSERT_EQ(LoadKernelDataImage(path, 0x1000), ImageLoaded) << GetImageLoadMessage();
    }
    void TearDown() override { ResetMemoryImages(); ResetTargetAccess(); }

    bool little() const { return GetParam(); }
    FakeTarget target;
};

TEST_P(TargetAccessTest, ValuesFollowTheByteOrderFromTargetAndImage)
{
    for (int source : {kTargetSource, kKernelDataSlot}) {
        SCOPED_TRACE(source);
        ReadSourceScope scope(source);
        EXPECT_EQ(ReadValue8(0x1000), 0x12);
        EXPECT_EQ(ReadValueUnit(0x1001), 0x34u);
        EXPECT_EQ(ReadValue16(0x1000), little() ? 0x3412 : 0x1234);
        EXPECT_EQ(ReadValue24(0x1000, false), little() ? 0x563412u : 0x123456u);
        EXPECT_EQ(ReadValue32(0x1000), little() ? 0x78563412u : 0x12345678u);
        EXPECT_EQ(ReadValue24(0x1002, true), little() ? 0xFF9A7856u : 0x0056789Au);
        EXPECT_EQ(ReadTableEntry(0x1003), little() ? static_cast<int32_t>(0xFFFF9A78u) : 0x789A);
    }
    EXPECT_EQ(ReadTarget16(0x1000), little() ? 0x3412 : 0x1234);
    EXPECT_EQ(ReadTarget32(0x1000), little() ? 0x78563412u : 0x12345678u);
}

TEST_P(TargetAccessTest, WritesGoToTheTargetInItsByteOrderWithExactWidths)
{
    ReadSourceScope image(kKernelDataSlot); // writes ignore the selection
    EXPECT_TRUE(WriteValue16(0x1010, 0xA1B2));
    EXPECT_TRUE(WriteValue24(0x1020, 0xC1D2E3F4)); // three bytes only
    EXPECT_TRUE(WriteValue32(0x1030, 0x01020304));
    EXPECT_TRUE(WriteValue8(0x1040, 0x1FF));
    ASSERT_EQ(target.writes.size(), 4u);
    EXPECT_EQ(target.writes[1].bytes.size(), 3u);
    using Bytes = std::vector<uint8_t>;
    EXPECT_EQ(target.peek(0x1010, 2), little() ? Bytes({0xB2, 0xA1}) : Bytes({0xA1, 0xB2}));
    EXPECT_EQ(target.peek(0x1020, 4), little() ? Bytes({0xF4, 0xE3, 0xD2, 0}) : Bytes({0xD2, 0xE3, 0xF4, 0}));
    EXPECT_EQ(target.peek32(0x1030, little()), 0x01020304u);
    EXPECT_EQ(target.peek(0x1040, 1)[0], 0xFF);
    SelectMemoryImage(kTargetSource);
    EXPECT_EQ(ReadValue16(0x1010), 0xA1B2);
}

INSTANTIATE_TEST_SUITE_P(ByteOrder, TargetAccessTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Little" : "Big"; });

class TargetAccessBasics : public ::testing::Test {
protected:
    void SetUp() override { ResetTargetAccess(); ResetMemoryImages(); SetAddressUnitBits(8); }
    void TearDown() override { ResetMemoryImages(); ResetTargetAccess(); }
};

TEST_F(TargetAccessBasics, SettingsAndSwap)
{
    ResetTargetAccess();
    EXPECT_EQ(GetLittleEndian(), 0u);
    EXPECT_EQ(GetAddressUnitWidth(), 3);
    SetAddressUnitBits(8);
    EXPECT_EQ(GetAddressUnitWidth(), 1);
    SetAddressUnitBits(12);
    EXPECT_EQ(GetAddressUnitWidth(), 1);
    SetAddressUnitBits(-12);
    EXPECT_EQ(GetAddressUnitWidth(), -1);

    uint8_t bytes[3] = {1, 2, 3};
    SwapTargetBytes(bytes, 0);
    SwapTargetBytes(nullptr, 3);
    EXPECT_EQ(bytes[0], 1);
    SwapTargetBytes(bytes, 3);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(bytes[2], 1);
    SetLittleEndian(1);
    SwapTargetBytes(bytes, 3);
    EXPECT_EQ(bytes[0], 3);
    EXPECT_EQ(BindTargetAccess(), 1);
}

TEST_F(TargetAccessBasics, StringsAreAlwaysTerminated)
{
    FakeTarget target;
    target.poke(0x2000, {'a', 'b', 'c', 0, 'x', 'y', 'z', 'w'});
    ScratchDir dir;
    ASSERT_EQ(LoadKernelDataImage(dir.write("s.srec", "S10B20006162630078797A77CC\n"), 0x2000), ImageLoaded)
        << GetImageLoadMessage();

    char buffer[9];
    std::memset(buffer, 'Q', sizeof buffer);
    EXPECT_TRUE(ReadValueString(0x2004, 4, buffer)); // target: exactly 4 bytes, then a NUL
    EXPECT_STREQ(buffer, "xyzw");
    const uint64_t callsBefore = target.readCalls;
    {
        ReadSourceScope image(kKernelDataSlot);
        std::memset(buffer, 'Q', sizeof buffer);
        ReadValueString(0x2000, 8, buffer); // image: stops at the NUL
        EXPECT_STREQ(buffer, "abc");
        EXPECT_EQ(buffer[4], 'Q');
        ReadValueString(0x2004, 2, buffer);
        EXPECT_STREQ(buffer, "xy");
        ReadValueString(0x2004, 0, buffer);
        EXPECT_STREQ(buffer, "");
    }
    EXPECT_EQ(target.readCalls, callsBefore); // image reads never touch the target

    // A name at the very end of readable memory still reads up to its terminator.
    target.map(0x3000, 3);
    target.poke(0x3000, {'a', 'b', 0});
    std::memset(buffer, 'Q', sizeof buffer);
    EXPECT_TRUE(ReadValueString(0x3000, 8, buffer));
    EXPECT_STREQ(buffer, "ab");
    target.map(0x3100, 2);
    target.poke(0x3100, {'c', 'd'});
    const uint64_t before = target.bytesRead;
    char name[201];
    EXPECT_FALSE(ReadValueString(0x3100, 200, name)); // no terminator before memory ends
    EXPECT_STREQ(name, "cd");
    // It stops at the first byte that cannot be read: two bytes and the failed one, not 200.
    EXPECT_EQ(target.bytesRead - before, 3u);
}

TEST_F(TargetAccessBasics, FailedAndMissingReadsGiveZeroNeverStaleBytes)
{
    uint8_t buffer[4] = {9, 9, 9, 9};
    EXPECT_EQ(ReadValue32(0x10), 0u); // no port installed
    EXPECT_FALSE(ReadValueBlock(0x10, 4, buffer));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_FALSE(WriteValue32(0x10, 1));
    {
        FakeTarget target;
        target.map(0x100, 2, 0x55);
        const uint64_t failures = TargetReadFailures();
        std::memset(buffer, 9, sizeof buffer);
        EXPECT_FALSE(ReadValueBlock(0x100, 4, buffer)); // runs off the mapped region
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 4), std::vector<uint8_t>(4, 0));
        EXPECT_EQ(TargetReadFailures(), failures + 1);
        EXPECT_FALSE(IsTargetAddressValid(0x200));
        EXPECT_TRUE(IsTargetAddressValid(0x100));
    }
    // A selected slot without an image reads as 0 and as an empty string.
    SelectMemoryImage(kSecondImageSlot);
    char text[4] = "abc";
    ReadValueString(0, 3, text);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(ReadValue32(0), 0u);
    SelectMemoryImage(7); // ignored
    EXPECT_EQ(GetSelectedMemoryImage(), kSecondImageSlot);
}

} // namespace
} // namespace kernel::test

namespace kernel::test {
namespace {

// Each target byte is read once between two runs: again only after the cache is dropped (the target ran)
// or its bytes were written through the engine; a failed block keeps the bytes of it that could be read,
// and a byte that failed is asked for again (the target may give it then).
TEST(TargetReadCache, EachByteIsReadOnceBetweenTwoRuns)
{
    ResetTargetAccess();
    SetLittleEndian(1);
    FakeTarget target;
    target.map(0x1000, 0x10);
    target.poke32(0x1000, 0x11223344, true);
    const uint64_t start = target.bytesRead;
    EXPECT_EQ(ReadTarget32(0x1000), 0x11223344u);
    EXPECT_EQ(ReadTarget16(0x1002), 0x1122u);
    EXPECT_EQ(target.bytesRead - start, 4u);
    // A block across the end of memory: the readable bytes are kept, the others fail, once each.
    uint8_t block[8];
    EXPECT_FALSE(ReadTargetBlock(0x100C, 8, block));
    EXPECT_EQ(block[0], 0);
    const uint64_t afterBlock = target.bytesRead;
    EXPECT_FALSE(ReadTargetBlock(0x100C, 8, block));
    EXPECT_GT(target.bytesRead, afterBlock); // only the 4 bytes that failed, one by one
    EXPECT_LE(target.bytesRead, afterBlock + 4 + 4);
    target.map(0x1010, 0x10);
    EXPECT_TRUE(ReadTargetBlock(0x100C, 8, block));
    const uint64_t afterRetry = target.bytesRead;
    uint8_t inside[4];
    EXPECT_TRUE(ReadTargetBlock(0x100C, 4, inside));
    EXPECT_EQ(target.bytesRead, afterRetry);
    // A write goes to the target and is what later reads see, without reading it back.
    EXPECT_TRUE(WriteTarget32(0x1000, 0x55667788));
    EXPECT_EQ(ReadTarget32(0x1000), 0x55667788u);
    EXPECT_EQ(target.bytesRead, afterRetry);
    // The target ran: read afresh.
    const uint64_t generation = TargetReadGeneration();
    DropTargetReadCache();
    EXPECT_NE(TargetReadGeneration(), generation);
    EXPECT_EQ(ReadTarget32(0x1000), 0x55667788u);
    EXPECT_EQ(target.bytesRead, afterRetry + 4);
}

} // namespace
} // namespace kernel::test
