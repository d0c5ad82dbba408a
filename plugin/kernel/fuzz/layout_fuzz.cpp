// Fuzzes the layout loader and the readers above it: the input is target memory from address 0, read
// both as the data file (base 0) and as the target; the first byte picks the byte order.
#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"
#include "plugin/kernel/fuzz/fuzz_readers.h"

#include <cstring>

namespace {

class InputPort : public kernel::TargetPort {
public:
    InputPort(const uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool read(uint32_t address, uint32_t count, uint8_t* buffer) override
    {
        if (static_cast<uint64_t>(address) + count > m_size) {
            std::memset(buffer, 0, count);
            return false;
        }
        std::memcpy(buffer, m_data + address, count);
        return true;
    }
    bool write(uint32_t, uint32_t, const uint8_t*) override { return true; }
    std::optional<uint32_t> symbolAddress(const std::string&) override { return std::nullopt; }

private:
    const uint8_t* m_data;
    std::size_t m_size;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    InputPort port(data + 1, size - 1);
    kernel::SetTargetPort(&port);
    kernel::SetLittleEndian(data[0] & 1);
    kernel::SetAddressUnitBits(8);
    kernel::FreeKernelWorkspace();
    if (kernel::LoadKernelWorkspace(0, "", 0, 0) == kernel::LoadOk)
        kernel::fuzz::ExerciseReaders();
    kernel::KernelInfo info;
    kernel::ReadKernelInfo(info);
    kernel::GetKernelStackSpare();
    kernel::FreeKernelWorkspace();
    kernel::SetTargetPort(nullptr);
    return 0;
}
