#include "engine/project/global_names.h"

#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/project/file_messages.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"

namespace engine {

void warnAboutGlobalNameClashes(const ProjectRecord* project, CpuRecord* cpu, ApplicationRecord* application,
                                GlobalObjectNames* seen)
{
    if (project == nullptr || cpu == nullptr || application == nullptr || !application->isMp || !IsCpuMpEnabled(*cpu))
        return;
    VisitApplicationObjects(
        *application,
        [&](const ObjectPlace& place) {
            if (!place.entry->enabled || !place.object->isMp || !place.object->enabled)
                return 0;
            const ApplicationRecord* other = nullptr;
            if (seen != nullptr) {
                const auto [found, added] = seen->emplace(textString(place.object->name), application);
                if (!added)
                    other = found->second;
                else if (!IsGlobalObject(place))
                    seen->erase(found);
            } else {
                ApplicationRecord* conflict = nullptr;
                if (FindGlobalNameConflict(*project, *place.object, &conflict) != nullptr)
                    other = conflict;
            }
            if (other != nullptr && other != application) {
                showWarning(formatMessage("Warning, application \"%s\" contains an object named \"%s\" which "
                                          "duplicates an object name in another global application.  Change it to a "
                                          "unique name before generating code.",
                                          textString(other->name), textString(place.object->name)));
            }
            return 0;
        },
        cpu);
}

}  // namespace engine
