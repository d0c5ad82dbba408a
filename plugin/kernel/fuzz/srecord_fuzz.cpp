// Fuzzes the S-record reader: any text either parses into blocks or is refused with a line message.
#include "plugin/kernel/srecord.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    std::vector<kernel::SRecordBlock> blocks;
    const kernel::SRecordResult result =
        kernel::ParseSRecords(std::string_view(reinterpret_cast<const char*>(data), size), blocks);
    if (result.status != kernel::SRecordStatus::Ok && (!blocks.empty() || result.message.empty()))
        __builtin_trap();
    if (result.status == kernel::SRecordStatus::Ok) {
        std::vector<kernel::SRecordBlock> again;
        if (kernel::ParseSRecords(kernel::WriteSRecords(blocks, "x"), again).status != kernel::SRecordStatus::Ok)
            __builtin_trap();
    }
    return 0;
}
