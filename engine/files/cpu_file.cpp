#include "engine/files/cpu_file.h"

#include <cstring>

#include "engine/files/file_chooser.h"
#include "engine/files/file_message.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/project/application_names.h"
#include "engine/records/model_option.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/field_numbers.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/text.h"

namespace engine {
namespace {

// The description of a key of the kernel file.
const FieldDescription& kernelField(std::string_view kind, std::string_view key)
{
    return FieldDescriptionOf(FieldFile::Kernel, kind, key);
}

// Reads the selection and service flags of the kernel file; every number goes through one reader, which
// notes a value that does not fit its field.
class KernelSectionReader {
public:
    KernelSectionReader(const KernelRecord& kernel, const SectionedFile& file) : m_kernel(kernel), m_file(file) {}

    FieldNumbers numbers;

    void selection(std::string_view name, int32_t& available, int32_t& selected)
    {
        const SectionedFileSection* s = m_file.FindSection(name);
        available = s ? numbers.field(*s, kernelField("SELECTION", "State"), 1) : 1;
        selected = s ? numbers.field(*s, kernelField("SELECTION", "Enable"), 1) : 1;
    }

    void serviceStates(int32_t count, KernelServiceRow* rows)
    {
        for (int32_t i = 0; rows && i < count; ++i) {
            KernelServiceRow& row = rows[i];
            row.state = 1;
            row.enabled = 1;
            row.local = m_kernel.defaultServiceLocal;
            row.outgoing = m_kernel.defaultServiceOutgoing;
            row.incoming = m_kernel.defaultServiceIncoming;
            const SectionedFileSection* s = m_file.FindSection(textOf(row.sectionName));
            if (!s)
                continue;
            row.state = numbers.field(*s, kernelField("SERVICE", "State"), row.state);
            row.enabled = numbers.field(*s, kernelField("SERVICE", "Enable"), row.enabled);
            row.local = numbers.field(*s, kernelField("SERVICE", "Local"), row.local);
            row.outgoing = numbers.field(*s, kernelField("SERVICE", "Outgoing"), row.outgoing);
            row.incoming = numbers.field(*s, kernelField("SERVICE", "Incoming"), row.incoming);
        }
    }

    void attributeStates(int32_t count, KernelClassAttribute* rows)
    {
        for (int32_t i = 0; rows && i < count; ++i) {
            KernelClassAttribute& a = rows[i];
            selection(textOf(a.name), a.available, a.selected);
            attributeStates(a.childCount, a.children);
            serviceStates(a.serviceCount, a.services);
        }
    }

private:
    const KernelRecord& m_kernel;
    const SectionedFile& m_file;
};

// ---- writing

// Adds a section; a name already written (two rows of one name) keeps its first values.
SectionedFileSection* addSection(SectionedFile& file, std::string_view name) { return file.AddSection(name); }

void writeSelection(SectionedFile& file, std::string_view name, int32_t available, int32_t selected)
{
    if (SectionedFileSection* s = addSection(file, name)) {
        s->AddEntry("State", available);
        s->AddEntry("Enable", selected);
    }
}

void writeServiceStates(SectionedFile& file, int32_t count, const KernelServiceRow* rows)
{
    for (int32_t i = 0; rows && i < count; ++i) {
        const KernelServiceRow& row = rows[i];
        if (SectionedFileSection* s = addSection(file, textOf(row.sectionName))) {
            s->AddEntry("State", row.state);
            s->AddEntry("Enable", row.enabled);
            s->AddEntry("Local", row.local);
            s->AddEntry("Outgoing", row.outgoing);
            s->AddEntry("Incoming", row.incoming);
        }
    }
}

void writeAttributeStates(SectionedFile& file, int32_t count, const KernelClassAttribute* rows)
{
    for (int32_t i = 0; rows && i < count; ++i) {
        const KernelClassAttribute& a = rows[i];
        writeSelection(file, textOf(a.name), a.available, a.selected);
        writeAttributeStates(file, a.childCount, a.children);
        writeServiceStates(file, a.serviceCount, a.services);
    }
}

} // namespace

std::string KernelReadBackProblem(const KernelRecord& kernel, const std::string& path, std::string_view bytes)
{
    KernelRecord read{};
    struct Free {
        KernelRecord& record;
        ~Free() { CpuRecordHandler::FreeKernelRecord(record); }
    } free{read};
    if (!CpuRecordHandler::CloneKernelRecord(read, kernel))
        return std::string(kReadBackRefused) + "there is not enough memory to read it";
    SectionedFile file(path, true, false, false);
    const std::string refused = QuietReadProblem([&] {
        file.ParseSectionedText(bytes, true);
        if (!CheckParsedFile(file, "kernel", path))
            return false;
        std::string problem;
        if (GetKernelSections(read, file, &problem))
            return true;
        ShowLoadProblem("kernel", path, problem.empty() ? std::string("it has no section \"KERNEL\"") : problem);
        return false;
    });
    if (!refused.empty())
        return kReadBackRefused + refused;
    if (!CpuRecordHandler::KernelRecordsDiffer(kernel, read))
        return {};
    // The writer's texts of what was meant and of what was read name the first value that changed.
    SectionedFile meantFile(path, true, false, false);
    SectionedFile rewrittenFile(path, true, false, false);
    PutKernelSections(kernel, meantFile);
    PutKernelSections(read, rewrittenFile);
    std::string meant;
    std::string rewritten;
    std::string unused;
    std::string difference;
    if (meantFile.ToWritableText(meant, unused) && rewrittenFile.ToWritableText(rewritten, unused))
        difference = ReadBackDifference(meant, rewritten);
    if (difference.empty())
        difference = "the kernel's selections read back changed in a value its file does not hold";
    return kReadBackDiffers + difference;
}

std::string KernelRoundTripProblem(const KernelRecord& kernel, std::string_view readFrom)
{
    const std::string path = MakeNativePath(textOf(kernel.kernelPath));
    SectionedFile file(path, true, false, false);
    PutKernelSections(kernel, file);
    std::string text;
    std::string problem;
    if (!file.ToWritableText(text, problem))
        return "it cannot be written: the " + problem;
    if (!readFrom.empty() && text == readFrom)
        return {};
    return KernelReadBackProblem(kernel, path, text);
}

bool GetKernelSections(KernelRecord& kernel, const SectionedFile& file, std::string* problem)
{
    const SectionedFileSection* k = file.FindSection("KERNEL");
    if (!k)
        return false;
    KernelSectionReader reader(kernel, file);
    FieldNumbers& numbers = reader.numbers;
    kernel.writable = numbers.field(*k, kernelField("KERNEL", "Writeable"), 0);
    kernel.nameSize = numbers.field(*k, kernelField("KERNEL", "Name Size"), 0);
    kernel.enableKernelClock = numbers.field(*k, kernelField("KERNEL", "Enable Kernel Clock"), 0);
    kernel.framework = numbers.field(*k, kernelField("KERNEL", "Framework"), 0);
    kernel.hFileDirty = numbers.field(*k, kernelField("KERNEL", "h file dirty"), 0);
    kernel.mFileDirty = numbers.field(*k, kernelField("KERNEL", "m file dirty"), 0);

    for (int32_t i = 0; kernel.options && i < kernel.optionCount; ++i) {
        ModelOptionRow& row = kernel.options[i];
        if (row.forApplications)
            continue;
        const std::string section = textString(row.sectionName);
        const SectionedFileSection* s = file.FindSection(section);
        row.value = s ? numbers.field(*s, kernelField("OPTION", "Value"), 0) : 0;
        row.state = s ? numbers.field(*s, kernelField("OPTION", "State"), 1) : 1;
        // A number option's value lies within the model's minimum and maximum for it, the 0 a missing
        // section or key stands for included.
        if (numbers.ok() && !optionValueFits(row, row.value)) {
            if (problem != nullptr)
                *problem = FilledValueProblem(s != nullptr && s->FindEntry("Value") != nullptr, s != nullptr,
                                              std::to_string(row.value), "Value", section,
                                              ModelRangeText(row.minimum, row.maximum));
            return false;
        }
    }
    for (int32_t i = 0; kernel.classes && i < kernel.classCount; ++i) {
        KernelClassRecord& c = kernel.classes[i];
        reader.selection(textOf(c.name), c.available, c.selected);
    }
    for (int32_t i = 0; kernel.classes && i < kernel.classCount; ++i) {
        KernelClassRecord& c = kernel.classes[i];
        reader.attributeStates(c.attributeCount, c.attributes);
        reader.serviceStates(c.serviceCount, c.services);
    }
    // The kernel's variant is one the model offers: a non-zero part of its framework mask, the 0 a missing
    // key stands for included. A model that gives no mask ("FWMask" 0) offers no choice to meet.
    const bool frameworkOffered =
        kernel.featureMask == 0 || ((kernel.framework & ~kernel.featureMask) == 0 && kernel.framework != 0);
    if (numbers.ok() && !frameworkOffered) {
        if (problem != nullptr)
            *problem = FilledMaskProblem(k->FindEntry("Framework") != nullptr, std::to_string(kernel.framework),
                                         "Framework", "KERNEL", kernel.featureMask);
        return false;
    }
    if (problem)
        *problem = numbers.problem();
    return numbers.ok();
}

void PutKernelSections(const KernelRecord& kernel, SectionedFile& file)
{
    file.Clear();
    SectionedFileSection* k = file.AddSection("KERNEL");
    k->AddEntry("Writeable", kernel.writable);
    k->AddEntry("Name Size", kernel.nameSize);
    k->AddEntry("Enable Kernel Clock", kernel.enableKernelClock);
    k->AddEntry("Framework", kernel.framework);
    k->AddEntry("h file dirty", kernel.hFileDirty);
    k->AddEntry("m file dirty", kernel.mFileDirty);

    for (int32_t i = 0; kernel.options && i < kernel.optionCount; ++i) {
        const ModelOptionRow& row = kernel.options[i];
        if (row.forApplications)
            continue; // set by each application, stored in the application file
        if (SectionedFileSection* s = addSection(file, textOf(row.sectionName))) {
            s->AddEntry("Value", row.value);
            s->AddEntry("State", row.state);
        }
    }
    for (int32_t i = 0; kernel.classes && i < kernel.classCount; ++i)
        writeSelection(file, textOf(kernel.classes[i].name), kernel.classes[i].available, kernel.classes[i].selected);
    for (int32_t i = 0; kernel.classes && i < kernel.classCount; ++i) {
        const KernelClassRecord& c = kernel.classes[i];
        writeAttributeStates(file, c.attributeCount, c.attributes);
        writeServiceStates(file, c.serviceCount, c.services);
    }
}

CpuFile::CpuFile(KernelRecord& kernel, ConfigRecord& /*config*/, CpuRecordHandler* /*handler*/, CpuRecord* cpu)
    : m_kernel(kernel), m_cpu(cpu)
{
}

CpuFile::~CpuFile() = default;

SectionedFile& CpuFile::KernelFile()
{
    if (m_cpu) {
        if (!m_cpu->kernelFile)
            m_cpu->kernelFile = new SectionedFile("", true);
        return *m_cpu->kernelFile;
    }
    if (!m_ownFile)
        m_ownFile = std::make_unique<SectionedFile>("", true);
    return *m_ownFile;
}

bool CpuFile::ReadKernelFile()
{
    const std::string path = MakeNativePath(textOf(m_kernel.kernelPath));
    std::string bytes;
    const ReadResult result = ReadWholeFile(path, bytes);
    switch (result) {
    case ReadResult::OpenFailed:
        ShowFileMessage(FormatText("Couldn't open kernel file %s", path.c_str()));
        return false;
    case ReadResult::ReadFailed:
        ShowFileMessage(FormatText("I/O error occurred while reading kernel file %s", path.c_str()));
        return false;
    case ReadResult::NoMemory:
    case ReadResult::NotRegular:
        ShowFileMessage(FormatText("Unable to read kernel file %s: %s", path.c_str(), ReadFailureReason(result, path).c_str()));
        return false;
    case ReadResult::Ok:
        break;
    }
    SectionedFile& file = KernelFile();
    file.SetPath(path);
    file.ParseSectionedText(bytes, true);
    if (!CheckParsedFile(file, "kernel", path))
        return false;
    std::string problem;
    if (!GetKernelSections(m_kernel, file, &problem)) {
        if (!problem.empty()) {
            ShowLoadProblem("kernel", path, problem);
            return false;
        }
        ShowFileMessage(FormatText("Can't find required section \"%s\" in CPU file %s", "KERNEL", path.c_str()));
        return false;
    }
    // A file opens only if what a save would write of it reads back as it was read.
    if (const std::string roundTrip = KernelRoundTripProblem(m_kernel, bytes); !roundTrip.empty()) {
        ShowLoadProblem("kernel", path, roundTrip);
        return false;
    }
    m_kernel.edited = 0;
    return true;
}

bool CpuFile::WriteKernelFile()
{
    if (!m_kernel.writable) {
        ShowFileMessage("Kernel info is not writeable");
        return false;
    }
    const std::string path = MakeNativePath(textOf(m_kernel.kernelPath));
    if (path.empty()) {
        ShowFileMessage("Can't open kernel file " + path);
        return false;
    }
    SectionedFile& file = KernelFile();
    file.SetPath(path);
    PutKernelSections(m_kernel, file);
    std::string text;
    std::string problem;
    if (!file.ToWritableText(text, problem)) {
        ShowFileMessage(FormatText("Unable to write kernel file %s: the %s", path.c_str(), problem.c_str()));
        return false;
    }
    // What would not open again as it was meant is never put in place.
    if (const std::string readBack = KernelReadBackProblem(m_kernel, path, text); !readBack.empty()) {
        ShowFileMessage(FormatText("Unable to write kernel file %s: %s", path.c_str(), readBack.c_str()));
        return false;
    }
    if (!ReplaceFileContents(path, text)) {
        ShowFileMessage(ReplaceFailureText(LastReplaceOutcome(), path, "Can't open kernel file %s",
                                           "Unable to write kernel file %s"));
        return false;
    }
    m_kernel.edited = 0;
    return true;
}

bool CpuFile::SetKernelPath(std::string_view path)
{
    if (!textFits(m_kernel.kernelPath, path)) {
        ShowFileMessage(FormatText("The kernel file path %s is longer than %d characters", std::string(path).c_str(),
                                   kPathSize - 1));
        return false;
    }
    setText(m_kernel.kernelPath, path);
    m_kernel.writable = 1;
    return true;
}

bool CpuFile::ChooseAndReadKernel(std::string* outPath, const ChosenFileCheck& check)
{
    const std::string path = BrowseForFile(true, FileKindKernel, "Choose CPU File");
    if (path.empty())
        return false;
    if (outPath)
        *outPath = path;
    if (check && !check(path))
        return false;
    if (!textFits(m_kernel.kernelPath, path)) {
        ShowFileMessage(FormatText("The kernel file path %s is longer than %d characters", path.c_str(),
                                   kPathSize - 1));
        return false;
    }
    // A file that cannot be read leaves the kernel and its file as they were, so that no later save writes
    // the kernel over the file it could not read.
    KernelRecord before{};
    if (!CpuRecordHandler::CloneKernelRecord(before, m_kernel)) {
        ShowFileMessage(FormatText("Unable to read kernel file %s: not enough memory", path.c_str()));
        return false;
    }
    const SectionedFile fileBefore = KernelFile();
    setText(m_kernel.kernelPath, path);
    if (ReadKernelFile()) {
        CpuRecordHandler::FreeKernelRecord(before);
        return true;
    }
    CpuRecordHandler::FreeKernelRecord(m_kernel);
    m_kernel = before;
    KernelFile() = fileBefore;
    return false;
}

bool CpuFile::ChooseAndWriteKernel(std::string* outPath, const ProjectRecord* project)
{
    const std::string name = m_cpu ? textString(m_cpu->name) : std::string();
    // A file the project keeps for something else is never written over (the rule of every Save As).
    const std::string path = chooseFileToSaveAs(project, FileKindKernel, "Choose File for CPU \"" + name + "\"",
                                                m_cpu, nullptr, "kernel file", false, nullptr);
    if (path.empty())
        return false;
    if (outPath)
        *outPath = path;
    // A failed write keeps the file the kernel had, so that a later save does not aim at the place that
    // just failed.
    const std::string previous = textString(m_kernel.kernelPath);
    const int32_t writable = m_kernel.writable;
    if (SetKernelPath(path) && WriteKernelFile())
        return true;
    setText(m_kernel.kernelPath, previous);
    m_kernel.writable = writable;
    return false;
}

} // namespace engine
