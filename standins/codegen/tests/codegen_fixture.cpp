#include "codegen_fixture.h"

#include <cstdlib>

namespace codegen::test {

namespace {

engine::KernelClassRecord kernelClass(int32_t type, const char* name, const char* tag)
{
    engine::KernelClassRecord record{};
    record.classType = type;
    engine::setText(record.name, name);
    engine::setText(record.tag, tag);
    record.available = 1;
    record.selected = 1;
    return record;
}

engine::ObjectRecord object(const char* name, void* data)
{
    engine::ObjectRecord record{};
    engine::setText(record.name, name);
    record.data = data;
    record.enabled = 1;
    return record;
}

engine::ApplicationClassEntry entry(int32_t type, const char* name, bool enabled)
{
    engine::ApplicationClassEntry record{};
    record.classType = type;
    record.enabled = enabled ? 1 : 0;
    engine::setText(record.name, name);
    return record;
}

} // namespace

ProjectFixture::ProjectFixture(const std::filesystem::path& root)
{
    engine::setText(project.name, "Demo");
    engine::setText(cpu.name, "Main");
    engine::setText(cpu.kernel.modelName, "Z5 Standard");
    kernelClasses = {kernelClass(engine::ClassLevel, "Level", "LVL"), kernelClass(engine::ClassThread, "Thread", "THD"),
                     kernelClass(engine::ClassTask, "Task", "Task"), kernelClass(engine::ClassQueue, "Queue", "QUE")};
    cpu.kernel.classCount = static_cast<int32_t>(kernelClasses.size());
    cpu.kernel.classes = kernelClasses.data();

    engine::ApplicationRecord& app = application;
    engine::setText(app.name, "Control");
    engine::setText(app.codePath, (root / "src").string());
    engine::setText(app.headerPath, (root / "inc").string() + "/");
    engine::setText(app.optionPath, (root / "inc").string());
    engine::setText(app.reportPath, (root / "reports").string());
    engine::setText(app.cSourceExtension, "c");
    engine::setText(app.cHeaderExtension, ".h");
    app.instances = 1;
    app.systemClockRateHz = 1000;
    app.footprint.Set(100, 200, 300);

    options.resize(2);
    engine::setText(options[0].name, "Application Heap");
    options[0].value = 4096;
    options[0].state = 1;
    engine::setText(options[1].name, "Application-Heap");  // spells the same macro name
    app.optionCount = 2;
    app.options = options.data();

    taskData.resize(2);
    engine::setText(taskData[0].entryPoint, "MainTask");
    taskData[0].initialPriority = 3;
    taskData[0].stackSize = 1024;
    engine::setText(taskData[1].entryPoint, "odd \"quoted\" ?\?/ name\\");
    tasks = {object("tskMain", &taskData[0]), object("tskIdle", &taskData[1])};
    tasks[1].traceObject = 1;

    threadData.resize(3);
    threads = {object("thrMotor", &threadData[0]), object("thrSensor", &threadData[1]),
               object("thrLogger", &threadData[2])};
    levelData.resize(2);
    levels = {object("lvlControl", &levelData[0]), object("lvlBackground", &levelData[1])};
    levels[0].childCount = 2;
    levels[0].children = &threads[0];
    levels[1].childCount = 1;
    levels[1].children = &threads[2];

    entries = {entry(engine::ClassTask, "Task", true), entry(engine::ClassLevel, "Level", true),
               entry(engine::ClassQueue, "Queue", false)};
    entries[0].objectCount = 2;
    entries[0].objects = tasks.data();
    entries[1].objectCount = 2;
    entries[1].objects = levels.data();
    threadEntry = entry(engine::ClassThread, "Thread", true);
    entries[1].chained = &threadEntry;
    app.classEntryCount = static_cast<int32_t>(entries.size());
    app.classEntries = entries.data();
}

ScratchFolder::ScratchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "codegen-test-XXXXXX").string();
    if (mkdtemp(pattern.data()))
        m_path = pattern;
}

ScratchFolder::~ScratchFolder()
{
    std::error_code ec;
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, ec);
}

} // namespace codegen::test
