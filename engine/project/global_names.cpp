#include "engine/project/global_names.h"

#include <functional>
#include <string_view>

#include "engine/project/file_messages.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"

namespace engine {
namespace {

constexpr int32_t kMultiprocessorBit = 4;
constexpr int kMaxNesting = 16;

using ObjectVisitor = std::function<bool(const ObjectRecord&)>;

// Visits the shared objects (enabled, marked MP, in an enabled class) of an application; stops when the
// visitor returns false.
bool visitObjects(const ApplicationClassEntry& entry, int32_t count, const ObjectRecord* objects, int depth,
                  const ObjectVisitor& visit)
{
    if (depth > kMaxNesting)
        return true;
    for (int32_t i = 0; objects != nullptr && i < count; ++i) {
        const ObjectRecord& object = objects[i];
        if (entry.enabled && object.isMp && object.enabled && !visit(object))
            return false;
        if (entry.chained != nullptr &&
            !visitObjects(*entry.chained, object.childCount, object.children, depth + 1, visit))
            return false;
    }
    return true;
}

bool visitSharedObjects(const ApplicationRecord& app, const ObjectVisitor& visit)
{
    for (int32_t i = 0; app.classEntries != nullptr && i < app.classEntryCount; ++i) {
        int depth = 0;
        for (const ApplicationClassEntry* e = &app.classEntries[i]; e != nullptr && depth <= kMaxNesting;
             e = e->chained, ++depth) {
            if (!visitObjects(*e, e->objectCount, e->objects, depth, visit))
                return false;
        }
    }
    return true;
}

}  // namespace

void warnAboutGlobalNameClashes(const ProjectRecord* project, const CpuRecord* cpu, const ApplicationRecord* application)
{
    if (project == nullptr || cpu == nullptr || application == nullptr || !application->isMp)
        return;
    if ((cpu->kernel.framework & kMultiprocessorBit) == 0 || (cpu->kernel.featureMask & kMultiprocessorBit) == 0)
        return;
    visitSharedObjects(*application, [&](const ObjectRecord& object) {
        const std::string_view name = textOf(object.name);
        for (int32_t c = 0; project->cpus != nullptr && c < project->cpuCount; ++c) {
            const CpuRecord& other = project->cpus[c];
            for (int32_t a = 0; other.applications != nullptr && a < other.applicationCount; ++a) {
                const ApplicationRecord& otherApp = other.applications[a];
                if (&otherApp == application || !otherApp.isMp)
                    continue;
                bool clash = false;
                visitSharedObjects(otherApp, [&](const ObjectRecord& candidate) {
                    clash = textOf(candidate.name) == name;
                    return !clash;
                });
                if (clash) {
                    showWarning(formatMessage("Warning, application \"%s\" contains an object named \"%s\" which "
                                              "duplicates an object name in another global application.  Change it "
                                              "to a unique name before generating code.",
                                              textString(otherApp.name), name));
                }
            }
        }
        return true;
    });
}

}  // namespace engine
