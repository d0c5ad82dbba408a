#include "engine/files/model_file.h"

#include "engine/files/file_message.h"
#include "engine/files/model_cipher.h"
#include "engine/files/model_reader.h"
#include "engine/footprint/model_tables.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/file_io.h"
#include "engine/util/path.h"
#include "engine/util/text.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <sys/stat.h>

namespace engine {
namespace {

std::atomic<bool> g_generateDosFiles{false};

// The model read last: which file it came from, as it was then, and what was read from it. CPUs that
// name the same unchanged model file take a copy of the record and share the parsed file's text
// instead of reading, deciphering and parsing the file again.
struct LastModel {
    std::mutex lock;
    std::string folder;
    std::string path;
    struct stat file {};
    bool valid = false;
    KernelRecord kernel{};
    std::unique_ptr<SectionedFile> parsed;
};

LastModel& lastModel()
{
    static LastModel* model = new LastModel; // never freed: it may be used until the program ends
    return *model;
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// Gives `kernel` and `modelFile` what the last read of this file gave; false when it was another file,
// the file has changed since, or memory ran out.
bool takeLastModel(KernelRecord& kernel, SectionedFile& modelFile, const std::string& folder,
                   const std::string& path, const struct stat& file)
{
    LastModel& last = lastModel();
    std::lock_guard<std::mutex> hold(last.lock);
    if (!last.valid || last.folder != folder || last.path != path || !sameFile(last.file, file))
        return false;
    KernelRecord loaded;
    if (!CpuRecordHandler::CloneKernelRecord(loaded, last.kernel))
        return false;
    loaded.modelIndex = kernel.modelIndex;
    setText(loaded.kernelPath, textOf(kernel.kernelPath));
    CpuRecordHandler::FreeKernelRecord(kernel);
    kernel = loaded;
    modelFile = *last.parsed;
    return true;
}

void keepLastModel(const KernelRecord& kernel, const SectionedFile& modelFile, const std::string& folder,
                   const std::string& path, const struct stat& file)
{
    LastModel& last = lastModel();
    std::lock_guard<std::mutex> hold(last.lock);
    if (last.valid)
        CpuRecordHandler::FreeKernelRecord(last.kernel);
    last.valid = CpuRecordHandler::CloneKernelRecord(last.kernel, kernel);
    if (!last.valid)
        return;
    last.folder = folder;
    last.path = path;
    last.file = file;
    last.parsed = std::make_unique<SectionedFile>(modelFile);
}

} // namespace

bool GenerateDosFilesDefault() { return g_generateDosFiles.load(); }
void SetGenerateDosFilesDefault(bool on) { g_generateDosFiles.store(on); }

bool LoadModelFile(CpuRecord& cpu, KernelRecord& kernel, const ConfigRecord& config, int32_t index)
{
    if (!cpu.modelFile)
        cpu.modelFile = new SectionedFile("Model File", false);
    return LoadModelFileInto(kernel, *cpu.modelFile, config, index);
}

bool LoadModelFileInto(KernelRecord& kernel, SectionedFile& modelFile, const ConfigRecord& config, int32_t index)
{
    if (index < 0 || index >= config.modelCount || !config.models)
        return false;
    // Model paths are relative to the program's folder; the old folder comes back on every way out.
    CurrentDirectoryGuard folder(ProgramDirectory());
    const std::string path = MakeNativePath(textOf(config.models[index].path));
    const std::string programFolder = ProgramDirectory();
    struct stat file {};
    const bool known = ::stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode);
    if (known && takeLastModel(kernel, modelFile, programFolder, path, file)) {
        kernel.modelIndex = index;
        return true;
    }
    std::string bytes;
    const ReadResult result = ReadWholeFile(path, bytes);
    switch (result) {
    case ReadResult::OpenFailed:
        ShowFileMessage(FormatText("Unable to open model file '%s'", path.c_str()));
        return false;
    case ReadResult::ReadFailed:
        ShowFileMessage(FormatText("I/O error occurred while reading model file %s", path.c_str()));
        return false;
    case ReadResult::NoMemory:
    case ReadResult::NotRegular:
        ShowFileMessage(FormatText("Unable to read model file %s: %s", path.c_str(), ReadFailureReason(result, path).c_str()));
        return false;
    case ReadResult::Ok:
        break;
    }
    if (!ParseModelFile(kernel, modelFile, PrepareModelText(bytes), path))
        return false;
    kernel.modelIndex = index;
    if (known)
        keepLastModel(kernel, modelFile, programFolder, path, file);
    return true;
}

bool ParseModelFile(KernelRecord& kernel, SectionedFile& modelFile, std::string_view text,
                    const std::string& modelPath)
{
    SectionedFile parsed("Model File", false);
    parsed.ParseSectionedText(text);
    if (!CheckParsedFile(parsed, "model", modelPath))
        return false;

    // Read into a fresh record that keeps the kernel path; the caller's record changes only on success.
    KernelRecord loaded;
    CpuRecordHandler::ResetKernelRecord(loaded, true);
    loaded.modelIndex = kernel.modelIndex;
    setText(loaded.kernelPath, textOf(kernel.kernelPath));
    ModelReader reader(parsed, loaded, modelPath);
    // The type and structure tables are checked here, so a model that the estimator could not use is
    // refused at load; the estimator reads them again from the CPU's model file.
    ModelTables tables;
    std::string problem;
    if (!reader.Read() ||
        !ReadModelTables(parsed, tables, [](const std::string& text) { ShowFileMessage(text); }, &problem)) {
        if (!problem.empty())
            ShowLoadProblem("model", modelPath, problem);
        CpuRecordHandler::FreeKernelRecord(loaded);
        return false;
    }
    // The variant mask takes the model's default framework (a reset copies it, but ran before it was read).
    loaded.framework = loaded.defaultFramework;

    CpuRecordHandler::FreeKernelRecord(kernel);
    kernel = loaded;
    modelFile = parsed; // the copy shares the parsed text
    modelFile.SetPath("Model File");
    return true;
}

} // namespace engine
