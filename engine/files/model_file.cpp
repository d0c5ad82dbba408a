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

namespace engine {
namespace {

std::atomic<bool> g_generateDosFiles{false};

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
    std::string bytes;
    switch (ReadWholeFile(path, bytes)) {
    case ReadResult::OpenFailed:
        ShowFileMessage(FormatText("Unable to open model file '%s'", path.c_str()));
        return false;
    case ReadResult::ReadFailed:
        ShowFileMessage(FormatText("I/O error occurred while reading model file %s", path.c_str()));
        return false;
    case ReadResult::NoMemory:
        ShowFileMessage(FormatText("Unable to read model file %s: %s", path.c_str(),
                                   ReadFailureReason(ReadResult::NoMemory, path).c_str()));
        return false;
    case ReadResult::Ok:
        break;
    }
    if (!ParseModelFile(kernel, modelFile, PrepareModelText(bytes), path))
        return false;
    kernel.modelIndex = index;
    return true;
}

bool ParseModelFile(KernelRecord& kernel, SectionedFile& modelFile, std::string_view text,
                    const std::string& modelPath)
{
    SectionedFile parsed("Model File", false);
    parsed.ParseSectionedText(text);

    // Read into a fresh record that keeps the kernel path; the caller's record changes only on success.
    KernelRecord loaded;
    CpuRecordHandler::ResetKernelRecord(loaded, true);
    loaded.modelIndex = kernel.modelIndex;
    setText(loaded.kernelPath, textOf(kernel.kernelPath));
    ModelReader reader(parsed, loaded, modelPath);
    // The type and structure tables are checked here, so a model that the estimator could not use is
    // refused at load; the estimator reads them again from the CPU's model file.
    ModelTables tables;
    if (!reader.Read() || !ReadModelTables(parsed, tables, [](const std::string& text) { ShowFileMessage(text); })) {
        CpuRecordHandler::FreeKernelRecord(loaded);
        return false;
    }
    // The variant mask takes the model's default framework (a reset copies it, but ran before it was read).
    loaded.framework = loaded.defaultFramework;

    CpuRecordHandler::FreeKernelRecord(kernel);
    kernel = loaded;
    modelFile = parsed;
    modelFile.SetPath("Model File");
    return true;
}

} // namespace engine
