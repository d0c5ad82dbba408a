#include "plugin/kernel/target_access.h"

#include "plugin/kernel/memory_image.h"
#include "plugin/kernel/read_cache.h"
#include "plugin/kernel/target_port.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace kernel {
namespace {

// The port is installed and removed by the plug-in object on the debugger's threads and used by the
// readers on the GUI thread: every use holds the lock, so removing the port waits for a read in
// progress and no read reaches a port that is gone.
std::mutex g_portMutex;
TargetPort* g_port = nullptr;
uint32_t g_littleEndian = 0;
int32_t g_unitWidth = 3;
uint64_t g_readFailures = 0;
ReadCache g_cache; // guarded by g_portMutex

bool cachedRead(uint32_t address, uint32_t count, uint8_t* buffer)
{
    return g_cache.read(address, count, buffer,
                        [](uint32_t at, uint32_t n, uint8_t* out) { return g_port->read(at, n, out); });
}

bool portRead(uint32_t address, uint32_t count, uint8_t* buffer)
{
    if (count == 0)
        return true;
    std::memset(buffer, 0, count);
    bool ok = false;
    std::unique_lock lock(g_portMutex);
    if (g_port)
        ok = cachedRead(address, count, buffer); // a failure leaves the buffer zero, never stale
    lock.unlock();
    if (!ok)
        ++g_readFailures;
    return ok;
}

bool portWrite(uint32_t address, uint32_t count, const uint8_t* buffer)
{
    if (count == 0)
        return true;
    std::lock_guard lock(g_portMutex);
    if (!g_port)
        return false;
    const bool ok = g_port->write(address, count, buffer);
    g_cache.written(address, count, buffer, ok);
    return ok;
}

// Reads `count` bytes from the selected source.
bool readSelected(uint32_t address, uint32_t count, uint8_t* buffer)
{
    const int slot = GetSelectedMemoryImage();
    if (slot == kTargetSource)
        return portRead(address, count, buffer);
    return ReadImageBytes(slot, address, count, buffer);
}

uint32_t readSelectedValue(uint32_t address, int count)
{
    uint8_t bytes[4] = {};
    readSelected(address, static_cast<uint32_t>(count), bytes);
    return AssembleValue(bytes, count, g_littleEndian != 0);
}

uint32_t readTargetValue(uint32_t address, int count)
{
    uint8_t bytes[4] = {};
    portRead(address, static_cast<uint32_t>(count), bytes);
    return AssembleValue(bytes, count, g_littleEndian != 0);
}

bool writeTargetValue(uint32_t address, int count, uint32_t value)
{
    uint8_t bytes[4] = {};
    StoreValue(bytes, count, value, g_littleEndian != 0);
    return portWrite(address, static_cast<uint32_t>(count), bytes);
}

} // namespace

TargetPort* SetTargetPort(TargetPort* port)
{
    std::lock_guard lock(g_portMutex);
    TargetPort* previous = g_port;
    g_port = port;
    g_cache.clear();
    return previous;
}

TargetPort* GetTargetPort()
{
    std::lock_guard lock(g_portMutex);
    return g_port;
}

void SetLittleEndian(uint32_t littleEndian) { g_littleEndian = littleEndian; }
uint32_t GetLittleEndian() { return g_littleEndian; }
void SetAddressUnitWidth(int32_t width) { g_unitWidth = width; }
int32_t GetAddressUnitWidth() { return g_unitWidth; }
void SetAddressUnitBits(int32_t bits) { g_unitWidth = bits / 8; }

int BindTargetAccess() { return 1; }

bool IsTargetAddressValid(uint32_t address)
{
    std::lock_guard lock(g_portMutex);
    if (!g_port)
        return true;
    uint8_t probe = 0;
    return cachedRead(address, 1, &probe);
}

uint32_t AssembleValue(const uint8_t* bytes, int count, bool littleEndian)
{
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) {
        const int index = littleEndian ? count - 1 - i : i;
        value = (value << 8) | bytes[index];
    }
    return value;
}

void StoreValue(uint8_t* bytes, int count, uint32_t value, bool littleEndian)
{
    for (int i = 0; i < count; ++i) {
        const uint8_t b = static_cast<uint8_t>(value >> (8 * i));
        bytes[littleEndian ? i : count - 1 - i] = b;
    }
}

uint8_t ReadTarget8(uint32_t address) { return static_cast<uint8_t>(readTargetValue(address, 1)); }
uint16_t ReadTarget16(uint32_t address) { return static_cast<uint16_t>(readTargetValue(address, 2)); }
uint32_t ReadTarget32(uint32_t address) { return readTargetValue(address, 4); }
uint32_t ReadTargetUnit(uint32_t address) { return readTargetValue(address, 1); }

bool ReadTargetBlock(uint32_t address, uint32_t count, uint8_t* buffer)
{
    return portRead(address, count, buffer);
}

bool ProbeTargetRead(uint32_t address)
{
    std::lock_guard lock(g_portMutex);
    uint8_t byte = 0;
    return !g_port || g_port->read(address, 1, &byte);
}

bool ReadTargetStringBlock(uint32_t address, uint32_t count, uint8_t* buffer)
{
    if (count != 0)
        buffer[0] = 0;
    return portRead(address, count, buffer);
}

bool WriteTarget8(uint32_t address, uint8_t value) { return writeTargetValue(address, 1, value); }
bool WriteTarget16(uint32_t address, uint16_t value) { return writeTargetValue(address, 2, value); }
bool WriteTarget32(uint32_t address, uint32_t value) { return writeTargetValue(address, 4, value); }

bool WriteTargetBlock(uint32_t address, uint32_t count, const uint8_t* buffer)
{
    return portWrite(address, count, buffer);
}

void SwapTargetBytes(uint8_t* buffer, int32_t length)
{
    if (buffer && length > 0 && g_littleEndian == 0)
        std::reverse(buffer, buffer + length);
}

uint64_t TargetReadFailures() { return g_readFailures; }

void DropTargetReadCache()
{
    std::lock_guard lock(g_portMutex);
    g_cache.clear();
}

uint64_t TargetReadGeneration()
{
    std::lock_guard lock(g_portMutex);
    return g_cache.generation();
}

uint32_t ReadValueUnit(uint32_t address) { return readSelectedValue(address, 1); }
uint8_t ReadValue8(uint32_t address) { return static_cast<uint8_t>(readSelectedValue(address, 1)); }
uint16_t ReadValue16(uint32_t address) { return static_cast<uint16_t>(readSelectedValue(address, 2)); }

uint32_t ReadValue24(uint32_t address, bool isSigned)
{
    uint32_t value = readSelectedValue(address, 3);
    if (isSigned && (value & 0x800000u))
        value |= 0xFF000000u;
    return value;
}

uint32_t ReadValue32(uint32_t address) { return readSelectedValue(address, 4); }

int32_t ReadTableEntry(uint32_t address)
{
    return static_cast<int16_t>(readSelectedValue(address, 2));
}

bool ReadValueBlock(uint32_t address, uint32_t count, uint8_t* buffer)
{
    return readSelected(address, count, buffer);
}

bool ReadValueString(uint32_t address, uint32_t maximum, char* buffer)
{
    auto* bytes = reinterpret_cast<uint8_t*>(buffer);
    const int slot = GetSelectedMemoryImage();
    bool ok = true;
    // Unit by unit up to the terminator: the debugger reads one byte per call anyway, and a string
    // stops at its first byte that cannot be read instead of trying every byte after it.
    uint32_t i = 0;
    for (; i < maximum; ++i) {
        ok = slot == kTargetSource ? portRead(address + i, 1, bytes + i) : ReadImageBytes(slot, address + i, 1, bytes + i);
        if (!ok || bytes[i] == 0)
            break;
    }
    bytes[i] = 0;
    return ok;
}

bool ReadTargetBytes(uint32_t count, uint32_t address, uint8_t* buffer)
{
    return ReadValueBlock(address, count, buffer);
}

bool WriteValue8(uint32_t address, uint32_t value) { return writeTargetValue(address, 1, value); }
bool WriteValue16(uint32_t address, uint32_t value) { return writeTargetValue(address, 2, value); }
bool WriteValue24(uint32_t address, uint32_t value) { return writeTargetValue(address, 3, value); }
bool WriteValue32(uint32_t address, uint32_t value) { return writeTargetValue(address, 4, value); }

void ResetTargetAccess()
{
    g_littleEndian = 0;
    g_unitWidth = 3;
}

} // namespace kernel
