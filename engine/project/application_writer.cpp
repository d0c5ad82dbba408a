#include <cstring>
#include <memory>
#include <string>

#include "engine/project/application_file.h"
#include "engine/project/file_messages.h"
#include "engine/project/name_rules.h"
#include "engine/project/object_keys.h"
#include "engine/project/project_check.h"
#include "engine/project/read_back.h"
#include "engine/project/section_io.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/usertext/user_text_store.h"

namespace engine {
namespace {

constexpr int kMaxNesting = 16;

class ApplicationWriter {
public:
    ApplicationWriter(const CpuRecord& cpu, const ApplicationRecord& application, SectionedFile& file)
        : m_kernel(cpu.kernel), m_app(application), m_out(file)
    {
    }

    // Builds every section in the file's order; false when a section name repeats.
    bool build();
    const std::string& repeatedName() const { return m_out.repeatedName(); }

private:
    void writeApplicationKeys(SectionedFileSection& s);
    void writeClassEntry(const ApplicationClassEntry& entry, int depth);
    void writeObjectList(const std::string& listName, const ApplicationClassEntry& entry, int32_t count,
                         const ObjectRecord* objects, int depth);
    void writeObject(const ApplicationClassEntry& entry, const ObjectRecord& object, int depth);
    void writeObjectData(SectionedFileSection& s, int32_t classType, const void* data);
    std::string classNameOfType(const ApplicationClassEntry& entry) const;

    const KernelRecord& m_kernel;
    const ApplicationRecord& m_app;
    SectionWriter m_out;
};

bool ApplicationWriter::build()
{
    if (SectionedFileSection* s = m_out.add("APPLICATION"))
        writeApplicationKeys(*s);
    if (m_app.userTexts != nullptr) {
        bool reserved = true;
        for (const std::string& name : m_app.userTexts->SectionNames())
            reserved = m_out.reserve(name) && reserved;
        if (reserved)
            m_app.userTexts->Save(m_out.file());
    }
    if (SectionedFileSection* list = m_out.add("MODEL OPTIONS")) {
        for (int32_t i = 0; m_app.options != nullptr && i < m_app.optionCount; ++i)
            m_out.addText(*list, textOf(m_app.options[i].name), "");
    }
    for (int32_t i = 0; m_app.options != nullptr && i < m_app.optionCount; ++i) {
        if (SectionedFileSection* s = m_out.add(textOf(m_app.options[i].name))) {
            m_out.addInt(*s, "Value", m_app.options[i].value);
            m_out.addFlag(*s, "State", m_app.options[i].state);
        }
    }
    if (SectionedFileSection* types = m_out.add("CLASS TYPES")) {
        for (int32_t i = 0; m_app.classEntries != nullptr && i < m_app.classEntryCount; ++i)
            m_out.addInt(*types, classNameOfType(m_app.classEntries[i]), m_app.classEntries[i].classType);
    }
    for (int32_t i = 0; m_app.classEntries != nullptr && i < m_app.classEntryCount; ++i)
        writeClassEntry(m_app.classEntries[i], 0);
    return m_out.repeatedName().empty();
}

void ApplicationWriter::writeApplicationKeys(SectionedFileSection& s)
{
    const ApplicationRecord& a = m_app;
    m_out.addText(s, "Name", textOf(a.name));
    m_out.addText(s, "Description", textOf(a.description));
    m_out.addFlag(s, "User Trace", a.userTrace);
    m_out.addText(s, "Code File Path", textOf(a.codePath));
    m_out.addText(s, "Header File Path", textOf(a.headerPath));
    m_out.addText(s, "Option File Path", textOf(a.optionPath));
    m_out.addText(s, "Report File Path", textOf(a.reportPath));
    m_out.addFlag(s, "Kernel h file dirty", a.kernelHDirty);
    m_out.addFlag(s, "Kernel m file dirty", a.kernelMDirty);
    m_out.addFlag(s, "Project h file dirty", a.projectHDirty);
    m_out.addInt(s, "Project c file dirty", a.projectCDirty);
    m_out.addInt(s, "System RAM Available", a.systemRamAvailable);
    m_out.addFlag(s, "System RAM Manual Placement", a.systemRamManual);
    m_out.addText(s, "System RAM Label", textOf(a.systemRamLabel));
    m_out.addInt(s, "Kernel Stack Available", a.kernelStackAvailable);
    m_out.addFlag(s, "Kernel Stack Manual Placement", a.kernelStackManual);
    m_out.addText(s, "Kernel Stack Label", textOf(a.kernelStackLabel));
    m_out.addFlag(s, "Anchor Address Fixed", a.anchorAddressFixed);
    m_out.addInt(s, "Anchor Address Label", a.anchorAddressLabel);
    m_out.addInt(s, "System Clock Rate Hz", a.systemClockRateHz);
    m_out.addFlag(s, "Is MP", a.isMp);
    m_out.addInt(s, "Instances", a.instances);
    m_out.addText(s, "Node Name", textOf(a.nodeName));
    m_out.addText(s, "Suffix", textOf(a.suffix));
    m_out.addText(s, "C Source Extension", textOf(a.cSourceExtension));
    m_out.addText(s, "C Header Extension", textOf(a.cHeaderExtension));
    m_out.addText(s, "Assembler Source Extension", textOf(a.asmSourceExtension));
    m_out.addText(s, "Assembler Header Extension", textOf(a.asmHeaderExtension));
    m_out.addFlag(s, "Generate Assembler Code", a.generateAssemblerCode);
    m_out.addFlag(s, "Generate i2symbols", a.generateI2Symbols);
    m_out.addFlag(s, "Generate CPP Comments", a.generateCppComments);
    m_out.addFlag(s, "Generate User ISRs", a.generateUserIsrs);
    m_out.addFlag(s, "Extern Const", a.externConst);
    m_out.addFlag(s, "Generate DOS Files", a.generateDosFiles);
    m_out.addInt(s, "User Version", a.userVersion);
    for (int i = 0; i < kMaxExtendedContexts; ++i)
        m_out.addFlag(s, "Extended Context" + std::to_string(i), a.extendedContext[i]);
}

// CLASS TYPES names each entry by the kernel's name for its class; an entry whose class the kernel
// lacks keeps its own name, so nothing is written under an empty key.
std::string ApplicationWriter::classNameOfType(const ApplicationClassEntry& entry) const
{
    for (int32_t i = 0; m_kernel.classes != nullptr && i < m_kernel.classCount; ++i) {
        if (m_kernel.classes[i].classType == entry.classType)
            return textString(m_kernel.classes[i].name);
    }
    return textString(entry.name);
}

void ApplicationWriter::writeClassEntry(const ApplicationClassEntry& entry, int depth)
{
    if (depth > kMaxNesting)
        return;
    const std::string name = textString(entry.name);
    SectionedFileSection* s = m_out.add(name);
    if (s == nullptr)
        return;
    if (depth > 0)
        m_out.addInt(*s, name, entry.classType);
    m_out.addFlag(*s, "Statistics", entry.statistics);
    m_out.addFlag(*s, "Diagnostics", entry.diagnostics);
    m_out.addFlag(*s, "System Trace", entry.systemTrace);
    m_out.addFlag(*s, "Dynamics Allowed", entry.dynamicsAllowed);
    m_out.addInt(*s, "Number of Dynamics", entry.numberOfDynamics);
    m_out.addInt(*s, "Max Key Length", entry.maxKeyLength);
    m_out.addInt(*s, "c file dirty", entry.cFileDirty);
    m_out.addInt(*s, "h file dirty", entry.hFileDirty);
    m_out.addInt(*s, "m file dirty", entry.mFileDirty);
    if (entry.chained != nullptr)
        m_out.addText(*s, "Dependent Class", textOf(entry.chained->name));
    const bool hasObjects = entry.objects != nullptr && entry.objectCount > 0;
    if (hasObjects) {
        const std::string listName = "OBJS " + name;
        m_out.addText(*s, "Objects", listName);
        writeObjectList(listName, entry, entry.objectCount, entry.objects, depth);
    }
    if (entry.chained != nullptr)
        writeClassEntry(*entry.chained, depth + 1);
}

void ApplicationWriter::writeObjectList(const std::string& listName, const ApplicationClassEntry& entry,
                                        int32_t count, const ObjectRecord* objects, int depth)
{
    if (SectionedFileSection* list = m_out.add(listName)) {
        for (int32_t i = 0; i < count; ++i)
            m_out.addText(*list, textOf(objects[i].name), "");
    }
    for (int32_t i = 0; i < count; ++i)
        writeObject(entry, objects[i], depth);
}

void ApplicationWriter::writeObject(const ApplicationClassEntry& entry, const ObjectRecord& object, int depth)
{
    const std::string name = textString(object.name);
    SectionedFileSection* s = m_out.add(name);
    if (s == nullptr)
        return;
    m_out.addText(*s, "Description", textOf(object.description));
    m_out.addFlag(*s, "Dynamics Allowed", object.dynamicsAllowed);
    m_out.addInt(*s, "Number of Dynamics", object.numberOfDynamics);
    m_out.addFlag(*s, "Is MP", object.isMp);
    m_out.addFlag(*s, "Trace Object", object.traceObject);
    m_out.addFlag(*s, "Trace Actor", object.traceActor);
    m_out.addFlag(*s, "Enabled", object.enabled);
    m_out.addText(*s, "Class Name", textOf(entry.name));
    writeObjectData(*s, entry.classType, object.data);
    const bool hasChildren = object.children != nullptr && object.childCount > 0 && entry.chained != nullptr;
    if (hasChildren && depth < kMaxNesting) {
        const std::string listName = "OBJS " + name;
        m_out.addText(*s, "Objects", listName);
        writeObjectList(listName, *entry.chained, object.childCount, object.children, depth + 1);
    }
}

void ApplicationWriter::writeObjectData(SectionedFileSection& s, int32_t classType, const void* data)
{
    if (data == nullptr)
        return;
    const char* block = static_cast<const char*>(data);
    for (const ObjectKey& key : objectKeysOfClass(classType)) {
        const char* field = block + key.offset;
        switch (key.kind) {
        case ObjectKeyKind::Number:
        case ObjectKeyKind::Flag: {
            int32_t value = 0;
            std::memcpy(&value, field, sizeof value);
            m_out.addField(s, key.field, value);
            break;
        }
        case ObjectKeyKind::Text:
            m_out.addText(s, key.field.key, textOf(field, kNameSize));
            break;
        case ObjectKeyKind::ContextFlags:
        case ObjectKeyKind::AttributeFlags: {
            const int32_t rows = key.kind == ObjectKeyKind::ContextFlags ? m_kernel.extendedContextCount
                                                                          : m_kernel.taskAttributeCount;
            for (int32_t i = 0; i < rows && i < kMaxExtendedContexts; ++i) {
                int32_t value = 0;
                std::memcpy(&value, field + i * sizeof(int32_t), sizeof value);
                m_out.addField(s, key.field, value, std::string(key.field.key) + std::to_string(i));
            }
            break;
        }
        }
    }
}

}  // namespace

std::string BuildApplicationText(const CpuRecord& cpu, const ApplicationRecord& application, SectionedFile& file,
                                 std::string& text)
{
    ApplicationWriter writer(cpu, application, file);
    if (!writer.build())
        return formatMessage("the name \"%s\" is used twice", writer.repeatedName());
    // A name that would not read back as written is named before anything is written.
    std::string problem;
    if (!file.ToWritableText(text, problem))
        return problem;
    return {};
}

ApplicationFile::ApplicationFile(ProjectManager* owner, ProjectRecord* project, CpuRecord* cpu,
                                 ApplicationRecord* application)
    : m_owner(owner), m_project(project), m_cpu(cpu), m_application(application)
{
}

ApplicationFile::~ApplicationFile() = default;

int ApplicationFile::Write()
{
    ApplicationRecord& app = *m_application;
    const std::string path = textString(app.path);
    if (path.empty()) {
        showFileError(formatMessage("Application \"%s\" has no file to be written to", textString(app.name)));
        return 0;
    }
    // The project lists the application under its name: a name it could not list is not written.
    if (const std::string problem = applicationNameProblem(*m_cpu, &app, textOf(app.name)); !problem.empty()) {
        showFileError(formatMessage("Unable to write application file %s: the application name \"%s\" cannot %s",
                                    path, textString(app.name), problem));
        return 0;
    }
    if (m_project != nullptr) {
        if (const std::string problem = ProjectWriteProblem(*m_project); !problem.empty()) {
            showFileError(formatMessage("Unable to write application file %s: %s", path, problem));
            return 0;
        }
    }
    // The file is built apart from the record's copy, which is replaced only after a good write.
    auto file = std::make_unique<SectionedFile>(path, true, false, false);
    std::string text;
    if (const std::string problem = BuildApplicationText(*m_cpu, app, *file, text); !problem.empty()) {
        showFileError(formatMessage("Unable to write application file %s: %s", path, problem));
        return 0;
    }
    // What would not open again as it was meant is never put in place.
    if (const std::string problem = ApplicationReadBackProblem(*m_cpu, app, path, text); !problem.empty()) {
        showFileError(formatMessage("Unable to write application file %s: %s", path, problem));
        return 0;
    }
    if (!ReplaceFileContents(MakeNativePath(path), text)) {
        showFileError(ReplaceFailureText(LastReplaceOutcome(), path, "Unable to open application file %s for writing",
                                         "Unable to write application file %s"));
        return 0;
    }
    delete app.file;
    app.file = file.release();
    app.edited = 0;
    return 1;
}

}  // namespace engine
