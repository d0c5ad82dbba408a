#include "source_text.h"

#include <cstdint>

#include "class_columns.h"
#include "c_text.h"

#include "engine/records/model_option.h"

#include <set>

namespace codegen {

namespace {

using engine::ApplicationRecord;
using engine::ObjectRecord;

bool isAssembler(FileKind kind)
{
    return kind == FileKind::AsmSource || kind == FileKind::AsmHeader;
}

// Collects lines and keeps macro names unique within one file (record names that differ only in
// characters C cannot spell would otherwise define one macro twice).
class Writer {
public:
    explicit Writer(bool assembler) : m_assembler(assembler) {}

    void line(std::string text = {}) { m_lines.push_back(std::move(text)); }

    void commentBlock(const std::vector<std::string>& texts)
    {
        if (texts.empty())
            return;
        line("/*");
        for (const std::string& text : texts)
            line(" * " + commentText(text));
        line(" */");
    }

    void verbatim(const std::vector<std::string>& texts)
    {
        for (const std::string& text : texts)
            line(text);
    }

    // A number definition: a C macro, or an assembler symbol.
    void number(const std::string& name, long long value, const char* suffix = "")
    {
        const std::string unique = uniqueName(name);
        if (m_assembler)
            line("        .equ    " + unique + ", " + std::to_string(value));
        else
            line("#define " + unique + " " + std::to_string(value) + suffix);
    }

    // A text definition; assembler files have no strings and skip it.
    void text(const std::string& name, const std::string& value)
    {
        if (!m_assembler)
            line("#define " + uniqueName(name) + " " + cStringLiteral(value));
    }

    std::vector<std::string> take() { return std::move(m_lines); }

private:
    std::string uniqueName(const std::string& name)
    {
        std::string candidate = name;
        for (int n = 2; !m_macros.insert(candidate).second; ++n)
            candidate = name + "_" + std::to_string(n);
        return candidate;
    }

    bool m_assembler;
    std::vector<std::string> m_lines;
    std::set<std::string> m_macros;
};

const char* fileKindText(FileKind kind)
{
    switch (kind) {
    case FileKind::CSource: return "C source";
    case FileKind::CHeader: return "C header";
    case FileKind::AsmSource: return "assembler source";
    case FileKind::AsmHeader: return "assembler header";
    }
    return "";
}

std::string objectRowLiteral(const ObjectRow& row)
{
    const ObjectRecord& object = *row.object;
    return "{" + cStringLiteral(fieldText(object.name)) + ", " + cStringLiteral(fieldText(object.description)) + ", " +
           std::to_string(row.parent) + ", " + std::to_string(object.isMp) + ", " + std::to_string(object.traceObject) +
           ", " + std::to_string(object.traceActor) + ", " + std::to_string(object.dynamicsAllowed) + ", " +
           std::to_string(object.numberOfDynamics) + "}";
}

int enabledClassCount(const ApplicationModel& model)
{
    int count = 0;
    for (const ClassTable& table : model.classes)
        count += table.entry->enabled ? 1 : 0;
    return count;
}

void projectHeaderBody(const SourceContext& context, Writer& out)
{
    const ApplicationRecord& app = context.application;
    const engine::MemoryFootprint& footprint = app.footprint;
    out.text("KP_PROJECT_NAME", context.projectName);
    out.text("KP_CPU_NAME", fieldText(context.cpu.name));
    out.text("KP_APPLICATION_NAME", fieldText(app.name));
    out.text("KP_KERNEL_VERSION", context.version);
    out.number("KP_USER_VERSION", app.userVersion);
    out.number("KP_INSTANCES", app.instances);
    out.number("KP_SYSTEM_CLOCK_RATE_HZ", app.systemClockRateHz);
    out.number("KP_IS_MP", app.isMp);
    // A counter at its largest value holds an amount of that much or more: the footprint is then no exact
    // figure, and the header says so.
    const bool saturated = footprint.UserRam() == UINT32_MAX || footprint.UserRom() == UINT32_MAX ||
                           footprint.SystemRam() == UINT32_MAX;
    out.number("KP_FOOTPRINT_VALID", footprint.IsValid() && !saturated ? 1 : 0);
    out.number("KP_FOOTPRINT_AT_LEAST", footprint.IsValid() && saturated ? 1 : 0);
    out.number("KP_USER_RAM", footprint.UserRam(), "u");
    out.number("KP_USER_ROM", footprint.UserRom(), "u");
    out.number("KP_SYSTEM_RAM", footprint.SystemRam(), "u");
    const int classCount = enabledClassCount(context.model);
    out.number("KP_CLASS_COUNT", classCount);
    out.line();
    out.line("typedef struct kp_class_row {");
    out.line("    int class_type;");
    out.line("    const char *name;");
    out.line("    int object_count;");
    out.line("    int statistics;");
    out.line("    int diagnostics;");
    out.line("    int system_trace;");
    out.line("    int dynamics_allowed;");
    out.line("    int number_of_dynamics;");
    out.line("} kp_class_row;");
    out.line();
    out.line("typedef struct kp_object_row {");
    out.line("    const char *name;");
    out.line("    const char *description;");
    out.line("    int parent; /* row of the parent object, -1 for none */");
    out.line("    int is_mp;");
    out.line("    int trace_object;");
    out.line("    int trace_actor;");
    out.line("    int dynamics_allowed;");
    out.line("    int number_of_dynamics;");
    out.line("} kp_object_row;");
    out.line();
    out.line("extern const char kp_application_name[];");
    if (classCount > 0)
        out.line("extern const kp_class_row kp_classes[KP_CLASS_COUNT];");
}

void projectSourceBody(const SourceContext& context, Writer& out)
{
    out.line("const char kp_application_name[] = KP_APPLICATION_NAME;");
    if (enabledClassCount(context.model) == 0)
        return;
    out.line();
    out.line("const kp_class_row kp_classes[KP_CLASS_COUNT] = {");
    for (const ClassTable& table : context.model.classes) {
        if (!table.entry->enabled)
            continue;
        const engine::ApplicationClassEntry& entry = *table.entry;
        out.line("    {" + std::to_string(table.classType) + ", " + cStringLiteral(table.name) + ", " +
                 std::to_string(table.rows.size()) + ", " + std::to_string(entry.statistics) + ", " +
                 std::to_string(entry.diagnostics) + ", " + std::to_string(entry.systemTrace) + ", " +
                 std::to_string(entry.dynamicsAllowed) + ", " + std::to_string(entry.numberOfDynamics) + "},");
    }
    out.line("};");
}

void classHeaderBody(const GeneratedFile& file, const ClassTable* table, Writer& out)
{
    const std::string id = identifierPart(file.baseName);
    const std::string macro = macroPart(file.baseName);
    const std::size_t count = table ? table->rows.size() : 0;
    out.number(macro + "_OBJECT_COUNT", static_cast<long long>(count));
    if (isAssembler(file.fileKind))
        return;
    out.line();
    out.line("typedef struct " + id + "_row {");
    out.line("    kp_object_row object;");
    for (const ClassColumn& column : classColumns(file.kind))
        out.line(std::string("    ") + (column.number ? "int " : "const char *") + column.name + ";");
    out.line("} " + id + "_row;");
    if (count > 0) {
        out.line();
        out.line("extern const " + id + "_row " + id + "_objects[" + macro + "_OBJECT_COUNT];");
    }
}

void classSourceBody(const GeneratedFile& file, const ClassTable* table, Writer& out)
{
    if (!table || table->rows.empty())
        return;
    const std::string id = identifierPart(file.baseName);
    out.line("const " + id + "_row " + id + "_objects[" + macroPart(file.baseName) + "_OBJECT_COUNT] = {");
    for (const ObjectRow& row : table->rows) {
        std::string literal = "    {" + objectRowLiteral(row);
        for (const ClassColumn& column : classColumns(file.kind))
            literal += ", " + columnLiteral(column, row.object->data);
        out.line(literal + "},");
    }
    out.line("};");
}

void kernelOptionsBody(const SourceContext& context, Writer& out)
{
    const engine::KernelRecord& kernel = context.cpu.kernel;
    out.text("KO_KERNEL_VERSION", context.version);
    out.number("KO_FRAMEWORK", kernel.framework);
    out.number("KO_NAME_SIZE", kernel.nameSize);
    out.number("KO_KERNEL_CLOCK", kernel.enableKernelClock);
    const int32_t optionCount = usableCount(kernel.optionCount, kernel.options);
    for (int32_t i = 0; i < optionCount; ++i) {
        const engine::ModelOptionRow& row = kernel.options[i];
        if (row.forApplications)
            continue;
        const std::string tag = fieldText(row.tag);
        const std::string name = "KO_" + macroPart(tag.empty() ? fieldText(row.name) : tag);
        out.number(name, engine::optionSetting(row));
    }
    const int32_t classCount = usableCount(kernel.classCount, kernel.classes);
    for (int32_t i = 0; i < classCount; ++i) {
        const engine::KernelClassRecord& kernelClass = kernel.classes[i];
        out.number("KO_HAS_" + macroPart(fieldText(kernelClass.tag)),
                   (kernelClass.available && kernelClass.selected) ? 1 : 0);
    }
}

void applicationOptionsBody(const SourceContext& context, Writer& out)
{
    const ApplicationRecord& app = context.application;
    out.number("AO_SYSTEM_RAM_AVAILABLE", app.systemRamAvailable);
    out.number("AO_KERNEL_STACK_AVAILABLE", app.kernelStackAvailable);
    out.number("AO_USER_TRACE", app.userTrace);
    const int32_t optionCount = usableCount(app.optionCount, app.options);
    for (int32_t i = 0; i < optionCount; ++i) {
        const engine::ApplicationOption& option = app.options[i];
        const std::string name = "AO_" + macroPart(fieldText(option.name));
        out.number(name, option.value);
        out.number(name + "_ON", option.state);
    }
}

void instrumentationBody(const SourceContext& context, Writer& out)
{
    std::vector<std::string> traced;
    for (const ClassTable& table : context.model.classes) {
        for (const ObjectRow& row : table.rows) {
            if (row.object->traceObject || row.object->traceActor)
                traced.push_back(fieldText(row.object->name));
        }
    }
    out.line("const int i2_traced_object_count = " + std::to_string(traced.size()) + ";");
    if (traced.empty())
        return;
    out.line("const char *const i2_traced_objects[" + std::to_string(traced.size()) + "] = {");
    for (const std::string& name : traced)
        out.line("    " + cStringLiteral(name) + ",");
    out.line("};");
}

void multiprocessorBody(const SourceContext& context, Writer& out)
{
    const ApplicationRecord& app = context.application;
    int globalObjects = 0;
    for (const ClassTable& table : context.model.classes) {
        for (const ObjectRow& row : table.rows)
            globalObjects += row.object->isMp ? 1 : 0;
    }
    out.number("KMP_IS_MP", app.isMp);
    out.number("KMP_INSTANCES", app.instances);
    out.text("KMP_NODE_NAME", fieldText(app.nodeName));
    out.text("KMP_SUFFIX", fieldText(app.suffix));
    out.number("KMP_GLOBAL_OBJECT_COUNT", globalObjects);
}

void userExceptionBody(const SourceContext& context, Writer& out)
{
    const ClassTable* exceptions = context.model.enabledClass(engine::ClassException);
    out.number("UEX_EXCEPTION_COUNT", exceptions ? static_cast<long long>(exceptions->rows.size()) : 0);
}

void body(const SourceContext& context, const GeneratedFile& file, Writer& out)
{
    if (file.kind != 0 && file.kind != 3) {
        const ClassTable* table = context.model.enabledClass(file.kind);
        if (file.fileKind == FileKind::CSource)
            classSourceBody(file, table, out);
        else
            classHeaderBody(file, table, out);
        return;
    }
    if (file.baseName == "kproject")
        file.fileKind == FileKind::CSource ? projectSourceBody(context, out) : projectHeaderBody(context, out);
    else if (file.baseName == "koptions")
        kernelOptionsBody(context, out);
    else if (file.baseName == "aoptions")
        applicationOptionsBody(context, out);
    else if (file.baseName == "i2symbol")
        instrumentationBody(context, out);
    else if (file.baseName == "kmpinfo")
        multiprocessorBody(context, out);
    else if (file.baseName == "uexcptn")
        userExceptionBody(context, out);
}

} // namespace

std::vector<std::string> sourceLines(const SourceContext& context, const GeneratedFile& file, const std::string& fileName,
                                     const IncludeNames& includes)
{
    Writer out(isAssembler(file.fileKind));
    out.commentBlock(file.text.revisionTop);
    out.commentBlock({fileName + ": " + fileKindText(file.fileKind) + " of application \"" +
                          fieldText(context.application.name) + "\" on CPU \"" + fieldText(context.cpu.name) + "\"",
                      "Project \"" + context.projectName + "\", kernel version " + context.version,
                      "Generated by the Korvane code generator. Changes here are lost at the next generation."});
    const bool header = file.fileKind == FileKind::CHeader;
    const std::string guard = macroPart(fileName) + "_INCLUDED";
    if (header) {
        out.line("#ifndef " + guard);
        out.line("#define " + guard);
    }
    out.line();
    const bool classFile = file.kind != 0 && file.kind != 3;
    if (file.fileKind == FileKind::CSource) {
        out.line("#include \"" + (classFile ? includes.ownHeader : includes.projectHeader) + "\"");
        out.line();
    } else if (header && (classFile || file.baseName == "kmpinfo")) {
        out.line("#include \"" + includes.projectHeader + "\"");
        out.line();
    }
    if (!file.text.include.empty()) {
        out.verbatim(file.text.include);
        out.line();
    }
    body(context, file, out);
    if (header) {
        out.line();
        out.line("#endif /* " + guard + " */");
    }
    out.commentBlock(file.text.revisionBottom);
    return out.take();
}

} // namespace codegen
