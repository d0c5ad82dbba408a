#pragma once
// The object through which the engine and the editors act on one CPU's kernel record: loading the model
// and kernel files into it, saving the kernel file, and resetting, freeing, copying and comparing kernel
// records around the CPU editor. It also keeps class and attribute selections consistent with the kernel
// variant and with what each item needs.

#include "engine/files/cpu_file.h"
#include "engine/records/records.h"

#include <memory>
#include <string>
#include <string_view>

namespace engine {

class CpuFile;
struct ProjectRecord;

// Something the CPU editor hands to the handler to keep for the handler's lifetime.
class CpuHandlerAttachment {
public:
    virtual ~CpuHandlerAttachment() = default;
};

class CpuRecordHandler {
public:
    static constexpr int kAttachmentCount = 4;

    // Works on kernel (embedded in cpu when cpu is given); config supplies the models table. A handler
    // without a CPU (cpu null) serves the record-only operations.
    CpuRecordHandler(KernelRecord* kernel, ConfigRecord* config, CpuRecord* cpu);
    ~CpuRecordHandler();
    CpuRecordHandler(const CpuRecordHandler&) = delete;
    CpuRecordHandler& operator=(const CpuRecordHandler&) = delete;

    CpuRecord* GetCpuRecord() const { return m_cpu; }
    KernelRecord* GetKernelRecord() const { return m_kernel; }
    ConfigRecord* GetConfigRecord() const { return m_config; }

    // File operations (the file layer reports its own failures).
    bool LoadModel(int32_t modelIndex);
    bool ReadKernel(std::string_view path);
    bool SetKernelPath(std::string_view path);
    bool ChooseAndReadKernel(std::string* outPath, const CpuFile::ChosenFileCheck& check = {});
    bool ChooseAndWriteKernel(std::string* outPath, const ProjectRecord* project);
    bool IsKernelWritable() const;
    // Writes the kernel file when the record is writable; false without writing when it is not.
    bool SaveKernel();

    // Selections.
    bool HasKernelClass(std::string_view name) const;
    int32_t CountVariantOptions() const;
    void NormalizeKernelSelections();
    // Whether the class or attribute of that name (classes first, then attributes depth first) is
    // available and selected.
    bool FindSelectedKernelItem(std::string_view name) const;

    // Record operations; they need no handler state.
    // Deep copy: on failure copy holds no block of its own and no block of source (safe to free).
    static bool CloneKernelRecord(KernelRecord& copy, const KernelRecord& source);
    // Copies a saved copy back (model index and kernel path stay): target's arrays are replaced by copies
    // of source's. False, with target untouched, when memory runs out.
    static bool AssignKernelRecord(KernelRecord& target, const KernelRecord& source);
    // True at the first difference in a compared field (the model index, the kernel path and the CPU
    // edited flag take no part).
    static bool KernelRecordsDiffer(const KernelRecord& a, const KernelRecord& b);
    // fresh: a record never filled, zero-filled first and its path cleared; otherwise its arrays are freed
    // and its path kept. Then every field takes its reset value.
    static void ResetKernelRecord(KernelRecord& record, bool fresh);
    static void FreeKernelRecord(KernelRecord& record);

    // The editor's attachments, deleted in order when the handler goes.
    void SetAttachment(int index, std::unique_ptr<CpuHandlerAttachment> attachment);
    CpuHandlerAttachment* Attachment(int index) const;

private:
    std::unique_ptr<CpuFile> m_file;  // null without a kernel record and a configuration
    KernelRecord* m_kernel;
    ConfigRecord* m_config;
    std::unique_ptr<CpuHandlerAttachment> m_attachments[kAttachmentCount];
    CpuRecord* m_cpu;
};

}  // namespace engine
