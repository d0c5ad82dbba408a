// The simulated debugger: target memory, the symbol file, the ledger, traps and injected failures.

#include "standins/debugger/sim_kernel.h"
#include "standins/debugger/srecord_image.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace simdbg {
namespace {

class ScratchFile {
public:
    ScratchFile(const std::string& name, const std::string& content)
        : m_path((std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()))).string())
    {
        std::ofstream(m_path, std::ios::binary) << content;
    }
    ~ScratchFile() { std::filesystem::remove(m_path); }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

template <typename Fn>
Fn entryOf(const SimKernel& kernel, int index)
{
    return reinterpret_cast<Fn>(kernel.table()->entry[index]);
}

TEST(SimTargetMemoryTest, SparseZonesImagesAndUnmappedBytes)
{
    TargetMemory memory;
    const uint8_t bytes[] = {1, 2, 3, 4};
    memory.store(0, 4094, bytes, 4); // across a page boundary
    memory.store(1, 4094, bytes + 2, 2);
    uint8_t out[4] = {9, 9, 9, 9};
    EXPECT_TRUE(memory.load(0, 4094, out, 4));
    EXPECT_EQ(out[3], 4);
    EXPECT_FALSE(memory.load(0, 4095, out, 4)); // the last byte is unmapped
    EXPECT_EQ(out[0], 0);                      // and the buffer is zeroed
    EXPECT_TRUE(memory.load(1, 4094, out, 2));
    EXPECT_EQ(out[0], 3);
    EXPECT_FALSE(memory.overwrite(1, 4095, bytes, 2));
    EXPECT_TRUE(memory.overwrite(1, 4095, bytes, 1));
    memory.setRefuseReads(true);
    EXPECT_FALSE(memory.load(0, 4094, out, 1));
    EXPECT_EQ(memory.counters().readCalls, 4u);

    ScratchFile binary("image.bin", std::string("\x10\x20\x30", 3));
    std::string message;
    ASSERT_TRUE(memory.loadBinaryFile(0, 0x100, binary.path(), message)) << message;
    EXPECT_TRUE(memory.isMapped(0, 0x100, 3));
    EXPECT_FALSE(memory.loadBinaryFile(0, 0, "/nonexistent/image.bin", message));

    ScratchFile srec("image.s19", "S1052000AABB75\n");
    ASSERT_TRUE(memory.loadSRecordFile(2, 0, srec.path(), message)) << message;
    memory.setRefuseReads(false);
    EXPECT_TRUE(memory.load(2, 0x2001, out, 1));
    EXPECT_EQ(out[0], 0xBB);
    ScratchFile broken("broken.s19", "S1130000FF\n");
    EXPECT_FALSE(memory.loadSRecordFile(2, 0, broken.path(), message));
    EXPECT_NE(message.find(":1:"), std::string::npos) << message;
}

// Header and termination records are skipped, data records land at their address plus the offset,
// hex digits may be in either case, CR LF and blank lines are taken.
TEST(SimTargetMemoryTest, SRecordImagesLoadEachRecordAtItsAddress)
{
    TargetMemory memory;
    ScratchFile image("image.s19", "S0030000FC\r\nS1052000AABB75\n\nS30600012000cc0c\nS9030000FC");
    std::string message;
    ASSERT_TRUE(memory.loadSRecordFile(2, 0x10, image.path(), message)) << message;
    uint8_t out[2] = {};
    EXPECT_TRUE(memory.load(2, 0x2010, out, 2));
    EXPECT_EQ(out[0], 0xAA);
    EXPECT_EQ(out[1], 0xBB);
    EXPECT_TRUE(memory.load(2, 0x12010, out, 1));
    EXPECT_EQ(out[0], 0xCC);
    EXPECT_FALSE(memory.isMapped(2, 0, 1)); // the header's address holds nothing
}

// A bad line refuses the whole file, naming the line and what is wrong; nothing of it is stored.
TEST(SimTargetMemoryTest, SRecordImagesWithABadLineLoadNothing)
{
    const std::pair<std::string, std::string> cases[] = {
        {"S1052000AABB76", ":2: checksum 0x76, expected 0x75"},
        {"S1052000AABB7", ":2: odd number of hex digits"},
        {"S1052000AXBB75", ":2: character 'X' at column 10 is not a hex digit"},
        {"S1062000AABB75", ":2: byte count 0x06 does not match the 5 bytes on the line"},
        {"S1022000", ":2: byte count 0x02 too small for the address and checksum"},
        {"S4030000FC", ":2: unknown record type S4"},
        {"S", ":2: record type missing"},
        {"X1052000AABB75", ":2: not an S-record"},
        {"S1" + std::string(600, 'A'), ":2: line longer than 514 characters"},
    };
    for (const auto& [line, expected] : cases) {
        TargetMemory memory;
        ScratchFile image("bad.s19", "S1051000AABB85\n" + line + "\nS9030000FC\n");
        std::string message;
        EXPECT_FALSE(memory.loadSRecordFile(0, 0, image.path(), message)) << line;
        EXPECT_NE(message.find(expected), std::string::npos) << message;
        EXPECT_FALSE(memory.isMapped(0, 0x1000, 1)) << line;
    }
    TargetMemory memory;
    std::string message;
    EXPECT_FALSE(memory.loadSRecordFile(0, 0, std::filesystem::temp_directory_path().string(), message));
    ScratchFile empty("empty.s19", "");
    EXPECT_FALSE(memory.loadSRecordFile(0, 0, empty.path(), message));

    // The reader's bound on the data it holds.
    ScratchFile image("big.s19", "S1051000AABB85\nS1052000AABB75\n");
    std::vector<ImageBlock> blocks;
    EXPECT_FALSE(ReadSRecordImage(image.path(), 3, blocks, message));
    EXPECT_TRUE(blocks.empty());
    EXPECT_TRUE(ReadSRecordImage(image.path(), 4, blocks, message)) << message;
    EXPECT_EQ(blocks.size(), 2u);
}

TEST(SimSymbolTableTest, ParsesLinesAndRefusesBadOnes)
{
    SymbolTable table;
    std::string message;
    ASSERT_TRUE(table.parse("# kernel anchors\n_pKWS 0x1000\nfar 0x100000010 1 10\nnoloc -\n\n", message)) << message;
    EXPECT_EQ(table.size(), 3u);
    EXPECT_EQ(table.find("_pKWS", 0), 1u);
    EXPECT_EQ(table.find("pKWS", 0), 0u);
    EXPECT_EQ(table.find("far", 5), 0u);
    EXPECT_EQ(table.find("far", 10), 2u);
    EXPECT_EQ(table.byHandle(2)->address, 0x100000010u);
    EXPECT_EQ(table.byHandle(2)->zone, 1u);
    EXPECT_FALSE(table.byHandle(3)->hasLocation);
    EXPECT_EQ(table.byHandle(4), nullptr);

    EXPECT_FALSE(table.parse("ok 1\nbad 0xZZ\n", message));
    EXPECT_EQ(message, "line 2: bad address \"0xZZ\"");
    EXPECT_FALSE(table.parse("x 1 0 13\n", message));
    EXPECT_FALSE(table.parse("x 1 0 5 extra\n", message));
    EXPECT_EQ(table.size(), 3u); // nothing of a refused text is added
}

TEST(SimKernelTest, LedgerTrapsAndInjectedFailures)
{
    SimKernel kernel;
    kernel.activate();
    const char* text = kernel.handOutText("abc");
    uint32_t* array = kernel.handOutArray({1, 2});
    EXPECT_EQ(kernel.outstandingTexts(), 1u);
    entryOf<DkGiveBackTextFn>(kernel, DK_GIVE_BACK_TEXT)(text);
    entryOf<DkGiveBackArrayFn>(kernel, DK_GIVE_BACK_SYMBOLS)(array);
    EXPECT_EQ(kernel.outstandingTexts(), 0u);
    EXPECT_EQ(kernel.outstandingArrays(), 0u);
    char foreign[] = "x";
    entryOf<DkGiveBackTextFn>(kernel, DK_GIVE_BACK_TEXT)(foreign);
    EXPECT_EQ(kernel.ledgerErrors().size(), 1u);

    // Unexpected entries answer failure in their own way and are recorded once each, in call order.
    EXPECT_EQ(entryOf<DkStatus (*)()>(kernel, 147)(), DK_STATUS_FAILURE);
    EXPECT_EQ(entryOf<DkHandle (*)()>(kernel, 144)(), 0u);
    EXPECT_EQ(entryOf<DkStatus (*)()>(kernel, 147)(), DK_STATUS_FAILURE);
    EXPECT_EQ(kernel.unexpectedEntries(), (std::vector<int>{147, 144}));
    EXPECT_EQ(kernel.callCount(147), 2u);

    kernel.injectFailure(DK_CONTEXT_MEMORY, 0, 2);
    auto context = entryOf<DkContextFn>(kernel, DK_CONTEXT_MEMORY);
    EXPECT_EQ(context(), 0u);
    EXPECT_EQ(context(), 0u);
    EXPECT_EQ(context(), SimKernel::kMemoryContext);

    // A read whose failure is injected leaves junk in the buffer, as a real debugger might.
    kernel.memory().store(0, 0x10, reinterpret_cast<const uint8_t*>("\x42"), 1);
    kernel.injectFailure(DK_MEMORY_READ, DK_STATUS_FAILURE);
    auto read = entryOf<DkMemoryFn>(kernel, DK_MEMORY_READ);
    DkTargetLocation at{0, 0, 0x10};
    uint8_t byte = 0, flag = 0;
    DkHandle accessor = entryOf<DkAccessorFn>(kernel, DK_CONTEXT_ACCESSOR)(SimKernel::kMemoryContext);
    EXPECT_EQ(read(accessor, &at, 1, &byte, 8, &flag), DK_STATUS_FAILURE);
    EXPECT_EQ(byte, 0xA5);
    EXPECT_EQ(read(accessor, &at, 1, &byte, 8, &flag), DK_STATUS_OK);
    EXPECT_EQ(byte, 0x42);
    EXPECT_EQ(read(0, &at, 1, &byte, 8, &flag), DK_STATUS_FAILURE); // not an accessor
}

TEST(SimKernelTest, ZonesGrowWhileRead)
{
    SimKernel kernel;
    kernel.activate();
    kernel.setGrowingZones(3);
    auto count = entryOf<DkZoneCountFn>(kernel, DK_ZONE_COUNT);
    auto record = entryOf<DkZoneRecordFn>(kernel, DK_ZONE_RECORD);
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(count(), 2);
    DkZoneRecord zone{};
    ASSERT_EQ(record(1, &zone), DK_STATUS_OK);
    EXPECT_EQ(zone.id, 1u);
    EXPECT_STREQ(zone.name, "Zone1");
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(count(), 3);
    EXPECT_EQ(record(3, &zone), DK_STATUS_FAILURE);
}

} // namespace
} // namespace simdbg

#include "standins/debugger/host/scenario.h"

namespace simdbg {
namespace {

TEST(SimScenarioTest, WordsQuotesCommentsAndErrors)
{
    std::vector<ScenarioCommand> commands;
    std::string message;
    ASSERT_TRUE(ParseScenario("# set-up\nzones 0:Memory\n\n  expect-window \"Call Count\" # not a comment\n", commands, message));
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[1].line, 4u);
    EXPECT_EQ(commands[1].name, "expect-window");
    EXPECT_EQ(commands[1].args, (std::vector<std::string>{"Call Count", "#", "not", "a", "comment"}));
    EXPECT_FALSE(ParseScenario("init\nexpect-window \"open\n", commands, message));
    EXPECT_EQ(message, "line 2: unterminated quoted text");
}

} // namespace
} // namespace simdbg
