// The demo target kept in samples/target: it loads, and the generator still makes exactly these files.
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/object_readers.h"
#include "plugin/kernel/object_texts.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/tests/fake_target.h"
#include "plugin/kernel/tests/scratch_dir.h"
#include "standins/debugger/simtarget/kernel_objects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace simtarget::test {
namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SampleTarget, LoadsAndMatchesTheGenerator)
{
    const char* source = std::getenv("KORVANE_SOURCE_DIR");
    if (!source)
        GTEST_SKIP() << "KORVANE_SOURCE_DIR is not set";
    const std::string folder = std::string(source) + "/samples/target/";

    // The files simtarget-gen writes with the options the sample's README gives.
    KernelSpec spec;
    spec.port = 3;
    spec.symbolPrefix = "_";
    TargetBuilder builder(spec);
    BuildDemo(builder);
    kernel::test::ScratchDir dir;
    std::string error;
    ASSERT_TRUE(WriteTargetFiles(builder.build(), dir.path().string(), "a79", error)) << error;
    for (const char* name : {"z5data.a79", "i2data.a79", "target.srec", "target.sym"})
        EXPECT_EQ(readFile(folder + name), readFile(dir.path().string() + "/" + name)) << name;
    EXPECT_EQ(readFile(folder + "target.sym"), "_pKWS 0x20000000\n");

    kernel::test::FakeTarget target;
    std::vector<kernel::SRecordBlock> blocks;
    std::string message;
    ASSERT_EQ(kernel::ReadSRecordFile(folder + "target.srec", blocks, message), 0) << message;
    for (const auto& block : blocks)
        target.poke(block.address, block.data);
    kernel::FreeKernelWorkspace();
    kernel::ResetMemoryImages();
    kernel::SetLittleEndian(1);
    kernel::SetAddressUnitBits(8);
    ASSERT_EQ(kernel::LoadKernelWorkspace(1, folder + "z5data.a79", 0, 0x20000000), kernel::LoadOk);
    EXPECT_EQ(kernel::LoadSecondImage(folder + "i2data.a79", 0), 0);
    ASSERT_EQ(kernel::EnsureTaskClassRecord(), 1);
    EXPECT_EQ(kernel::FormatTaskName(2), "Sleeper");

    // What the windows show lies in target.srec: the messages' first 16 bytes and every task's argument
    // block; the task, partition and mutex semaphores are set.
    auto inMemory = [&blocks](uint32_t address, uint32_t size) {
        return address != 0 && std::any_of(blocks.begin(), blocks.end(), [&](const kernel::SRecordBlock& b) {
                   return address >= b.address && uint64_t{address} + size <= b.address + b.data.size();
               });
    };
    for (int k = 0; k < kernel::kObjectKindCount; ++k)
        kernel::EnsureClassRecord(kernel::ClassOf(static_cast<kernel::ObjectKind>(k)));
    EXPECT_TRUE(inMemory(kernel::ReadMailboxMessageAddress(1, 1), 16));
    EXPECT_TRUE(inMemory(kernel::ReadMailboxMessageAddress(1, 2), 16));
    for (uint32_t n = 1; n <= 6; ++n)
        EXPECT_TRUE(inMemory(kernel::ReadTaskArgAddress(n), 4)) << n;
    EXPECT_NE(kernel::ReadTaskSemaphore(1), 0u);
    EXPECT_NE(kernel::GetPartitionNotEmptySemaphore(1), 0u);
    EXPECT_NE(kernel::GetMutexNotBusySemaphore(1), 0u);
    kernel::FreeKernelWorkspace();
    kernel::ResetMemoryImages();
    kernel::ResetTargetAccess();
}

} // namespace
} // namespace simtarget::test
