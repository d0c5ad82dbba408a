#pragma once
// The kernel's service trace: the trace control block (mode, per-service flags), the recorded trace data
// in the target's buffer segments, and the services table of the second image.

#include <cstdint>
#include <string>
#include <vector>

namespace kernel {

struct ServiceEntry {
    uint32_t number = 0;
    std::string name; // at most 31 characters
    uint32_t value3 = 0;
    uint32_t value4 = 0;
};

// Trace modes run from 0; GetTraceMode answers this without a workspace or control block.
constexpr uint32_t kTraceModeNone = 4;

int IsTraceAvailable();
uint32_t GetTraceMode();
void SetTraceMode(uint32_t mode);
// The flag of a service number (0 beyond the highest number or without a flag array).
uint32_t ReadServiceTraceFlag(uint32_t number);
void WriteServiceTraceFlags(uint32_t count, const uint32_t* numbers, const uint32_t* flags);
uint32_t ReadServiceCount();
// Clears `out`; fills it for 1 <= n <= the services count.
void ReadServiceEntry(uint32_t n, ServiceEntry& out);
uint32_t GetTraceDataSize();
// Why the trace cannot be uploaded or reset as its control block gives it (more segments than are
// followed, segment tables that cannot be read, more data than one upload takes); empty when it can.
std::string TraceRefusal();
// Copies the recorded trace (filled lists, then the active segment) and resets the target's buffer. On
// success returns true and the bytes (possibly none); when the data cannot be read or stored, returns
// false, says why in `why` (when given) and leaves the target's buffer as it was.
bool UploadTraceData(std::vector<uint8_t>& out, std::string* why = nullptr);
void ResetTraceBuffer();

} // namespace kernel
