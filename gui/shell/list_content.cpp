#include "list_content.h"

#include "engine/footprint/footprint.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/project/object_keys.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"

namespace shell {

namespace {

constexpr int32_t kTicksliceFeature = 2;

const char* yesNo(int32_t flag)
{
    return flag ? "Yes" : "No";
}

std::string number(int32_t value)
{
    return engine::IntToText(value);
}

// A number the record holds, as the user reads and types it in its dialog: through the description of the
// key it is written under (an unsigned field as its unsigned decimal).
std::string shown(engine::FieldFile file, const char* sectionKind, const char* key, int32_t value)
{
    return engine::FieldDisplayText(engine::FieldDescriptionOf(file, sectionKind, key), value);
}

// A number of an object's class data, found by where it lies in the class's data block.
std::string shownData(int32_t classType, std::size_t offset, int32_t value)
{
    for (const engine::ObjectKey& key : engine::objectKeysOfClass(classType)) {
        if (key.offset == offset && key.kind == engine::ObjectKeyKind::Number)
            return engine::FieldDisplayText(key.field, value);
    }
    return number(value);
}

const char* waitingOrder(int32_t order)
{
    return order == 1 ? "FIFO" : "Priority";
}

template <typename T>
int32_t countOf(const T* array, int32_t count)
{
    return array && count > 0 ? count : 0;
}

bool showsTicksliceColumn(const engine::CpuRecord& cpu)
{
    return (cpu.kernel.featureMask & kTicksliceFeature) != 0;
}

int32_t extendedContextCount(const engine::KernelRecord& kernel)
{
    return kernel.extendedContextCount < 0 ? 0
           : kernel.extendedContextCount > engine::kMaxExtendedContexts ? engine::kMaxExtendedContexts
                                                                        : kernel.extendedContextCount;
}

int32_t taskAttributeCount(const engine::KernelRecord& kernel)
{
    return kernel.taskAttributeCount < 0 ? 0
           : kernel.taskAttributeCount > engine::kMaxTaskAttributes ? engine::kMaxTaskAttributes
                                                                    : kernel.taskAttributeCount;
}

bool hasTraceActor(int32_t classType)
{
    return classType == engine::ClassThread || classType == engine::ClassException || classType == engine::ClassTask;
}

template <typename Data>
const Data* dataOf(const engine::ObjectRecord& object)
{
    return static_cast<const Data*>(object.data);
}

void appendClassColumns(std::vector<ListColumn>& columns, const engine::CpuRecord* cpu,
                        const engine::ApplicationRecord* application, const engine::ApplicationClassEntry& entry)
{
    columns.push_back({"Name", false});
    if (entry.systemTrace) {
        if (hasTraceActor(entry.classType)) {
            columns.push_back({"Trace Object", false});
            columns.push_back({"Trace Actor", false});
        } else {
            columns.push_back({"Trace", false});
        }
    }
    switch (entry.classType) {
    case engine::ClassLevel:
        columns.push_back({"Scheduling Policy", false});
        break;
    case engine::ClassThread:
        columns.push_back({"Entry Point", false});
        break;
    case engine::ClassException:
        columns.push_back({"Interrupt Level", true});
        columns.push_back({"Vector Number", true});
        columns.push_back({"Entry Point", false});
        break;
    case engine::ClassCounter:
        columns.push_back({"Modulus", true});
        columns.push_back({"System Timebase", false});
        if (cpu && showsTicksliceColumn(*cpu))
            columns.push_back({"Tickslice Counter", false});
        break;
    case engine::ClassAlarm:
        columns.push_back({"Initial Count", true});
        columns.push_back({"Recycle Count", true});
        break;
    case engine::ClassPipe:
        columns.push_back({"Buffers", true});
        columns.push_back({"Buffer Size", true});
        break;
    case engine::ClassTask:
        columns.push_back({"Entry Point", false});
        columns.push_back({"Initial Priority", true});
        columns.push_back({"Stack Size", true});
        columns.push_back({"Start Order", true});
        if (cpu) {
            for (int32_t i = 0; i < extendedContextCount(cpu->kernel); ++i) {
                if (application && application->extendedContext[i])
                    columns.push_back({engine::textString(cpu->kernel.extendedContexts[i].abbreviation), false});
            }
            for (int32_t i = 0; i < taskAttributeCount(cpu->kernel); ++i)
                columns.push_back({engine::textString(cpu->kernel.taskAttributes[i].name), false});
        }
        break;
    case engine::ClassSemaphore:
        columns.push_back({"Signal Type", false});
        columns.push_back({"Waiting Order", false});
        break;
    case engine::ClassQueue:
        columns.push_back({"Width", true});
        columns.push_back({"Depth", true});
        columns.push_back({"Waiting Order", false});
        break;
    case engine::ClassMailbox:
        columns.push_back({"Waiting Order", false});
        break;
    case engine::ClassPartition:
        columns.push_back({"Block Size", true});
        columns.push_back({"Blocks", true});
        columns.push_back({"Waiting Order", false});
        break;
    case engine::ClassMutex:
        columns.push_back({"Priority Inheritance", false});
        columns.push_back({"Waiting Order", false});
        break;
    default:
        break;
    }
    columns.push_back({"Description", false});
}

void appendClassRows(std::vector<ListRow>& rows, const engine::ApplicationRecord& application,
                     engine::ApplicationClassEntry& head)
{
    std::string prefix;
    int depth = 0;
    for (engine::ApplicationClassEntry* entry = &head; entry && depth < engine::kMaxChainDepth;
         entry = entry->chained, ++depth) {
        ListRow row;
        row.treeItem = entry->treeItem;
        row.chainDepth = depth;
        row.cells = {prefix + engine::textString(entry->name),
                     number(engine::CountClassEntryObjects(application, *entry)),
                     shown(engine::FieldFile::Application, "CLASS", "Number of Dynamics", entry->numberOfDynamics),
                     engine::FootprintAmountText(entry->footprint.SystemRam()),
                     engine::FootprintAmountText(entry->footprint.UserRam()),
                     engine::FootprintAmountText(entry->footprint.UserRom()),
                     yesNo(entry->statistics),
                     yesNo(entry->diagnostics),
                     yesNo(entry->systemTrace),
                     shown(engine::FieldFile::Application, "CLASS", "Max Key Length", entry->maxKeyLength)};
        rows.push_back(std::move(row));
        prefix += "> ";
    }
}

} // namespace

std::string NumberWithExpression(const std::string& value, const char* expression, std::size_t size)
{
    const std::string text(engine::textOf(expression, size));
    const std::string trimmed = engine::TrimText(text, true, true);
    if (trimmed.empty())
        return value;
    return value + " (" + text + ")";
}

std::vector<std::string> ObjectClassCells(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application,
                                          const engine::ApplicationClassEntry& entry,
                                          const engine::ObjectRecord& object)
{
    std::vector<std::string> cells;
    if (!object.data && engine::objectDataSize(entry.classType) > 0)
        return cells;
    // A number of the object's class data, shown through the key it is written under.
    const auto field = [&entry](const void* data, const int32_t& member) {
        const auto offset = static_cast<std::size_t>(reinterpret_cast<const char*>(&member) -
                                                     static_cast<const char*>(data));
        return shownData(entry.classType, offset, member);
    };
    switch (entry.classType) {
    case engine::ClassLevel:
        cells.push_back(dataOf<engine::LevelData>(object)->schedulingPolicy == 1 ? "Round Robin" : "Priority");
        break;
    case engine::ClassThread:
        cells.push_back(engine::textString(dataOf<engine::ThreadData>(object)->entryPoint));
        break;
    case engine::ClassException: {
        const auto* data = dataOf<engine::ExceptionData>(object);
        cells.push_back(field(data, data->interruptLevel));
        cells.push_back(field(data, data->vectorNumber));
        cells.push_back(engine::textString(data->isrAddress));
        break;
    }
    case engine::ClassCounter: {
        const auto* data = dataOf<engine::CounterData>(object);
        cells.push_back(field(data, data->modulus));
        cells.push_back(yesNo(data->systemTimebase));
        if (showsTicksliceColumn(cpu))
            cells.push_back(yesNo(data->ticksliceCounter));
        break;
    }
    case engine::ClassAlarm: {
        const auto* data = dataOf<engine::AlarmData>(object);
        cells.push_back(NumberWithExpression(field(data, data->initialCount), data->initialExpression, sizeof data->initialExpression));
        cells.push_back(NumberWithExpression(field(data, data->recycleCount), data->recycleExpression, sizeof data->recycleExpression));
        break;
    }
    case engine::ClassPipe: {
        const auto* data = dataOf<engine::PipeData>(object);
        cells.push_back(NumberWithExpression(field(data, data->numberOfBuffers), data->numberOfBuffersExpression,
                                             sizeof data->numberOfBuffersExpression));
        cells.push_back(NumberWithExpression(field(data, data->maxBufferSize), data->maxBufferSizeExpression,
                                             sizeof data->maxBufferSizeExpression));
        break;
    }
    case engine::ClassTask: {
        const auto* data = dataOf<engine::TaskData>(object);
        cells.push_back(engine::textString(data->entryPoint));
        cells.push_back(field(data, data->initialPriority));
        cells.push_back(field(data, data->stackSize));
        cells.push_back(field(data, data->startingOrder));
        for (int32_t i = 0; i < extendedContextCount(cpu.kernel); ++i) {
            if (application.extendedContext[i])
                cells.push_back(yesNo(data->extendedContext[i]));
        }
        for (int32_t i = 0; i < taskAttributeCount(cpu.kernel); ++i) {
            const engine::TaskAttributeRow& attribute = cpu.kernel.taskAttributes[i];
            cells.push_back(engine::textString(data->attributes[i] ? attribute.enabledName : attribute.disabledName));
        }
        break;
    }
    case engine::ClassSemaphore: {
        const auto* data = dataOf<engine::SemaphoreData>(object);
        cells.push_back(data->signalType == 1 ? "Multiple" : "Single");
        cells.push_back(waitingOrder(data->waitingOrder));
        break;
    }
    case engine::ClassQueue: {
        const auto* data = dataOf<engine::QueueData>(object);
        cells.push_back(NumberWithExpression(field(data, data->width), data->widthExpression, sizeof data->widthExpression));
        cells.push_back(NumberWithExpression(field(data, data->depth), data->depthExpression, sizeof data->depthExpression));
        cells.push_back(waitingOrder(data->waitingOrder));
        break;
    }
    case engine::ClassMailbox:
        cells.push_back(waitingOrder(dataOf<engine::MailboxData>(object)->waitingOrder));
        break;
    case engine::ClassPartition: {
        const auto* data = dataOf<engine::PartitionData>(object);
        cells.push_back(NumberWithExpression(field(data, data->blockSize), data->blockSizeExpression, sizeof data->blockSizeExpression));
        cells.push_back(NumberWithExpression(field(data, data->numberOfBlocks), data->numberOfBlocksExpression,
                                             sizeof data->numberOfBlocksExpression));
        cells.push_back(waitingOrder(data->waitingOrder));
        break;
    }
    case engine::ClassMutex: {
        const auto* data = dataOf<engine::MutexData>(object);
        cells.push_back(yesNo(data->priorityInversion));
        cells.push_back(waitingOrder(data->waitingOrder));
        break;
    }
    default:
        break;
    }
    return cells;
}

std::vector<ListColumn> ListColumns(int kind, const ListSource& source)
{
    std::vector<ListColumn> columns;
    switch (kind) {
    case 1:
        columns = {{"CPU", false}, {"Model", false}, {"File Name", false}, {"Description", false}};
        break;
    case 2:
        columns = {{"Application", false}, {"System RAM", true}, {"User RAM", true},  {"User ROM", true},
                   {"File Name", false},   {"User Trace", false}, {"Description", false}};
        break;
    case 3:
        columns = {{"Class", false},      {"Statics", true},      {"Dynamics", true},     {"System RAM", true},
                   {"User RAM", true},    {"User ROM", true},     {"Statistics", false},  {"Diagnostics", false},
                   {"System Trace", false}, {"Max Name Length", true}};
        break;
    case 4:
    case 5:
        if (source.entry)
            appendClassColumns(columns, source.cpu, source.application, *source.entry);
        break;
    default:
        break;
    }
    return columns;
}

std::vector<ListRow> ListRows(int kind, const ListSource& source)
{
    std::vector<ListRow> rows;
    switch (kind) {
    case 1:
        if (!source.project)
            break;
        for (int32_t c = 0; c < countOf(source.project->cpus, source.project->cpuCount); ++c) {
            const engine::CpuRecord& cpu = source.project->cpus[c];
            const std::string name = engine::textString(cpu.name);
            rows.push_back({cpu.treeItem,
                            {engine::IsCpuMpEnabled(cpu) ? "*" + name : name, engine::textString(cpu.kernel.modelName),
                             engine::textString(cpu.kernel.kernelPath), engine::textString(cpu.description)}});
        }
        break;
    case 2:
        if (!source.cpu)
            break;
        for (int32_t a = 0; a < countOf(source.cpu->applications, source.cpu->applicationCount); ++a) {
            engine::ApplicationRecord& application = source.cpu->applications[a];
            engine::ComputeApplicationFootprint(source.project, *source.cpu, application);
            const std::string name = engine::textString(application.name);
            rows.push_back({application.treeItem,
                            {application.edited ? "*" + name : name,
                             engine::FootprintAmountText(application.footprint.SystemRam()),
                             engine::FootprintAmountText(application.footprint.UserRam()),
                             engine::FootprintAmountText(application.footprint.UserRom()), engine::textString(application.path),
                             yesNo(application.userTrace), engine::textString(application.description)}});
        }
        break;
    case 3: {
        if (!source.cpu || !source.application)
            break;
        engine::ApplicationRecord& application = *source.application;
        engine::ComputeApplicationFootprint(source.project, *source.cpu, application);
        for (int32_t e = 0; e < countOf(application.classEntries, application.classEntryCount); ++e) {
            engine::ApplicationClassEntry& entry = application.classEntries[e];
            if (entry.enabled)
                appendClassRows(rows, application, entry);
        }
        break;
    }
    case 4:
    case 5: {
        if (!source.cpu || !source.application || !source.entry)
            break;
        const engine::ApplicationClassEntry& entry = *source.entry;
        if (entry.classType < engine::kFirstClassType || entry.classType > engine::kLastClassType)
            break;
        // The objects of a chained entry hang under the objects of the entry before it.
        std::vector<const engine::ObjectRecord*> objects;
        engine::ClassEntryPlace place;
        if (engine::FindClassEntryInApplication(*source.application, entry, place) && place.depth > 0) {
            place.cpu = source.cpu;
            engine::VisitChainObjectsAtDepth(place, [&objects](const engine::ObjectPlace& at) {
                objects.push_back(at.object);
                return 0;
            });
        } else {
            for (int32_t i = 0; i < countOf(entry.objects, entry.objectCount); ++i)
                objects.push_back(&entry.objects[i]);
        }
        for (const engine::ObjectRecord* object : objects) {
            ListRow row;
            row.treeItem = object->treeItem;
            row.cells.push_back(engine::ObjectDisplayName(*object, true));
            if (entry.systemTrace) {
                row.cells.push_back(yesNo(object->traceObject));
                if (hasTraceActor(entry.classType))
                    row.cells.push_back(yesNo(object->traceActor));
            }
            for (std::string& cell : ObjectClassCells(*source.cpu, *source.application, entry, *object))
                row.cells.push_back(std::move(cell));
            row.cells.push_back(engine::textString(object->description));
            rows.push_back(std::move(row));
        }
        break;
    }
    default:
        break;
    }
    return rows;
}

} // namespace shell
