// The check a save makes before it puts an application file in place: the bytes, read from memory as the
// open reads them, must give back the application it meant to write.

#include "engine/project/read_back.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/files/file_message.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/project_file.h"
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

} // namespace
} // namespace engine
