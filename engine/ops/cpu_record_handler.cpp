#include "engine/ops/cpu_record_handler.h"

namespace engine {

CpuRecordHandler::CpuRecordHandler(KernelRecord* kernel, ConfigRecord* config, CpuRecord* cpu)
    : m_kernel(kernel), m_config(config), m_cpu(cpu)
{
}

CpuRecordHandler::~CpuRecordHandler()
{
    for (auto& attachment : m_attachments)
        attachment.reset();
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

bool CpuRecordHandler::IsKernelWritable() const
{
    return m_kernel && m_kernel->writable != 0;
}

}  // namespace engine
