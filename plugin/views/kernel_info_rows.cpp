#include "plugin/views/kernel_info_rows.h"

#include "plugin/views/windows/class_counts.h"

#include "plugin/kernel/kernel_info.h"
#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/text_utils.h"

namespace views {
namespace {

std::string hex8(uint32_t value) { return kernel::HexText(value, 8, true, true); }
std::string hex4(uint32_t value) { return kernel::HexText(value, 4, true, true); }
std::string dec(uint32_t value) { return kernel::DecimalText(static_cast<int32_t>(value)); }

} // namespace

std::vector<KernelInfoRow> BuildKernelInfoRows()
{
    kernel::KernelProperties props{};
    kernel::GetSystemProperties(props);
    kernel::KernelInfo kws{};
    std::bitset<27> read;
    const bool whole = kernel::ReadKernelInfo(kws, &read);
    // A workspace word never read from the target is no value: it says so.
    auto word = [&](std::size_t w, std::string (*text)(uint32_t)) { return read[w] ? text(kws[w]) : kStackNotRead; };
    kernel::DataFileHeader header;
    kernel::ReadDataFileHeader(header);
    kernel::ClassCounts exceptions{};
    if (kernel::IsExceptionClassConfigured())
        kernel::EnsureExceptionClassRecord();
    kernel::GetExceptionCounts(exceptions);

    const uint32_t version = props[1];
    const uint32_t stackEnd = props[4];
    const uint32_t stackSize = props[5];

    std::vector<KernelInfoRow> rows;
    rows.emplace_back("Anchor address", hex8(kernel::GetAnchorAddress()));
    rows.emplace_back("Anchor contents", hex8(kernel::GetKwsAddress()));
    rows.emplace_back("Address of SYSPROP structure", word(22, hex8));
    rows.emplace_back("Kernel version", hex4(version & 0xFFFF));
    rows.emplace_back("User version", hex4(version >> 16));
    rows.emplace_back("System RAM base address", hex8(props[2]));
    rows.emplace_back("System RAM size", dec(props[3]));
    rows.emplace_back("Free system RAM", word(21, dec));
    if (stackSize != 0 && stackEnd != 0) {
        uint32_t base = kernel::GetStackGrowthFlag() == 0 ? stackEnd - stackSize : stackEnd;
        rows.emplace_back("Kernel stack base address", hex8(base));
        rows.emplace_back("Kernel stack size", dec(stackSize));
        rows.emplace_back("Scheduling mode", read[24] ? dec(kws[24]) + " (" + (kws[24] != 0 ? "Disabled" : "Enabled") + ")"
                                                      : std::string(kStackNotRead));
    }
    rows.emplace_back("Current interrupt nesting level", word(0, dec));
    if ((exceptions[0] & 0x8) != 0)
        rows.emplace_back("Maximum interrupt nesting level", word(4, dec));
    rows.emplace_back("Clock rate (Hz)", kernel::DecimalText(static_cast<int16_t>(header.entry2)));
    if (!whole)
        rows.emplace_back(kKernelValuesNotRead, "");
    return rows;
}

} // namespace views
