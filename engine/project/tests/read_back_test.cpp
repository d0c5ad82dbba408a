// The check a save makes before it puts an application file in place: the bytes, read from memory as the
// open reads them, must give back the application it meant to write.

#include "engine/project/read_back.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/files/file_message.h"
#include "engine/ops/project_manager.h"
#include "engine/files/cpu_file.h"
#include "engine/project/application_file.h"
#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"
#include "engine/project/project_file.h"
#include "engine/project/round_trip.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "platform/core/message_service.h"
#include "project_fixtures.h"

namespace engine {
namespace {

TEST(ReadBackTest, TheBytesOfASaveMustOpenAsTheApplicationMeant)
{
    testing::DemoCpu demo;
    platform::ScopedScriptedMessages messages;
    ApplicationRecord app{};
    ResetApplicationRecord(app, demo.cpu);
    ApplicationFile file(nullptr, nullptr, &demo.cpu, &app);
    ASSERT_EQ(file.Read(testing::demoFolder() + "/control.app"), 1) << ::testing::PrintToString(messages->texts());
    SectionedFile built("control.app", true, false, false);
    std::string bytes;
    ASSERT_EQ(BuildApplicationText(demo.cpu, app, built, bytes), "");

    EXPECT_EQ(ApplicationReadBackProblem(demo.cpu, app, "control.app", bytes), "");
    // Bytes that read as another value, or that the reader refuses, are never put in place.
    std::string changed = bytes;
    changed.replace(changed.find("Signal Type=1"), 13, "Signal Type=0");
    EXPECT_EQ(ApplicationReadBackProblem(demo.cpu, app, "control.app", changed),
              std::string(kReadBackDiffers) + "the value \"1\" of \"Signal Type\" in section \"semRxReady\" reads back as \"0\"");
    std::string refused = bytes;
    refused.replace(refused.find("Signal Type=1"), 13, "Signal Type=x");
    EXPECT_EQ(ApplicationReadBackProblem(demo.cpu, app, "control.app", refused).rfind(kReadBackRefused, 0), 0u);
    EXPECT_TRUE(messages->texts().empty()) << "the read-back shows nothing itself";
    ProjectManager::FreeApplication(app);
}

// The judge of every road: an application as it stands in memory, written and read back. What the reader
// would rewrite (a path with "\\") is named by its file's section, key, the value meant and the value read.
TEST(ReadBackTest, TheRoundTripNamesTheSectionTheKeyAndBothValues)
{
    testing::DemoCpu demo;
    platform::ScopedScriptedMessages messages;
    ApplicationRecord app{};
    ResetApplicationRecord(app, demo.cpu);
    ApplicationFile file(nullptr, nullptr, &demo.cpu, &app);
    ASSERT_EQ(file.Read(testing::demoFolder() + "/control.app"), 1) << ::testing::PrintToString(messages->texts());
    EXPECT_EQ(ApplicationRoundTripProblem(demo.cpu, app), "");
    setText(app.codePath, "gen\\x\\");
    EXPECT_EQ(ApplicationRoundTripProblem(demo.cpu, app),
              std::string(kReadBackDiffers) +
                  "the value \"gen\\x\\\" of \"Code File Path\" in section \"APPLICATION\" reads back as \"gen/x/\"");
    // Given the text the record was read from, an unchanged text needs no second read; another is read back.
    SectionedFile built("control.app", true, false, false);
    std::string bytes;
    ASSERT_EQ(BuildApplicationText(demo.cpu, app, built, bytes), "");
    EXPECT_EQ(ApplicationRoundTripProblem(demo.cpu, app, bytes), "");
    EXPECT_NE(ApplicationRoundTripProblem(demo.cpu, app, bytes + "\r\n"), "");
    EXPECT_TRUE(messages->texts().empty()) << "the round trip shows nothing itself";
    ProjectManager::FreeApplication(app);
}

// Every key the readers keep is one the writers write: each described key of the application file (older
// names the reader maps onto today's aside) and each key of the object classes the demo's Control holds
// stands in its written text; so do the kernel file's keys.
TEST(ReadBackTest, EveryKeyTheReadersKeepIsWritten)
{
    testing::DemoCpu demo;
    platform::ScopedScriptedMessages messages;
    ApplicationRecord app{};
    ResetApplicationRecord(app, demo.cpu);
    ApplicationFile file(nullptr, nullptr, &demo.cpu, &app);
    ASSERT_EQ(file.Read(testing::demoFolder() + "/control.app"), 1) << ::testing::PrintToString(messages->texts());
    SectionedFile built("control.app", true, false, false);
    std::string text;
    ASSERT_EQ(BuildApplicationText(demo.cpu, app, built, text), "");
    const auto written = [](const std::string& in, const FieldDescription& field) {
        const std::string key = std::string(field.key) + (field.numbered ? "0" : "");
        return in.find("\r\n" + key + "=") != std::string::npos;
    };
    for (const char* kind : {"APPLICATION", "MODEL OPTION", "CLASS", "OBJECT"}) {
        for (const FieldDescription& field : FieldDescriptionsOf(FieldFile::Application, kind)) {
            if (std::string_view(field.key) == "Project m file dirty" || std::string_view(field.key) == "Global")
                continue;  // older names, read into "Project c file dirty" and "Is MP"
            EXPECT_TRUE(written(text, field)) << kind << ": " << field.key;
        }
    }
    int classes = 0;
    for (int32_t i = 0; i < app.classEntryCount; ++i) {
        for (const ApplicationClassEntry* entry = &app.classEntries[i]; entry != nullptr; entry = entry->chained) {
            if (entry->objectCount == 0 && entry->classType != ClassThread)
                continue;
            ++classes;
            for (const ObjectKey& key : objectKeysOfClass(entry->classType))
                EXPECT_TRUE(written(text, key.field)) << textString(entry->name) << ": " << key.field.key;
        }
    }
    EXPECT_GT(classes, 5);
    ProjectManager::FreeApplication(app);

    SectionedFile kernelFile("main.cpu", true, false, false);
    PutKernelSections(demo.cpu.kernel, kernelFile);
    const std::string kernelText = kernelFile.ToText();
    for (const char* kind : {"KERNEL", "SELECTION"}) {
        for (const FieldDescription& field : FieldDescriptionsOf(FieldFile::Kernel, kind))
            EXPECT_TRUE(written(kernelText, field)) << kind << ": " << field.key;
    }
}

} // namespace
} // namespace engine
