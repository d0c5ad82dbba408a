// Feeds arbitrary bytes to the model reader and the kernel-file reader: the bytes before the first form feed
// are the model, those after it the kernel file (without a form feed the same bytes are both), so a kernel
// file may lack any section the model asks for. Whatever the kernel reader accepts over a model must save:
// written as a save writes it, it reads again to the same record and writes the same bytes.
#include "engine/files/cpu_file.h"
#include "engine/files/file_message.h"
#include "engine/files/model_cipher.h"
#include "engine/files/model_file.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/sectioned/sectioned_file.h"
#include "platform/core/fuzz/silent_messages.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <cstdlib>
#include <string_view>

using platform::fuzzing::SilentMessages;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static SilentMessages silent;
    platform::setMessageService(&silent);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\f');
    const std::string_view modelBytes = split == std::string_view::npos ? bytes : bytes.substr(0, split);
    const std::string_view kernelBytes = split == std::string_view::npos ? bytes : bytes.substr(split + 1);

    engine::KernelRecord kernel;
    engine::CpuRecordHandler::ResetKernelRecord(kernel, true);
    engine::SectionedFile model("Model File", false);
    if (engine::ParseModelFile(kernel, model, engine::PrepareModelText(modelBytes), "fuzz.mdl")) {
        engine::SectionedFile kernelFile("fuzz.cpu", true);
        kernelFile.ParseSectionedText(kernelBytes, true);
        if (engine::CheckParsedFile(kernelFile, "kernel", "fuzz.cpu") && engine::GetKernelSections(kernel, kernelFile)) {
            // What the reader accepts passes the round trip a save makes.
            if (const std::string problem = engine::KernelRoundTripProblem(kernel); !problem.empty()) {
                std::fprintf(stderr, "%s\n", problem.c_str());
                std::abort();
            }
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
