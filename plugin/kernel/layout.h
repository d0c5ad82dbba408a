#pragma once
// The kernel workspace layout: field tables read from the kernel data file, checked against the target
// by LoadKernelWorkspace, and the field accessors through which every reader reads field k of a kernel
// structure at an address.

#include "sdk/kerneldata/kernel_data_format.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace kernel {

// One kernel structure: for each field its offset from the start and its size, in address units.
struct LayoutTable {
    std::vector<int32_t> offsets;
    std::vector<int32_t> sizes;
    bool present() const { return !offsets.empty(); }
    int count() const { return static_cast<int>(offsets.size()); }
};

// The object classes of the target kernel, in the order of their layout entries in the data file.
using kerneldata::ObjectKind;
using kerneldata::kObjectKindCount;
using kerneldata::kClassSlots;     // class numbers 0..13
using kerneldata::kHeaderEntries;

// Status codes of LoadKernelWorkspace (1 to 4 are also passed on from the image load).
enum LoadStatus : int {
    LoadOk = 0,
    LoadCannotOpen = 1,
    LoadBadPort = 2,          // also: the file is not an S-record file
    LoadBadFormat = 3,        // also: a read error in the file
    LoadVersionMismatch = 4,  // also: no memory for the image
    LoadNoMemory = 5,
    LoadAnchorMisaligned = 6,
    LoadAnchorInvalid = 7,
    LoadAnchorNull = 8,
    LoadKwsMisaligned = 9,
    LoadKwsInvalid = 10,
    LoadSyspropNull = 11,
    LoadSyspropMisaligned = 12,
    LoadSyspropInvalid = 13,
};

// The 12 unit sizes of the data file, in order.
enum UnitSize : int {
    StackUnit = 0, Alignment = 1, PointerSize = 2, DynamicRecordSize = 5, WaitNodeSize = 6, WaitListBias = 8,
};

struct KwsDescriptor {
    LayoutTable header;
    uint16_t portCode = 0;
    uint32_t version = 0;
    uint32_t value2 = 0, value3 = 0, value4 = 0, value5 = 0, value7 = 0;
    uint32_t pointerBase = 0;
    uint32_t kwsSize = 0;
    uint32_t kwsAddress = 0;
    LayoutTable kws;                                   // entry 10, 32 fields
    LayoutTable classEntry;                            // entry 11, 11 fields
    std::array<LayoutTable, kObjectKindCount> objects; // entries 12..24, configured classes only
    LayoutTable envelope;                              // entry 31, with the mailbox class
    LayoutTable waitNode;                              // entry 25
    LayoutTable sysprop;                               // entry 26
    LayoutTable contextSlots;                          // entry 27
    LayoutTable dynamicObject;                         // entry 29
    LayoutTable waitHeader;                            // entry 30
    LayoutTable traceControl;                          // entry 35
    LayoutTable serviceEntry;                          // entry 36
    LayoutTable servicesTable;                         // entry 37
    LayoutTable traceSegment;                          // entry 38
    LayoutTable traceList;                             // entry 39
    std::array<LayoutTable, 6> unused;                 // entries 40, 41, 42, 44, 45, 46
    uint16_t stackFillPattern = 0;                     // entry 33
    uint32_t entry43 = 0;
};

// Loads the layout from the kernel data file (loadFile non-zero: `path` into image slot 1 first; 0:
// from the current read source) at `base`, and checks it against the target through the anchor
// variable at `anchor` (0: the data file's default). Returns a LoadStatus. Whatever happens, the
// target is the read source afterwards when loadFile was set.
int LoadKernelWorkspace(int loadFile, const std::string& path, uint32_t base, uint32_t anchor);
// Releases the layout, the class records and the cached kernel values. The images stay.
void FreeKernelWorkspace();

// The loaded descriptor, or null.
const KwsDescriptor* GetKwsDescriptor();
uint16_t GetPortCode();
uint32_t GetKwsAddress();
uint32_t GetAnchorAddress();
uint32_t GetStackGrowthFlag();
int32_t GetUnitSize(int index);            // entry 28 value, 0 outside 0..11
// The kernel's class number of a kind (entry 32), or -1 when it is outside 0..13.
int GetClassNumber(ObjectKind kind);
int32_t GetWordUnits();
int32_t GetTableEntryUnits();
int32_t GetLoadedUnitWidth();
int32_t GetContextSlotCount();
const std::vector<uint32_t>& GetPortExtras();
// The address of the inline class table (KWS field 11), as found by the loader.
uint32_t GetClassTableAddress();
// The base address the data file was loaded at.
uint32_t GetDataFileBase();

// The six cached system-properties words (all 0 before a load reads them).
const std::array<uint32_t, 6>& GetSystemPropertiesWords();
bool HasSystemProperties();
// The cached kernel workspace values (27 words).
std::array<uint32_t, 27>& KernelWorkspaceValues();
// Which of them were read from the target (the loader reads some, ReadKernelInfo all): a word never read
// holds no value.
std::bitset<27>& KernelWorkspaceWordsRead();

// Field access by size in units (n = unit width x size): 1, 2, 3 (24 bits), 4 or 6 (32 bits); any other
// size reads 0 and writes nothing.
uint32_t ReadTargetField(uint32_t address, int32_t size, bool isSigned);
bool WriteTargetField(uint32_t address, int32_t size, bool isSigned, uint32_t value);
uint32_t ReadTargetPointer(uint32_t address, int32_t size);
bool WriteTargetPointer(uint32_t address, int32_t size, uint32_t value);
// Reads `count` (offset, size) pairs at address.
void ReadFieldTable(uint32_t address, LayoutTable& table, int count);

// Field k of a structure at `address`: 0 when the table lacks the field.
uint32_t ReadField(const LayoutTable& table, int field, uint32_t address);
// The same, sign-extended from the field's width.
int32_t ReadSignedField(const LayoutTable& table, int field, uint32_t address);
uint32_t ReadPointerField(const LayoutTable& table, int field, uint32_t address);
// A pointer marked as counting 2-byte words on port 8: doubled there.
uint32_t ReadWordPointerField(const LayoutTable& table, int field, uint32_t address);
bool WriteField(const LayoutTable& table, int field, uint32_t address, uint32_t value);
int32_t FieldSize(const LayoutTable& table, int field);
int32_t FieldOffset(const LayoutTable& table, int field);
// Doubles an address on port 8, where target addresses count 2-byte words.
uint32_t PortAddress(uint32_t value);

} // namespace kernel
