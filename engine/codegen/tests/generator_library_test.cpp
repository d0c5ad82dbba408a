#include "engine/codegen/generator_library.h"

#include "engine/records/text_field.h"
#include "platform/core/message_service.h"

#include <gtest/gtest.h>

#include <cerrno>

using namespace engine;

namespace {

ApplicationClassEntry classEntry(int32_t type, bool enabled)
{
    ApplicationClassEntry entry{};
    entry.classType = type;
    entry.enabled = enabled ? 1 : 0;
    return entry;
}

} // namespace

TEST(GeneratorLibrary, RegenerationMarkFollowsTraceAndDirtyEnabledEntries)
{
    ApplicationClassEntry entries[2] = {classEntry(ClassQueue, false), classEntry(ClassLevel, true)};
    ApplicationClassEntry thread = classEntry(ClassThread, true);
    entries[1].chained = &thread;
    ApplicationRecord application{};
    application.classEntryCount = 2;
    application.classEntries = entries;

    entries[0].systemTrace = 1;  // a disabled entry does not count
    MarkApplicationForRegeneration(application);
    EXPECT_EQ(application.regenerate, 0);

    thread.mFileDirty = 1;  // a chained entry does
    MarkApplicationForRegeneration(application);
    EXPECT_EQ(application.regenerate, 1);

    thread.mFileDirty = 0;  // the mark is never cleared here
    MarkApplicationForRegeneration(application);
    EXPECT_EQ(application.regenerate, 1);

    application.regenerate = 0;
    application.userTrace = 1;
    MarkApplicationForRegeneration(application);
    EXPECT_EQ(application.regenerate, 1);
}

TEST(GeneratorLibrary, LoadAndEntryFailuresShowTheirMessages)
{
    platform::ScopedScriptedMessages messages;
    CpuRecord cpu{};
    ApplicationRecord application{};
    const CodeGeneratorParams params{CallerGui, "1.12", OperationGenerateCode, 0};

    setText(cpu.kernel.codeGeneratorLibrary, "no_such_generator.dll");
    GeneratorCallOutcome outcome = CallGenerateCode(nullptr, cpu, application, nullptr, params);
    EXPECT_EQ(outcome.result, GeneratorCallResult::LoadFailed);
    EXPECT_EQ(outcome.loadErrorNumber, ENOENT);
    EXPECT_NE(outcome.loadError.find("no_such_generator.so"), std::string::npos) << outcome.loadError;

    // A library that loads but has neither entry.
    setText(cpu.kernel.codeGeneratorLibrary, "/lib/x86_64-linux-gnu/libm.so.6");
    EXPECT_EQ(CallGenerateCode(nullptr, cpu, application, nullptr, params).result, GeneratorCallResult::EntryMissing);
    EXPECT_EQ(CallPrintSystem(nullptr, cpu, application, nullptr, params).result, GeneratorCallResult::EntryMissing);

    EXPECT_EQ(messages->texts(), (std::vector<std::string>{"Unable to load code generator DLL",
                                                            "Missing entry point in code generator",
                                                            "Missing entry point in code generator"}));
    for (const auto& box : messages->boxes())
        EXPECT_EQ(box.caption, "Error");
}
