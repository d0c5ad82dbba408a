#include "engine/project/tests/project_fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/util/tests/source_tree.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

namespace engine::testing {

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "korvane-project-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code error;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, error);
}

std::string crlf(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

void writeFile(const std::string& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> folderListing(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::pair<std::string, std::string>> folderSnapshot(const std::string& folder)
{
    std::vector<std::pair<std::string, std::string>> files;
    for (const std::string& name : folderListing(folder))
        files.emplace_back(name, readFile(folder + "/" + name));
    return files;
}

namespace {

const char* const kClassNames[] = {"Level", "Thread",    "Exception", "Event Source", "Counter",
                                   "Alarm", "Pipe",      "Task",      "Semaphore",    "Queue",
                                   "Mailbox", "Partition", "Mutex",   "Special Service"};
const char* const kTags[] = {"LVL", "THRD", "EXC", "ES", "CNTR", "ALRM", "PIPE",
                             "TASK", "SEMA", "QUE", "MBOX", "PART", "MUTX", "SS"};

}  // namespace

DemoCpu::DemoCpu()
{
    KernelRecord& k = cpu.kernel;
    CpuRecordHandler::ResetKernelRecord(k, true);
    setText(cpu.name, "Main");
    setText(k.cSourceExtension, "c");
    setText(k.cHeaderExtension, "h");
    setText(k.asmSourceExtension, "s");
    setText(k.asmHeaderExtension, "inc");
    k.defaultAlignment = 4;
    k.minTaskStackSize = 128;
    k.maxTaskStackSize = 32768;
    k.minKernelStackSize = 256;
    k.maxKernelStackSize = 65536;
    k.taskStackModulus = 8;
    k.maxQueueWidth = 64;
    k.maxQueueDepth = 4096;
    k.minIsrLevel = 1;
    k.maxIsrLevel = 15;
    k.minIsrVector = 16;
    k.maxIsrVector = 255;
    k.nameSize = 12;
    k.extendedContextCount = 2;
    setText(k.extendedContexts[0].name, "FPU");
    k.extendedContexts[0].applicationDefault = 1;
    setText(k.extendedContexts[1].name, "DSP");
    k.extendedContexts[1].taskDefault = 1;
    k.taskAttributeCount = 2;
    setText(k.taskAttributes[0].name, "Privileged");
    setText(k.taskAttributes[1].name, "Watched");
    k.taskAttributes[1].defaultEnable = 1;
    for (int32_t type = 1; type <= 14; ++type) {
        KernelClassRecord* row = appendRow(k.classCount, k.classes);
        row->classType = type;
        setText(row->name, kClassNames[type - 1]);
        setText(row->tag, kTags[type - 1]);
        row->maximum = row->maximumPerParent = 255;
        row->variantMask = 7;
        row->available = row->selected = 1;
    }
    const char* const options[] = {"Application Heap", "Trace Buffer Size", "Verbose Asserts"};
    for (const char* name : options) {
        ModelOptionRow* row = appendRow(k.optionCount, k.options);
        setText(row->sectionName, name);
        setText(row->name, name);
        row->forApplications = 1;
        row->hasValue = 1;
        row->value = 64;
        row->maximum = 1048576;
        row->state = 1;
    }
}

DemoCpu::~DemoCpu()
{
    for (int32_t i = 0; cpu.applications != nullptr && i < cpu.applicationCount; ++i)
        ProjectManager::FreeApplication(cpu.applications[i]);
    std::free(cpu.applications);
    CpuRecordHandler::FreeKernelRecord(cpu.kernel);
}

std::string demoFolder()
{
    return sourceTree() + "/samples/demo";
}

std::string programFolder()
{
    return buildTree() + "/bin";
}

}  // namespace engine::testing
