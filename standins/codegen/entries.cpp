// The two entries the generator programs look up by name. Each call stands alone: the library is
// loaded for one call and unloaded after it, so nothing is kept between calls.

#include "call_log.h"
#include "c_text.h"
#include "generation.h"
#include "output_file.h"
#include "report.h"

#include "engine/records/records.h"

#include <cstdio>
#include <exception>

using namespace codegen;

namespace {

// Results other than 0 tell the caller the call failed.
enum Result : int32_t { Success = 0, MissingRecord = 1, InjectedFailure = 2, WriteFailure = 3, InternalError = 4 };

std::string versionOf(const engine::CodeGeneratorParams* params)
{
    return params && params->version ? std::string(params->version) : std::string();
}

int32_t finish(const std::string& callLine, int32_t result, const std::string& error)
{
    if (!error.empty())
        std::fprintf(stderr, "Code generator: %s\n", error.c_str());
    appendToCallLog(callLine + " result=" + std::to_string(result) + "\n");
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
        std::string written;
        for (const std::string& path : result.written)
            written += "  wrote " + path + "\n";
        appendToCallLog(written);
        return finish(call, result.ok ? Success : WriteFailure, result.error);
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
        appendToCallLog("  wrote " + path + "\n");
        return finish(call, Success, {});
    } catch (const std::exception& e) {
        return finish(call, InternalError, e.what());
    } catch (...) {
        return finish(call, InternalError, "unexpected failure");
    }
}
