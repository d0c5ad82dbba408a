#include "engine/names/name_conflicts.h"

#include "engine/names/application_sections.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/records/text_field.h"

namespace engine {

namespace {

// One kind of label compared by FindLabelConflict: the class, the description and how to read it.
struct LabelCheck {
    int32_t classType;
    const char* description; // "%s" is the object's name
    std::string_view (*label)(const ObjectRecord& object);
};

template <typename Data>
const Data* DataOf(const ObjectRecord& object)
{
    return static_cast<const Data*>(object.data);
}

std::string_view TaskEntryPoint(const ObjectRecord& o) { return textOf(DataOf<TaskData>(o)->entryPoint); }
std::string_view TaskStackLabel(const ObjectRecord& o) { return textOf(DataOf<TaskData>(o)->label); }
std::string_view ThreadEntryPoint(const ObjectRecord& o) { return textOf(DataOf<ThreadData>(o)->entryPoint); }
std::string_view ExceptionEntryPoint(const ObjectRecord& o) { return textOf(DataOf<ExceptionData>(o)->isrAddress); }
std::string_view PartitionLabel(const ObjectRecord& o) { return textOf(DataOf<PartitionData>(o)->label); }
std::string_view QueueLabel(const ObjectRecord& o) { return textOf(DataOf<QueueData>(o)->label); }
std::string_view PipeLabel(const ObjectRecord& o) { return textOf(DataOf<PipeData>(o)->label); }

constexpr LabelCheck kLabelChecks[] = {
    {ClassTask, "Entry point for Task %s", TaskEntryPoint},
    {ClassTask, "Stack label for Task %s", TaskStackLabel},
    {ClassThread, "Entry point for Thread %s", ThreadEntryPoint},
    {ClassException, "Entry point for Exception %s", ExceptionEntryPoint},
    {ClassPartition, "Manual placement label for Partition %s", PartitionLabel},
    {ClassQueue, "Manual placement label for Queue %s", QueueLabel},
    {ClassPipe, "Buffer label for Pipe %s", PipeLabel},
};

std::string Describe(const char* description, std::string_view objectName)
{
    std::string text = description;
    const std::size_t at = text.find("%s");
    return text.replace(at, 2, objectName);
}

} // namespace

bool IsGlobalObject(const ObjectPlace& place)
{
    return IsCpuMpEnabled(*place.cpu) && place.application->isMp && place.entry->enabled &&
           IsKindOtherThanOne(place.entry->classType) && place.object->isMp && place.object->enabled;
}

bool IsObjectNameUnique(ApplicationRecord& application, const ObjectRecord& object)
{
    return MovedObjectNameClash(application, object).empty();
}

bool IsObjectNameUnique(const ProjectRecord& project, const ObjectRecord& object)
{
    ApplicationRecord* application = FindApplicationOfObject(project, object);
    return !application || IsObjectNameUnique(*application, object);
}

bool FindLabelConflict(ApplicationRecord& application, const std::string& name, std::string& what,
                       const ObjectRecord* ignore, bool checkSystemRamLabel, bool checkKernelStackLabel)
{
    const int objectClash = VisitApplicationObjects(application, [&](const ObjectPlace& place) {
        if (place.object == ignore || textOf(place.object->name) != name)
            return 0;
        what = Describe("Object name %s", textOf(place.object->name));
        return 1;
    });
    if (objectClash)
        return true;

    for (const LabelCheck& check : kLabelChecks) {
        const int clash = VisitApplicationObjects(application, [&](const ObjectPlace& place) {
            if (place.entry->classType != check.classType || !place.entry->enabled || place.object == ignore ||
                !place.object->data || check.label(*place.object) != name)
                return 0;
            what = Describe(check.description, textOf(place.object->name));
            return 1;
        });
        if (clash)
            return true;
    }

    if (checkKernelStackLabel && application.kernelStackManual && textOf(application.kernelStackLabel) == name) {
        what = "Kernel Stack placement label";
        return true;
    }
    if (checkSystemRamLabel && application.systemRamManual && textOf(application.systemRamLabel) == name) {
        what = "System RAM placement label";
        return true;
    }
    return false;
}

ObjectRecord* FindGlobalNameConflict(const ProjectRecord& project, const ObjectRecord& object,
                                     ApplicationRecord** application)
{
    const std::string_view name = textOf(object.name);
    ObjectRecord* found = nullptr;
    VisitProjectObjects(project, [&](const ObjectPlace& place) {
        if (place.object == &object || textOf(place.object->name) != name ||
            !IsGlobalObject(place))
            return 0;
        found = place.object;
        if (application)
            *application = place.application;
        return 1;
    });
    return found;
}

bool IsNodeNameUnique(const ProjectRecord& project, const ApplicationRecord& application,
                      const std::string& nodeName)
{
    return VisitProjectApplications(project, [&](CpuRecord&, ApplicationRecord& other) {
               return &other != &application && other.isMp && textOf(other.nodeName) == nodeName;
           }) == 0;
}

std::string ObjectDisplayName(const ObjectRecord& object, bool withMarkers)
{
    std::string name(textOf(object.name));
    return withMarkers && object.isMp ? "*" + name : name;
}

} // namespace engine
