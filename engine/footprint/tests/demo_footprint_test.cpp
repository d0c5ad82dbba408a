// The demo project's footprints, against values worked out by hand from samples/demo.
//
// Sizes under each application's symbols (model "Alignment" 4, pointer 4, TASK 2, char 1, int 4):
//   OCDT 12, NAMELIST 8, KCLASSPROP 12, SYSPROP 68 (14 class pointers), every NAOT_<class> 8.
//   Main (FWMask 1, Framework 1; thread gates and task environment arguments off):
//     Control (FPU context on): KWS 32, TCB 16, TASKECONTEXT 12, FPU_REGS 132; Monitor (no context):
//     KWS 28, TCB 12, TASKECONTEXT 0. Headers: LC 8, TC 12, E 8, SC 8, CC 12, AC 20, PC 12, S 8, Q 16,
//     M 8, P 12, U 12. Properties: LEVEL 1, THREAD 8, EXCPTN 8, EVNTSRC 4, COUNTER 8, ALARM 12, PIPE 8,
//     TASK 16, SEMA 2, QUEUE 8, MBOX 1, PART 8, MUTX 2.
//   Comms (FWMask 4 -> 6, Framework 6; pipe actions off; both contexts on in Link): KWS 32, TCB 20,
//     DSP_REGS 20; the multiprocessor share applies to every class but Level.
//
// Per class entry (User RAM, User ROM, System RAM), with N + 1 = Max Key Length + 1 name bytes:
//   Control (key 13): Level (0, 3+12+26 = 41, 16+12+12+28 = 68): 2 levels with 3 threads and 4 dynamic
//     threads below them; Thread (0, 83, 160); Exception (0, 62, 40); Event Source (0, 50, 40); Counter (0, 62,
//     48); Alarm (0, 74, 128) with 2 dynamic alarms; Pipe (8 * 76 = 608, 41, 32); Task (3328 stacks +
//     132 FPU = 3460, 64+12+39 + 3*2 + 2*12 = 145, 6*16+12+16 = 124); Semaphore (0, 44, 76); Queue
//     (32*4 = 128, 41, 28); Mailbox (0, 27, 20); Partition (16*128 = 2048, 41, 24); Mutex (0, 29, 24);
//     Special Service nothing. Kernel share (4, 68, 32).
//   Monitor (key 9): Level (0, 23, 32); Thread (0, 37, 32); Task (512, 57, 36); Semaphore (0, 25, 20);
//     kernel share (4, 68, 28).
//   Link (key 17): Event Source (0, 37+12, 28); Counter (0, 45+12, 32); Alarm (0, 53+24+15, 40) with the
//     global alarm "almLinkTimeout"; Task (2048 + 132 + 2*20 = 2220, 94+6+24+36 + 36+20 = 216, 72);
//     Semaphore (0, 33+24, 20); Queue (8*16 = 128, 45+24+10, 28); kernel share (4, 68, 32 + 256 stack).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include <unistd.h>

#include "engine/files/config_file.h"
#include "engine/footprint/footprint.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/tests/source_tree.h"
#include "platform/core/message_service.h"
#include "platform/core/program_path.h"

namespace engine {
namespace {

namespace fs = std::filesystem;

struct Expected {
    uint32_t userRam;
    uint32_t userRom;
    uint32_t systemRam;
};

class DemoFootprintTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        demo = fs::path(engine::testing::sourceTree()) / "samples" / "demo";
        ASSERT_TRUE(fs::is_directory(demo)) << "the demo project is missing at " << demo;
        savedFolder = fs::current_path();

        // A program folder of our own whose configuration names the plain models, so the test does not
        // depend on the enciphered twin being built.
        programFolder = fs::temp_directory_path() / ("demo_footprint_" + std::to_string(::getpid()));
        fs::create_directories(programFolder / "models");
        for (const char* model : {"z5std.mdl", "z5mp.mdl"})
            fs::copy_file(demo / "models" / model, programFolder / "models" / model,
                          fs::copy_options::overwrite_existing);
        std::ofstream(programFolder / "ombagen.cfg", std::ios::binary)
            << "[MODELS]\r\nZ5 Standard=models/z5std.mdl\r\nZ5 Multiprocessor=models/z5mp.mdl\r\n"
               "[GENERAL]\r\n";
        platform::setProgramDirectoryOverride(programFolder.string());

        ASSERT_TRUE(ConfigFile::Read(config));
        ProjectManager::ResetProject(project, true);
        std::string path = (demo / "demo.omb").string();
        ASSERT_EQ(manager.OpenProjectFile(project, config, path, true), 1);
        opened = true;
    }

    void TearDown() override
    {
        if (opened)
            ProjectManager::FreeProject(project);
        ConfigFile::FreeConfigRecord(config);
        platform::setProgramDirectoryOverride("");
        std::error_code error;
        fs::current_path(savedFolder, error);
        fs::remove_all(programFolder, error);
    }

    ApplicationRecord* Application(const char* name)
    {
        ApplicationRecord* found = nullptr;
        VisitProjectApplications(project, [&](CpuRecord&, ApplicationRecord& application) {
            if (textOf(application.name) != name)
                return 0;
            found = &application;
            return 1;
        });
        return found;
    }

    static ApplicationClassEntry* Entry(ApplicationRecord& application, int32_t classType)
    {
        return FindApplicationClassEntryByType(application, classType);
    }

    static void ExpectFootprint(const MemoryFootprint& footprint, Expected expected, const std::string& what)
    {
        EXPECT_TRUE(footprint.IsValid()) << what;
        EXPECT_EQ(footprint.UserRam(), expected.userRam) << what << " User RAM";
        EXPECT_EQ(footprint.UserRom(), expected.userRom) << what << " User ROM";
        EXPECT_EQ(footprint.SystemRam(), expected.systemRam) << what << " System RAM";
    }

    fs::path demo;
    fs::path savedFolder;
    fs::path programFolder;
    ConfigRecord config{};
    ProjectRecord project{};
    ProjectManager manager;
    bool opened = false;
};

TEST_F(DemoFootprintTest, EveryApplicationMatchesTheHandCount)
{
    const std::map<std::string, Expected> expected = {
        {"Control", {6248, 808, 844}},
        {"Monitor", {516, 210, 148}},
        {"Link", {2352, 618, 508}},
    };
    platform::ScopedScriptedMessages messages;
    int applications = 0;
    VisitProjectApplications(project, [&](CpuRecord&, ApplicationRecord& application) {
        ++applications;
        const std::string name(textOf(application.name));
        EXPECT_TRUE(ComputeApplicationFootprint(project, application)) << name;
        const auto it = expected.find(name);
        if (it == expected.end()) {
            ADD_FAILURE() << "unexpected application " << name;
            return 0;
        }
        ExpectFootprint(application.footprint, it->second, name);
        return 0;
    });
    EXPECT_EQ(applications, 3);
    // Every symbol the demo model uses is defined: no message was raised.
    EXPECT_TRUE(messages->texts().empty()) << messages->texts().front();
}

TEST_F(DemoFootprintTest, ClassSharesMatchTheHandCount)
{
    ApplicationRecord* control = Application("Control");
    ApplicationRecord* monitor = Application("Monitor");
    ApplicationRecord* link = Application("Link");
    ASSERT_TRUE(control && monitor && link);
    ASSERT_TRUE(ComputeApplicationFootprint(project, *control));
    ASSERT_TRUE(ComputeApplicationFootprint(project, *monitor));
    ASSERT_TRUE(ComputeApplicationFootprint(project, *link));

    ExpectFootprint(Entry(*control, ClassLevel)->footprint, {0, 41, 68}, "Control levels");
    ExpectFootprint(Entry(*control, ClassThread)->footprint, {0, 83, 160}, "Control threads");
    ExpectFootprint(Entry(*control, ClassAlarm)->footprint, {0, 74, 128}, "Control alarms");
    ExpectFootprint(Entry(*control, ClassPipe)->footprint, {608, 41, 32}, "Control pipes");
    ExpectFootprint(Entry(*control, ClassTask)->footprint, {3460, 145, 124}, "Control tasks");
    ExpectFootprint(Entry(*control, ClassPartition)->footprint, {2048, 41, 24}, "Control partitions");
    ExpectFootprint(Entry(*control, ClassSpecialService)->footprint, {0, 0, 0}, "Control special services");
    ExpectFootprint(Entry(*monitor, ClassTask)->footprint, {512, 57, 36}, "Monitor tasks");
    ExpectFootprint(Entry(*link, ClassAlarm)->footprint, {0, 92, 40}, "Link alarms");
    ExpectFootprint(Entry(*link, ClassTask)->footprint, {2220, 216, 72}, "Link tasks");
    ExpectFootprint(Entry(*link, ClassQueue)->footprint, {128, 79, 28}, "Link queues");

    // The structure sizes differ per CPU model and per application's contexts.
    CpuRecord* comms = FindCpuOfApplication(project, *link);
    ASSERT_NE(comms, nullptr);
    EXPECT_EQ(GetStructureSize("NAOT_TASK", *comms), 8u);
    CpuRecord* main = FindCpuOfApplication(project, *monitor);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(GetStructureSize("NAOT_TASK", *main), 0u);
}

} // namespace
} // namespace engine
