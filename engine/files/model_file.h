#pragma once
// Loading a model file into a CPU's kernel record. A model file names the kernel model's texts, limits and
// defaults, its extended contexts, task attributes, scripts, model options and kernel classes with their
// attribute trees, services and needs. It is plain sectioned text or stored enciphered (model_cipher.h),
// and is never written.
//
// A load either succeeds completely or changes nothing: the kernel record and the model's SectionedFile
// are replaced only after the whole model was read. Every failure shows its message first.

#include "engine/records/records.h"

#include <string>
#include <string_view>

namespace engine {

class SectionedFile;

// Reads row `index` of the configuration's models into the kernel record; the parsed model is kept in
// cpu.modelFile (created when null). Model paths are relative to the program's folder. An index outside
// the models table fails at once, without a message.
bool LoadModelFile(CpuRecord& cpu, KernelRecord& kernel, const ConfigRecord& config, int32_t index);

// The same with the model's SectionedFile given directly (for callers without a CPU record).
bool LoadModelFileInto(KernelRecord& kernel, SectionedFile& modelFile, const ConfigRecord& config, int32_t index);

// Parses a prepared model text (see PrepareModelText) into the kernel record and the SectionedFile;
// `modelPath` names the file in messages. The record's model index is left to the caller.
bool ParseModelFile(KernelRecord& kernel, SectionedFile& modelFile, std::string_view text,
                    const std::string& modelPath);

// The value "Generate DOS Files" takes when a model does not give it (the program's setting; off unless set).
bool GenerateDosFilesDefault();
void SetGenerateDosFilesDefault(bool on);

// Most class attributes (over all levels) one model may define; a model beyond it is refused.
constexpr int32_t kMaxModelAttributes = 65536;
// Most levels of attributes within attributes below a class; a deeper model is refused.
constexpr int32_t kMaxAttributeNesting = 16; // the depth the lookups by tag search
// Most kernel classes one model may define: every application gets an entry per class, found by name.
constexpr int32_t kMaxModelClasses = 1024;
// Most service rows and "Needs" names one model may define over all its classes and attributes: a list
// section named by many attributes is read once for each of them, so a small file could otherwise ask for
// more memory than any machine has.
constexpr int32_t kMaxModelServices = 262144;
constexpr int32_t kMaxModelNeeds = 262144;

} // namespace engine
