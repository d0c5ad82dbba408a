#include "generated_files.h"

#include "application_model.h"
#include "c_text.h"
#include "user_text_access.h"

#include <cctype>
#include <cstring>

namespace codegen {

namespace {

struct FixedFile {
    const char* baseName;
    int32_t kind;
    FileKind fileKind;
};

// The project-level files, in the order a user text store holds them.
constexpr FixedFile kProjectFiles[] = {
    {"kproject", 0, FileKind::CSource}, {"kproject", 0, FileKind::CHeader},  {"koptions", 0, FileKind::CHeader},
    {"koptions", 0, FileKind::AsmHeader}, {"aoptions", 0, FileKind::CHeader}, {"aoptions", 0, FileKind::AsmHeader},
    {"i2symbol", 0, FileKind::CSource}, {"kmpinfo", 0, FileKind::CHeader},   {"uexcptn", 3, FileKind::AsmSource},
};
constexpr int32_t kLastClassWithFiles = engine::ClassMutex;

std::string lowerText(std::string text)
{
    for (char& ch : text)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return text;
}

std::vector<GeneratedFile> fixedFiles(const engine::CpuRecord& cpu)
{
    std::vector<GeneratedFile> files;
    for (const FixedFile& file : kProjectFiles)
        files.push_back({file.baseName, file.kind, file.fileKind, {}});
    for (int32_t type = engine::kFirstClassType; type <= kLastClassWithFiles; ++type) {
        const engine::KernelClassRecord* kernelClass = findKernelClass(cpu, type);
        if (!kernelClass)
            continue;
        const std::string base = "k" + lowerText(fieldText(kernelClass->tag));
        for (FileKind kind : {FileKind::CSource, FileKind::CHeader, FileKind::AsmHeader})
            files.push_back({base, type, kind, {}});
    }
    return files;
}

} // namespace

FileKind fileKindOfFlags(bool first, bool second)
{
    if (first)
        return second ? FileKind::CSource : FileKind::CHeader;
    return second ? FileKind::AsmSource : FileKind::AsmHeader;
}

std::vector<GeneratedFile> generatedFiles(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application)
{
    std::vector<GeneratedFile> files;
    if (application.userTexts)
        files = userTextFiles(*application.userTexts);
    return files.empty() ? fixedFiles(cpu) : files;
}

std::string extensionOf(const engine::CpuRecord& cpu, const engine::ApplicationRecord& application, FileKind kind)
{
    struct Choice {
        const char* own;
        const char* kernel;
        const char* usual;
    };
    Choice choice{};
    switch (kind) {
    case FileKind::CSource:
        choice = {application.cSourceExtension, cpu.kernel.cSourceExtension, "c"};
        break;
    case FileKind::CHeader:
        choice = {application.cHeaderExtension, cpu.kernel.cHeaderExtension, "h"};
        break;
    case FileKind::AsmSource:
        choice = {application.asmSourceExtension, cpu.kernel.asmSourceExtension, "asm"};
        break;
    case FileKind::AsmHeader:
        choice = {application.asmHeaderExtension, cpu.kernel.asmHeaderExtension, "inc"};
        break;
    }
    for (const char* candidate : {choice.own, choice.kernel}) {
        std::string text(candidate, strnlen(candidate, engine::kPathSize));
        while (!text.empty() && (text.front() == '.' || text.front() == ' '))
            text.erase(text.begin());
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        if (!text.empty())
            return text;
    }
    return choice.usual;
}

} // namespace codegen
