#include "generation.h"

#include "application_model.h"
#include "c_text.h"
#include "generated_files.h"
#include "output_file.h"
#include "source_text.h"

#include <filesystem>
#include <set>

namespace codegen {

namespace {

namespace fs = std::filesystem;
using engine::ApplicationRecord;

struct PlannedFile {
    const GeneratedFile* file;
    std::string path;
};

bool isOptionsFile(const GeneratedFile& file)
{
    return file.kind == 0 && (file.baseName == "koptions" || file.baseName == "aoptions");
}

bool isClassFile(const GeneratedFile& file)
{
    return file.kind != 0 && file.kind != 3;
}

// Whether the application's settings call for the file at all.
bool fileWanted(const GeneratedFile& file, const ApplicationRecord& app, const ApplicationModel& model)
{
    const bool assembler = file.fileKind == FileKind::AsmSource || file.fileKind == FileKind::AsmHeader;
    if (assembler && !app.generateAssemblerCode)
        return false;
    if (isClassFile(file))
        return model.enabledClass(file.kind) != nullptr;
    if (file.baseName == "i2symbol")
        return app.generateI2Symbols != 0;
    if (file.baseName == "kmpinfo")
        return app.isMp != 0;
    if (file.baseName == "uexcptn")
        return app.generateUserIsrs != 0;
    return true;
}

// Whether the records mark the file as needing regeneration.
bool markedChanged(const GeneratedFile& file, const ApplicationRecord& app, const ApplicationModel& model)
{
    if (isClassFile(file)) {
        const ClassTable* table = model.enabledClass(file.kind);
        if (!table)
            return false;
        switch (file.fileKind) {
        case FileKind::CSource: return table->entry->cFileDirty != 0;
        case FileKind::CHeader: return table->entry->hFileDirty != 0;
        default: return table->entry->mFileDirty != 0;
        }
    }
    if (file.baseName == "kproject")
        return file.fileKind == FileKind::CSource ? app.projectCDirty != 0 : app.projectHDirty != 0;
    if (file.baseName == "koptions")
        return file.fileKind == FileKind::CHeader ? app.kernelHDirty != 0 : app.kernelMDirty != 0;
    if (file.baseName == "aoptions")
        return file.fileKind == FileKind::CHeader ? app.projectHDirty != 0 : app.kernelMDirty != 0;
    if (file.baseName == "i2symbol")
        return app.regenerate != 0;
    if (file.baseName == "kmpinfo")
        return app.projectHDirty != 0;
    return app.projectCDirty != 0;
}

std::string folderFor(const GeneratedFile& file, const ApplicationRecord& app)
{
    if (isOptionsFile(file))
        return nativePath(fieldText(app.optionPath));
    if (file.fileKind == FileKind::CSource || file.fileKind == FileKind::AsmSource)
        return nativePath(fieldText(app.codePath));
    return nativePath(fieldText(app.headerPath));
}

// How a file at `from` names the file at `to` in an #include.
std::string includeName(const std::string& from, const std::string& to)
{
    const fs::path fromFolder = fs::absolute(fs::path(from)).lexically_normal().parent_path();
    const fs::path target = fs::absolute(fs::path(to)).lexically_normal();
    const fs::path relative = target.lexically_relative(fromFolder);
    return relative.empty() ? target.generic_string() : relative.generic_string();
}

void clearHandledFlags(ApplicationRecord& app)
{
    app.kernelHDirty = 0;
    app.kernelMDirty = 0;
    app.projectHDirty = 0;
    app.projectCDirty = 0;
    app.regenerate = 0;
    const int32_t count = usableCount(app.classEntryCount, app.classEntries);
    for (int32_t i = 0; i < count; ++i) {
        int depth = 0;
        for (engine::ApplicationClassEntry* entry = &app.classEntries[i]; entry && entry->enabled && depth < kMaxChainDepth;
             entry = entry->chained, ++depth) {
            entry->cFileDirty = 0;
            entry->hFileDirty = 0;
            entry->mFileDirty = 0;
        }
    }
}

std::string joinLines(const std::vector<std::string>& lines, bool dos)
{
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += dos ? "\r\n" : "\n";
    }
    return text;
}

} // namespace

GenerationResult generateApplication(const engine::ProjectRecord* project, engine::CpuRecord& cpu,
                                     ApplicationRecord& application, const std::string& version, bool force)
{
    GenerationResult result;
    const ApplicationModel model = buildApplicationModel(cpu, application);
    const std::vector<GeneratedFile> files = generatedFiles(cpu, application);

    std::vector<PlannedFile> plan;
    std::set<std::string> paths;
    for (const GeneratedFile& file : files) {
        if (!fileWanted(file, application, model))
            continue;
        const std::string name = file.baseName + "." + extensionOf(cpu, application, file.fileKind);
        const std::string path = joinPath(folderFor(file, application), name);
        // Two blocks that name the same file (classes sharing a tag) give one file: the first.
        if (paths.insert(path).second)
            plan.push_back({&file, path});
    }

    auto headerPath = [&plan](const std::string& base) -> std::string {
        for (const PlannedFile& planned : plan) {
            if (planned.file->baseName == base && planned.file->fileKind == FileKind::CHeader)
                return planned.path;
        }
        return {};
    };
    const std::string projectHeader = headerPath("kproject");
    const SourceContext context{cpu, application, project ? fieldText(project->name) : std::string(), version, model};

    for (const PlannedFile& planned : plan) {
        const GeneratedFile& file = *planned.file;
        std::error_code ec;
        if (!force && !markedChanged(file, application, model) && fs::exists(planned.path, ec))
            continue;
        IncludeNames includes;
        if (!projectHeader.empty())
            includes.projectHeader = includeName(planned.path, projectHeader);
        includes.ownHeader = headerPath(file.baseName);
        if (!includes.ownHeader.empty())
            includes.ownHeader = includeName(planned.path, includes.ownHeader);
        // A source needs the header it includes; without one the pair is not generated.
        const bool classSource = isClassFile(file) && file.fileKind == FileKind::CSource;
        if ((file.fileKind == FileKind::CSource && includes.projectHeader.empty()) ||
            (classSource && includes.ownHeader.empty()))
            continue;
        const std::string fileName = fs::path(planned.path).filename().string();
        const std::string text = joinLines(sourceLines(context, file, fileName, includes), application.generateDosFiles != 0);
        if (!writeTextFile(planned.path, text, result.error))
            return result;
        result.written.push_back(planned.path);
    }
    clearHandledFlags(application);
    result.ok = true;
    return result;
}

} // namespace codegen
