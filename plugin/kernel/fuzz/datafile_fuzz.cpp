// Fuzzes the kernel data file: the input is the data file's image at base 0, written as an S-record file
// and loaded as the control panel loads it, against the sound memory of the demo target (samples/target,
// port 3, little-endian). When the layout loads, every reader and text runs.
#include "plugin/kernel/fuzz/fuzz_readers.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/srecord.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

// Target memory as sorted blocks.
class BlockPort : public kernel::TargetPort {
public:
    void load(std::vector<kernel::SRecordBlock> blocks)
    {
        m_blocks = std::move(blocks);
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

struct DemoTarget {
    BlockPort port;
    uint32_t anchor = 0;
};

// The demo target's memory and its kernel anchor; the program stops when they cannot be read.
DemoTarget& demoTarget()
{
    static DemoTarget* target = [] {
        auto* t = new DemoTarget;
        const std::string folder = KORVANE_DEMO_TARGET_DIR;
        std::vector<kernel::SRecordBlock> blocks;
        std::string message;
        if (kernel::ReadSRecordFile(folder + "/target.srec", blocks, message) != kernel::SRecordFileLoaded) {
            std::fprintf(stderr, "%s\n", message.c_str());
            std::abort();
        }
        t->port.load(std::move(blocks));
        std::ifstream symbols(folder + "/target.sym");
        std::string name, address;
        while (symbols >> name >> address)
            if (name == "_pKWS")
                t->anchor = static_cast<uint32_t>(std::strtoul(address.c_str(), nullptr, 16));
        if (t->anchor == 0) {
            std::fprintf(stderr, "%s/target.sym names no _pKWS\n", folder.c_str());
            std::abort();
        }
        return t;
    }();
    return *target;
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
    if (size > kernel::kImageUnits)
        return 0;
    DemoTarget& target = demoTarget();
    {
        std::ofstream out(dataFilePath(), std::ios::binary | std::ios::trunc);
        out << kernel::WriteSRecords({{0, std::vector<uint8_t>(data, data + size)}}, "z5data");
    }
    kernel::SetTargetPort(&target.port);
    kernel::SetLittleEndian(1);
    kernel::SetAddressUnitBits(8);
    kernel::FreeKernelWorkspace();
    if (kernel::LoadKernelWorkspace(1, dataFilePath(), 0, target.anchor) == kernel::LoadOk)
        kernel::fuzz::ExerciseReaders();
    kernel::FreeKernelWorkspace();
    kernel::SetTargetPort(nullptr);
    return 0;
}
