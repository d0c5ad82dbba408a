// A refresh of a kernel whose class tables are garbage costs no more than the read budget: every window
// of the demo open, then a stop, on the demo kernel sound and with its class entries and objects
// overwritten (all 0xFF, or random bytes).

#include "plugin/views/object_list_window.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/window_manager.h"

#include "plugin/kernel/class_record.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/read_budget.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/fake_target.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>

namespace views::test {
namespace {

enum class Garble { None, AllOnes, Random };

constexpr const char* kCutText = "... list cut: the target read budget of this refresh is spent";

// The extent in bytes of a layout table (its furthest field end).
uint32_t extent(const kernel::LayoutTable& t)
{
    int64_t end = 0;
    for (int f = 0; f < t.count(); ++f)
        end = std::max<int64_t>(end, int64_t{t.offsets[f]} + t.sizes[f]);
    return static_cast<uint32_t>(end) * static_cast<uint32_t>(std::max(kernel::GetAddressUnitWidth(), 1));
}

// Overwrites every class entry and the memory its objects had, as a kernel that has not yet set up
// its objects leaves them; reads outside the target's memory then give the same pattern (AllOnes) or
// fail (Random).
void garble(GeneratedKernel& k, Garble how)
{
    if (how == Garble::None)
        return;
    kernel::test::FakeTarget& target = k.target();
    std::mt19937 random(34);
    auto bytes = [&](uint32_t count) {
        std::vector<uint8_t> out(count, 0xFF);
        if (how == Garble::Random)
            for (uint8_t& b : out)
                b = static_cast<uint8_t>(random());
        return out;
    };
    const kernel::KwsDescriptor* d = kernel::GetKwsDescriptor();
    ASSERT_NE(d, nullptr);
    const uint32_t entrySize = extent(d->classEntry);
    for (int k2 = 0; k2 < kernel::kObjectKindCount; ++k2) {
        const auto kind = static_cast<kernel::ObjectKind>(k2);
        for (uint32_t n = 1; n <= k.builder().objectCount(kind); ++n)
            target.poke(k.builder().objectAddress(kind, n), bytes(extent(d->objects[static_cast<std::size_t>(k2)])));
    }
    const int32_t slot = kernel::FieldSize(d->kws, 11);
    for (int cls = 0; cls < kernel::kClassSlots; ++cls) {
        const uint32_t entry = target.peek32(kernel::GetClassTableAddress() + static_cast<uint32_t>(cls * slot), true);
        if (entry != 0)
            target.poke(entry, bytes(entrySize));
    }
    if (how == Garble::AllOnes) {
        target.setFailUnmapped(false);
        target.setUnmappedFill(0xFF);
    }
}

struct Reads {
    uint64_t opening = 0; // every window opened, one after another
    uint64_t stop = 0;    // the refresh of a stop with every window open
    int cutWindows = 0;   // windows that end in the budget's row
    uint64_t budget = 0;  // the budget of the stop's round
};

Reads openEverythingAndStop(Garble how)
{
    QuietEnvironment quiet;
    GeneratedKernel k(&simtarget::BuildDemo);
    EXPECT_EQ(k.load(), 0);
    garble(k, how);
    kernel::test::FakeTarget& target = k.target();
    // Classes load at their first use, as after Initialize.
    kernel::FreeClassRecords();
    Reads reads;
    WindowManager manager;
    const uint64_t start = target.bytesRead;
    for (uint32_t command = 1; command <= 16; ++command) {
        manager.OnDisplayCommand(command);
        drainEvents();

    }
    reads.opening = target.bytesRead - start;
    const uint64_t beforeStop = target.bytesRead;
    manager.OnTargetStopped();
    drainEvents();
    reads.stop = target.bytesRead - beforeStop;
    for (ObjectWindow* window : manager.windows())
        if (auto* list = dynamic_cast<ObjectListWindow*>(window))
            for (int r = 0; r < list->list()->rowCount(); ++r)
                for (int c = 0; c < list->list()->columnCount(); ++c)
                    if (list->list()->cellText(r, c) == kCutText)
                        ++reads.cutWindows;
    reads.budget = kernel::RefreshReadBudget();
    std::cout << "budget " << reads.budget << ", windows " << manager.windows().size() << ", reads opening " << reads.opening << ", stop "
              << reads.stop << ", windows cut " << reads.cutWindows << std::endl;
    manager.CloseAllWindows();
    return reads;
}

TEST(ReadBudget, GarbageClassTablesCostAtMostTheBudgetPerRefresh)
{
    const Reads healthy = openEverythingAndStop(Garble::None);
    EXPECT_EQ(healthy.cutWindows, 0);
    EXPECT_LT(healthy.stop, healthy.budget / 8);
    for (Garble how : {Garble::AllOnes, Garble::Random}) {
        SCOPED_TRACE(how == Garble::AllOnes ? "0xFF" : "random");
        const Reads garbled = openEverythingAndStop(how);
        // One budget for the stop's refresh of every window; one per window opened on its own.
        EXPECT_LE(garbled.stop, garbled.budget);
        EXPECT_LE(garbled.opening, 16 * garbled.budget);
        // At most a small multiple of the sound kernel's refresh.
        EXPECT_LE(garbled.stop, 16 * healthy.stop);
        if (how == Garble::AllOnes) {
            EXPECT_GT(garbled.cutWindows, 0);
        }
    }
}

} // namespace
} // namespace views::test
