// Callback slots that hand objects' results to the debugger: registered functions, the task
// provider and user-breakpoint texts, with the debugger's ownership rules.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/registered_functions.h"
#include "plugin/sdk/values.h"
#include "plugin/sdk/tests/sdk_fixture.h"

#include <algorithm>
#include <cstring>

namespace dk::test {
namespace {

simdbg::SimKernel* g_sim = nullptr;
std::vector<std::pair<uint32_t, uint32_t>> g_results;
std::vector<uint32_t> g_released;

DkStatus addTwo(uint32_t count, void* first, void* result)
{
    auto* values = static_cast<DkValue*>(first);
    if (count != 2 || values[0].GetHandle() != 41 || values[1].GetHandle() != 42)
        return 9;
    return static_cast<DkValue*>(result)->GetHandle() != 0 ? 0 : 8;
}

DkStatus throwsStatus(uint32_t, void*, void*) { throw DkStatus{0x1234}; }

class SdkCallbackSlotsTest : public SdkTest {
protected:
    void SetUp() override
    {
        SdkTest::SetUp();
        g_sim = &kernel;
        g_results.clear();
        g_released.clear();
        ASSERT_EQ(PluginApiInit(kernel.table()), 0);
        kernel.overrideEntry(DK_VALUE_NEW, reinterpret_cast<DkEntry>(+[]() -> DkHandle { return 900; }));
        kernel.overrideEntry(DK_VALUE_RELEASE, reinterpret_cast<DkEntry>(+[](DkHandle h) { g_released.push_back(h); }));
        kernel.overrideEntry(DK_FUNCTION_RESULT, reinterpret_cast<DkEntry>(+[](uint32_t slot, DkHandle value) -> DkStatus {
            g_results.emplace_back(slot, value);
            return 0;
        }));
    }
};

TEST_F(SdkCallbackSlotsTest, RegisteredFunctionsTakeTheArgumentsOverAndHandBackTheResult)
{
    static const DkFunctionRecord records[] = {{5, 1, 2, &addTwo}, {6, 3, 4, &throwsStatus}, {0, 0, 0, nullptr}};
    setFunctionRecords(records);
    kernel.overrideEntry(DK_REGISTER_FUNCTION, reinterpret_cast<DkEntry>(+[](uint32_t, uint32_t w0, uint32_t, uint32_t, const DkFunctionRecord*) -> uint32_t {
        g_sim->countCall(1000 + static_cast<int>(w0));
        return 0;
    }));
    GetPluginCallbackTable()->PluginCbRegisterFunctions();
    EXPECT_EQ(kernel.callCount(1005), 1u);
    EXPECT_EQ(kernel.callCount(1006), 1u);

    const uint32_t arguments[] = {41, 42};
    EXPECT_EQ(GetPluginCallbackTable()->PluginCbCallFunction(2, arguments, &records[0], 17), 0);
    EXPECT_EQ(g_results, (std::vector<std::pair<uint32_t, uint32_t>>{{17, 900}}));
    std::sort(g_released.begin(), g_released.end());
    EXPECT_EQ(g_released, (std::vector<uint32_t>{41, 42, 900})); // every value given back once

    g_results.clear();
    EXPECT_EQ(GetPluginCallbackTable()->PluginCbCallFunction(0, nullptr, &records[1], 3), 0x1234);
    EXPECT_TRUE(g_results.empty()); // a failed call hands nothing on
    EXPECT_EQ(GetPluginCallbackTable()->PluginCbCallFunction(1, nullptr, &records[0], 3), DK_STATUS_FAILURE);
    setFunctionRecords(nullptr);
}

class Tasks : public DkTaskProviderOps {
public:
    DkStatus TaskIds(std::vector<uint32_t>& ids) override
    {
        ids = {3, 1, 2};
        return 0;
    }
    std::string TaskName(uint32_t task) override { return "task number " + std::to_string(task); }
    uint32_t TaskOp3(uint32_t task, uint32_t argument) override { return task + argument; }
    uint32_t TaskOp4(uint32_t) override { return 0x102; }
};

TEST_F(SdkCallbackSlotsTest, TaskProviderSlotsCopyIntoTheDebuggersBuffers)
{
    Tasks tasks;
    void* object = static_cast<DkTaskProviderOps*>(&tasks);
    const PluginCallbackTable* table = GetPluginCallbackTable();
    uint32_t count = 0;
    uint32_t* ids = nullptr;
    ASSERT_EQ(table->PluginCbTaskProvider1(object, &count, &ids), 0);
    ASSERT_EQ(count, 3u);
    EXPECT_EQ(ids[0], 3u);
    table->PluginCbTaskProvider2(ids); // freed by the plug-in's own allocator
    char name[8];
    table->PluginCbTaskProvider3(object, 7, name, sizeof name);
    EXPECT_STREQ(name, "task nu");
    EXPECT_EQ(table->PluginCbTaskProvider4(object, 1, 2), 3u);
    EXPECT_EQ(table->PluginCbTaskProvider5(object, 1), 2); // low byte
    EXPECT_EQ(table->PluginCbTaskProvider1(nullptr, &count, &ids), DK_STATUS_FAILURE);
}

class Category : public DkCategoryProviderOps {
public:
    uint32_t Op2(uint32_t) override { return 0; }
    const char* Op6(uint32_t) override { return nullptr; }
    const char* Op7(uint32_t) override { return nullptr; }
    std::string Text(uint32_t) override { return "DEFAULT"; }
};

TEST_F(SdkCallbackSlotsTest, CategoryTextIsAlwaysTerminatedAndNeverOverruns)
{
    Category category;
    void* object = static_cast<DkCategoryProviderOps*>(&category);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    GetPluginCallbackTable()->PluginCbUserBreakpoint14(object, buffer, 1, 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(buffer[1], 'x');
    buffer[0] = 'x';
    GetPluginCallbackTable()->PluginCbUserBreakpoint14(object, buffer, 0, 0);
    EXPECT_EQ(buffer[0], 'x'); // a buffer of 0 bytes is not written
    GetPluginCallbackTable()->PluginCbUserBreakpoint14(object, buffer, 4, 0);
    EXPECT_STREQ(buffer, "DEF");
}

} // namespace
} // namespace dk::test
