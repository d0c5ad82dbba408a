// Fuzzes the kernel data file: the input's first byte picks one of two generated kernels (port 3
// little-endian, port 7 big-endian, both the demo scenario), the rest is the data file's image at base 0.
// The image is written as an S-record file and loaded as the control panel loads it, against that
// kernel's sound target memory; when the layout loads, every reader and text runs.
#include "plugin/kernel/fuzz/fuzz_readers.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"
#include "standins/debugger/simtarget/kernel_objects.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

// Target memory of a generated kernel, as sorted blocks.
class BlockPort : public kernel::TargetPort {
public:
    explicit BlockPort(std::vector<kernel::SRecordBlock> blocks) : m_blocks(std::move(blocks))
    {
        std::sort(m_blocks.begin(), m_blocks.end(), [](const auto& a, const auto& b) { return a.address < b.address; });
    }
    bool read(uint32_t address, uint32_t count, uint8_t* buffer) override
    {
        std::memset(buffer, 0, count);
        auto it = std::upper_bound(m_blocks.begin(), m_blocks.end(), address,
                                   [](uint32_t a, const kernel::SRecordBlock& b) { return a < b.address; });
        if (it == m_blocks.begin())
            return false;
        --it;
        const uint64_t offset = uint64_t{address} - it->address;
        if (offset + count > it->data.size())
            return false;
        std::memcpy(buffer, it->data.data() + offset, count);
        return true;
    }
    bool write(uint32_t, uint32_t, const uint8_t*) override { return true; }
    std::optional<uint32_t> symbolAddress(const std::string&) override { return std::nullopt; }

private:
    std::vector<kernel::SRecordBlock> m_blocks;
};

struct Kernel {
    bool little;
    uint32_t anchor;
    BlockPort port;
};

Kernel makeKernel(int portCode, bool little)
{
    simtarget::KernelSpec spec;
    spec.port = portCode;
    spec.littleEndian = little;
    simtarget::TargetBuilder builder(spec);
    simtarget::BuildDemo(builder);
    simtarget::GeneratedTarget target = builder.build();
    return {little, target.anchor, BlockPort(std::move(target.memory))};
}

const std::string& dataFilePath()
{
    static const std::string path =
        (std::filesystem::temp_directory_path() / ("kernel_datafile_fuzz_" + std::to_string(getpid()) + ".a79")).string();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static Kernel kernels[] = {makeKernel(3, true), makeKernel(7, false)};
    if (size < 1 || size > 1 + kernel::kImageUnits)
        return 0;
    Kernel& k = kernels[data[0] & 1];
    {
        std::ofstream out(dataFilePath(), std::ios::binary | std::ios::trunc);
        out << kernel::WriteSRecords({{0, std::vector<uint8_t>(data + 1, data + size)}}, "z5data");
    }
    kernel::SetTargetPort(&k.port);
    kernel::SetLittleEndian(k.little ? 1 : 0);
    kernel::SetAddressUnitBits(8);
    kernel::FreeKernelWorkspace();
    if (kernel::LoadKernelWorkspace(1, dataFilePath(), 0, k.anchor) == kernel::LoadOk)
        kernel::fuzz::ExerciseReaders();
    kernel::FreeKernelWorkspace();
    kernel::SetTargetPort(nullptr);
    return 0;
}
