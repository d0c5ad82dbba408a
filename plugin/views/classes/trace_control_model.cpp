// The trace control window's state and its operations on the target's trace buffer.

#include "plugin/views/classes/trace_control_model.h"

#include "plugin/kernel/text_utils.h"
#include "plugin/kernel/trace.h"

#include <cstdio>

namespace views {
namespace {

std::string dec(uint64_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }

} // namespace

void TraceControlModel::Start()
{
    m_modePending = false;
    m_uploadFailure.clear();
    ReadTraceState();
}

void TraceControlModel::ReadTraceState()
{
    m_mode = kernel::GetTraceMode();
    m_bytesWaiting = kernel::GetTraceDataSize();
    m_traceAvailable = kernel::IsTraceAvailable() != 0;
    m_refusal = m_traceAvailable ? kernel::TraceRefusal() : std::string();
}

void TraceControlModel::PickMode(uint32_t mode)
{
    if (mode >= kModes)
        return;
    m_mode = mode;
    m_modePending = true;
}

void TraceControlModel::ApplyMode()
{
    kernel::SetTraceMode(m_mode);
    m_modePending = false;
}

bool TraceControlModel::Upload()
{
    std::vector<uint8_t> block;
    m_uploadFailure.clear();
    const bool uploaded = kernel::UploadTraceData(block, &m_uploadFailure);
    if (uploaded)
        m_uploadFailure.clear();
    const bool appended = uploaded && !block.empty();
    if (appended) {
        m_uploaded.insert(m_uploaded.end(), block.begin(), block.end());
        ++m_uploads;
    }
    ReadTraceState();
    return appended;
}

void TraceControlModel::ResetTarget()
{
    kernel::ResetTraceBuffer();
    ReadTraceState();
}

void TraceControlModel::DiscardUploaded()
{
    m_uploaded.clear();
    m_uploads = 0;
}

bool TraceControlModel::Save(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return false;
    const std::size_t size = m_uploaded.size();
    const bool written = size == 0 || std::fwrite(m_uploaded.data(), 1, size, file) == size;
    // A failed flush at close loses the data as surely as a short write.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        return false;
    ++m_savedFiles;
    m_savedBytes += m_uploaded.size();
    m_uploaded.clear();
    return true;
}

TraceControlModel::Controls TraceControlModel::controls() const
{
    Controls c;
    c.traceItems = m_traceAvailable;
    c.okApply = m_traceAvailable && m_modePending;
    // After a failed upload the window says why, and Upload waits for the next run of the window.
    c.uploadReset = m_traceAvailable && m_bytesWaiting > 0 && m_uploadFailure.empty();
    c.saveDiscard = m_traceAvailable && !m_uploaded.empty();
    c.checkedMode = m_mode < kModes ? m_mode : 4;
    // A trace that cannot be taken says why in place of its size.
    c.reason = !m_uploadFailure.empty() ? m_uploadFailure : m_refusal;
    c.available = c.reason.empty() ? dec(m_bytesWaiting) : std::string();
    c.uploadedBytes = dec(m_uploaded.size());
    c.uploads = dec(m_uploads);
    c.savedBytes = dec(m_savedBytes);
    c.savedFiles = dec(m_savedFiles);
    return c;
}

} // namespace views
