#include "engine/files/model_reader.h"

#include "engine/files/cpu_file.h"

#include "engine/files/file_message.h"
#include "engine/files/model_file.h"
#include "engine/files/script_list.h"
#include "engine/records/counted_array.h"
#include "engine/records/model_option.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"

#include <cstring>
#include <functional>
#include <unordered_map>

namespace engine {

namespace {

// The description of a key of the model file.
const FieldDescription& modelField(std::string_view kind, std::string_view key)
{
    return FieldDescriptionOf(FieldFile::Model, kind, key);
}

} // namespace
namespace {

int32_t flag(bool value) { return value ? 1 : 0; }

} // namespace

void ModelReader::missingSection(std::string_view name) const
{
    ShowFileMessage(FormatText("Can't find required section \"%s\" in model file %s", std::string(name).c_str(),
                               m_path.c_str()));
}

bool ModelReader::spend(int32_t& budget, std::size_t rows, int32_t limit, const char* what) const
{
    if (rows <= static_cast<std::size_t>(budget)) {
        budget -= static_cast<int32_t>(rows);
        return true;
    }
    budget = -1;
    ShowFileMessage(FormatText("Model file %s defines more than %d %s", m_path.c_str(), limit, what));
    return false;
}

bool ModelReader::listFits(const SectionedFileSection& list, int32_t room) const
{
    const std::size_t count = list.GetEntryCount();
    if (count <= static_cast<std::size_t>(room))
        return true;
    ShowLoadProblem("model", m_path,
                    FormatText("the section \"%s\" lists %zu entries, more than the %d it can hold (\"%s\" is the first "
                               "beyond them)",
                               list.GetName().c_str(), count, room,
                               list.GetEntry(static_cast<std::size_t>(room))->GetName().c_str()));
    return false;
}

bool ModelReader::storeText(char* field, std::size_t size, std::string_view text, std::string_view key,
                            std::string_view section)
{
    if (setText(field, size, text))
        return true;
    ShowFileMessage(FormatText("Value of \"%s\" in section \"%s\" of model file %s is longer than %zu characters",
                               std::string(key).c_str(), std::string(section).c_str(), m_path.c_str(), size - 1));
    return false;
}

bool ModelReader::Read()
{
    m_attributeBudget = kMaxModelAttributes;
    m_serviceBudget = kMaxModelServices;
    m_needsBudget = kMaxModelNeeds;
    if (!(readKernelSection() && readExtendedContexts() && readTaskAttributes() &&
          readScripts() &&
          readModelOptions() && readClassProperties() && readClassTypes() && kernelSectionsAreDistinct()))
        return false;
    if (m_numbers.ok())
        return true;
    ShowLoadProblem("model", m_path, m_numbers.problem());
    return false;
}

// Every option the kernel file keeps has a section of its own there: an option whose section name (in any
// letter case) is another option's, a class's, an attribute's or a service's would be written as one section
// with the other and read back as the first.
bool ModelReader::kernelSectionsAreDistinct() const
{
    std::unordered_map<std::string, std::string> options{{ToUpperText("KERNEL"), "the kernel settings"}};
    std::string clash;
    const auto check = [&](std::string_view name, const std::string& what, bool option) {
        if (!clash.empty())
            return;
        const std::string key = ToUpperText(name);
        const auto earlier = options.find(key);
        if (earlier != options.end())
            clash = "the kernel file section \"" + std::string(name) + "\" would hold both " + earlier->second +
                    " and " + what;
        else if (option)
            options.emplace(key, what);
    };
    for (int32_t i = 0; m_kernel.options != nullptr && i < m_kernel.optionCount; ++i) {
        if (!m_kernel.options[i].forApplications)
            check(textOf(m_kernel.options[i].sectionName),
                  "the option \"" + textString(m_kernel.options[i].sectionName) + "\"", true);
    }
    const auto services = [&](int32_t count, const KernelServiceRow* rows) {
        for (int32_t i = 0; rows != nullptr && i < count; ++i)
            check(textOf(rows[i].sectionName), "the service \"" + textString(rows[i].name) + "\"", false);
    };
    std::function<void(int32_t, const KernelClassAttribute*, int)> attributes =
        [&](int32_t count, const KernelClassAttribute* rows, int depth) {
            for (int32_t i = 0; rows != nullptr && i < count && depth < 16; ++i) {
                check(textOf(rows[i].name), "the attribute \"" + textString(rows[i].name) + "\"", false);
                attributes(rows[i].childCount, rows[i].children, depth + 1);
                services(rows[i].serviceCount, rows[i].services);
            }
        };
    for (int32_t i = 0; m_kernel.classes != nullptr && i < m_kernel.classCount; ++i) {
        check(textOf(m_kernel.classes[i].name), "the class \"" + textString(m_kernel.classes[i].name) + "\"", false);
        attributes(m_kernel.classes[i].attributeCount, m_kernel.classes[i].attributes, 0);
        services(m_kernel.classes[i].serviceCount, m_kernel.classes[i].services);
    }
    if (!clash.empty()) {
        ShowLoadProblem("model", m_path, clash);
        return false;
    }
    // Every name the kernel file takes from the model must be one it can be written with and read back.
    SectionedFile probe({}, true, false, false);
    PutKernelSections(m_kernel, probe);
    std::string text;
    std::string problem;
    if (probe.ToWritableText(text, problem))
        return true;
    ShowLoadProblem("model", m_path, "the kernel file could not be written: the " + problem);
    return false;
}

bool ModelReader::readScripts()
{
    const std::string problem = ReadScriptList(m_model.FindSection("SCRIPTS"), m_kernel.scriptCount, m_kernel.scripts);
    if (problem.empty())
        return true;
    ShowLoadProblem("model", m_path, problem);
    return false;
}

bool ModelReader::readKernelSection()
{
    const SectionedFileSection* s = m_model.FindSection("KERNEL");
    if (!s) {
        missingSection("KERNEL");
        return false;
    }
    KernelRecord& k = m_kernel;
    const char* name = "KERNEL";
    std::string classgen = ReplaceText(s->GetString("Classgen"), "/", "\\");
    if (!storeText(k.modelVersion, s->GetString("Version"), "Version", name) ||
        !storeText(k.osName, s->GetString("OS Name", "OMBA Korvane"), "OS Name", name) ||
        !storeText(k.modelName, s->GetString("Model Name"), "Model Name", name) ||
        !storeText(k.codeGeneratorLibrary, classgen, "Classgen", name) ||
        !storeText(k.sizeUnitName, s->GetString("Size Unit Name"), "Size Unit Name", name) ||
        !storeText(k.cSourceExtension, s->GetString("C Source Extension"), "C Source Extension", name) ||
        !storeText(k.cHeaderExtension, s->GetString("C Header Extension"), "C Header Extension", name) ||
        !storeText(k.asmSourceExtension, s->GetString("Assembler Source Extension", "asm"),
                   "Assembler Source Extension", name) ||
        !storeText(k.asmHeaderExtension, s->GetString("Assembler Header Extension", "inc"),
                   "Assembler Header Extension", name) ||
        !storeText(k.contextIncludeFile, s->GetString("Context Include File"), "Context Include File", name))
        return false;

    k.taskStackModulus = m_numbers.field(*s, modelField("KERNEL", "Task Stack Modulus"), 0);
    k.taskStackModulus2 = m_numbers.field(*s, modelField("KERNEL", "Task Stack Modulus"), 0);
    k.minKernelStackSize = m_numbers.field(*s, modelField("KERNEL", "Minimum Kernel Stack Size"), 128);
    k.maxKernelStackSize = m_numbers.field(*s, modelField("KERNEL", "Maximum Kernel Stack Size"), 0x7FFFFFFF);
    k.maxQueueWidth = m_numbers.field(*s, modelField("KERNEL", "Maximum Queue Width"), 0);
    k.maxQueueDepth = m_numbers.field(*s, modelField("KERNEL", "Maximum Queue Depth"), 0);
    k.defaultAlignment = m_numbers.field(*s, modelField("KERNEL", "Alignment"), 0);
    k.hasCeiling = m_numbers.field(*s, modelField("KERNEL", "Has Ceiling"), 0);
    k.hasOrigin = m_numbers.field(*s, modelField("KERNEL", "Has Origin"), 0);
    k.minIsrLevel = m_numbers.field(*s, modelField("KERNEL", "Minimum ISR Level"), 0);
    k.maxIsrLevel = m_numbers.field(*s, modelField("KERNEL", "Maximum ISR Level"), 0);
    k.minIsrVector = m_numbers.field(*s, modelField("KERNEL", "Minimum ISR Vector"), 0);
    k.maxIsrVector = m_numbers.field(*s, modelField("KERNEL", "Maximum ISR Vector"), 0);
    k.mode = m_numbers.field(*s, modelField("KERNEL", "Mode"), 0);
    k.defaultSystemRam = m_numbers.field(*s, modelField("KERNEL", "Default System RAM"), 4096);
    k.binaryDistribution = m_numbers.field(*s, modelField("KERNEL", "Binary Distribution"), 0);
    k.externConst = m_numbers.field(*s, modelField("KERNEL", "Extern Const"), 1);
    k.outputTaskAttributes = m_numbers.field(*s, modelField("KERNEL", "Output Task Attributes"), 0);
    k.generateDosFiles = m_numbers.field(*s, modelField("KERNEL", "Generate DOS Files"), GenerateDosFilesDefault() ? 1 : 0);
    k.defaultServiceLocal = m_numbers.field(*s, modelField("KERNEL", "Default Service Local"), 1);
    k.defaultServiceIncoming = m_numbers.field(*s, modelField("KERNEL", "Default Service Incoming"), 1);
    k.defaultServiceOutgoing = m_numbers.field(*s, modelField("KERNEL", "Default Service Outgoing"), 1);
    k.scalableKernel = m_numbers.field(*s, modelField("KERNEL", "Scalable Kernel"), 1);
    k.bindingNumber = m_numbers.field(*s, modelField("KERNEL", "Binding Number"), 0);
    k.enableStatistics = m_numbers.field(*s, modelField("KERNEL", "Enable Statistics"), 1);
    k.enableTrace = m_numbers.field(*s, modelField("KERNEL", "Enable Trace"), 1);
    k.enableDiagnostics = m_numbers.field(*s, modelField("KERNEL", "Enable Diagnostics"), 1);
    k.defaultStatistics = m_numbers.field(*s, modelField("KERNEL", "Default Statistics"), 0);
    k.defaultTrace = m_numbers.field(*s, modelField("KERNEL", "Default Trace"), 0);
    k.defaultDiagnostics = m_numbers.field(*s, modelField("KERNEL", "Default Diagnostics"), 0);
    k.minTaskStackSize = m_numbers.field(*s, modelField("KERNEL", "Minimum Task Stack Size"), 32);
    k.maxTaskStackSize = m_numbers.field(*s, modelField("KERNEL", "Maximum Task Stack Size"), 0x7FFFFFFF);
    k.modelNumber = m_numbers.field(*s, modelField("KERNEL", "Model Number"), 0);
    k.enableAlignment = m_numbers.field(*s, modelField("KERNEL", "Enable Alignment"), 0);

    // Bit value 4 (multiprocessor) brings bit value 2 with it, in the mask and in the default framework.
    int32_t mask = m_numbers.field(*s, modelField("KERNEL", "FWMask"), 0);
    if (mask & 4)
        mask |= 2;
    k.featureMask = mask;
    int32_t framework = m_numbers.field(*s, modelField("KERNEL", "Default Framework"), mask) & mask;
    if (framework & 4)
        framework |= 2;
    k.defaultFramework = framework;
    k.reserved = 0;
    return true;
}

bool ModelReader::readExtendedContexts()
{
    std::memset(m_kernel.extendedContexts, 0, sizeof m_kernel.extendedContexts);
    m_kernel.extendedContextCount = 0;
    const SectionedFileSection* list = m_model.FindSection("EXTENDED CONTEXTS");
    if (!list)
        return true;
    if (!listFits(*list, kMaxExtendedContexts))
        return false;
    const auto count = static_cast<int32_t>(list->GetEntryCount());
    for (int32_t i = 0; i < count; ++i) {
        ExtendedContextRow& row = m_kernel.extendedContexts[i];
        const std::string& name = list->GetEntry(static_cast<std::size_t>(i))->GetName();
        if (!storeText(row.name, name, name, "EXTENDED CONTEXTS"))
            return false;
        const std::string sectionName = "Context_" + name;
        const SectionedFileSection* s = m_model.FindSection(sectionName);
        if (!s) {
            missingSection(sectionName); // the load goes on; the row keeps only its name
            continue;
        }
        if (!storeText(row.structName, s->GetString("Struct Name", ToUpperText(name) + "_REGS"), "Struct Name",
                       sectionName) ||
            !storeText(row.variableName, s->GetString("Variable Name", ToLowerText(name)), "Variable Name",
                       sectionName) ||
            !storeText(row.description, s->GetString("Description", name), "Description", sectionName) ||
            !storeText(row.abbreviation, s->GetString("Abbrev Desc"), "Abbrev Desc", sectionName))
            return false;
        row.taskDefault = m_numbers.field(*s, modelField("CONTEXT", "Default Value"), 0);
        row.applicationDefault = m_numbers.field(*s, modelField("CONTEXT", "Default Enable"), 1);
    }
    m_kernel.extendedContextCount = count;
    return true;
}

bool ModelReader::readTaskAttributes()
{
    std::memset(m_kernel.taskAttributes, 0, sizeof m_kernel.taskAttributes);
    m_kernel.taskAttributeCount = 0;
    const SectionedFileSection* list = m_model.FindSection("TASK ATTRIBUTES");
    if (!list)
        return true;
    if (!listFits(*list, kMaxTaskAttributes))
        return false;
    const auto count = static_cast<int32_t>(list->GetEntryCount());
    for (int32_t i = 0; i < count; ++i) {
        TaskAttributeRow& row = m_kernel.taskAttributes[i];
        const std::string& name = list->GetEntry(static_cast<std::size_t>(i))->GetName();
        if (!storeText(row.name, name, name, "TASK ATTRIBUTES"))
            return false;
        const std::string sectionName = "TaskAttr_" + name;
        const SectionedFileSection* s = m_model.FindSection(sectionName);
        if (!s) {
            missingSection(sectionName);
            continue;
        }
        if (!storeText(row.enabledName, s->GetString("Enabled Name", name), "Enabled Name", sectionName) ||
            !storeText(row.disabledName, s->GetString("Disabled Name", "Not " + name), "Disabled Name", sectionName) ||
            !storeText(row.maskName, s->GetString("Mask Name", name), "Mask Name", sectionName))
            return false;
        row.defaultEnable = m_numbers.field(*s, modelField("TASK ATTRIBUTE", "Default Enable"), 0);
    }
    m_kernel.taskAttributeCount = count;
    return true;
}

bool ModelReader::readModelOptions()
{
    const SectionedFileSection* list = m_model.FindSection("MODEL OPTIONS");
    const std::size_t count = list ? list->GetEntryCount() : 0;
    if (count == 0) {
        ShowFileMessage("Model file has no model options");
        return false;
    }
    ModelOptionRow* rows = count <= INT32_MAX ? allocateRows<ModelOptionRow>(static_cast<int32_t>(count)) : nullptr;
    if (!rows) {
        ShowFileMessage("Couldn't allocate sufficient memory to load model options from model file");
        return false;
    }
    m_kernel.options = rows;
    m_kernel.optionCount = static_cast<int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        ModelOptionRow& row = rows[i];
        const std::string& sectionName = list->GetEntry(i)->GetName();
        if (!storeText(row.sectionName, sectionName, sectionName, "MODEL OPTIONS"))
            return false;
        const SectionedFileSection* s = m_model.FindSection(sectionName);
        if (!s) {
            missingSection(sectionName);
            return false;
        }
        if (!storeText(row.name, s->GetString("Name"), "Name", sectionName) ||
            !storeText(row.tag, s->GetString("Tag"), "Tag", sectionName) ||
            !storeText(row.toolTip, s->GetString("Tool Tip"), "Tool Tip", sectionName))
            return false;
        row.hasValue = m_numbers.field(*s, modelField("OPTION", "Value"), 0);
        row.defaultValue = m_numbers.field(*s, modelField("OPTION", "Default"), 0);
        row.base = m_numbers.field(*s, modelField("OPTION", "Base"), 10);
        row.minimum = m_numbers.field(*s, modelField("OPTION", "Minimum"), 0);
        row.maximum = m_numbers.field(*s, modelField("OPTION", "Maximum"), 0);
        row.shown = m_numbers.field(*s, modelField("OPTION", "Show"), 1);
        row.variantMask = m_numbers.field(*s, modelField("OPTION", "FWMask"), -1);
        row.forApplications = m_numbers.field(*s, modelField("OPTION", "Domain"), 0);
        row.overrideBinary = m_numbers.field(*s, modelField("OPTION", "Override Binary"), 0);
        row.value = optionStartValue(row);
        row.state = flag(optionStartsEnabled(row));
    }
    return true;
}

bool ModelReader::readClassProperties()
{
    std::memset(m_kernel.attributeBitNames, 0, sizeof m_kernel.attributeBitNames);
    const SectionedFileSection* s = m_model.FindSection("CLASS PROPERTIES");
    if (!s) {
        missingSection("CLASS PROPERTIES");
        return false;
    }
    for (const SectionedFileEntry* entry : s->Entries()) {
        // The number picks one of the record's attribute-bit names; a number beyond them is refused, not skipped.
        const std::int32_t bit = m_numbers.number(*s, entry->GetName(), -1, {0, kAttributeBitCount - 1});
        if (bit < 0) {
            ShowLoadProblem("model", m_path, m_numbers.problem());
            return false;
        }
        if (!storeText(m_kernel.attributeBitNames[bit], entry->GetName(), entry->GetName(), "CLASS PROPERTIES"))
            return false;
    }
    return true;
}

bool ModelReader::readClassTypes()
{
    const SectionedFileSection* list = m_model.FindSection("CLASS TYPES");
    const std::size_t count = list ? list->GetEntryCount() : 0;
    if (count == 0) {
        ShowFileMessage("Model file has no class types");
        return false;
    }
    if (count > static_cast<std::size_t>(kMaxModelClasses)) {
        ShowFileMessage(FormatText("Model file %s defines more than %d class types", m_path.c_str(), kMaxModelClasses));
        return false;
    }
    KernelClassRecord* rows = allocateRows<KernelClassRecord>(static_cast<int32_t>(count));
    if (!rows) {
        ShowFileMessage("Unable to allocate sufficient space to load class types from model file");
        return false;
    }
    m_kernel.classes = rows;
    m_kernel.classCount = static_cast<int32_t>(count);
    for (std::size_t i = 0; i < count; ++i) {
        const SectionedFileEntry* entry = list->GetEntry(i);
        // A value that is no whole number is no class number (never the number its first digits give).
        rows[i].classType = IsWholeNumber(entry->GetValue()) ? static_cast<int32_t>(ParseNumber(entry->GetValue())) : 0;
        if (!storeText(rows[i].name, entry->GetName(), entry->GetName(), "CLASS TYPES"))
            return false;
        // Only the kernel's own classes have objects an application file can hold and read back.
        if (rows[i].classType < kFirstClassType || rows[i].classType > kLastClassType) {
            ShowFileMessage(FormatText("Model file %s: class \"%s\" has the number %s, not one of %d to %d",
                                       m_path.c_str(), entry->GetName().c_str(), entry->GetValue().c_str(),
                                       kFirstClassType, kLastClassType));
            return false;
        }
        // A class number stands for one kernel class; a second class of that number could never be found.
        for (std::size_t j = 0; j < i; ++j) {
            if (rows[j].classType == rows[i].classType) {
                ShowFileMessage(FormatText("Model file %s: classes \"%s\" and \"%s\" have the same number %d",
                                           m_path.c_str(), textString(rows[j].name).c_str(),
                                           textString(rows[i].name).c_str(), rows[i].classType));
                return false;
            }
        }
    }
    for (std::size_t i = 0; i < count; ++i)
        if (!readClass(rows[i]))
            return false;
    return true;
}

bool ModelReader::readClass(KernelClassRecord& c)
{
    const std::string sectionName = textString(c.name);
    const SectionedFileSection* s = m_model.FindSection(sectionName);
    if (!s) {
        missingSection(sectionName);
        return false;
    }
    if (!storeText(c.pluralName, s->GetString("Plural Name"), "Plural Name", sectionName) ||
        !storeText(c.tag, s->GetString("Tag"), "Tag", sectionName) ||
        !storeText(c.rootName, s->GetString("Root Name"), "Root Name", sectionName) ||
        !storeText(c.attrib0, s->GetString("Attrib0"), "Attrib0", sectionName) ||
        !storeText(c.attrib1, s->GetString("Attrib1"), "Attrib1", sectionName) ||
        !storeText(c.headerRoot, s->GetString("Header Root"), "Header Root", sectionName) ||
        !storeText(c.compressedName, s->GetString("Compressed Name"), "Compressed Name", sectionName))
        return false;
    c.size = m_numbers.number(*s, "Size", 0, kNonNegative);
    c.sizeInRom = m_numbers.number(*s, "Size in ROM", 0, kNonNegative);
    c.statisticsSize = m_numbers.number(*s, "Statistics Size", 0, kNonNegative);
    c.diagnosticsSize = m_numbers.number(*s, "Diagnostics Size", 0, kNonNegative);
    c.traceSize = m_numbers.number(*s, "Trace Size", 0, kNonNegative);
    c.maximum = m_numbers.number(*s, "Maximum", 255, kNonNegative);
    c.maximumPerParent = m_numbers.number(*s, "Maximum per Parent", c.maximum, kNonNegative);
    c.variantMask = m_numbers.number(*s, "FWMask", 7);
    c.pluralEs = m_numbers.flag(*s, "Plural ES", false);
    c.available = 1;
    c.selected = 1;
    return readNeedsList(s->GetString("Needs"), sectionName, c.needsCount, c.needs) &&
           readServiceList(s->GetString("Services"), c.serviceCount, c.services) &&
           readAttributeList(s->GetString("Options"), c.attributeCount, c.attributes);
}

} // namespace engine
