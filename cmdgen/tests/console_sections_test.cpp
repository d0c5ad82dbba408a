// OMBAgenCmd on copies of the demo whose files repeat a section header: the open is refused with a
// message that names the file and the section, and no file of the project changes.

#include "console_fixture.h"

#include "engine/files/model_cipher.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

using namespace cmdgen::test;
namespace fs = std::filesystem;

TEST(ConsoleJourney, RepeatedSectionHeadersAreRefusedWithTheFileAndTheSection)
{
    struct Repeat {
        const char* name;
        const char* file;
        const char* appended;
        const char* message;
    };
    const Repeat repeats[] = {
        {"project list again", "demo.omb", "\r\n[APPS Main]\r\nExtra=extra.app\r\n",
         "demo.omb: the section \"APPS Main\" appears twice"},
        {"project list in other letters", "demo.omb", "\r\n[apps main]\r\n",
         "demo.omb: the section \"apps main\" appears twice"},
        {"object section again", "monitor.app", "\r\n[lvlMon]\r\nDescription=Second\r\n",
         "monitor.app: the section \"lvlMon\" appears twice"},
    };
    for (const Repeat& repeat : repeats) {
        SCOPED_TRACE(repeat.name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        std::ofstream(fixture.project() / repeat.file, std::ios::binary | std::ios::app) << repeat.appended;
        const auto before = filesAndModes(fixture.project());
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, 4) << result.out << result.err;
        EXPECT_NE(result.err.find("Unable to load "), std::string::npos) << result.err;
        EXPECT_NE(result.err.find(repeat.message), std::string::npos) << result.err;
        EXPECT_EQ(filesAndModes(fixture.project()), before);
        EXPECT_EQ(fixture.callLog(), "");
    }
}

namespace {

// Changes the first `from` of a text into `to`; an empty `from` appends `to`.
bool damage(std::string& text, const std::string& from, const std::string& to)
{
    if (from.empty()) {
        text += to;
        return true;
    }
    const std::size_t at = text.find(from);
    if (at == std::string::npos)
        return false;
    text.replace(at, from.size(), to);
    return true;
}

} // namespace

// Every file kind the program reads refuses at open what it could not hold as written: a repeated
// section, a key repeated within one section, a text holding a zero byte, a number outside its field and
// a list longer than the rows its record holds. The message names the file, the section, the key and the
// reason; nothing is generated or saved.
TEST(ConsoleJourney, EveryFileKindRefusesWhatItCouldNotHoldAsWritten)
{
    struct Row {
        const char* name;
        const char* file; // "bin/..." in the program folder, else in the project folder
        std::string from;
        std::string to;
        int code;
        std::string message; // the text after "OMBAgenCmd: "
    };
    const std::string twice = "\" is listed twice in section \"";
    const std::string zero = "\" holds a zero byte (\\x00), which no text of this file can hold\n";
    const std::string int32Range = " is outside the range -2147483648 to 2147483647\n";
    const std::string sizeRange = " is outside the range 0 to 2147483647\n";
    const std::string nameRange = " is outside the range 1 to 1024\n";
    const Row rows[] = {
        {"configuration: section again", "bin/ombagen.cfg", "", "\r\n[MODELS]\r\nZ5 Standard=models/z5std.mdl\r\n", 3,
         "Unable to load configuration file <BIN>/ombagen.cfg: the section \"MODELS\" appears twice\n"},
        {"configuration: key again", "bin/ombagen.cfg", "[GENERAL]\r\n", "[GENERAL]\r\nhelp file=x.pdf\r\n", 3,
         "Unable to load configuration file <BIN>/ombagen.cfg: the key \"Help File" + twice + "GENERAL\"\n"},
        {"configuration: zero byte", "bin/ombagen.cfg", "Help File=Help/OMBAgenUserManual.pdf", "Help File=\"Help\\x00.pdf\"", 3,
         "Unable to load configuration file <BIN>/ombagen.cfg: the value of \"Help File\" in section \"GENERAL" + zero},
        {"model: section again", "bin/models/z5std.mdl", "", "\r\n[KERNEL]\r\nClassgen=other.so\r\n", 4,
         "Unable to load model file models/z5std.mdl: the section \"KERNEL\" appears twice\n"},
        {"model: key again", "bin/models/z5std.mdl", "[Task]\r\n", "[Task]\r\nTag=TWICE\r\n", 4,
         "Unable to load model file models/z5std.mdl: the key \"Tag" + twice + "Task\"\n"},
        {"model: zero byte", "bin/models/z5std.mdl", "Model Name=Z5 Standard", "Model Name=\"Z5\\x00 Standard\"", 4,
         "Unable to load model file models/z5std.mdl: the value of \"Model Name\" in section \"KERNEL" + zero},
        {"model: size beyond 31 bits", "bin/models/z5std.mdl", "Minimum Kernel Stack Size=256",
         "Minimum Kernel Stack Size=4294967296", 4,
         "Unable to load model file models/z5std.mdl: the value 4294967296 of \"Minimum Kernel Stack Size\" in section \"KERNEL\" is "
         "outside the range 0 to 2147483647\n"},
        {"model: a fifth extended context", "bin/models/z5std.mdl", "[EXTENDED CONTEXTS]\r\nFPU=\r\n",
         "[EXTENDED CONTEXTS]\r\nFPU=\r\nVEC=\r\nMAC=\r\nCRC=\r\n", 4,
         "Unable to load model file models/z5std.mdl: the section \"EXTENDED CONTEXTS\" lists 5 entries, more than "
         "the 4 it can hold (\"DSP\" is the first beyond them)\n"},
        {"model: a fifth task attribute", "bin/models/z5std.mdl", "[TASK ATTRIBUTES]\r\nPrivileged=\r\n",
         "[TASK ATTRIBUTES]\r\nPrivileged=\r\nPinned=\r\nTimed=\r\nLogged=\r\n", 4,
         "Unable to load model file models/z5std.mdl: the section \"TASK ATTRIBUTES\" lists 5 entries, more than the "
         "4 it can hold (\"Watched\" is the first beyond them)\n"},
        {"model: an attribute bit beyond the 32 names", "bin/models/z5std.mdl", "ATTR_ROUNDROBIN=8", "ATTR_ROUNDROBIN=32",
         4,
         "Unable to load model file models/z5std.mdl: the value 32 of \"ATTR_ROUNDROBIN\" in section \"CLASS "
         "PROPERTIES\" is outside the range 0 to 31\n"},
        {"model: a needed name longer than its field", "bin/models/z5std.mdl", "Needs=Level\r\n",
         "Needs=Level," + std::string(128, 'L') + "\r\n", 4,
         "Value of \"Needs\" in section \"Thread\" of model file models/z5std.mdl is longer than 127 characters\n"},
        {"enciphered model: section again", "bin/models/z5mp.mde", "", "\r\n[KERNEL]\r\nClassgen=other.so\r\n", 4,
         "Unable to load model file models/z5mp.mde: the section \"KERNEL\" appears twice\n"},
        {"enciphered model: negative count", "bin/models/z5mp.mde", "Size=48", "Size=-99999999999", 4,
         "Unable to load model file models/z5mp.mde: the value -99999999999 of \"Size\" in section \"Task\" is outside the range 0 "
         "to 2147483647\n"},
        {"enciphered model: a fifth extended context", "bin/models/z5mp.mde", "[EXTENDED CONTEXTS]\r\nFPU=\r\n",
         "[EXTENDED CONTEXTS]\r\nFPU=\r\nVEC=\r\nMAC=\r\nCRC=\r\n", 4,
         "Unable to load model file models/z5mp.mde: the section \"EXTENDED CONTEXTS\" lists 5 entries, more than "
         "the 4 it can hold (\"DSP\" is the first beyond them)\n"},
        {"enciphered model: a fifth task attribute", "bin/models/z5mp.mde", "[TASK ATTRIBUTES]\r\nPrivileged=\r\n",
         "[TASK ATTRIBUTES]\r\nPrivileged=\r\nPinned=\r\nTimed=\r\nLogged=\r\n", 4,
         "Unable to load model file models/z5mp.mde: the section \"TASK ATTRIBUTES\" lists 5 entries, more than the "
         "4 it can hold (\"Watched\" is the first beyond them)\n"},
        {"enciphered model: member count beyond 32 bits", "bin/models/z5mp.mde", "NumberOfMembers=3",
         "NumberOfMembers=-99999999999", 4,
         "Unable to load model file models/z5mp.mde: the value -99999999999 of \"NumberOfMembers\" in section "
         "\"Structure_KWSHDR\"" + sizeRange},
        {"kernel: section again", "main.cpu", "", "[KERNEL]\r\nWriteable=0\r\n", 4,
         "Unable to load kernel file main.cpu: the section \"KERNEL\" appears twice\n"},
        {"kernel: key again", "main.cpu", "Value=500\r\n", "Value=500\r\nValue=1000\r\n", 4,
         "Unable to load kernel file main.cpu: the key \"Value" + twice + "Tick Rate\"\n"},
        {"kernel: zero byte", "main.cpu", "Value=500", "Value=\"5\\x000\"", 4,
         "Unable to load kernel file main.cpu: the value of \"Value\" in section \"Tick Rate" + zero},
        {"kernel: number beyond 32 bits", "main.cpu", "Framework=1", "Framework=-99999999999", 4,
         "Unable to load kernel file main.cpu: the value -99999999999 of \"Framework\" in section \"KERNEL\"" + int32Range},
        {"kernel: no name length", "main.cpu", "Name Size=12", "Name Size=0", 4,
         "Unable to load kernel file main.cpu: the value 0 of \"Name Size\" in section \"KERNEL\"" + nameRange},
        {"kernel: a name length past the longest", "main.cpu", "Name Size=12", "Name Size=100000", 4,
         "Unable to load kernel file main.cpu: the value 100000 of \"Name Size\" in section \"KERNEL\"" + nameRange},
        {"kernel: the name length missing", "main.cpu", "Name Size=12\r\n", "", 4,
         "Unable to load kernel file main.cpu: the value 0 of \"Name Size\" in section \"KERNEL\" (the key is "
         "missing)" + nameRange},
        {"project: key again", "demo.omb", "Kernel=main.cpu\r\n", "Kernel=main.cpu\r\nkernel=comms.cpu\r\n", 4,
         "Unable to load project file <PROJECT>/demo.omb: the key \"kernel" + twice + "Main\"\n"},
        {"project: zero byte", "demo.omb", "Description=Motor controller with a communications processor", "Description=\"Motor\\x00 controller\"", 4,
         "Unable to load project file <PROJECT>/demo.omb: the value of \"Description\" in section \"PROJECT" + zero},
        {"application: key again", "monitor.app", "Stack Size=512\r\n", "Stack Size=1024\r\nStack Size=4096\r\n", 4,
         "Unable to load application file monitor.app: the key \"Stack Size" + twice + "tskMon\"\n"},
        {"application: zero byte in the name", "monitor.app", "Name=Monitor", "Name=\"Mon\\x00itor\"", 4,
         "Unable to load application file monitor.app: the value of \"Name\" in section \"APPLICATION" + zero},
        {"application: stack size beyond 31 bits", "monitor.app", "Stack Size=512", "Stack Size=4294967295", 4,
         "Unable to load application file monitor.app: the value 4294967295 of \"Stack Size\" in section \"tskMon\"" + sizeRange},
        {"application: stack size below zero", "monitor.app", "Stack Size=512", "Stack Size=-1", 4,
         "Unable to load application file monitor.app: the value -1 of \"Stack Size\" in section \"tskMon\"" + sizeRange},
        {"application: priority beyond 32 bits", "monitor.app", "Initial Priority=50", "Initial Priority=0x100000000", 4,
         "Unable to load application file monitor.app: the value 0x100000000 of \"Initial Priority\" in section \"tskMon\" "
         "is outside the range 1 to 126\n"},
        {"application: RAM beyond 32 bits", "monitor.app", "System RAM Available=2048",
         "System RAM Available=4294967296", 4,
         "Unable to load application file monitor.app: the value 4294967296 of \"System RAM Available\" in section "
         "\"APPLICATION\" is outside the range 0 to 4294967295\n"},
        {"application: no maximum name length", "monitor.app", "Max Key Length=8", "Max Key Length=0", 4,
         "Unable to load application file monitor.app: the value 0 of \"Max Key Length\" in section \"Level\"" +
             nameRange},
        {"application: a maximum name length past the longest", "monitor.app", "Max Key Length=8",
         "Max Key Length=1025", 4,
         "Unable to load application file monitor.app: the value 1025 of \"Max Key Length\" in section \"Level\"" +
             nameRange},
        {"application: a blank maximum name length", "monitor.app", "Max Key Length=8", "Max Key Length=", 4,
         "Unable to load application file monitor.app: the value 0 of \"Max Key Length\" in section \"Level\" (the "
         "value is blank)" + nameRange},
        {"application: a task stack off the model's modulus", "monitor.app", "Stack Size=512", "Stack Size=130", 4,
         "Unable to load application file monitor.app: the value 130 of \"Stack Size\" in section \"tskMon\" is not "
         "a multiple of 8, the model's stack modulus\n"},
        {"application: more dynamics than the class maximum leaves", "control.app",
         "Number of Dynamics=2\r\nMax Key Length=12\r\nc file dirty=1\r\nh file dirty=1\r\nm file dirty=1\r\nObjects=OBJS Task",
         "Number of Dynamics=253\r\nMax Key Length=12\r\nc file dirty=1\r\nh file dirty=1\r\nm file dirty=1\r\nObjects=OBJS Task",
         4,
         "Unable to load application file control.app: the value 253 of \"Number of Dynamics\" in section \"Task\" "
         "is outside the range 0 to 252 the model gives\n"},
        {"application: no instances", "monitor.app", "Instances=1", "Instances=0", 4,
         "Unable to load application file monitor.app: the value 0 of \"Instances\" in section \"APPLICATION\" is "
         "outside the range 1 to 9999999\n"},
        {"application: a version past the General page's", "monitor.app", "User Version=1", "User Version=65536", 4,
         "Unable to load application file monitor.app: the value 65536 of \"User Version\" in section "
         "\"APPLICATION\" is outside the range 0 to 65535\n"},
        {"application: a counter's modulus of 0", "control.app", "Modulus=1000", "Modulus=0", 4,
         "Unable to load application file control.app: the value 0 of \"Modulus\" in section \"cntSysTick\" is "
         "outside the range 1 to 4294967295\n"},
        {"application: a size that is no number", "monitor.app", "Stack Size=512", "Stack Size=2k", 4,
         "Unable to load application file monitor.app: the value 2k of \"Stack Size\" in section \"tskMon\" is not a "
         "whole number in the range 0 to 2147483647\n"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        const std::string name = row.file;
        const bool inBin = name.rfind("bin/", 0) == 0;
        const fs::path file = inBin ? fixture.bin() / name.substr(4) : fixture.project() / name;
        // An enciphered model is damaged as plain text and enciphered again.
        const bool enciphered = file.extension() == ".mde";
        std::string text = readText(enciphered ? fs::path(file).replace_extension(".mdl") : file);
        ASSERT_TRUE(damage(text, row.from, row.to));
        std::ofstream(file, std::ios::binary | std::ios::trunc) << (enciphered ? engine::EncipherModelText(text) : text);
        const auto before = filesAndModes(fixture.project());
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, row.code) << result.out << result.err;
        EXPECT_NE(result.err.find("OMBAgenCmd: " + row.message), std::string::npos) << result.err;
        EXPECT_TRUE(filesAndModes(fixture.project()) == before) << "a file of the project changed";
        EXPECT_EQ(fixture.callLog(), "");
    }
}

// Only regular files are read: a folder, a named pipe or a device in a file's place is refused by what it
// is, before it is opened, and every refusal names its file and why.
TEST(ConsoleJourney, OnlyRegularFilesAreReadAndEachRefusalNamesItsFile)
{
    enum class Put { Folder, Pipe, Device, Large };
    struct Row {
        const char* file; // "bin/..." in the program folder, else in the project folder
        Put put;
        int code;
        std::string message;
    };
    const Row rows[] = {
        {"bin/ombagen.cfg", Put::Large, 3,
         "Unable to read configuration file <BIN>/ombagen.cfg: it is larger than 1073741824 bytes\n"},
        {"bin/ombagen.cfg", Put::Pipe, 3, "Unable to read configuration file <BIN>/ombagen.cfg: it is a named pipe\n"},
        {"bin/models/z5std.mdl", Put::Folder, 4, "Unable to read model file models/z5std.mdl: it is a folder\n"},
        {"main.cpu", Put::Pipe, 4, "Unable to read kernel file main.cpu: it is a named pipe\n"},
        {"demo.omb", Put::Folder, 4, "Unable to read project file <PROJECT>/demo.omb: it is a folder\n"},
        {"monitor.app", Put::Device, 4, "Unable to read application file monitor.app: it is a device\n"},
    };
    for (const Row& row : rows) {
        const std::string name = row.file;
        SCOPED_TRACE(name + " " + std::to_string(static_cast<int>(row.put)));
        ConsoleFixture fixture;
        ASSERT_TRUE(fixture.ready());
        const fs::path file = name.rfind("bin/", 0) == 0 ? fixture.bin() / name.substr(4) : fixture.project() / name;
        if (row.put != Put::Large)
            fs::remove(file);
        switch (row.put) {
        case Put::Folder: fs::create_directory(file); break;
        case Put::Pipe: ASSERT_EQ(::mkfifo(file.c_str(), 0644), 0); break;
        case Put::Device: fs::create_symlink("/dev/zero", file); break;
        case Put::Large: fs::resize_file(file, (1ull << 30) + 1); break;
        }
        const RunResult result = fixture.run({"demo.omb", "-x", "-s"});
        EXPECT_EQ(result.code, row.code) << result.out << result.err;
        EXPECT_NE(result.err.find("OMBAgenCmd: " + row.message), std::string::npos) << result.err;
        EXPECT_EQ(fixture.callLog(), "");
    }
}
