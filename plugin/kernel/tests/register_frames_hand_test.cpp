// Register decoding of saved task contexts and exception frames on every processor port, in both byte
// orders, over kernels written here byte by byte: the register-to-slot rows, the short-frame flags, the
// frame-type slot and the backtrace registers below are the port tables as the kernel's port manuals
// give them, so a wrong row in the plug-in's maps shows here.
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/registers.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/tests/scratch_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <ostream>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace kernel::test {
namespace {

struct PortTable {
    int port;
    int contextSlots;
    int registersRead;
    int registersWithState;
    int frameTypeSlot; // -1: none
    // Next frame, then the three registers the backtrace shows; all 0 on ports without exception frames.
    int link, a, b, c;
    // Register rows from register 0: the context slot, "-" for the stack pointer, "*" when only a full
    // frame saves it.
    const char* rows;
};

const PortTable kPorts[] = {
    {3, 92, 92, 89, 69, 69, 68, 70, 71,
     "1 - 2 7* 8* 9* 10* 11* 12* 5* 6* 13* 14* 15* 16* 17* 18* 19* 20* 21* 22* 23* 24* 25* 26* 27* 28* 29* 30* "
     "31* 32* 33* 34* 35* 36* 37* 38* 39* 40* 41* 42* 3* 4* 43* 44* 45* 46* 47* 48* 49* 50* 51* 52* 53* 54* 55* "
     "56* 57* 58* 59* 60* 61* 62* 63* 64* 65* 66* 70* 71* 72* 73* 74* 75* 76* 77* 78* 79* 80* 81* 82* 83* 84* 85* "
     "86* 87* 88* 89* 90* 91* 92* 93* 94*"},
    {10, 92, 92, 89, 69, 69, 68, 70, 71,
     "1 - 2 7* 8* 9* 10* 11* 12* 5* 6* 13* 14* 15* 16* 17* 18* 19* 20* 21* 22* 23* 24* 25* 26* 27* 28* 29* 30* "
     "31* 32* 33* 34* 35* 36* 37* 38* 39* 40* 41* 42* 3* 4* 43* 44* 45* 46* 47* 48* 49* 50* 51* 52* 53* 54* 55* "
     "56* 57* 58* 59* 60* 61* 62* 63* 64* 65* 66* 70* 71* 72* 73* 74* 75* 76* 77* 78* 79* 80* 81* 82* 83* 84* 85* "
     "86* 87* 88* 89* 90* 91* 92* 93* 94*"},
    {13, 95, 92, 92, 69, 69, 68, 70, 71,
     "1 - 2 7* 8* 9* 10* 11* 12* 5* 6* 13* 14* 15* 16* 17* 18* 19* 20* 21* 22* 23* 24* 25* 26* 27* 28* 29* 30* "
     "31* 32* 33* 34* 35* 36* 37* 38* 39* 40* 41* 42* 3* 4* 43* 44* 45* 46* 47* 48* 49* 50* 51* 52* 53* 54* 55* "
     "56* 57* 58* 59* 60* 61* 62* 63* 64* 65* 66* 70* 71* 72* 73* 74* 75* 76* 77* 78* 79* 80* 81* 82* 83* 84* 85* "
     "86* 87* 88* 89* 90* 91* 92* 93* 94*"},
    {4, 49, 42, 42, 44, 38, 39, 40, 41,
     "42 - 43 5 7* 8* 9* 10* 11* 12* 13* 14* 15* 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 "
     "40 41 37 38 45 46 47 48"},
    {5, 21, 18, 18, 20, 0, 0, 0, 0, "3 - 4 5* 6* 7* 8* 9* 10* 11* 12* 13* 14* 15* 16* 17* 18* 19*"},
    {6, 48, 46, 46, 41, 40, 41, 42, 43,
     "3 - 2 5* 6* 7* 8* 9* 10* 11* 12* 13* 14* 15* 16* 17* 18* 19* 20* 22* 23* 24* 25* 26* 27* 28* 29* 30* 31* "
     "32* 33 34 35 36 37 38 39 40 4* 41* 42* 43* 44* 45* 46* 47*"},
    {7, 18, 18, 18, -1, 0, 0, 0, 0, "17 - 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 0"},
    {8, 44, 42, 42, 37, 36, 37, 38, 39,
     "3 - 2 5* 6* 7* 8* 9* 10* 11* 12* 13* 14* 15* 16* 17* 18* 19* 20* 21* 22* 23* 24* 25* 26* 27* 28* 29* 30* "
     "31* 32* 33* 34* 35* 36* 37* 38* 39* 40* 41* 42* 43*"},
    {9, 39, 36, 40, -1, 22, 23, 24, 25,
     "24 - 23 6* 7* 8* 9* 10* 11* 12* 13* 14* 16* 17* 18* 19* 20* 21* 22* 3* 4* 5* 25* 26* 27* 28* 29* 30* 31* "
     "32* 33* 34* 35* 36* 37* 38* 0 0 0 0"},
};

void PrintTo(const PortTable& table, std::ostream* out) { *out << "port " << table.port; }

struct Row {
    int slot; // -1: none
    bool fullFrameOnly;
};

std::vector<Row> parseRows(const char* text)
{
    std::vector<Row> rows;
    std::istringstream in(text);
    for (std::string item; in >> item;)
        rows.push_back(item == "-" ? Row{-1, false} : Row{std::stoi(item), item.back() == '*'});
    return rows;
}

// Fixed places of the hand-made kernel: the anchor, the KWS (below 0x100 on port 6, whose anchor is one
// byte), the system properties, the task class entry, three tasks, their contexts and three exception
// frames. Every structure is plain: field i at 4 x i, 4 bytes, except the KWS, whose inline class table
// (field 11, 14 entries) pushes the fields after it on by 52 bytes.
constexpr uint32_t kAnchor = 0x1000, kSysprop = 0x3000, kTaskEntry = 0x3100, kTasks = 0x4000;
constexpr uint32_t kFullContext = 0x10000, kShortContext = 0x10400, kBlockedStack = 0x10800,
                   kBlockedContext = 0x10900, kInactiveStack = 0x10C00, kFrames = 0x12000;
constexpr uint32_t kTaskClass = 7; // the class numbers are the positions in the data file's list
// The register whose slot the data file gives no size.
constexpr int kSizelessRegister = 5;

uint32_t kwsOffset(int field) { return field <= 11 ? 4u * field : 4u * field + 52; }
uint32_t slotValue(int port, int slot) { return 0x5A000000u | (static_cast<uint32_t>(port) << 16) | static_cast<uint32_t>(slot); }
uint32_t frameValue(uint32_t frame, int which) { return 0xE0000000u | (frame << 4) | static_cast<uint32_t>(which); }

class HandFrames : public ::testing::TestWithParam<std::tuple<PortTable, bool>> {
protected:
    void SetUp() override
    {
        table = std::get<0>(GetParam());
        little = std::get<1>(GetParam());
        rows = parseRows(table.rows);
        kws = table.port == 6 ? 0x40 : 0x2000;
        FreeKernelWorkspace();
        ResetMemoryImages();
        ResetTargetAccess();
        SetAddressUnitBits(8);
        SetLittleEndian(little ? 1 : 0);
        writeTarget();
        ASSERT_EQ(LoadKernelWorkspace(1, dir.write("hand.a79", dataFile()), 0, kAnchor), LoadOk);
        ASSERT_EQ(EnsureTaskClassRecord(), 1);
    }
    void TearDown() override
    {
        FreeKernelWorkspace();
        ResetMemoryImages();
        ResetTargetAccess();
    }

    // A pointer as the kernel stores it: port 8 counts 2-byte words.
    uint32_t stored(uint32_t address) const { return table.port == 8 ? address / 2 : address; }
    uint32_t task(uint32_t n) const { return kTasks + 0x100 * n; }
    void put32(uint32_t address, uint32_t value) { target.poke32(address, value, little); }
    void setTask(uint32_t n, int field, uint32_t value) { put32(task(n) + 4u * field, value); }

    void writeContext(uint32_t at, int frameType)
    {
        for (int slot = 0; slot < table.contextSlots; ++slot)
            put32(at + 4u * slot, slotValue(table.port, slot));
        if (table.frameTypeSlot >= 0)
            put32(at + 4u * table.frameTypeSlot, static_cast<uint32_t>(frameType));
    }

    void writeTarget()
    {
        target.map(kAnchor, 0x10);
        target.map(kws, 0x100);
        target.map(kSysprop, 0x40);
        target.map(kTaskEntry, 0x40);
        target.map(kTasks, 0x500);
        target.map(kFullContext, 0x1000);
        target.map(kFrames, 0xC00);
        switch (table.port) {
        case 6: target.poke8(kAnchor, static_cast<uint8_t>(kws)); break;
        case 8: target.poke16(kAnchor, static_cast<uint16_t>(stored(kws)), little); break;
        default: put32(kAnchor, kws); break;
        }
        put32(kws + kwsOffset(23), stored(kSysprop));
        put32(kws + kwsOffset(11) + 4 * kTaskClass, stored(kTaskEntry));
        put32(kSysprop + 4, 0x1);      // configuration: the task class
        put32(kSysprop + 8, 0x0123);   // kernel version
        put32(kTaskEntry + 8, 4);      // total
        put32(kTaskEntry + 12, 4);     // static
        put32(kTaskEntry + 16, 0x100); // stride
        put32(kTaskEntry + 20, kTasks);
        // Task 1 ready with a full frame, task 2 ready with a short one, task 3 blocked (its saved stack
        // pointer points at the cell holding the context address), task 4 inactive.
        writeContext(kFullContext, 1);
        writeContext(kShortContext, 0);
        writeContext(kBlockedContext, 1);
        setTask(1, 7, stored(kFullContext));
        setTask(2, 7, stored(kShortContext));
        setTask(3, 6, 0x20);
        setTask(3, 7, stored(kBlockedStack));
        put32(kBlockedStack, stored(kBlockedContext));
        setTask(4, 6, 0x800);
        setTask(4, 7, stored(kInactiveStack));
        for (uint32_t n = 1; n <= 4; ++n)
            setTask(n, 10, kFullContext - 0x100);
        // Exception frames, newest first, linked through the next-frame register's slot.
        if (table.link != 0) {
            put32(kws + kwsOffset(26), stored(kFrames));
            for (uint32_t i = 0; i < 3; ++i) {
                const uint32_t frame = kFrames + 0x400 * i;
                writeContext(frame, 1);
                put32(frame + 4u * slot(table.link), i < 2 ? stored(frame + 0x400) : 0);
                put32(frame + 4u * slot(table.a), frameValue(i, 1));
                put32(frame + 4u * slot(table.b), frameValue(i, 2));
                put32(frame + 4u * slot(table.c), frameValue(i, 3));
            }
        }
    }

    std::string dataFile() const
    {
        std::vector<uint8_t> f(0x1000, 0);
        auto p16 = [&](uint32_t at, uint32_t v) { StoreValue(f.data() + at, 2, v, little); };
        auto p32 = [&](uint32_t at, uint32_t v) { StoreValue(f.data() + at, 4, v, little); };
        const uint32_t word = table.port == 8 ? 2 : 4;
        f[0] = 4;           // the header-table location lies at 4
        f[1] = 2;           // and is 2 bytes wide
        p16(2, 0x0100);     // format word
        p16(4, 0x0010);     // header table
        auto entry = [&](int e, uint32_t size) {
            const uint32_t cell = 0x100 + 4u * e;
            p16(0x10 + 4u * e, cell);
            p16(0x12 + 4u * e, size);
            return cell;
        };
        uint32_t next = 0x400;
        // A table of `count` (offset, size) pairs; its location counts words on port 8.
        auto layout = [&](int e, int count, auto offsetOf, auto sizeOf) {
            const uint32_t at = next;
            next += 4u * count;
            p16(entry(e, 2), stored(at));
            for (int i = 0; i < count; ++i) {
                p16(at + 4u * i, offsetOf(i));
                p16(at + 4u * i + 2, sizeOf(i));
            }
        };
        auto plain = [](int i) { return 4u * i; };
        auto four = [](int) { return 4u; };
        p16(entry(0, 2), static_cast<uint32_t>(table.port));
        p32(entry(1, 4), 0x0120);
        p16(entry(3, 2), 8);
        p32(entry(9, 4), 0x100);
        layout(10, 32, kwsOffset, four);
        layout(11, 11, plain, four);
        layout(12, 20, plain, four);
        layout(26, 11, plain, four);
        const int sizeless = slot(kSizelessRegister);
        layout(27, table.contextSlots, plain, [sizeless](int i) { return i == sizeless ? 0u : 4u; });
        const uint32_t units = 0xE00;
        p16(entry(28, 2), units);
        const uint32_t sizes[12] = {4, 4, 4, 0, 0, 16, 28, 0, 0, 0, 0, 0};
        for (uint32_t i = 0; i < 12; ++i)
            p16(units + 2 * i, sizes[i]);
        const uint32_t numbers = 0xE40;
        p16(entry(32, 2), numbers);
        for (uint32_t i = 0; i < 13; ++i) {
            if (word == 2)
                p16(numbers + 2 * i, i);
            else
                p32(numbers + 4 * i, i);
        }
        p16(entry(34, 2), 0xEA0); // port section: stacks grow down
        return WriteSRecords({{0, f}}, "frames");
    }

    int slot(int reg) const { return reg >= 0 && reg < static_cast<int>(rows.size()) ? rows[static_cast<std::size_t>(reg)].slot : -1; }
    bool present(int reg) const
    {
        const int s = slot(reg);
        return s >= 0 && s < table.contextSlots && reg != kSizelessRegister;
    }
    // What register `reg` holds in a context written by writeContext.
    uint32_t expected(int reg, int frameType) const
    {
        if (!present(reg))
            return 0;
        return slot(reg) == table.frameTypeSlot ? static_cast<uint32_t>(frameType) : slotValue(table.port, slot(reg));
    }
    uint32_t expectedState(int reg, bool shortFrame) const
    {
        if (reg < 3)
            return RegisterValid;
        if ((table.port == 4 && (reg == 4 || reg == 15)) || !present(reg))
            return RegisterNotPresent;
        if (shortFrame && table.frameTypeSlot >= 0 && rows[static_cast<std::size_t>(reg)].fullFrameOnly)
            return RegisterNotSaved;
        return RegisterValid;
    }

    PortTable table{};
    bool little = false;
    std::vector<Row> rows;
    uint32_t kws = 0;
    FakeTarget target;
    ScratchDir dir;
};

TEST_P(HandFrames, RegistersOfSavedContexts)
{
    ASSERT_EQ(static_cast<int>(rows.size()), std::max(table.registersRead, table.registersWithState));
    for (uint32_t n : {1u, 2u, 3u}) {
        SCOPED_TRACE(n);
        const uint32_t context = n == 1 ? kFullContext : n == 2 ? kShortContext : kBlockedContext;
        const int frameType = n == 2 ? 0 : 1;
        EXPECT_EQ(GetTaskContextAddress(task(n)), context);
        for (int reg = 0; reg < table.registersRead; ++reg) {
            uint32_t size = 99;
            const uint32_t value = ReadTaskRegister(n, reg, &size);
            if (reg == 1) {
                EXPECT_EQ(value, context);
                EXPECT_EQ(size, 4u);
            } else {
                EXPECT_EQ(value, expected(reg, frameType)) << "register " << reg;
                EXPECT_EQ(size, present(reg) ? 4u : 0u) << "register " << reg;
            }
        }
        // Past the registers the port reads there is nothing, whatever the context holds.
        if (table.registersRead < table.contextSlots) {
            uint32_t size = 99;
            EXPECT_EQ(ReadTaskRegister(n, table.registersRead, &size), 0u);
            EXPECT_EQ(size, 0u);
        }
    }
}

TEST_P(HandFrames, StatesOfFullShortAndMissingFrames)
{
    const std::size_t end = static_cast<std::size_t>(std::max(table.contextSlots, table.registersWithState));
    std::vector<uint32_t> states(end + 8, 77);
    for (bool shortFrame : {false, true}) {
        SCOPED_TRACE(shortFrame);
        std::fill(states.begin(), states.end(), 77u);
        GetTaskRegisterStates(shortFrame ? 2 : 1, states.data(), static_cast<uint32_t>(states.size()));
        for (int reg = 0; reg < table.registersWithState; ++reg)
            EXPECT_EQ(states[static_cast<std::size_t>(reg)], expectedState(reg, shortFrame)) << "register " << reg;
        for (int reg = table.registersWithState; reg < table.contextSlots; ++reg)
            EXPECT_EQ(states[static_cast<std::size_t>(reg)], RegisterNoContext) << "register " << reg;
        EXPECT_EQ(states[end], 77u);
    }
    // An inactive task has no context: its states say so and only the stack pointer reads.
    std::fill(states.begin(), states.end(), 77u);
    GetTaskRegisterStates(4, states.data(), static_cast<uint32_t>(states.size()));
    for (int reg = 0; reg < table.contextSlots; ++reg)
        EXPECT_EQ(states[static_cast<std::size_t>(reg)], RegisterNoContext) << "register " << reg;
    EXPECT_EQ(ReadTaskRegister(4, 0, nullptr), 0u);
    EXPECT_EQ(ReadTaskRegister(4, 1, nullptr), kInactiveStack); // the saved stack pointer
}

TEST_P(HandFrames, ExceptionFrameChain)
{
    EXPECT_EQ((std::array<int, 4>{GetFrameLinkRegister(), GetBacktraceRegisterA(), GetBacktraceRegisterB(),
                                  GetBacktraceRegisterC()}),
              (std::array<int, 4>{table.link, table.a, table.b, table.c}));
    if (table.link == 0) {
        EXPECT_EQ(GetBacktraceDepth(), 0u);
        return;
    }
    EXPECT_EQ(GetBacktraceDepth(), 3u);
    BacktraceFrame frames[4];
    ASSERT_EQ(ReadBacktrace(frames, 4), 3u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(frames[i], (BacktraceFrame{kFrames + 0x400 * i, frameValue(i, 1), frameValue(i, 2), frameValue(i, 3)}))
            << "frame " << i;
}

std::string variantName(const ::testing::TestParamInfo<std::tuple<PortTable, bool>>& info)
{
    return "Port" + std::to_string(std::get<0>(info.param).port) + (std::get<1>(info.param) ? "Little" : "Big");
}

INSTANTIATE_TEST_SUITE_P(Ports, HandFrames, ::testing::Combine(::testing::ValuesIn(kPorts), ::testing::Bool()),
                         variantName);

} // namespace
} // namespace kernel::test
