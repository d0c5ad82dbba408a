// The control panel's display list, anchor search and second-image path, the command table, and the
// kernel information rows, over generated kernels.

#include "plugin/views/commands.h"
#include "plugin/views/display_table.h"
#include "plugin/views/kernel_info_rows.h"
#include "plugin/views/tests/views_fixture.h"
#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/scratch_dir.h"
#include "plugin/kernel/text_utils.h"

#include <gtest/gtest.h>

#include <map>

namespace views::test {
namespace {

using kernel::ObjectKind;

std::vector<std::string> listedNames()
{
    std::vector<std::string> names;
    for (const ListedDisplay& display : ListedDisplays(true, ComputeClassMask()))
        names.push_back(display.name);
    return names;
}

TEST(DisplayList, FollowsTheConnectedKernel)
{
    {
        GeneratedKernel kernel(&BuildTasksAndSemaphores);
        ASSERT_EQ(kernel.load(), 0);
        EXPECT_EQ(ComputeClassMask(), 0x3u);
        EXPECT_EQ(listedNames(), (std::vector<std::string>{"Kernel Info", "Tasks", "Semaphore", "Task Ready List"}));
        EXPECT_TRUE(ListedDisplays(false, 0x3).empty());
        // The item data is the table row, so a double click finds the command.
        std::vector<ListedDisplay> listed = ListedDisplays(true, 0x3);
        EXPECT_EQ(DisplayTable()[static_cast<std::size_t>(listed[3].row)].command, 12u);
    }
    {
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
            BuildTasksAndSemaphores(b);
            b.addClass(ObjectKind::Exception, 2, 0, 0x8);
            b.addClass(ObjectKind::Thread, 2, 0, 0);
            b.addClass(ObjectKind::Level, 2, 0, 0);
            b.addClass(ObjectKind::Pipe, 1, 0, 0);
        });
        ASSERT_EQ(kernel.load(), 0);
        EXPECT_EQ(listedNames(), (std::vector<std::string>{"Kernel Info", "Tasks", "Semaphore", "Pipe", "Thread",
                                                           "Exception", "Task Ready List", "Exception Backtrace"}));
    }
    {
        // The backtrace needs exception attribute 0x8; the thread display needs the level record too.
        GeneratedKernel kernel([](simtarget::TargetBuilder& b) {
            b.addClass(ObjectKind::Exception, 2, 0, 0);
            b.addClass(ObjectKind::Thread, 2, 0, 0);
            b.addClass(ObjectKind::Level, 2, 0, 0);
            b.clearClassPointer(ObjectKind::Level);
        });
        ASSERT_EQ(kernel.load(), 0);
        EXPECT_EQ(listedNames(), (std::vector<std::string>{"Kernel Info", "Exception"}));
    }
}

TEST(DisplayList, AnchorSearchAndSecondImage)
{
    std::vector<std::string> asked;
    std::map<std::string, uint32_t> symbols{{"_pKWS", 0x2000}};
    auto lookup = [&](const std::string& name) {
        asked.push_back(name);
        auto it = symbols.find(name);
        return it == symbols.end() ? 0xFFFFFFFFu : it->second;
    };
    EXPECT_EQ(FindKernelAnchor(lookup), 0x2000u);
    EXPECT_EQ(asked, (std::vector<std::string>{"pKWS", "_pKWS"}));
    symbols[".pKWS"] = 0x3000;
    symbols["pKWS"] = 0x1000;
    EXPECT_EQ(FindKernelAnchor(lookup), 0x1000u);
    symbols.clear();
    asked.clear();
    EXPECT_EQ(FindKernelAnchor(lookup), 0u);
    EXPECT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked.back(), "FpKWS");

    EXPECT_EQ(SecondImagePath("/work/z5data.a79"), "/work/i2data.a79");
    EXPECT_EQ(SecondImagePath("z5data.a79"), "i2data.a79");
    EXPECT_EQ(SecondImagePath("/work/z5data"), "/work/i2data.");
    // The services image is optional; one that is there but malformed says so, naming file and line.
    kernel::test::ScratchDir dir;
    EXPECT_EQ(LoadServicesImage(dir.file("z5data.a79")), "");
    dir.write("i2data.a79", "S1060010010203E6\n");
    const std::string problem = LoadServicesImage(dir.file("z5data.a79"));
    EXPECT_NE(problem.find("i2data.a79:1: checksum"), std::string::npos) << problem;

    EXPECT_EQ(DialogIdForCommand(16), 1033u);
    EXPECT_EQ(DialogIdForCommand(1), 1039u);
    EXPECT_EQ(DialogIdForCommand(17), 0u);
    EXPECT_EQ(DialogIdForCommand(0), 0u);
}

std::vector<std::string> attributes(const std::vector<KernelInfoRow>& rows)
{
    std::vector<std::string> names;
    for (const auto& row : rows)
        names.push_back(row.first);
    return names;
}

std::string valueOf(const std::vector<KernelInfoRow>& rows, const std::string& attribute)
{
    for (const KernelInfoRow& row : rows)
        if (row.first == attribute)
            return row.second;
    return "<no row>";
}

TEST(KernelInfo, RowsFollowTheKernel)
{
    simtarget::KernelSpec spec;
    spec.kernelStackSize = 512;
    {
        GeneratedKernel kernel(
            [](simtarget::TargetBuilder& b) {
                BuildTasksAndSemaphores(b);
                b.addClass(ObjectKind::Exception, 1, 0, 0x8);
                b.setKwsField(0, 2);
                b.setKwsField(5, 7);
                b.setKwsField(22, 4096);
                b.setKwsField(25, 1);
            },
            spec);
        ASSERT_EQ(kernel.load(), 0);
        // Refused before Kernel Information read them: the words the connect read are held, the others
        // are no values.
        kernel.target().setRefuseReads(true);
        kernel::DropTargetReadCache();
        std::vector<KernelInfoRow> rows = BuildKernelInfoRows();
        EXPECT_EQ(valueOf(rows, "Free system RAM"), kStackNotRead);
        EXPECT_EQ(valueOf(rows, "Scheduling mode"), kStackNotRead);
        EXPECT_EQ(valueOf(rows, "Current interrupt nesting level"), "2");
        EXPECT_EQ(rows.back().first, kKernelValuesNotRead);
        kernel.target().setRefuseReads(false);
        kernel::DropTargetReadCache();
        rows = BuildKernelInfoRows();
        EXPECT_EQ(attributes(rows),
                  (std::vector<std::string>{"Anchor address", "Anchor contents", "Address of SYSPROP structure",
                                            "Kernel version", "User version", "System RAM base address",
                                            "System RAM size", "Free system RAM", "Kernel stack base address",
                                            "Kernel stack size", "Scheduling mode", "Current interrupt nesting level",
                                            "Maximum interrupt nesting level", "Clock rate (Hz)"}));
        EXPECT_EQ(rows[1].second, "0x" + kernel::HexText(kernel::GetKwsAddress(), 8, false, true));
        EXPECT_EQ(rows[3].second, "0x0123");
        EXPECT_EQ(rows[4].second, "0x0001");
        EXPECT_EQ(rows[9].second, "512");
        EXPECT_EQ(rows[7].second, "4096");
        EXPECT_EQ(rows[10].second, "1 (Disabled)");
        EXPECT_EQ(rows[11].second, "2");
        EXPECT_EQ(rows[12].second, "7");
        EXPECT_EQ(rows[13].second, "1000");
    }
    spec.kernelStackSize = 0;
    {
        GeneratedKernel kernel(&BuildTasksAndSemaphores, spec);
        ASSERT_EQ(kernel.load(), 0);
        std::vector<KernelInfoRow> rows = BuildKernelInfoRows();
        EXPECT_EQ(attributes(rows),
                  (std::vector<std::string>{"Anchor address", "Anchor contents", "Address of SYSPROP structure",
                                            "Kernel version", "User version", "System RAM base address",
                                            "System RAM size", "Free system RAM", "Current interrupt nesting level",
                                            "Clock rate (Hz)"}));
    }
}

} // namespace
} // namespace views::test
