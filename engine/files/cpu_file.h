#pragma once
// The kernel (CPU) file of one CPU: the KERNEL settings, the value and state of each kernel model option
// and the state of each kernel class, class attribute and service, read over the model's defaults in the
// CPU's kernel record and written back from it. Read and written case-sensitive.

#include "engine/files/file_chooser.h"
#include "engine/records/records.h"

#include <memory>
#include <string>
#include <string_view>

namespace engine {

class CpuRecordHandler;
struct ProjectRecord;
class SectionedFile;

// Fills the kernel record from a parsed kernel file; false (the record untouched) when "KERNEL" is missing.
// Sections other than "KERNEL" that are missing leave their defaults. A number that does not fit its field
// also gives false, with its description in `problem` (when given; "" for a missing "KERNEL").
bool GetKernelSections(KernelRecord& kernel, const SectionedFile& file, std::string* problem = nullptr);
// Builds the kernel file's sections from the record into `file` (emptied first).
void PutKernelSections(const KernelRecord& kernel, SectionedFile& file);
// The kernel file's bytes a save is about to write, read into a copy of the record as the open reads
// them: "" when they give the record back, else why not (to follow "Unable to write kernel file X: ").
std::string KernelReadBackProblem(const KernelRecord& kernel, const std::string& path, std::string_view bytes);
// The kernel's round trip: its sections written in memory as a save would write them, read back by the
// same check. "" when it passes, else why not. `readFrom`, when given, is the text the kernel was just
// read from: a text written the same reads back as it was read, with no second read.
std::string KernelRoundTripProblem(const KernelRecord& kernel, std::string_view readFrom = {});

class CpuFile {
public:
    // Works on `kernel`; the kernel file's SectionedFile is cpu->kernelFile when a CPU is given (created
    // when null), else one owned by this object. `config` and `handler` may be unused by a given call.
    CpuFile(KernelRecord& kernel, ConfigRecord& config, CpuRecordHandler* handler, CpuRecord* cpu);
    ~CpuFile();
    CpuFile(const CpuFile&) = delete;
    CpuFile& operator=(const CpuFile&) = delete;

    // Reads the file named by the record's kernel path over the record; clears the CPU edited flag on
    // success. Messages: "Couldn't open kernel file %s", "I/O error occurred while reading kernel file",
    // "Can't find required section "KERNEL" in CPU file %s".
    bool ReadKernelFile();
    // Writes the record's kernel file through "<path>temp" renamed over it; clears the CPU edited flag only
    // after the whole save succeeded. A record whose writable flag is 0 shows "Kernel info is not
    // writeable", touches no file and returns false (callers that skip such files check IsWritable first).
    bool WriteKernelFile();
    bool IsWritable() const { return m_kernel.writable != 0; }

    // Stores the path and makes the record writable; a path that does not fit is refused with a message.
    bool SetKernelPath(std::string_view path);
    // A check of a chosen file before it is used: false (after its own message) refuses it, and the
    // record keeps the file it had.
    using ChosenFileCheck = engine::ChosenFileCheck;
    // Asks for a kernel file to open ("Choose CPU File"), stores its path and reads it. False on Cancel.
    bool ChooseAndReadKernel(std::string* outPath, const ChosenFileCheck& check = {});
    // Asks for a file to save the kernel to ("Choose File for CPU "<name>""), stores the path and writes; a
    // file `project` lists for something else is refused as every Save As refuses it.
    bool ChooseAndWriteKernel(std::string* outPath, const ProjectRecord* project);

    // The SectionedFile of the kernel file.
    SectionedFile& KernelFile();

private:
    KernelRecord& m_kernel;
    CpuRecord* m_cpu;
    std::unique_ptr<SectionedFile> m_ownFile;
};

} // namespace engine
