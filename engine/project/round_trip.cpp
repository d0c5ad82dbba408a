#include "engine/project/round_trip.h"

#include "engine/files/cpu_file.h"
#include "engine/project/application_file.h"
#include "engine/project/read_back.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"

namespace engine {

std::string ApplicationRoundTripProblem(CpuRecord& cpu, const ApplicationRecord& application, std::string_view readFrom)
{
    const std::string path = textString(application.path);
    SectionedFile file(path, true, false, false);
    std::string text;
    if (std::string problem = BuildApplicationText(cpu, application, file, text); !problem.empty())
        return "it cannot be written: " + problem;
    if (!readFrom.empty() && text == readFrom)
        return {};
    return ApplicationReadBackProblem(cpu, application, path, text);
}

std::string ProjectRoundTripProblem(const ProjectRecord& project)
{
    for (int32_t c = 0; project.cpus != nullptr && c < project.cpuCount; ++c) {
        CpuRecord& cpu = project.cpus[c];
        const std::string cpuName = "CPU \"" + textString(cpu.name) + "\"";
        if (std::string problem = KernelRoundTripProblem(cpu.kernel); !problem.empty()) {
            const std::string path = textString(cpu.kernel.kernelPath);
            return (path.empty() ? "the kernel of " : "the kernel file " + path + " of ") + cpuName + ": " + problem;
        }
        for (int32_t a = 0; cpu.applications != nullptr && a < cpu.applicationCount; ++a) {
            const ApplicationRecord& application = cpu.applications[a];
            if (std::string problem = ApplicationRoundTripProblem(cpu, application); !problem.empty()) {
                const std::string path = textString(application.path);
                return (path.empty() ? std::string() : "the file " + path + " of ") + "application \"" +
                       textString(application.name) + "\" of " + cpuName + ": " + problem;
            }
        }
    }
    return {};
}

} // namespace engine
