#include "engine/ops/cpu_record_handler.h"

#include "engine/files/cpu_file.h"
#include "engine/files/model_file.h"

#include <new>

namespace engine {

CpuRecordHandler::CpuRecordHandler(KernelRecord* kernel, ConfigRecord* config, CpuRecord* cpu)
    : m_kernel(kernel), m_config(config), m_cpu(cpu)
{
    // The record-only operations need no file handler; a handler without records gets none.
    if (kernel && config)
        m_file.reset(new (std::nothrow) CpuFile(*kernel, *config, this, cpu));
}

CpuRecordHandler::~CpuRecordHandler()
{
    for (auto& attachment : m_attachments)
        attachment.reset();
    m_file.reset();
}

void CpuRecordHandler::SetAttachment(int index, std::unique_ptr<CpuHandlerAttachment> attachment)
{
    if (index >= 0 && index < kAttachmentCount)
        m_attachments[index] = std::move(attachment);
}

CpuHandlerAttachment* CpuRecordHandler::Attachment(int index) const
{
    return index >= 0 && index < kAttachmentCount ? m_attachments[index].get() : nullptr;
}

bool CpuRecordHandler::LoadModel(int32_t modelIndex)
{
    if (!m_cpu || !m_kernel || !m_config)
        return false;
    return LoadModelFile(*m_cpu, *m_kernel, *m_config, modelIndex);
}

bool CpuRecordHandler::ReadKernel(std::string_view path)
{
    return m_file && m_file->SetKernelPath(path) && m_file->ReadKernelFile();
}

bool CpuRecordHandler::SetKernelPath(std::string_view path)
{
    return m_file && m_file->SetKernelPath(path);
}

bool CpuRecordHandler::ChooseAndReadKernel(std::string* outPath, const CpuFile::ChosenFileCheck& check)
{
    return m_file && m_file->ChooseAndReadKernel(outPath, check);
}

bool CpuRecordHandler::ChooseAndWriteKernel(std::string* outPath, const ProjectRecord* project)
{
    return m_file && m_file->ChooseAndWriteKernel(outPath, project);
}

bool CpuRecordHandler::IsKernelWritable() const
{
    return m_kernel && m_kernel->writable != 0;
}

bool CpuRecordHandler::SaveKernel()
{
    return IsKernelWritable() && m_file && m_file->WriteKernelFile();
}

}  // namespace engine
