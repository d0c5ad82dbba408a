#include "project_save.h"

#include "engine/ops/cpu_record_handler.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/records/text_field.h"
#include "platform/core/message_service.h"

namespace cmdgen {

namespace {

void fileError(const std::string& text)
{
    platform::messageBox(text, "File I/O Error", platform::MbOk | platform::MbIconError);
}

} // namespace

bool WriteApplicationFile(engine::ProjectRecord& project, engine::ProjectManager& manager, engine::CpuRecord& cpu,
                          engine::ApplicationRecord& application)
{
    engine::ApplicationFile file(&manager, &project, &cpu, &application);
    if (file.Write() == 1)
        return true;
    fileError("Unable to write application file");
    return false;
}

bool WriteCpuFile(engine::ConfigRecord& config, engine::CpuRecord& cpu)
{
    engine::CpuRecordHandler handler(&cpu.kernel, &config, &cpu);
    // A kernel file that may not be written is left alone; that is not a failure.
    if (!handler.IsKernelWritable())
        return true;
    if (handler.SaveKernel())
        return true;
    fileError("Unable to write kernel file " + engine::textString(cpu.kernel.kernelPath));
    return false;
}

bool WriteProjectFile(engine::ProjectRecord& project, engine::ProjectManager& manager, engine::ConfigRecord& config)
{
    if (manager.SaveProjectFile(project, config))
        return true;
    fileError("Error writing project");
    return false;
}

bool SaveProjectFiles(engine::ProjectRecord& project, engine::ProjectManager& manager, engine::ConfigRecord& config)
{
    bool saved = true;
    const int32_t cpuCount = project.cpus ? project.cpuCount : 0;
    for (int32_t c = 0; c < cpuCount; ++c) {
        engine::CpuRecord& cpu = project.cpus[c];
        const int32_t applicationCount = cpu.applications ? cpu.applicationCount : 0;
        for (int32_t a = 0; a < applicationCount; ++a) {
            if (!WriteApplicationFile(project, manager, cpu, cpu.applications[a])) {
                saved = false;
                break;
            }
        }
    }
    if (saved) {
        // Every CPU's kernel file is tried, also after one failed.
        for (int32_t c = 0; c < cpuCount; ++c)
            saved = WriteCpuFile(config, project.cpus[c]) && saved;
    }
    return WriteProjectFile(project, manager, config) && saved;
}

} // namespace cmdgen
