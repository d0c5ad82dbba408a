#pragma once
// The kernel data engine's only way to the target: a port that reads and writes target memory and
// looks up symbols. The plug-in object supplies the production port (an adapter over the debugger's
// memory access); tests supply a fake memory. The engine never sees the debugger itself.

#include <cstdint>
#include <optional>
#include <string>

namespace kernel {

class TargetPort {
public:
    virtual ~TargetPort() = default;

    // Reads `count` bytes at target address `address` (memory zone 0) into `buffer`. Returns false when
    // any byte could not be read; the buffer is then all zero, never stale. A count of 0 reads nothing
    // and succeeds.
    virtual bool read(uint32_t address, uint32_t count, uint8_t* buffer) = 0;

    // Writes `count` bytes from `buffer` at `address` (memory zone 0). Returns false on failure.
    virtual bool write(uint32_t address, uint32_t count, const uint8_t* buffer) = 0;

    // The low 32 bits of the address of the named symbol, or nothing when the debugger does not know
    // it (or knows it without a location).
    virtual std::optional<uint32_t> symbolAddress(const std::string& name) = 0;
};

// Installs the port the engine reads through (not owned; null removes it). The plug-in object installs
// its adapter when it is created and removes it before it is destroyed. Returns the previous port.
TargetPort* SetTargetPort(TargetPort* port);
// The installed port, or null.
TargetPort* GetTargetPort();

} // namespace kernel
