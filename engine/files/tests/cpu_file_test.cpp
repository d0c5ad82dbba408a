#include "engine/files/cpu_file.h"
#include "engine/files/file_chooser.h"
#include "engine/files/tests/files_fixture.h"
#include "engine/util/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

namespace engine {
namespace {

using engine::testing::FixtureBytes;

class CpuFileTest : public engine::testing::FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        ASSERT_TRUE(LoadModelText(FixtureBytes("small.mdl")));
        messages->clear();
    }
    const KernelServiceRow& Service(int32_t index) { return kernel.classes[0].services[index]; }
};

TEST_F(CpuFileTest, ReadOverlaysTheModelDefaults)
{
    const std::string path = dir.write("small.cpu", FixtureBytes("small.cpu"));
    CpuFile file(kernel, config, nullptr, nullptr);
    ASSERT_TRUE(file.SetKernelPath(path));
    kernel.edited = 1;
    ASSERT_TRUE(file.ReadKernelFile());
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(kernel.edited, 0);
    EXPECT_EQ(kernel.writable, 1);
    EXPECT_EQ(kernel.nameSize, 12);
    EXPECT_EQ(kernel.framework, 4);
    EXPECT_EQ(kernel.hFileDirty, 1);
    EXPECT_EQ(kernel.options[0].value, 250);
    // Options without a section: value 0 and state 1, whatever the model said.
    EXPECT_EQ(kernel.options[1].value, 0);
    EXPECT_EQ(kernel.options[1].state, 1);
    EXPECT_EQ(kernel.options[3].value, 3); // an application option is not read
    EXPECT_EQ(kernel.classes[0].selected, 0);
    EXPECT_EQ(kernel.classes[1].selected, 1);
    EXPECT_EQ(kernel.classes[0].attributes[0].available, 0);
    // Services take the kernel-wide defaults unless the file names them, MP entries included.
    EXPECT_EQ((std::vector<int32_t>{Service(1).local, Service(1).incoming, Service(1).outgoing}),
              (std::vector<int32_t>{1, 0, 1}));
    EXPECT_EQ((std::vector<int32_t>{Service(2).local, Service(2).incoming, Service(2).outgoing}),
              (std::vector<int32_t>{1, 0, 1}));
    EXPECT_EQ(Service(2).mp, 1);
}

TEST_F(CpuFileTest, WriteThenReadGivesTheSameRecordAndNoTemporaryFile)
{
    CpuFile file(kernel, config, nullptr, nullptr);
    ASSERT_TRUE(file.SetKernelPath(dir.file("main.cpu")));
    dir.write("main.cpu", "old contents");
    kernel.options[0].value = 123;
    kernel.options[2].state = 0;
    kernel.classes[1].selected = 0;
    kernel.classes[0].attributes[0].children[0].selected = 0;
    kernel.classes[0].services[0].local = 0;
    kernel.classes[0].attributes[0].children[0].services[0].enabled = 0;
    kernel.nameSize = 31;
    kernel.enableKernelClock = 0;
    kernel.edited = 1;
    ASSERT_TRUE(file.WriteKernelFile());
    EXPECT_EQ(kernel.edited, 0);
    EXPECT_EQ(dir.fileCount(), 2u); // model.mdl and main.cpu: no "main.cputemp"

    const std::string written = dir.read("main.cpu");
    const std::string head = "[KERNEL]\r\nWriteable=1\r\nName Size=31\r\nEnable Kernel Clock=0\r\nFramework=6\r\n"
                             "h file dirty=0\r\nm file dirty=0\r\n\r\n[Tick Rate]\r\nValue=123\r\nState=1\r\n";
    EXPECT_EQ(written.substr(0, head.size()), head);
    EXPECT_EQ(written.find("[App Option]"), std::string::npos); // application options stay out
    EXPECT_NE(written.find("[KS_Alloc]\r\nState=1\r\nEnable=0\r\nLocal=1\r\nOutgoing=1\r\nIncoming=0\r\n"),
              std::string::npos);

    KernelRecord saved;
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(saved, kernel));
    ASSERT_TRUE(LoadModelText(FixtureBytes("small.mdl")));
    messages->clear();
    ASSERT_TRUE(file.SetKernelPath(dir.file("main.cpu")));
    ASSERT_TRUE(file.ReadKernelFile());
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(saved, kernel));
    CpuRecordHandler::FreeKernelRecord(saved);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(CpuFileTest, SaveRefusalsKeepTheOldFile)
{
    CpuFile file(kernel, config, nullptr, nullptr);
    ASSERT_TRUE(file.SetKernelPath(dir.file("k.cpu")));
    dir.write("k.cpu", "old");

    kernel.writable = 0;
    kernel.edited = 1;
    EXPECT_FALSE(file.WriteKernelFile());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Kernel info is not writeable"});
    EXPECT_EQ(dir.read("k.cpu"), "old");
    EXPECT_EQ(kernel.edited, 1);

    messages->clear();
    ASSERT_TRUE(file.SetKernelPath(dir.file("k.cpu")));
    ::chmod(dir.file("k.cpu").c_str(), 0444);
    if (::access(dir.file("k.cpu").c_str(), W_OK) != 0) { // not when the tests run as root
        EXPECT_FALSE(file.WriteKernelFile());
        EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to delete old version of file " + dir.file("k.cpu")});
        EXPECT_EQ(kernel.edited, 1);
    }
    ::chmod(dir.file("k.cpu").c_str(), 0644);

    messages->clear();
    ASSERT_TRUE(file.SetKernelPath(dir.file("no/such/folder/k.cpu")));
    EXPECT_FALSE(file.WriteKernelFile());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Can't open kernel file " + dir.file("no/such/folder/k.cpu") +
                                                 ": its folder " + dir.file("no/such/folder") + " does not exist"});
    EXPECT_EQ(kernel.edited, 1);

    messages->clear();
    EXPECT_FALSE(file.SetKernelPath(std::string(260, 'p')));
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(textOf(kernel.kernelPath), dir.file("no/such/folder/k.cpu"));
}

TEST_F(CpuFileTest, ReadFailuresLeaveTheRecord)
{
    CpuFile file(kernel, config, nullptr, nullptr);
    KernelRecord before;
    ASSERT_TRUE(CpuRecordHandler::CloneKernelRecord(before, kernel));

    ASSERT_TRUE(file.SetKernelPath(dir.file("missing.cpu")));
    EXPECT_FALSE(file.ReadKernelFile());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Couldn't open kernel file " + dir.file("missing.cpu")});

    messages->clear();
    ASSERT_TRUE(file.SetKernelPath(dir.write("nokernel.cpu", "[Tick Rate]\r\nValue=1\r\n")));
    EXPECT_FALSE(file.ReadKernelFile());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Can't find required section \"KERNEL\" in CPU file " +
                                                   dir.file("nokernel.cpu")});
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(before, kernel));

    messages->clear();
    const std::string huge = dir.write("huge.cpu", "");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxReadSize) + 1), 0);
    ASSERT_TRUE(file.SetKernelPath(huge));
    EXPECT_FALSE(file.ReadKernelFile());
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to read kernel file " + huge + ": it is larger than " +
                                                   std::to_string(kMaxReadSize) + " bytes"});
    EXPECT_FALSE(CpuRecordHandler::KernelRecordsDiffer(before, kernel));
    CpuRecordHandler::FreeKernelRecord(before);

    // Truncated and corrupted kernel files end in a message or a clean read.
    const std::string good = FixtureBytes("small.cpu");
    for (std::size_t cut = 0; cut <= good.size(); cut += 7) {
        ASSERT_TRUE(file.SetKernelPath(dir.write("cut.cpu", good.substr(0, cut))));
        file.ReadKernelFile();
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string bad = good;
        bad[at] = static_cast<char>(0x80 | at);
        ASSERT_TRUE(file.SetKernelPath(dir.write("bad.cpu", bad)));
        file.ReadKernelFile();
    }
}

TEST_F(CpuFileTest, ChoosersNameTheFiles)
{
    CpuRecord cpu;
    std::memset(static_cast<void*>(&cpu), 0, sizeof cpu);
    setText(cpu.name, "Main");
    CpuFile file(kernel, config, nullptr, &cpu);
    PresetFileChooser chooser({"", dir.file("chosen.cpu"), dir.file("chosen.cpu")});
    ScopedFileChooser scope(&chooser);

    std::string out = "unchanged";
    EXPECT_FALSE(file.ChooseAndWriteKernel(&out, nullptr)); // cancelled
    EXPECT_EQ(out, "unchanged");
    ASSERT_TRUE(file.ChooseAndWriteKernel(&out, nullptr));
    EXPECT_EQ(out, dir.file("chosen.cpu"));
    EXPECT_EQ(textOf(kernel.kernelPath), out);
    ASSERT_NE(cpu.kernelFile, nullptr); // the CPU keeps the kernel file's sections
    EXPECT_NE(cpu.kernelFile->FindSection("KERNEL"), nullptr);
    ASSERT_TRUE(file.ChooseAndReadKernel(&out));

    const auto requests = chooser.Requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_FALSE(requests[1].open);
    EXPECT_EQ(requests[1].kind, FileKindKernel);
    EXPECT_EQ(requests[1].title, "Choose File for CPU \"Main\"");
    EXPECT_TRUE(requests[2].open);
    EXPECT_EQ(requests[2].title, "Choose CPU File");
    EXPECT_EQ(std::string(FileKindFilterOf(FileKindKernel).pattern), "*.cpu");
    EXPECT_EQ(std::string(FileKindFilterOf(99).name), "All files");
    EXPECT_EQ(std::string(FileKindFilterOf(99).pattern), "*");
    delete cpu.kernelFile;
}

} // namespace
} // namespace engine
