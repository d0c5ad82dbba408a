#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "engine/util/tests/source_tree.h"
#include "platform/core/message_service.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <unistd.h>

using namespace engine;
namespace fs = std::filesystem;

namespace {

// The demo project of the source tree.
fs::path demoFolder()
{
    return fs::path(engine::testing::sourceTree()) / "samples" / "demo";
}

// A CPU whose configuration lists the demo's standard model by absolute path, in a scratch folder.
class CpuFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::is_directory(demoFolder())) << "the demo project is missing at " << demoFolder();
        std::memset(static_cast<void*>(&config), 0, sizeof config);
        model = {};
        setText(model.name, "Z5 Standard");
        ASSERT_TRUE(setText(model.path, (demoFolder() / "models" / "z5std.mdl").string()));
        config.modelCount = 1;
        config.models = &model;
        cpu = std::make_unique<CpuRecord>();
        std::memset(static_cast<void*>(cpu.get()), 0, sizeof(CpuRecord));
        CpuRecordHandler::ResetKernelRecord(cpu->kernel, true);
        scratch = fs::temp_directory_path() / ("cpu_files_" + std::to_string(::getpid()) + "_" +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(scratch);
    }
    void TearDown() override
    {
        if (!cpu)
            return;
        ProjectManager::FreeCpu(*cpu);
        fs::remove_all(scratch);
    }

    platform::ScopedScriptedMessages messages;
    ModelEntry model;
    ConfigRecord config;
    std::unique_ptr<CpuRecord> cpu;
    fs::path scratch;
};

TEST_F(CpuFiles, KernelFileRoundTripsThroughTheHandler)
{
    CpuRecordHandler handler(&cpu->kernel, &config, cpu.get());
    ASSERT_TRUE(handler.LoadModel(0)) << ::testing::PrintToString(messages->texts());
    ASSERT_TRUE(handler.ReadKernel((demoFolder() / "main.cpu").string()));
    ASSERT_GT(cpu->kernel.classCount, 0);
    EXPECT_TRUE(handler.IsKernelWritable());

    // Save elsewhere, spoil the selections, read back: the record is as it was.
    const std::string saved = (scratch / "copy.cpu").string();
    ASSERT_TRUE(handler.SetKernelPath(saved));
    ASSERT_TRUE(handler.SaveKernel());
    EXPECT_TRUE(fs::exists(saved));
    EXPECT_FALSE(fs::exists(saved + "temp"));

    KernelRecord snapshot;
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(snapshot, cpu->kernel));
    for (int32_t i = 0; i < cpu->kernel.classCount; ++i)
        cpu->kernel.classes[i].selected = 0;
    EXPECT_TRUE(CpuRecordHandler::KernelRecordsDiffer(snapshot, cpu->kernel));
    ASSERT_TRUE(handler.ReadKernel(saved));
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(snapshot, cpu->kernel));
    CpuRecordHandler::FreeKernelRecord(snapshot);
    EXPECT_TRUE(messages->texts().empty()) << ::testing::PrintToString(messages->texts());
}

TEST_F(CpuFiles, ReadOnlyKernelIsNeverWritten)
{
    CpuRecordHandler handler(&cpu->kernel, &config, cpu.get());
    ASSERT_TRUE(handler.LoadModel(0));
    const std::string path = (scratch / "locked.cpu").string();
    ASSERT_TRUE(handler.SetKernelPath(path));
    cpu->kernel.writable = 0;
    EXPECT_FALSE(handler.IsKernelWritable());
    EXPECT_FALSE(handler.SaveKernel());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(path + "temp"));
    EXPECT_TRUE(messages->texts().empty());
}

TEST_F(CpuFiles, FailuresReportThroughTheFileLayer)
{
    CpuRecordHandler handler(&cpu->kernel, &config, cpu.get());
    EXPECT_FALSE(handler.LoadModel(3));  // no such model row
    EXPECT_FALSE(handler.ReadKernel((scratch / "missing.cpu").string()));
    EXPECT_FALSE(messages->texts().empty());
    EXPECT_FALSE(handler.SetKernelPath(std::string(300, 'p')));  // does not fit, refused

    // A handler without records does nothing and fails cleanly.
    CpuRecordHandler bare(nullptr, nullptr, nullptr);
    EXPECT_FALSE(bare.LoadModel(0));
    EXPECT_FALSE(bare.ReadKernel("x.cpu"));
    EXPECT_FALSE(bare.SaveKernel());
    EXPECT_FALSE(bare.ChooseAndReadKernel(nullptr));
}

}  // namespace
