#include "call_log.h"

#include "c_text.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace codegen {

void appendToCallLog(const std::string& text)
{
    const char* path = std::getenv("OMBA_CODEGEN_LOG");
    if (!path || !*path)
        return;
    if (std::FILE* file = std::fopen(path, "a")) {
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }
}

bool failureRequested(const std::string& entry, const std::string& application)
{
    const char* value = std::getenv("OMBA_CODEGEN_FAIL");
    if (!value)
        return false;
    std::stringstream list(value);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item == entry || item == entry + ":" + application)
            return true;
    }
    return false;
}

std::string describeCall(const std::string& entry, const engine::CodeGeneratorParams* params,
                         const engine::ProjectRecord* project, const engine::CpuRecord* cpu,
                         const engine::ApplicationRecord* application)
{
    std::string line = entry;
    if (params) {
        line += " caller=" + std::to_string(params->callerKind);
        line += " version=\"" + std::string(params->version ? params->version : "") + "\"";
        line += " operation=" + std::to_string(params->operation);
        line += " force=" + std::to_string(params->force);
    } else {
        line += " params=none";
    }
    line += " project=\"" + (project ? fieldText(project->name) : std::string()) + "\"";
    line += " cpu=\"" + (cpu ? fieldText(cpu->name) : std::string()) + "\"";
    line += " application=\"" + (application ? fieldText(application->name) : std::string()) + "\"";
    if (application) {
        line += " regenerate=" + std::to_string(application->regenerate);
        line += std::string(" footprint=") + (application->footprint.IsValid() ? "valid" : "invalid");
    }
    return line;
}

} // namespace codegen
