// Target memory and symbols through the plug-in object, zones and contexts.

#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/plugin_sample.h"
#include "plugin/sdk/target_location.h"
#include "plugin/sdk/zone_registry.h"
#include "plugin/sdk/tests/sdk_fixture.h"

#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"

#include <atomic>
#include <cstring>
#include <thread>

namespace dk::test {
namespace {

class SdkMemoryAccessTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        const uint8_t bytes[] = {0x11, 0x22, 0x33, 0x44};
        kernel.memory().store(0, 0x1000, bytes, 4);
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
        sample = thePluginSample();
        ASSERT_NE(sample, nullptr);
        kernel.resetRecords();
    }
    PluginSample* sample = nullptr;
};

using SdkTargetReadsAcrossExitTest = SdkTest;

// The kernel data engine reads on the GUI thread while the debugger binds and ends the plug-in on
// its own: a read or lookup after Exit fails cleanly and reaches nothing of the ended object.
TEST_F(SdkTargetReadsAcrossExitTest, AReadAfterExitFailsCleanly)
{
    const uint8_t bytes[] = {0x11, 0x22, 0x33, 0x44};
    kernel.memory().store(0, 0x1000, bytes, 4);
    kernel.symbols().add(simdbg::Symbol{"pKWS", true, 0, 0x1000, 5});
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::atomic<int> wrong{0};
    std::thread gui([&] {
        while (!stop.load()) {
            uint8_t buffer[4] = {7, 7, 7, 7};
            const bool ok = kernel::ReadTargetBlock(0x1000, 4, buffer);
            const uint8_t zeros[4] = {};
            if (std::memcmp(buffer, ok ? bytes : zeros, 4) != 0)
                wrong.fetch_add(1);
            const uint32_t anchor = GetTargetSymbol("pKWS");
            if (anchor != 0x1000 && anchor != 0xFFFFFFFFu)
                wrong.fetch_add(1);
            reads.fetch_add(1);
        }
    });
    for (int round = 0; round < 200; ++round) {
        ASSERT_EQ(PluginApiInit(kernel.table()), 0) << "round " << round;
        const int before = reads.load();
        while (reads.load() < before + 2)
            std::this_thread::yield();
        ASSERT_EQ(PluginApiExit(), 0) << "round " << round;
    }
    stop.store(true);
    gui.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(kernel::GetTargetPort(), nullptr);
    uint8_t buffer[4] = {9, 9, 9, 9};
    EXPECT_FALSE(kernel::ReadTargetBlock(0x1000, 4, buffer));
    EXPECT_EQ(buffer[0] | buffer[1] | buffer[2] | buffer[3], 0);
    EXPECT_EQ(GetTargetSymbol("pKWS"), 0xFFFFFFFFu);
}

TEST_F(SdkMemoryAccessTest, ReadsOneBytePerCallAndWritesInOne)
{
    uint8_t buffer[4] = {};
    EXPECT_TRUE(sample->Read(0x1000, 4, buffer));
    EXPECT_EQ(buffer[3], 0x44);
    EXPECT_EQ(kernel.callCount(DK_MEMORY_READ), 4u);
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_ACCESSOR), 4u);
    EXPECT_EQ(kernel.memory().counters().readBytes, 4u);

    const uint8_t update[4] = {1, 2, 3, 4};
    EXPECT_TRUE(sample->Write(0x1000, 4, update));
    EXPECT_EQ(kernel.callCount(DK_MEMORY_WRITE), 1u);
    EXPECT_TRUE(sample->Read(0x1002, 1, buffer));
    EXPECT_EQ(buffer[0], 3);
    EXPECT_TRUE(sample->Read(0x1000, 0, nullptr));
    EXPECT_FALSE(sample->Write(0x2000, 1, update)); // unmapped
}

TEST_F(SdkMemoryAccessTest, FailedReadsGiveZerosNotStaleBytes)
{
    uint8_t buffer[4] = {0xEE, 0xEE, 0xEE, 0xEE};
    EXPECT_FALSE(sample->Read(0x1002, 4, buffer)); // the last two bytes are unmapped
    EXPECT_EQ(buffer[0], 0x33);
    EXPECT_EQ(buffer[2], 0);
    EXPECT_EQ(buffer[3], 0);
    kernel.injectFailure(DK_MEMORY_READ, DK_STATUS_FAILURE); // the debugger leaves junk behind
    EXPECT_FALSE(sample->Read(0x1000, 1, buffer));
    EXPECT_EQ(buffer[0], 0);

    // The kernel data engine's port zeroes the whole buffer.
    kernel::TargetPort* port = kernel::GetTargetPort();
    ASSERT_NE(port, nullptr);
    std::fill(buffer, buffer + 4, 0xEE);
    EXPECT_FALSE(port->read(0x1002, 4, buffer));
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(port->read(0x1000, 2, buffer));
    EXPECT_EQ(buffer[1], 0x22);
}

TEST_F(SdkMemoryAccessTest, SymbolLookupTakesTheLowAddressBits)
{
    kernel.symbols().add({"pKWS", true, 0, 0x1'2345'6789, 5});
    kernel.symbols().add({"floating", false, 0, 0, 5});
    EXPECT_EQ(GetTargetSymbol("pKWS"), 0x23456789u);
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_SYMBOLS), 1u);
    EXPECT_EQ(kernel.callCount(DK_SYMBOL_LOOKUP), 1u);
    EXPECT_EQ(GetTargetSymbol("floating"), 0xFFFFFFFFu);
    uint64_t locationCalls = kernel.callCount(DK_SYMBOL_LOCATION);
    EXPECT_EQ(GetTargetSymbol("absent"), 0xFFFFFFFFu);
    EXPECT_EQ(kernel.callCount(DK_SYMBOL_LOCATION), locationCalls); // no location asked for handle 0
    EXPECT_EQ(kernel::GetTargetPort()->symbolAddress("absent"), std::nullopt);
    EXPECT_EQ(kernel::GetTargetPort()->symbolAddress("pKWS"), 0x23456789u);
}

// The anchor under a prefix, as the control panel asks for it: each name costs one lookup, and only a
// name that was found asks for its location.
TEST_F(SdkMemoryAccessTest, AnAnchorUnderAPrefixIsFoundByItsOwnNameOnly)
{
    kernel.symbols().add({"_pKWS", true, 0, 0x2000, 5});
    kernel::TargetPort* port = kernel::GetTargetPort();
    ASSERT_NE(port, nullptr);
    EXPECT_EQ(port->symbolAddress("pKWS"), std::nullopt);
    EXPECT_EQ(port->symbolAddress("_pKWS"), 0x2000u);
    EXPECT_EQ(kernel.callCount(DK_SYMBOL_LOOKUP), 2u);
    EXPECT_EQ(kernel.callCount(DK_SYMBOL_LOCATION), 1u);
}

TEST_F(SdkMemoryAccessTest, ContextsWithoutHandleCallNothing)
{
    DkContext none;
    TargetLocation location;
    uint8_t byte = 0;
    EXPECT_EQ(none.GetLocation(location), DK_STATUS_FAILURE);
    EXPECT_EQ(none.SetLocation(location), DK_STATUS_FAILURE);
    EXPECT_EQ(none.Status1(), DK_STATUS_FAILURE);
    EXPECT_FALSE(none.Query());
    EXPECT_EQ(none.MemoryOperation(DK_MEMORY_READ, location, 1, &byte, 8, nullptr), DK_STATUS_FAILURE);
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_ACCESSOR), 0u);
    EXPECT_TRUE(kernel.unexpectedEntries().empty());

    {
        DkContext owned(0x77, false);
        DkContext copy = owned;
        DkContext borrowed(0x158, true);
        copy = borrowed;
    }
    EXPECT_EQ(kernel.callCount(DK_CONTEXT_RELEASE), 1u); // owned: once; borrowed: never
}

TEST_F(SdkMemoryAccessTest, LocationsAndZones)
{
    TargetLocation top(MemoryZone(0), 0xFFFFFFFFFFFFFFFFull);
    top.Advance(2);
    EXPECT_EQ(top.GetAddress(), 1u);
    TargetLocation other(MemoryZone(5), 11);
    EXPECT_EQ(other.Distance(top), 10);
    EXPECT_EQ(top.raw().reserved, 0u);

    ZoneRegistry& zones = ZoneRegistry::instance();
    EXPECT_EQ(zones.ids(), (std::vector<uint32_t>{0}));
    EXPECT_EQ(zones.name(0), "Memory");
    EXPECT_EQ(zones.name(42), "");
    EXPECT_EQ(zones.first(42), 0u);
    EXPECT_EQ(zones.ids().size(), 1u); // a query does not enter an unknown id
    uint32_t id = 99;
    EXPECT_FALSE(zones.idByName("Nowhere", id));
    EXPECT_EQ(id, 99u);
}

using SdkZonesTest = SdkTest;

TEST_F(SdkZonesTest, ZoneListsThatGrowOrRepeatNames)
{
    kernel.setZones({{3, "Same", 0, 1, 0, 0, 0, 0}, {4, "Same", 0, 2, 0, 0, 0, 0}});
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    ZoneRegistry& zones = ZoneRegistry::instance();
    EXPECT_EQ(zones.ids(), (std::vector<uint32_t>{3, 4}));
    uint32_t id = 0;
    EXPECT_TRUE(zones.idByName("Same", id));
    EXPECT_EQ(id, 4u); // the later one
    EXPECT_EQ(zones.defaultZone(), 3u);
    EXPECT_EQ(TargetLocation().GetZone().GetId(), 3u);
    EXPECT_EQ(PluginApiExit(), 0);

    kernel.setZones({{0, "Memory", 0, 1, 0, 0, 0, 0}});
    kernel.setGrowingZones(4);
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_EQ(zones.ids(), (std::vector<uint32_t>{0, 1, 2, 3}));
    EXPECT_EQ(PluginApiExit(), 0);

    kernel.setZones({});
    ASSERT_EQ(PluginApiInit(kernel.table()), 0);
    EXPECT_TRUE(zones.ids().empty());
}

} // namespace
} // namespace dk::test
