#pragma once
// A fake target memory for reader tests: mapped regions, a fill pattern for unmapped reads (or a
// failure, as a debugger reports for memory that is not there), symbols, and counters of every call.

#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kernel::test {

class FakeTarget : public TargetPort {
public:
    struct Write {
        uint32_t address;
        std::vector<uint8_t> bytes;
    };

    FakeTarget();
    ~FakeTarget() override;

    // Maps `size` bytes at `address`, filled with `fill`. Regions must not overlap.
    void map(uint32_t address, uint32_t size, uint8_t fill = 0);
    // Maps (when needed) and stores bytes.
    void poke(uint32_t address, const std::vector<uint8_t>& bytes);
    void poke8(uint32_t address, uint8_t value);
    void poke16(uint32_t address, uint16_t value, bool littleEndian);
    void poke32(uint32_t address, uint32_t value, bool littleEndian);
    std::vector<uint8_t> peek(uint32_t address, uint32_t count) const;
    uint32_t peek32(uint32_t address, bool littleEndian) const;
    void defineSymbol(const std::string& name, uint32_t address) { m_symbols[name] = address; }

    // Unmapped reads: fail (zero-filled) when true, else succeed with the fill pattern.
    void setFailUnmapped(bool fail) { DropTargetReadCache(); m_failUnmapped = fail; }
    void setUnmappedFill(uint8_t fill) { DropTargetReadCache(); m_unmappedFill = fill; }
    // Every read fails (as a debugger's while the target runs) until set back.
    void setRefuseReads(bool refuse) { m_refuseReads = refuse; }

    bool read(uint32_t address, uint32_t count, uint8_t* buffer) override;
    bool write(uint32_t address, uint32_t count, const uint8_t* buffer) override;
    std::optional<uint32_t> symbolAddress(const std::string& name) override;

    uint64_t readCalls = 0;
    uint64_t bytesRead = 0;
    std::vector<Write> writes;

private:
    uint8_t* locate(uint32_t address);
    const uint8_t* locate(uint32_t address) const;

    std::map<uint32_t, std::vector<uint8_t>> m_regions; // start -> bytes
    std::map<std::string, uint32_t> m_symbols;
    bool m_failUnmapped = true;
    bool m_refuseReads = false;
    uint8_t m_unmappedFill = 0xEE;
    TargetPort* m_previous = nullptr;
};

} // namespace kernel::test
