#pragma once
// Typed access to target memory: 8-, 16-, 24- and 32-bit values, blocks and strings at target
// addresses, in the target's byte order. Reads go to the target through the installed TargetPort or,
// when one is selected, to a memory image (memory_image.h); writes always go to the target.
// The module also keeps the two target-wide settings every reader depends on: the byte order and the
// address unit width. All calls come from one thread; only the port may be installed and removed from
// another (SetTargetPort waits for a read in progress).

#include <cstddef>
#include <cstdint>

namespace kernel {

// Byte order: 1 = little-endian target, 0 = big-endian target (the initial value).
void SetLittleEndian(uint32_t littleEndian);
uint32_t GetLittleEndian();

// Bytes per target address unit; initially 3. SetAddressUnitBits(bits) sets bits / 8, truncated
// toward zero.
void SetAddressUnitWidth(int32_t width);
int32_t GetAddressUnitWidth();
void SetAddressUnitBits(int32_t bits);

// Binds the primitives to the installed target port (target_port.h). Always succeeds and returns 1.
int BindTargetAccess();

// The address-validity test: a one-byte read through the port must succeed (always true when no
// port is installed, where every read gives 0 anyway).
bool IsTargetAddressValid(uint32_t address);

// Target primitives. A read that fails (or finds no port) gives 0 / a zero-filled buffer and returns
// false where a status is returned; writes without a port are dropped.
uint8_t ReadTarget8(uint32_t address);
uint16_t ReadTarget16(uint32_t address);
uint32_t ReadTarget32(uint32_t address);
uint32_t ReadTargetUnit(uint32_t address);
bool ReadTargetBlock(uint32_t address, uint32_t count, uint8_t* buffer);
// Whether the target gives the byte at `address` now, asked of it past the read cache (nothing is kept;
// a failure is not counted). True without a port.
bool ProbeTargetRead(uint32_t address);
// Stores 0 in the first byte (when count is not 0), then reads as ReadTargetBlock.
bool ReadTargetStringBlock(uint32_t address, uint32_t count, uint8_t* buffer);
bool WriteTarget8(uint32_t address, uint8_t value);
bool WriteTarget16(uint32_t address, uint16_t value);
bool WriteTarget32(uint32_t address, uint32_t value);
bool WriteTargetBlock(uint32_t address, uint32_t count, const uint8_t* buffer);
// Reverses `length` bytes in place on a big-endian target; nothing for a null buffer or length <= 0.
void SwapTargetBytes(uint8_t* buffer, int32_t length);

// Number of failed target reads since the program started. A reader compares it before and after a
// walk to tell "read as 0" from "could not read".
uint64_t TargetReadFailures();

// Target bytes are read once between two runs of the target: each byte read (or found unreadable) is
// kept until the target runs or is written through this module, or another port is installed. The
// owner of the target's run state drops the cache when the target runs or stops.
void DropTargetReadCache();
// Changes whenever the cache is dropped: a value derived from target bytes is good while it is equal.
uint64_t TargetReadGeneration();

// Typed value layer: every read goes to the selected memory image, or to the target when none is
// selected. Values come back as the target's own values.
uint32_t ReadValueUnit(uint32_t address);
uint8_t ReadValue8(uint32_t address);
uint16_t ReadValue16(uint32_t address);
// Three units in the target's byte order, sign-extended from bit 23 when `isSigned`.
uint32_t ReadValue24(uint32_t address, bool isSigned);
uint32_t ReadValue32(uint32_t address);
// A 16-bit layout-table half, sign-extended to 32 bits.
int32_t ReadTableEntry(uint32_t address);
// Copies count bytes; false when they could not all be read (the buffer is then zero-filled).
bool ReadValueBlock(uint32_t address, uint32_t count, uint8_t* buffer);
// Copies a string of at most `maximum` bytes into `buffer`, which holds maximum + 1 bytes, unit by unit
// up to its terminator; it stops at the first unit that cannot be read (and returns false). The result
// is always NUL-terminated within the buffer.
bool ReadValueString(uint32_t address, uint32_t maximum, char* buffer);
// ReadValueBlock with its first two arguments swapped.
bool ReadTargetBytes(uint32_t count, uint32_t address, uint8_t* buffer);

// Writes go to the target only. A 24-bit write writes exactly three bytes.
bool WriteValue8(uint32_t address, uint32_t value);
bool WriteValue16(uint32_t address, uint32_t value);
bool WriteValue24(uint32_t address, uint32_t value);
bool WriteValue32(uint32_t address, uint32_t value);

// Assembles `count` (1 to 4) bytes in the given byte order into a value.
uint32_t AssembleValue(const uint8_t* bytes, int count, bool littleEndian);
// Stores the low `count` (1 to 4) bytes of value in the given byte order.
void StoreValue(uint8_t* bytes, int count, uint32_t value, bool littleEndian);

// Restores the module's settings to their initial values (for tests).
void ResetTargetAccess();

} // namespace kernel
