#include "plugin/kernel/kernel_info.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/stack_scan.h"
#include "plugin/kernel/target_access.h"

namespace kernel {

void GetSystemProperties(KernelProperties& out)
{
    out.fill(0);
    if (!HasSystemProperties())
        return;
    const auto& sp = GetSystemPropertiesWords();
    out = {sp[0], sp[1], sp[2], sp[3], KernelWorkspaceValues()[1], sp[5]};
}

void ReadDataFileHeader(DataFileHeader& out)
{
    out = DataFileHeader{};
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d || d->header.count() < 10)
        return;
    ReadSourceScope image(kKernelDataSlot);
    uint32_t values[10];
    for (int e = 0; e < 10; ++e)
        values[e] = ReadTargetField(GetDataFileBase() + static_cast<uint32_t>(FieldOffset(d->header, e)),
                                    FieldSize(d->header, e), false);
    out.portCode = static_cast<uint16_t>(values[0]);
    out.kernelVersion = values[1];
    out.entry2 = static_cast<uint16_t>(values[2]);
    out.entry3 = static_cast<uint16_t>(values[3]);
    out.entry4 = static_cast<uint16_t>(values[4]);
    out.entry5 = static_cast<uint16_t>(values[5]);
    out.entry6 = values[6];
    out.entry7 = values[7];
    out.entry8 = values[8];
    out.entry9 = static_cast<uint16_t>(values[9]);
}

bool ReadKernelInfo(KernelInfo& out, std::bitset<27>* read)
{
    out.fill(0);
    if (read != nullptr)
        read->reset();
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d || d->kwsAddress == 0)
        return true;
    ReadSourceScope target(kTargetSource);
    const KernelInfo held = KernelWorkspaceValues();
    std::bitset<27>& known = KernelWorkspaceWordsRead();
    bool whole = true;
    for (int word = 0; word < 27; ++word) {
        const auto w = static_cast<std::size_t>(word);
        const int field = word == 0 ? 0 : word == 1 ? 1 : word + 1;
        const uint64_t failures = TargetReadFailures();
        uint32_t value = ReadField(d->kws, field, d->kwsAddress);
        const bool pointer = (word >= 9 && word <= 19) || word == 22 || word == 23 || word == 25 || word == 26;
        if (TargetReadFailures() != failures) {
            whole = false;
            out[w] = held[w]; // a refused read never replaces the value held
            continue;
        }
        out[w] = pointer ? PortAddress(value) : value;
        known.set(w);
    }
    KernelWorkspaceValues() = out;
    if (read != nullptr)
        *read = known;
    return whole;
}

KernelStackSpare GetKernelStackSpare()
{
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d || !HasSystemProperties())
        return {};
    const uint32_t size = GetSystemPropertiesWords()[5];
    const int32_t unit = GetUnitSize(StackUnit);
    if (unit <= 0)
        return {};
    const uint32_t u = static_cast<uint32_t>(unit);
    uint32_t n = size / u;
    const uint32_t end = KernelWorkspaceValues()[1];
    const bool up = GetStackGrowthFlag() == 0;
    uint32_t address = up ? end - size : end + size - u;
    if (GetPortCode() == 4 && n > 0) {
        --n;
        address = up ? address + u : address - u;
    }
    ReadSourceScope target(kTargetSource);
    const FillScan scan = CountFillUnits(address, n, unit, !up, d->stackFillPattern);
    return {u * scan.units, scan.end};
}

bool TargetReadsRefused()
{
    const KwsDescriptor* d = GetKwsDescriptor();
    if (!d || d->kwsAddress == 0)
        return false;
    // Asked of the target itself: the byte may be known from before the target began to refuse.
    return !ProbeTargetRead(d->kwsAddress);
}

} // namespace kernel
