#include "engine/footprint/footprint.h"

#include <algorithm>

#include "engine/footprint/symbol_table.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/names/record_arrays.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"

namespace engine {

namespace {

// Amounts are unsigned 32-bit; a sum or product that would pass 2^32 - 1 stays there.
uint32_t Sat(uint64_t value) { return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value); }
uint32_t Mul(uint32_t a, uint32_t b) { return Sat(static_cast<uint64_t>(a) * b); }
uint32_t Add(uint32_t a, uint32_t b) { return Sat(static_cast<uint64_t>(a) + b); }

// Sizes and counts that the object editors accept up to 2^32 - 1 are kept in signed fields: their bits
// are the amount.
uint32_t Accepted(int32_t stored) { return static_cast<uint32_t>(stored); }

// The header and property structures of each class type.
struct ClassStructures {
    int32_t classType;
    const char* header;
    const char* properties;
};

constexpr ClassStructures kClassStructures[] = {
    {ClassLevel, "LCHEADER", "LEVELPROP"},     {ClassThread, "TCHEADER", "THREADPROP"},
    {ClassException, "EHEADER", "EXCPTNPROP"}, {ClassEventSource, "SCHEADER", "EVNTSRCPROP"},
    {ClassCounter, "CCHEADER", "COUNTERPROP"}, {ClassAlarm, "ACHEADER", "ALARMPROP"},
    {ClassPipe, "PCHEADER", "PIPEPROP"},       {ClassTask, "TCB", "TASKPROP"},
    {ClassSemaphore, "SHEADER", "SEMAPROP"},   {ClassQueue, "QHEADER", "QUEUEPROP"},
    {ClassMailbox, "MHEADER", "MBOXPROP"},     {ClassPartition, "PHEADER", "PARTPROP"},
    {ClassMutex, "UHEADER", "MUTXPROP"},
};

const ClassStructures* StructuresOf(int32_t classType)
{
    for (const ClassStructures& row : kClassStructures) {
        if (row.classType == classType)
            return &row;
    }
    return nullptr;
}

// A derived symbol ("HAS_<root>StaticNames"): a name the model need not define, so an unknown one is
// simply false rather than a message.
bool SymbolHolds(const std::string& name, const CpuRecord& cpu)
{
    return ResolveExpressionName(name, &cpu).value_or(0) != 0;
}

uint32_t DynamicCount(const ApplicationClassEntry& entry)
{
    return entry.dynamicsAllowed ? NonNegative(entry.numberOfDynamics) : 0;
}

template <typename Data>
const Data* DataOf(const ObjectPlace& place)
{
    return static_cast<const Data*>(place.object->data);
}

// Sums a per-object amount over the objects of the entry at its place.
template <typename Data, typename Amount>
uint32_t SumOverObjects(const ClassEntryPlace& place, Amount amount)
{
    uint32_t sum = 0;
    VisitChainObjectsAtDepth(place, [&](const ObjectPlace& object) {
        if (const Data* data = DataOf<Data>(object))
            sum = Add(sum, amount(*data));
        return 0;
    });
    return sum;
}

class ApplicationEstimate {
public:
    ApplicationEstimate(const ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                        StructureSizer& sizer)
        : m_project(project), m_cpu(cpu), m_application(application), m_sizer(sizer),
          m_pointer(sizer.TypeSize("NEAR_DATA_PTR"))
    {
    }

    void AddChain(ApplicationClassEntry& head)
    {
        ClassEntryPlace place{&m_cpu, &m_application, &head, &head, 0};
        for (; place.entry && place.depth < kMaxChainDepth; place.entry = place.entry->chained, ++place.depth) {
            MemoryFootprint share = EntryShare(place);
            place.entry->footprint.Set(share.UserRam(), share.UserRom(), share.SystemRam());
            m_application.footprint.Add(share);
        }
    }

    void AddKernelShare()
    {
        MemoryFootprint share(m_pointer, m_sizer.StructureSize("SYSPROP"), m_sizer.StructureSize("KWS"));
        if (m_cpu.kernel.framework != kVariantSingleStack) {
            const uint32_t stack = NonNegative(m_application.kernelStackAvailable);
            if (m_application.kernelStackManual)
                share.Set(Add(share.UserRam(), stack), share.UserRom(), share.SystemRam());
            else
                share.SetSystemRam(Add(share.SystemRam(), stack));
        }
        m_application.footprint.Add(share);
    }

private:
    MemoryFootprint EntryShare(const ClassEntryPlace& place)
    {
        const ApplicationClassEntry& entry = *place.entry;
        const KernelClassRecord* kernelClass = FindKernelClassByType(&m_cpu, entry.classType);
        const ClassStructures* structures = StructuresOf(entry.classType);
        const char* condition = ClassPresenceSymbol(entry.classType);
        if (!kernelClass || !structures || !condition || !SymbolHolds(condition, m_cpu))
            return MemoryFootprint(0, 0, 0);

        const std::string root = textString(kernelClass->rootName).empty() ? textString(kernelClass->name)
                                                                              : textString(kernelClass->rootName);
        // N + 1: the static-name length plus its terminator, or 0 without static names.
        const uint32_t nameBytes =
            SymbolHolds("HAS_" + root + "StaticNames", m_cpu) ? NonNegative(entry.maxKeyLength) + 1 : 0;
        const uint32_t statics = NonNegative(CountClassEntryObjects(m_application, entry));
        const uint32_t dynamics = DynamicCount(entry);
        const uint32_t objects = Add(statics, dynamics);
        const uint32_t ocdt = m_sizer.StructureSize("OCDT");
        const uint32_t nameList = m_sizer.StructureSize("NAMELIST");

        uint32_t userRam = 0;
        uint32_t systemRam = Add(Add(Mul(objects, m_sizer.StructureSize(structures->header)), ocdt), Mul(dynamics, nameList));
        if (entry.classType <= ClassPipe)
            systemRam = Add(systemRam, Mul(Add(objects, 1), m_pointer));
        uint32_t userRom = Add(Add(Mul(Add(statics, 1), m_sizer.StructureSize(structures->properties)),
                                   m_sizer.StructureSize("KCLASSPROP")),
                               Mul(nameBytes, statics));

        switch (entry.classType) {
        case ClassLevel:
            if (const ApplicationClassEntry* threads = FindApplicationClassEntryByType(m_application, ClassThread)) {
                const uint32_t threadObjects =
                    Add(NonNegative(CountClassEntryObjects(m_application, *threads)), DynamicCount(*threads));
                systemRam = Add(systemRam, Mul(threadObjects, m_pointer));
            }
            break;
        case ClassPipe: {
            const uint32_t perBuffer = Add(Mul(2, m_pointer), m_sizer.TypeSize("int"));
            userRam = Add(userRam, SumOverObjects<PipeData>(place, [&](const PipeData& pipe) {
                              return Mul(Accepted(pipe.numberOfBuffers), Add(Accepted(pipe.maxBufferSize), perBuffer));
                          }));
            break;
        }
        case ClassTask:
            AddTaskShare(place, objects, dynamics, ocdt, nameList, userRam, userRom, systemRam);
            break;
        case ClassQueue:
            userRam = Add(userRam, SumOverObjects<QueueData>(place, [](const QueueData& queue) {
                              return Mul(Accepted(queue.depth), Accepted(queue.width));
                          }));
            break;
        case ClassPartition:
            userRam = Add(userRam, SumOverObjects<PartitionData>(place, [](const PartitionData& partition) {
                              return Mul(Accepted(partition.blockSize), Accepted(partition.numberOfBlocks));
                          }));
            break;
        default:
            break;
        }

        userRom = Add(userRom, MultiprocessorShare(*kernelClass, entry.classType));
        return MemoryFootprint(userRam, userRom, systemRam);
    }

    void AddTaskShare(const ClassEntryPlace& place, uint32_t objects, uint32_t dynamics, uint32_t ocdt,
                      uint32_t nameList, uint32_t& userRam, uint32_t& userRom, uint32_t& systemRam)
    {
        systemRam = Add(Add(Mul(Add(objects, 1), m_sizer.StructureSize("TCB")), ocdt), Mul(dynamics, nameList));
        userRam = Add(userRam, SumOverObjects<TaskData>(place, [](const TaskData& task) { return Accepted(task.stackSize); }));

        // Tasks that carry task attributes get a row of the attribute table.
        const int32_t attributeCount = std::clamp<int32_t>(m_cpu.kernel.taskAttributeCount, 0, kMaxTaskAttributes);
        const uint32_t withAttributes = SumOverObjects<TaskData>(place, [&](const TaskData& task) {
            for (int32_t i = 0; i < attributeCount; ++i) {
                if (task.attributes[i])
                    return 1u;
            }
            return 0u;
        });
        userRom = Add(userRom, Mul(Add(withAttributes, 1), m_sizer.TypeSize("TASK")));

        const int32_t contextCount = std::clamp<int32_t>(m_cpu.kernel.extendedContextCount, 0, kMaxExtendedContexts);
        for (int32_t i = 0; i < contextCount; ++i) {
            if (!m_application.extendedContext[i])
                continue;
            const uint32_t users = SumOverObjects<TaskData>(place, [i](const TaskData& task) {
                return task.extendedContext[i] ? 1u : 0u;
            });
            const uint32_t contextSize = m_sizer.StructureSize(textOf(m_cpu.kernel.extendedContexts[i].structName));
            userRam = Add(userRam, Mul(contextSize, users));
            userRom = Add(userRom, Mul(Add(users, 1), m_sizer.StructureSize("TASKECONTEXT")));
        }
    }

    // The global object table share of a multiprocessor application: one row per global object of the
    // class in the whole project, plus the names of those objects when names are kept.
    uint32_t MultiprocessorShare(const KernelClassRecord& kernelClass, int32_t classType)
    {
        if (!IsCpuMpEnabled(m_cpu) || !m_application.isMp || classType == ClassLevel)
            return 0;
        const std::string compressed = textString(kernelClass.compressedName).empty()
                                           ? textString(kernelClass.name)
                                           : textString(kernelClass.compressedName);
        const bool withNames = SymbolHolds("HAS_" + compressed + "StaticNames", m_cpu);
        uint32_t globals = 0;
        uint32_t nameBytes = 0;
        const ObjectVisitor count = [&](const ObjectPlace& place) {
            if (place.entry->classType == classType && place.entry->enabled && place.object->isMp &&
                place.object->enabled && place.application->isMp && IsCpuMpEnabled(*place.cpu)) {
                globals = Add(globals, 1);
                if (withNames)
                    nameBytes = Add(nameBytes, static_cast<uint32_t>(textOf(place.object->name).size()) + 1);
            }
            return 0;
        };
        if (m_project)
            VisitProjectObjects(*m_project, count);
        else
            VisitApplicationObjects(m_application, count, &m_cpu);

        const uint32_t row = Add(m_pointer, m_sizer.StructureSize("NAOT_" + ToUpperText(textOf(kernelClass.rootName))));
        return Add(Mul(Add(globals, 1), row), Mul(m_sizer.TypeSize("char"), nameBytes));
    }

    const ProjectRecord* m_project;
    CpuRecord& m_cpu;
    ApplicationRecord& m_application;
    StructureSizer& m_sizer;
    uint32_t m_pointer;
};

} // namespace

void AddClassFootprint(const ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application,
                       ApplicationClassEntry& entry, StructureSizer& sizer)
{
    ApplicationEstimate(project, cpu, application, sizer).AddChain(entry);
}

void ComputeApplicationFootprint(const ProjectRecord* project, CpuRecord& cpu, ApplicationRecord& application)
{
    UpdateSymbolsForApplication(cpu, application);
    application.footprint.Set(0, 0, 0);
    ModelTables tables;
    ReadCpuModelTables(cpu, tables);
    StructureSizer sizer = MakeStructureSizer(cpu, tables);
    ApplicationEstimate estimate(project, cpu, application, sizer);
    for (ApplicationClassEntry& entry : ClassEntries(application))
        estimate.AddChain(entry);
    estimate.AddKernelShare();
    application.footprint.MarkValid();
}

std::string FootprintAmountText(uint32_t amount)
{
    return std::to_string(amount) + (amount == UINT32_MAX ? " or more" : "");
}

bool ComputeApplicationFootprint(const ProjectRecord& project, ApplicationRecord& application)
{
    CpuRecord* cpu = FindCpuOfApplication(project, application);
    if (!cpu)
        return false;
    ComputeApplicationFootprint(&project, *cpu, application);
    return true;
}

} // namespace engine
