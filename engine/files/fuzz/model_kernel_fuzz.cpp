// Feeds arbitrary bytes to the model reader; when they make a model, reads the same bytes as a kernel file
// over it and writes the kernel file's sections back, which must read again to the same record and write
// the same bytes.
#include "engine/files/cpu_file.h"
#include "engine/files/model_cipher.h"
#include "engine/files/model_file.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/sectioned/sectioned_file.h"
#include "platform/core/fuzz/silent_messages.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using platform::fuzzing::SilentMessages;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentMessages silent;
    platform::setMessageService(&silent);
    std::string_view bytes(reinterpret_cast<const char*>(data), size);

    engine::KernelRecord kernel;
    engine::CpuRecordHandler::ResetKernelRecord(kernel, true);
    engine::SectionedFile model("Model File", false);
    if (engine::ParseModelFile(kernel, model, engine::PrepareModelText(bytes), "fuzz.mdl")) {
        engine::SectionedFile kernelFile("", true);
        kernelFile.ParseSectionedText(bytes);
        if (engine::GetKernelSections(kernel, kernelFile)) {
            engine::SectionedFile written("", true);
            engine::PutKernelSections(kernel, written);
            engine::KernelRecord again;
            if (!engine::CpuRecordHandler::CloneKernelRecord(again, kernel))
                std::abort();
            engine::SectionedFile reread("", true);
            reread.ParseSectionedText(written.ToText());
            if (!engine::GetKernelSections(again, reread) ||
                engine::CpuRecordHandler::KernelRecordsDiffer(kernel, again))
                std::abort();
            // The same records write the same bytes.
            engine::SectionedFile rewritten("", true);
            engine::PutKernelSections(again, rewritten);
            if (rewritten.ToText() != written.ToText())
                std::abort();
            // The selections of any model settle within their bounded passes.
            engine::CpuRecordHandler handler(&again, nullptr, nullptr);
            handler.NormalizeKernelSelections();
            engine::CpuRecordHandler::FreeKernelRecord(again);
        }
    }
    engine::CpuRecordHandler::FreeKernelRecord(kernel);
    return 0;
}
