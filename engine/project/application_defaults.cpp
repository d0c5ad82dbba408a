#include <cstring>

#include "engine/project/project_file.h"
#include "engine/records/records.h"
#include "engine/records/text_field.h"
#include "engine/usertext/user_text_store.h"

namespace engine {
namespace {

constexpr const char* kDefaultOutputPath = "./";

}  // namespace

void ResetApplicationRecord(ApplicationRecord& app, const CpuRecord& cpu)
{
    const KernelRecord& k = cpu.kernel;
    std::memset(&app, 0, sizeof app);
    setText(app.codePath, kDefaultOutputPath);
    setText(app.headerPath, kDefaultOutputPath);
    setText(app.optionPath, kDefaultOutputPath);
    setText(app.reportPath, kDefaultOutputPath);
    app.systemRamAvailable = k.defaultSystemRam;
    app.kernelStackAvailable = k.minKernelStackSize;
    app.systemClockRateHz = 1000;
    app.instances = 1;
    setText(app.cSourceExtension, textOf(k.cSourceExtension));
    setText(app.cHeaderExtension, textOf(k.cHeaderExtension));
    setText(app.asmSourceExtension, textOf(k.asmSourceExtension));
    setText(app.asmHeaderExtension, textOf(k.asmHeaderExtension));
    app.generateAssemblerCode = (k.mode & 0x10) != 0;
    app.generateI2Symbols = (k.mode & 0x40) != 0;
    app.generateCppComments = (k.mode & 0x20) != 0;
    app.generateUserIsrs = (k.mode & 0x80) != 0;
    app.externConst = k.externConst;
    app.generateDosFiles = k.generateDosFiles;
    for (int i = 0; i < kMaxExtendedContexts; ++i)
        app.extendedContext[i] = k.extendedContexts[i].applicationDefault;
    app.userTexts = new UserTextStore(&app, k, false);
}

}  // namespace engine
