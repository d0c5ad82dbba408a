// The layout loader over a hand-made data file and target, independent of the generator: the byte
// image below is the reference, written out field by field.
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/tests/scratch_dir.h"

#include <gtest/gtest.h>

namespace kernel::test {
namespace {

// Big-endian bytes under construction.
struct Bytes {
    std::vector<uint8_t> b = std::vector<uint8_t>(0x800, 0);
    void put16(uint32_t at, uint32_t v) { b[at] = static_cast<uint8_t>(v >> 8); b[at + 1] = static_cast<uint8_t>(v); }
    void put32(uint32_t at, uint32_t v) { put16(at, v >> 16); put16(at + 2, v & 0xFFFF); }
};

// A port 7 (or port 8) data file, big-endian:
//   0x000 A=4, B=2, format word 0x0100, H=0x0010
//   0x010 header: 47 pairs {cell, size}; unlisted entries point at cell 0x1F0, which names an all-zero table
//   0x100.. cells: port, version, default anchor 0x1000, KWS size, then table and list locations
//   0x200 KWS (32 fields of 4 at 4*i), 0x300 SYSPROP (11), 0x400 class entry (11), 0x440 task (20)
//   0x380 unit sizes, 0x3A0 class numbers, 0x3E0 port section
// On port 8 table locations and the default anchor are stored halved and class numbers are 2 bytes.
std::string handDataFile(bool port8)
{
    Bytes f;
    f.b[0] = 4;
    f.b[1] = 2;
    f.put16(2, 0x0100);
    f.put16(4, 0x0010);
    for (int e = 0; e < 47; ++e) {
        f.put16(0x10 + 4 * static_cast<uint32_t>(e), 0x1F0);
        f.put16(0x12 + 4 * static_cast<uint32_t>(e), 2);
    }
    f.put16(0x1F0, port8 ? 0x300 : 0x600);
    auto entry = [&](int e, uint32_t cell, uint32_t size) {
        f.put16(0x10 + 4 * static_cast<uint32_t>(e), cell);
        f.put16(0x12 + 4 * static_cast<uint32_t>(e), size);
    };
    entry(0, 0x100, 2);  f.put16(0x100, port8 ? 8 : 7);
    entry(1, 0x104, 4);  f.put32(0x104, 0x0120);
    entry(8, 0x108, 4);  f.put32(0x108, port8 ? 0x0800 : 0x1000);
    entry(9, 0x10C, 4);  f.put32(0x10C, 0x80);
    auto table = [&](int e, uint32_t cell, uint32_t at, int fields) {
        entry(e, cell, 2);
        f.put16(cell, port8 ? at / 2 : at);
        for (int i = 0; i < fields; ++i) {
            f.put16(at + 4 * static_cast<uint32_t>(i), 4 * static_cast<uint32_t>(i));
            f.put16(at + 4 * static_cast<uint32_t>(i) + 2, 4);
        }
    };
    table(10, 0x110, 0x200, 32);
    table(26, 0x112, 0x300, 11);
    table(11, 0x11A, 0x400, 11);
    table(12, 0x11C, 0x440, 20);
    entry(28, 0x114, 2); f.put16(0x114, 0x380);
    const uint32_t units[12] = {4, 4, 4, 0, 0, 8, 28, 0, 0, 0, 0, 0};
    for (uint32_t i = 0; i < 12; ++i)
        f.put16(0x380 + 2 * i, units[i]);
    entry(32, 0x116, 2); f.put16(0x116, 0x3A0);
    for (uint32_t i = 0; i < 13; ++i) {
        if (port8)
            f.put16(0x3A0 + 2 * i, i);
        else
            f.put32(0x3A0 + 4 * i, i);
    }
    entry(34, 0x118, 2); f.put16(0x118, 0x3E0);
    entry(33, 0x11E, 2); f.put16(0x11E, 0xA5A5);
    return WriteSRecords({{0, f.b}}, "hand");
}

// Target: the anchor at 0x1000 holds the KWS 0x2000, whose field 23 points at SYSPROP 0x3000 (on port 8
// the anchor is 2 bytes and both pointers hold word addresses).
void handTarget(FakeTarget& t, bool port8, uint32_t configuration = 0x1)
{
    t.map(0x1000, 0x10);
    t.map(0x2000, 0x100);
    t.map(0x3000, 0x40);
    if (port8)
        t.poke16(0x1000, 0x1000, false);
    else
        t.poke32(0x1000, 0x2000, false);
    t.poke32(0x2000 + 23 * 4, port8 ? 0x1800 : 0x3000, false);
    t.poke32(0x3000 + 4, configuration, false);
    t.poke32(0x3000 + 8, 0x0123, false);
}

class HandLayout : public ::testing::Test {
protected:
    void SetUp() override
    {
        FreeKernelWorkspace();
        ResetMemoryImages();
        ResetTargetAccess();
        SetAddressUnitBits(8);
        SetLittleEndian(0);
    }
    void TearDown() override
    {
        FreeKernelWorkspace();
        ResetMemoryImages();
        ResetTargetAccess();
    }
    ScratchDir dir;
};

TEST_F(HandLayout, LoadsTheHandMadeTarget)
{
    FakeTarget target;
    handTarget(target, false);
    ASSERT_EQ(LoadKernelWorkspace(1, dir.write("z5.a79", handDataFile(false)), 0, 0x1000), LoadOk);
    EXPECT_EQ(GetKwsAddress(), 0x2000u);
    EXPECT_EQ(GetPortCode(), 7);
    EXPECT_EQ(GetKwsDescriptor()->stackFillPattern, 0xA5A5);
    EXPECT_EQ(GetClassNumber(ObjectKind::Level), 0);
    EXPECT_EQ(GetClassNumber(ObjectKind::Task), 7);
    EXPECT_EQ(GetClassNumber(ObjectKind::Mutex), 12);
    EXPECT_EQ(KernelWorkspaceValues()[10], 0x2000u + 44);
    EXPECT_EQ(KernelWorkspaceValues()[22], 0x3000u);
    EXPECT_TRUE(GetKwsDescriptor()->objects[0].present());
    EXPECT_EQ(GetKwsDescriptor()->objects[0].offsets[19], 76);
    for (int k = 1; k < kObjectKindCount; ++k)
        EXPECT_FALSE(GetKwsDescriptor()->objects[static_cast<std::size_t>(k)].present()) << k;
}

TEST_F(HandLayout, Port8DoublesTableLocationsAndPointers)
{
    FakeTarget target;
    handTarget(target, true);
    ASSERT_EQ(LoadKernelWorkspace(1, dir.write("z5.a79", handDataFile(true)), 0, 0), LoadOk);
    EXPECT_EQ(GetAnchorAddress(), 0x1000u);
    EXPECT_EQ(GetKwsAddress(), 0x2000u);
    EXPECT_EQ(KernelWorkspaceValues()[22], 0x3000u);
    EXPECT_EQ(GetWordUnits(), 2);
    EXPECT_EQ(GetClassNumber(ObjectKind::Mutex), 12);
    EXPECT_EQ(GetKwsDescriptor()->kws.offsets[31], 124); // the table at 0x200, found through 0x100
    // A following port 7 load starts again from the normal element sizes.
    FreeKernelWorkspace();
    FakeTarget plain;
    handTarget(plain, false);
    ASSERT_EQ(LoadKernelWorkspace(1, dir.write("z7.a79", handDataFile(false)), 0, 0x1000), LoadOk);
    EXPECT_EQ(GetWordUnits(), 4);
    EXPECT_EQ(GetClassNumber(ObjectKind::Mutex), 12);
}

TEST_F(HandLayout, ReadsTheLayoutFromTargetMemoryWithoutAFile)
{
    FakeTarget target;
    handTarget(target, false);
    std::vector<SRecordBlock> blocks;
    ASSERT_EQ(ParseSRecords(handDataFile(false), blocks).status, SRecordStatus::Ok);
    for (const auto& block : blocks)
        target.poke(0x8000 + block.address, block.data);
    EXPECT_EQ(LoadKernelWorkspace(0, "", 0x8000, 0x1000), LoadOk);
    EXPECT_EQ(GetKwsAddress(), 0x2000u);
    EXPECT_EQ(GetKwsDescriptor()->objects[0].offsets[19], 76);
}

TEST_F(HandLayout, ConfigurationWordSelectsTheObjectLayouts)
{
    FakeTarget target;
    handTarget(target, false, 0x400);
    ASSERT_EQ(LoadKernelWorkspace(1, dir.write("z5.a79", handDataFile(false)), 0, 0x1000), LoadOk);
    const auto& objects = GetKwsDescriptor()->objects;
    EXPECT_FALSE(objects[static_cast<int>(ObjectKind::Task)].present());
    EXPECT_TRUE(objects[static_cast<int>(ObjectKind::Thread)].present());
    EXPECT_TRUE(objects[static_cast<int>(ObjectKind::Level)].present());
}

TEST_F(HandLayout, FieldWidths)
{
    FakeTarget target;
    target.poke(0x100, {0x81, 0x82, 0x83, 0x84, 0x85, 0x86});
    const uint64_t reads = target.readCalls;
    EXPECT_EQ(ReadTargetField(0x100, 5, false), 0u);
    EXPECT_EQ(target.readCalls, reads);
    EXPECT_FALSE(WriteTargetField(0x100, 5, false, 1));
    EXPECT_TRUE(target.writes.empty());
    EXPECT_EQ(ReadTargetField(0x100, 1, false), 0x81u);
    EXPECT_EQ(ReadTargetField(0x100, 2, false), 0x8182u);
    EXPECT_EQ(ReadTargetField(0x100, 3, true), 0x818283u);
    EXPECT_EQ(ReadTargetField(0x100, 4, false), 0x81828384u);
    EXPECT_EQ(ReadTargetField(0x100, 6, false), 0x81828384u);
    EXPECT_EQ(ReadTargetField(0x100, 0, false), 0u);
    EXPECT_EQ(ReadTargetField(0x100, -4, false), 0u);
    LayoutTable t{{0, 2}, {2, 2}};
    EXPECT_EQ(ReadSignedField(t, 1, 0x100), static_cast<int32_t>(0xFFFF8384u));
    EXPECT_EQ(ReadField(t, 2, 0x100), 0u); // no such field
    EXPECT_TRUE(WriteTargetField(0x100, 3, false, 0x00ABCDEF));
    EXPECT_EQ(target.peek(0x100, 4), (std::vector<uint8_t>{0xAB, 0xCD, 0xEF, 0x84}));
}

TEST_F(HandLayout, NothingWithoutALayout)
{
    KernelInfo info;
    info.fill(7);
    ReadKernelInfo(info);
    EXPECT_EQ(info[0], 0u);
    KernelProperties props;
    GetSystemProperties(props);
    EXPECT_EQ(props[0], 0u);
    DataFileHeader header;
    ReadDataFileHeader(header);
    EXPECT_EQ(header.portCode, 0);
    EXPECT_EQ(GetKernelStackSpare().bytes, 0u);
    EXPECT_EQ(GetKwsAddress(), 0u);
}

} // namespace
} // namespace kernel::test
