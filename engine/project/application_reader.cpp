#include <cstdlib>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/files/file_message.h"
#include "engine/project/application_file.h"
#include "engine/project/file_messages.h"
#include "engine/project/global_names.h"
#include "engine/project/object_keys.h"
#include "engine/project/round_trip.h"
#include "engine/project/section_io.h"
#include "engine/records/model_bounds.h"
#include "engine/records/model_option.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/sectioned/field_numbers.h"
#include "engine/sectioned/name_set.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/usertext/user_text_store.h"

namespace engine {
namespace {

// Chains follow the fixed class dependencies (at most three deep) and objects nest along them; a
// deeper file is malformed.
constexpr int kMaxNesting = 16;

const KernelClassRecord* kernelClassOfType(const KernelRecord& kernel, int32_t type)
{
    for (int32_t i = 0; kernel.classes != nullptr && i < kernel.classCount; ++i) {
        if (kernel.classes[i].classType == type)
            return &kernel.classes[i];
    }
    return nullptr;
}

const KernelClassRecord* kernelClassNamed(const KernelRecord& kernel, std::string_view name)
{
    for (int32_t i = 0; kernel.classes != nullptr && i < kernel.classCount; ++i) {
        if (textOf(kernel.classes[i].name) == name)
            return &kernel.classes[i];
    }
    return nullptr;
}

class ApplicationReader {
public:
    ApplicationReader(CpuRecord& cpu, ApplicationRecord& application, const SectionedFile& file, std::string path)
        : m_cpu(cpu), m_kernel(cpu.kernel), m_app(application), m_file(file), m_path(std::move(path)),
          m_fields("application", m_path)
    {
    }

    bool readApplicationKeys();
    bool readOptions();
    bool readClassTypes();
    void correctClassNames();
    // False, after a message naming the value, when a number read did not fit its field.
    bool numbersFit() const;
    bool optionValueFits(const ApplicationOption& option, const SectionedFileSection& section) const;
    bool kernelStackFits(const SectionedFileSection& section) const;
    // False, after a message naming the class, when a class entry has more dynamic objects than its kernel
    // class's maximum leaves beside its static objects.
    bool dynamicsFit() const;
    // False, after a message naming the object and the key, when an entry point or a manual placement's label
    // could not be generated as the object's dialog keeps it.
    bool symbolsFit() const;

private:
    const SectionedFileSection* requiredSection(const std::string& name);
    bool claim(const std::string& name);
    void reportShared(const std::string& name) const;
    bool listFitsTheFile(const std::vector<std::string>& names);
    bool readClassEntry(ApplicationClassEntry& entry, int depth);
    bool readObjectList(const std::string& listName, ApplicationClassEntry& entry, int32_t& count,
                        ObjectRecord*& objects, int depth);
    bool readObject(ApplicationClassEntry& entry, ObjectRecord& object, int depth);
    bool readObjectData(ApplicationClassEntry& entry, ObjectRecord& object, const SectionedFileSection& section);
    bool setPath(char* field, std::size_t size, const SectionedFileSection& section, const char* key);
    void initEntry(ApplicationClassEntry& entry) const;
    // The number `key` holds in a section of `kind`, read by the key's description.
    int32_t value(const SectionedFileSection& section, std::string_view kind, std::string_view key, int32_t fallback);

    CpuRecord& m_cpu;
    const KernelRecord& m_kernel;
    ApplicationRecord& m_app;
    const SectionedFile& m_file;
    std::string m_path;
    FieldReader m_fields;
    FieldNumbers m_numbers;
    sectioned::NameSet m_claimed;
    std::unordered_set<int32_t> m_types;
    bool m_classNameReported = false;
};

int32_t ApplicationReader::value(const SectionedFileSection& section, std::string_view kind, std::string_view key,
                                 int32_t fallback)
{
    return m_numbers.field(section, FieldDescriptionOf(FieldFile::Application, kind, key), fallback, key);
}

// A number option's value lies within the model's minimum and maximum for it, the 0 a missing key stands
// for included.
bool ApplicationReader::optionValueFits(const ApplicationOption& option, const SectionedFileSection& section) const
{
    for (int32_t k = 0; m_kernel.options != nullptr && k < m_kernel.optionCount; ++k) {
        const ModelOptionRow& row = m_kernel.options[k];
        if (textOf(row.sectionName) != section.GetName() || engine::optionValueFits(row, option.value))
            continue;
        ShowLoadProblem("application", m_path,
                        FilledValueProblem(section.FindEntry("Value") != nullptr, true, std::to_string(option.value),
                                           "Value", section.GetName(), ModelRangeText(row.minimum, row.maximum)));
        return false;
    }
    return true;
}

// The kernel stack lies within the model's bounds for it (compared unsigned) and is a multiple of its
// modulus, as the System page keeps it.
bool ApplicationReader::kernelStackFits(const SectionedFileSection& section) const
{
    const char* key = "Kernel Stack Available";
    const uint32_t stack = static_cast<uint32_t>(m_app.kernelStackAvailable);
    const uint32_t low = static_cast<uint32_t>(m_kernel.minKernelStackSize);
    const uint32_t high = static_cast<uint32_t>(m_kernel.maxKernelStackSize);
    if (stack < low || stack > high) {
        ShowLoadProblem("application", m_path,
                        FilledValueProblem(section.FindEntry(key) != nullptr, true, std::to_string(stack), key,
                                           section.GetName(), std::to_string(low) + " to " + std::to_string(high)));
        return false;
    }
    if (!stackMeetsModulus(m_app.kernelStackAvailable, m_kernel.taskStackModulus)) {
        ShowLoadProblem("application", m_path,
                        ModulusProblem(stack, key, section.GetName(), static_cast<uint32_t>(m_kernel.taskStackModulus)));
        return false;
    }
    return true;
}

bool ApplicationReader::dynamicsFit() const
{
    for (int32_t i = 0; m_app.classEntries != nullptr && i < m_app.classEntryCount; ++i) {
        for (const ApplicationClassEntry* e = &m_app.classEntries[i]; e != nullptr; e = e->chained) {
            const KernelClassRecord* kernelClass = kernelClassOfType(m_kernel, e->classType);
            if (kernelClass == nullptr || e->numberOfDynamics == 0)
                continue;
            const int64_t dynamics = static_cast<uint32_t>(e->numberOfDynamics);
            const int64_t allowed = dynamicsMaximum(*kernelClass, CountClassEntryObjects(m_app, *e));
            if (dynamics <= allowed)
                continue;
            ShowLoadProblem("application", m_path,
                            FilledValueProblem(true, true, std::to_string(dynamics), "Number of Dynamics",
                                               textOf(e->name), ModelRangeText(0, allowed)));
            return false;
        }
    }
    return true;
}

bool ApplicationReader::symbolsFit() const
{
    std::string problem;
    VisitApplicationObjects(m_app, [&](const ObjectPlace& place) {
        if (place.object->data == nullptr)
            return 0;
        for (const ObjectKey& key : objectKeysOfClass(place.entry->classType)) {
            const std::string why = objectSymbolProblem(m_app, place.entry->classType, *place.object, key);
            if (why.empty())
                continue;
            const std::string_view value = textOf(static_cast<const char*>(place.object->data) + key.offset, kNameSize);
            problem = "the value \"" + std::string(value) + "\" of \"" + key.field.key + "\" in section \"" +
                      textString(place.object->name) + "\" " + why;
            return 1;
        }
        return 0;
    });
    if (problem.empty())
        return true;
    ShowLoadProblem("application", m_path, problem);
    return false;
}

bool ApplicationReader::numbersFit() const
{
    if (m_numbers.ok())
        return true;
    ShowLoadProblem("application", m_path, m_numbers.problem());
    return false;
}

const SectionedFileSection* ApplicationReader::requiredSection(const std::string& name)
{
    const SectionedFileSection* section = m_file.FindSection(name);
    if (section == nullptr)
        showFileError(formatMessage("Unable to locate required section %s in application file %s", name, m_path));
    return section;
}

// Every section of the file stands for one thing; a name that comes back would read another thing's
// section (and could loop), so it ends the read.
bool ApplicationReader::claim(const std::string& name)
{
    if (m_claimed.insert(name))
        return true;
    reportShared(name);
    return false;
}

void ApplicationReader::reportShared(const std::string& name) const
{
    showFileError(formatMessage("Unable to load application file %s: the name \"%s\" is used for more than one "
                                "section",
                                m_path, name));
}

// Every object needs a section of its own. A list longer than the file has sections cannot be read; it
// is refused before a record is set up per name, naming the first object at fault.
bool ApplicationReader::listFitsTheFile(const std::vector<std::string>& names)
{
    if (names.size() <= m_file.GetSectionCount())
        return true;
    sectioned::NameSet seen;
    for (const std::string& name : names) {
        if (requiredSection(name) == nullptr)
            return false;
        if (m_claimed.contains(name) || !seen.insert(name)) {
            reportShared(name);
            return false;
        }
    }
    return false;
}

bool ApplicationReader::setPath(char* field, std::size_t size, const SectionedFileSection& section, const char* key)
{
    const std::string path = MakeNativePath(readText(section, key));
    if (textFits(size, path)) {
        setText(field, size, path);
        return true;
    }
    showFileError(formatMessage("The path \"%s\" of \"%s\" in application file %s is too long", path, key, m_path));
    return false;
}

bool ApplicationReader::readApplicationKeys()
{
    const SectionedFileSection* s = requiredSection("APPLICATION");
    if (s == nullptr)
        return false;
    claim("APPLICATION");
    ApplicationRecord& a = m_app;
    // A file without a name keeps the name the project lists for it.
    if (findValue(*s, "Name") && !m_fields.text(a.name, *s, "Name"))
        return false;
    if (!m_fields.text(a.description, *s, "Description"))
        return false;
    a.userTrace = value(*s, "APPLICATION", "User Trace", 0);
    if (!setPath(a.codePath, sizeof a.codePath, *s, "Code File Path") ||
        !setPath(a.headerPath, sizeof a.headerPath, *s, "Header File Path") ||
        !setPath(a.optionPath, sizeof a.optionPath, *s, "Option File Path") ||
        !setPath(a.reportPath, sizeof a.reportPath, *s, "Report File Path"))
        return false;
    a.kernelHDirty = value(*s, "APPLICATION", "Kernel h file dirty", 0);
    a.kernelMDirty = value(*s, "APPLICATION", "Kernel m file dirty", 0);
    a.projectHDirty = value(*s, "APPLICATION", "Project h file dirty", 0);
    // Older files kept the C file's mark under the name of the m file.
    a.projectCDirty = value(*s, "APPLICATION", "Project c file dirty", value(*s, "APPLICATION", "Project m file dirty", 0));
    a.systemRamAvailable = value(*s, "APPLICATION", "System RAM Available", 0);
    a.systemRamManual = value(*s, "APPLICATION", "System RAM Manual Placement", 0);
    if (!m_fields.text(a.systemRamLabel, *s, "System RAM Label"))
        return false;
    a.kernelStackAvailable = value(*s, "APPLICATION", "Kernel Stack Available", 0);
    if (m_numbers.ok() && !kernelStackFits(*s))
        return false;
    a.kernelStackManual = value(*s, "APPLICATION", "Kernel Stack Manual Placement", 0);
    if (!m_fields.text(a.kernelStackLabel, *s, "Kernel Stack Label"))
        return false;
    a.anchorAddressFixed = value(*s, "APPLICATION", "Anchor Address Fixed", 0);
    a.anchorAddressLabel = value(*s, "APPLICATION", "Anchor Address Label", 0);
    a.systemClockRateHz = value(*s, "APPLICATION", "System Clock Rate Hz", 0);
    // Older files called the multiprocessor mark "Global".
    a.isMp = value(*s, "APPLICATION", "Is MP", value(*s, "APPLICATION", "Global", 0));
    a.instances = value(*s, "APPLICATION", "Instances", 1);
    if (!m_fields.text(a.cSourceExtension, *s, "C Source Extension", textOf(m_kernel.cSourceExtension)) ||
        !m_fields.text(a.cHeaderExtension, *s, "C Header Extension", textOf(m_kernel.cHeaderExtension)) ||
        !m_fields.text(a.asmSourceExtension, *s, "Assembler Source Extension", textOf(m_kernel.asmSourceExtension)) ||
        !m_fields.text(a.asmHeaderExtension, *s, "Assembler Header Extension", textOf(m_kernel.asmHeaderExtension)))
        return false;
    a.generateAssemblerCode = value(*s, "APPLICATION", "Generate Assembler Code", (m_kernel.mode & 0x10) != 0);
    a.generateI2Symbols = value(*s, "APPLICATION", "Generate i2symbols", (m_kernel.mode & 0x40) != 0);
    a.generateCppComments = value(*s, "APPLICATION", "Generate CPP Comments", (m_kernel.mode & 0x20) != 0);
    a.generateUserIsrs = value(*s, "APPLICATION", "Generate User ISRs", (m_kernel.mode & 0x80) != 0);
    a.externConst = value(*s, "APPLICATION", "Extern Const", m_kernel.externConst != 0);
    a.generateDosFiles = value(*s, "APPLICATION", "Generate DOS Files", m_kernel.generateDosFiles != 0);
    a.userVersion = value(*s, "APPLICATION", "User Version", 0);
    for (int i = 0; i < kMaxExtendedContexts; ++i)
        a.extendedContext[i] = value(*s, "APPLICATION", "Extended Context" + std::to_string(i), 0);
    if (!m_fields.text(a.nodeName, *s, "Node Name") || !m_fields.text(a.suffix, *s, "Suffix"))
        return false;

    if (const std::string problem = a.userTexts->Load(m_file); !problem.empty()) {
        ShowLoadProblem("application", m_path, problem);
        return false;
    }
    for (const std::string& name : a.userTexts->SectionNames())
        m_claimed.insert(name);
    return true;
}

bool ApplicationReader::readOptions()
{
    const SectionedFileSection* list = requiredSection("MODEL OPTIONS");
    if (list == nullptr || !claim("MODEL OPTIONS"))
        return false;
    const std::optional<std::vector<std::string>> listed = listKeys(*list, "application", m_path);
    if (!listed)
        return false;
    const std::vector<std::string>& names = *listed;
    if (names.empty())
        return true;
    if (!m_fields.namesFit(kNameSize, names, list->GetName()))
        return false;
    auto* rows = static_cast<ApplicationOption*>(std::calloc(names.size(), sizeof(ApplicationOption)));
    if (rows == nullptr) {
        showFileError(formatMessage(
            "Unable to allocate sufficient memory to load model options from application file %s", m_path));
        return false;
    }
    m_app.options = rows;
    m_app.optionCount = static_cast<int32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        setText(rows[i].name, names[i]);
    for (std::size_t i = 0; i < names.size(); ++i) {
        const SectionedFileSection* s = requiredSection(names[i]);
        if (s == nullptr || !claim(names[i]))
            return false;
        rows[i].value = value(*s, "MODEL OPTION", "Value", 0);
        rows[i].state = value(*s, "MODEL OPTION", "State", 0);
        // "Override Binary" of stored files is not kept: the writer never writes it and nothing reads it.
        if (m_numbers.ok() && !optionValueFits(rows[i], *s))
            return false;
    }
    return true;
}

void ApplicationReader::initEntry(ApplicationClassEntry& entry) const
{
    std::memset(&entry, 0, sizeof entry);
    entry.statistics = m_kernel.defaultStatistics;
    entry.diagnostics = m_kernel.defaultDiagnostics;
    entry.systemTrace = m_kernel.defaultTrace;
    entry.maxKeyLength = 8;
}

bool ApplicationReader::readClassTypes()
{
    const SectionedFileSection* types = requiredSection("CLASS TYPES");
    if (types == nullptr || !claim("CLASS TYPES"))
        return false;
    const std::optional<std::vector<std::string>> listed = listKeys(*types, "application", m_path);
    if (!listed)
        return false;
    const std::vector<std::string>& names = *listed;
    if (names.empty())
        return true;
    if (!m_fields.namesFit(kNameSize, names, types->GetName()))
        return false;
    auto* entries = static_cast<ApplicationClassEntry*>(std::calloc(names.size(), sizeof(ApplicationClassEntry)));
    if (entries == nullptr) {
        showFileError(formatMessage(
            "Unable to allocate sufficient memory to load class structures from application file %s", m_path));
        return false;
    }
    m_app.classEntries = entries;
    m_app.classEntryCount = static_cast<int32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        initEntry(entries[i]);
        setText(entries[i].name, names[i]);
        entries[i].classType = value(*types, "CLASS TYPES", names[i], 0);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!readClassEntry(entries[i], 0))
            return false;
    }
    return true;
}

bool ApplicationReader::readClassEntry(ApplicationClassEntry& entry, int depth)
{
    const std::string name = textString(entry.name);
    const SectionedFileSection* s = requiredSection(name);
    if (s == nullptr || !claim(name))
        return false;
    if (depth > 0)
        entry.classType = value(*s, "CLASS TYPES", name, entry.classType);
    // A chained entry saved without its type key is known by its class name.
    const KernelClassRecord* kernelClass = entry.classType != 0 ? kernelClassOfType(m_kernel, entry.classType)
                                                                : kernelClassNamed(m_kernel, name);
    if (kernelClass == nullptr || kernelClass->classType < kFirstClassType ||
        kernelClass->classType > kLastClassType) {
        showFileError(formatMessage("Unable to load application file %s: the class \"%s\" is not a kernel class of "
                                    "CPU \"%s\"",
                                    m_path, name, textString(m_cpu.name)));
        return false;
    }
    // Two entries of one class (listed under two names) would be merged into one name and could not
    // be written back.
    if (!m_types.insert(kernelClass->classType).second) {
        showFileError(formatMessage("Unable to load application file %s: the class \"%s\" is listed more than once",
                                    m_path, textString(kernelClass->name)));
        return false;
    }
    entry.classType = kernelClass->classType;
    entry.statistics = value(*s, "CLASS", "Statistics", 0);
    entry.diagnostics = value(*s, "CLASS", "Diagnostics", 0);
    entry.systemTrace = value(*s, "CLASS", "System Trace", 0);
    entry.dynamicsAllowed = value(*s, "CLASS", "Dynamics Allowed", 0);
    entry.numberOfDynamics = value(*s, "CLASS", "Number of Dynamics", 0);
    entry.maxKeyLength = value(*s, "CLASS", "Max Key Length", m_kernel.nameSize);
    entry.cFileDirty = value(*s, "CLASS", "c file dirty", 0);
    entry.hFileDirty = value(*s, "CLASS", "h file dirty", 0);
    entry.mFileDirty = value(*s, "CLASS", "m file dirty", 0);

    if (const auto dependent = findValue(*s, "Dependent Class")) {
        if (!m_fields.nameFits(kNameSize, *dependent, name))
            return false;
        if (depth >= kMaxNesting) {
            showFileError(formatMessage("Unable to load application file %s: classes are chained too deeply", m_path));
            return false;
        }
        auto* chained = static_cast<ApplicationClassEntry*>(std::calloc(1, sizeof(ApplicationClassEntry)));
        if (chained == nullptr) {
            showFileError(formatMessage(
                "Unable to allocate sufficient memory to load dependent class from application file %s", m_path));
            return false;
        }
        initEntry(*chained);
        setText(chained->name, *dependent);
        entry.chained = chained;
        if (!readClassEntry(*chained, depth + 1))
            return false;
    }
    if (const auto listName = findValue(*s, "Objects"))
        return readObjectList(*listName, entry, entry.objectCount, entry.objects, depth);
    return true;
}

bool ApplicationReader::readObjectList(const std::string& listName, ApplicationClassEntry& entry, int32_t& count,
                                       ObjectRecord*& objects, int depth)
{
    const SectionedFileSection* list = requiredSection(listName);
    if (list == nullptr || !claim(listName))
        return false;
    const std::optional<std::vector<std::string>> listed = listKeys(*list, "application", m_path);
    if (!listed)
        return false;
    const std::vector<std::string>& names = *listed;
    if (names.empty())
        return true;
    if (!m_fields.namesFit(kNameSize, names, listName) || !listFitsTheFile(names))
        return false;
    auto* array = static_cast<ObjectRecord*>(std::calloc(names.size(), sizeof(ObjectRecord)));
    if (array == nullptr) {
        showFileError(formatMessage(
            "Unable to allocate sufficient memory to load object structures from application file %s", m_path));
        return false;
    }
    objects = array;
    count = static_cast<int32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        setText(array[i].name, names[i]);
        array[i].enabled = 1;
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!readObject(entry, array[i], depth))
            return false;
    }
    return true;
}

bool ApplicationReader::readObject(ApplicationClassEntry& entry, ObjectRecord& object, int depth)
{
    const std::string name = textString(object.name);
    const SectionedFileSection* s = requiredSection(name);
    if (s == nullptr || !claim(name))
        return false;
    if (!m_fields.text(object.description, *s, "Description"))
        return false;
    // The keys every object holds, their descriptions found once for all objects.
    struct Key {
        std::string_view name;
        const FieldDescription& field;
    };
    const auto key = [](std::string_view name) { return Key{name, FieldDescriptionOf(FieldFile::Application, "OBJECT", name)}; };
    static const Key kDynamicsAllowed = key("Dynamics Allowed"), kNumberOfDynamics = key("Number of Dynamics"),
                     kIsMp = key("Is MP"), kGlobal = key("Global"), kTraceObject = key("Trace Object"),
                     kTraceActor = key("Trace Actor"), kEnabled = key("Enabled");
    const auto objectValue = [&](const Key& k, int32_t fallback) { return m_numbers.field(*s, k.field, fallback, k.name); };
    object.dynamicsAllowed = objectValue(kDynamicsAllowed, 0);
    object.numberOfDynamics = objectValue(kNumberOfDynamics, 0);
    object.isMp = objectValue(kIsMp, objectValue(kGlobal, 0));
    object.traceObject = objectValue(kTraceObject, 0);
    object.traceActor = objectValue(kTraceActor, 0);
    object.enabled = objectValue(kEnabled, 1);

    // The object's class is the class of the entry that holds it; a "Class Name" that says otherwise
    // is reported and corrected on the next save.
    const std::string className = readText(*s, "Class Name");
    if (className != textOf(entry.name)) {
        // One box per file: a file whose objects all lack the key would otherwise ask once per object.
        if (!m_classNameReported)
            showWarning(formatMessage("Object \"%s\" in application file %s names the class \"%s\" but is listed "
                                      "under \"%s\"; it is read as an object of class \"%s\".",
                                      name, m_path, className, textString(entry.name), textString(entry.name)));
        m_classNameReported = true;
        m_app.edited = 1;
    }
    if (!readObjectData(entry, object, *s))
        return false;

    if (const auto childList = findValue(*s, "Objects")) {
        if (entry.chained == nullptr || depth >= kMaxNesting) {
            showFileError(formatMessage("Unable to load application file %s: object \"%s\" has child objects but "
                                        "its class has no dependent class",
                                        m_path, name));
            return false;
        }
        return readObjectList(*childList, *entry.chained, object.childCount, object.children, depth + 1);
    }
    return true;
}

bool ApplicationReader::readObjectData(ApplicationClassEntry& entry, ObjectRecord& object,
                                       const SectionedFileSection& section)
{
    if (objectDataSize(entry.classType) == 0)
        return true;
    if (!ProjectManager::AllocateObjectData(m_cpu, entry, object) || object.data == nullptr) {
        showFileError(formatMessage("Unable to allocate memory to load the class-specifing information for an object "
                                    "of class \"%s\" from application file %s",
                                    objectClassWord(entry.classType), m_path));
        return false;
    }
    auto* block = static_cast<char*>(object.data);
    for (const ObjectKey& key : objectKeysOfClass(entry.classType)) {
        char* field = block + key.offset;
        switch (key.kind) {
        case ObjectKeyKind::Number:
        case ObjectKeyKind::Flag: {
            const int32_t fallback = key.defaultValue == ObjectKeyDefault::KernelAlignment ? m_kernel.defaultAlignment : 0;
            const int32_t value = m_numbers.field(section, key.field, fallback);
            std::memcpy(field, &value, sizeof value);
            break;
        }
        case ObjectKeyKind::Text:
            if (!m_fields.text(field, kNameSize, section, key.field.key))
                return false;
            break;
        case ObjectKeyKind::ContextFlags:
        case ObjectKeyKind::AttributeFlags: {
            const bool contexts = key.kind == ObjectKeyKind::ContextFlags;
            const int32_t rows = contexts ? m_kernel.extendedContextCount : m_kernel.taskAttributeCount;
            for (int32_t i = 0; i < kMaxExtendedContexts; ++i) {
                int32_t value = 0;
                if (i < rows) {
                    const int32_t fallback = contexts ? m_kernel.extendedContexts[i].taskDefault
                                                      : m_kernel.taskAttributes[i].defaultEnable;
                    value = m_numbers.field(section, key.field, fallback != 0 ? 1 : 0, std::string(key.field.key) + std::to_string(i));
                }
                std::memcpy(field + i * sizeof(int32_t), &value, sizeof value);
            }
            break;
        }
        }
    }
    // Every number lies within the range its key takes on this CPU (the model's bounds, the 0 a missing key
    // stands for included), as the class's dialog keeps it.
    if (!m_numbers.ok())
        return true;
    for (const ObjectKey& key : objectKeysOfClass(entry.classType)) {
        if (key.kind != ObjectKeyKind::Number)
            continue;
        int32_t value = 0;
        std::memcpy(&value, block + key.offset, sizeof value);
        const ObjectKeyRange range = objectKeyRange(m_cpu, entry.classType, key, block);
        if (!objectKeyValueInRange(range, key.field, value)) {
            ShowLoadProblem("application", m_path,
                            FilledValueProblem(section.FindEntry(key.field.key) != nullptr, true,
                                               FieldDisplayText(key.field, value), key.field.key, section.GetName(),
                                               objectKeyRangeText(range)));
            return false;
        }
        if (!objectKeyValueMeetsModulus(range, value)) {
            ShowLoadProblem("application", m_path,
                            ModulusProblem(static_cast<uint32_t>(value), key.field.key, section.GetName(), range.modulus));
            return false;
        }
    }
    return true;
}

void ApplicationReader::correctClassNames()
{
    for (int32_t i = 0; m_app.classEntries != nullptr && i < m_app.classEntryCount; ++i) {
        for (ApplicationClassEntry* e = &m_app.classEntries[i]; e != nullptr; e = e->chained) {
            if (e->classType == 0)
                continue;
            const KernelClassRecord* kernelClass = kernelClassOfType(m_kernel, e->classType);
            if (kernelClass != nullptr && !sameText(e->name, kernelClass->name)) {
                setText(e->name, textOf(kernelClass->name));
                m_app.edited = 1;
            }
        }
    }
}

}  // namespace

bool ReadApplicationSections(CpuRecord& cpu, ApplicationRecord& application, const SectionedFile& file,
                             const std::string& path)
{
    ApplicationReader reader(cpu, application, file, path);
    if (!reader.readApplicationKeys() || !reader.readOptions())
        return false;
    if (!reader.readClassTypes() || !reader.numbersFit() || !reader.dynamicsFit() || !reader.symbolsFit())
        return false;
    reader.correctClassNames();
    return true;
}

int ApplicationFile::Read(const std::string& path)
{
    ApplicationRecord& app = *m_application;
    app.edited = 0;
    const std::string nativePath = MakeNativePath(path);
    if (!textFits(app.path, nativePath)) {
        showFileError(formatMessage("The path of application file %s is too long", nativePath));
        return 0;
    }
    setText(app.path, nativePath);
    // A folder, pipe or device is named for what it is by the read that follows, never opened.
    if (CheckReadableFile(nativePath) == ReadResult::OpenFailed) {
        showFileError(formatMessage("Unable to open application file %s for reading", nativePath));
        return 0;
    }

    ProjectManager::FreeApplication(app);
    app.userTexts = new UserTextStore(&app, m_cpu->kernel, false);
    app.file = new SectionedFile(nativePath, false, false, false);
    std::string bytes;
    const ReadResult loaded = ReadWholeFile(nativePath, bytes);
    if (loaded != ReadResult::Ok) {
        showFileError(formatMessage("Unable to read application file %s: %s", nativePath,
                                    ReadFailureReason(loaded, nativePath)));
        return 0;
    }
    app.file->ParseSectionedText(bytes, true);
    if (!CheckParsedFile(*app.file, "application", nativePath))
        return 0;

    if (!ReadApplicationSections(*m_cpu, app, *app.file, nativePath))
        return 0;
    // A file opens only if what a save would write of it reads back as it was read.
    if (const std::string problem = ApplicationRoundTripProblem(*m_cpu, app, bytes); !problem.empty()) {
        ShowLoadProblem("application", nativePath, problem);
        return 0;
    }
    ProjectManager::UpdateClassEntryFlags(*m_cpu);
    warnAboutGlobalNameClashes(m_project, m_cpu, &app, m_globalNames);
    return 1;
}

}  // namespace engine
