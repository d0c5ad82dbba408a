#pragma once
// The files code generation produces for one application: one per user text block of the
// application's store (the project files, then three per kernel class), with the user's text.

#include "engine/records/records.h"

#include <string>
#include <vector>

namespace codegen {

enum class FileKind { CSource, CHeader, AsmSource, AsmHeader };

struct UserText {
    std::vector<std::string> include;
    std::vector<std::string> revisionTop;
    std::vector<std::string> revisionBottom;
};

struct GeneratedFile {
    std::string baseName;  // "kproject", "koptions", ..., "k" + class tag
    int32_t kind;          // 0 project file, 3 user exception file, else the class type number
    FileKind fileKind;
    UserText text;
};

// The generated files of an application: from its user text store, or, when it has none, the fixed
// set the store would hold (with empty user text).
std::vector<GeneratedFile> generatedFiles(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application);

// The file kind chosen by the first two flag bytes of a user text block.
FileKind fileKindOfFlags(bool first, bool second);

// The application's extension for a file kind, without a leading '.'; the kernel record's when the
// application has none, else the usual one.
std::string extensionOf(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application, FileKind kind);

} // namespace codegen
