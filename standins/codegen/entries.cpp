// The two entries the generator programs look up by name. Each call stands alone: the library is
// loaded for one call and unloaded after it, so nothing is kept between calls.

#include "call_log.h"
#include "c_text.h"
#include "generation.h"
#include "output_file.h"
#include "report.h"

#include "engine/records/records.h"
#include "sdk/codegen/generator_entries.h"

#include <cstdio>
#include <exception>
#include <vector>

using namespace codegen;

namespace {

// Results other than 0 tell the caller the call failed.
enum Result : int32_t { Success = 0, MissingRecord = 1, InjectedFailure = 2, WriteFailure = 3, InternalError = 4 };

std::string versionOf(const engine::CodeGeneratorParams* params)
{
    return params && params->version ? std::string(params->version) : std::string();
}

// Logs the call (then the files it wrote) and gives its result.
int32_t finish(const std::string& callLine, int32_t result, const std::string& error,
               const std::vector<std::string>& written = {})
{
    if (!error.empty())
        std::fprintf(stderr, "Code generator: %s\n", error.c_str());
    std::string log = callLine + " result=" + std::to_string(result) + "\n";
    for (const std::string& path : written)
        log += "  wrote " + path + "\n";
    appendToCallLog(log);
    return result;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int32_t GenerateCode(engine::ProjectRecord* project,
                                                                         engine::CpuRecord* cpu,
                                                                         engine::ApplicationRecord* application,
                                                                         engine::CodeGeneratorParams* params,
                                                                         engine::ConfigRecord* /*config*/)
{
    const std::string call = describeCall("GenerateCode", params, project, cpu, application);
    try {
        if (!cpu || !application)
            return finish(call, MissingRecord, "no CPU or application record given");
        if (failureRequested("GenerateCode", fieldText(application->name)))
            return finish(call, InjectedFailure, {});
        const bool force = params && params->force != 0;
        const GenerationResult result = generateApplication(project, *cpu, *application, versionOf(params), force);
        return finish(call, result.ok ? Success : WriteFailure, result.error, result.written);
    } catch (const std::exception& e) {
        return finish(call, InternalError, e.what());
    } catch (...) {
        return finish(call, InternalError, "unexpected failure");
    }
}

extern "C" __attribute__((visibility("default"))) int32_t PrintSystem(engine::ApplicationRecord* application,
                                                                        engine::CpuRecord* cpu,
                                                                        engine::ProjectRecord* project,
                                                                        engine::ConfigRecord* /*config*/,
                                                                        engine::CodeGeneratorParams* params)
{
    const std::string call = describeCall("PrintSystem", params, project, cpu, application);
    try {
        if (!cpu || !application)
            return finish(call, MissingRecord, "no CPU or application record given");
        if (failureRequested("PrintSystem", fieldText(application->name)))
            return finish(call, InjectedFailure, {});
        const std::string path = reportPath(*cpu, *application);
        std::string error;
        if (!writeTextFile(path, reportText(project, *cpu, *application, versionOf(params)), error))
            return finish(call, WriteFailure, error);
        return finish(call, Success, {}, {path});
    } catch (const std::exception& e) {
        return finish(call, InternalError, e.what());
    } catch (...) {
        return finish(call, InternalError, "unexpected failure");
    }
}
