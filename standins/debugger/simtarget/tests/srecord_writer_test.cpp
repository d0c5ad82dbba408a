// The generator's S-record text: worked records, and the plug-in's reader takes back every byte.
#include "plugin/kernel/srecord.h"
#include "standins/debugger/simtarget/srecord_writer.h"

#include <gtest/gtest.h>

#include <map>

namespace simtarget::test {
namespace {

std::map<uint32_t, uint8_t> bytesOf(const std::vector<MemoryBlock>& blocks)
{
    std::map<uint32_t, uint8_t> out;
    for (const MemoryBlock& b : blocks)
        for (std::size_t i = 0; i < b.data.size(); ++i)
            out[b.address + static_cast<uint32_t>(i)] = b.data[i];
    return out;
}

TEST(SRecordWriter, WorkedRecords)
{
    // Count, address, data, then the ones' complement of the low byte of their sum.
    EXPECT_EQ(SRecordText({{0x0010, {0xAA, 0xBB}}}, "hd"), "S00500006864" "2E\n"
                                                             "S1050010AABB85\n"
                                                             "S9030000FC\n");
    // A byte at 64 KiB or above makes every record an S3 one, ended by S7.
    EXPECT_EQ(SRecordText({{0x0000FFFF, {0x01, 0x02}}}, ""), "S0030000FC\n"
                                                             "S3070000FFFF0102F7\n"
                                                             "S70500000000FA\n");
    EXPECT_EQ(SRecordText({{0x0000FFFF, {0x01}}}, "").substr(11, 2), "S1");
    EXPECT_EQ(SRecordText({}, std::string(100, 'x')).substr(0, 4), "S043"); // the header is cut to 64
}

TEST(SRecordWriter, ThePluginReadsBackEveryByte)
{
    for (uint32_t base : {0x0100u, 0x20000000u}) {
        SCOPED_TRACE(base);
        std::vector<MemoryBlock> blocks{{base, {}}, {base + 0x1000, {}}};
        for (uint32_t i = 0; i < 100; ++i)
            blocks[0].data.push_back(static_cast<uint8_t>(i * 7));
        for (uint32_t i = 0; i < 33; ++i)
            blocks[1].data.push_back(static_cast<uint8_t>(0xFF - i));
        const std::string text = SRecordText(blocks, "image");
        std::vector<kernel::SRecordBlock> read;
        const kernel::SRecordResult result = kernel::ParseSRecords(text, read);
        ASSERT_EQ(result.status, kernel::SRecordStatus::Ok) << result.message;
        std::vector<MemoryBlock> back;
        for (const auto& b : read)
            back.push_back({b.address, b.data});
        EXPECT_EQ(bytesOf(back), bytesOf(blocks));
        EXPECT_EQ(read.size(), 4u + 2u); // 32 bytes a record
    }
}

} // namespace
} // namespace simtarget::test
