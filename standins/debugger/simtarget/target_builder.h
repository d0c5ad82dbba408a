#pragma once
// Builds a simulated target: the kernel data file, the second image, target memory and the symbols,
// all agreeing with each other, as a kernel build and a running kernel would leave them. With a non-zero
// seed the field offsets, the header cells and the class numbers are shuffled, so readers that assume a
// fixed layout fail.

#include "sdk/kerneldata/kernel_data_format.h"
#include "standins/debugger/simtarget/sim_memory.h"

#include <array>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace simtarget {

using kerneldata::ObjectKind;
using kerneldata::kObjectKindCount;
using kerneldata::kClassSlots;

// A kernel structure as the data file describes it: each field's offset and size, in bytes.
struct LayoutTable {
    std::vector<int32_t> offsets;
    std::vector<int32_t> sizes;
    bool present() const { return !offsets.empty(); }
    int count() const { return static_cast<int>(offsets.size()); }
};

// The seeds simtarget-gen documents, 0 to this: the tests build and read a kernel of each.
constexpr uint32_t kDocumentedSeeds = 39;

// What a dynamic slot no object holds keeps: a slot whose object was deleted keeps that object's record and
// name pointer with its in-use field cleared; a kernel that zero-fills its object pools leaves a slot it
// never created all zero, its dynamic record included.
enum class FreeSlot { Stale, NeverWritten };

struct KernelSpec {
    int port = 7;
    bool littleEndian = true;
    uint32_t layoutVersion = 0x0120;
    uint32_t targetVersion = 0x00010123;
    uint32_t seed = 0;              // 0: plain layout; any other shuffles it (1 to kDocumentedSeeds tested)
    std::string symbolPrefix;       // the anchor symbol is prefix + "pKWS"
    uint16_t stackFillPattern = 0x5A5A;
    uint32_t stackGrowth = 0;       // 0: stacks grow toward lower addresses
    uint16_t levels = 8;            // data-file entry 3
    uint16_t clockRate = 1000;      // data-file entry 2
    uint32_t kernelStackSize = 512;
    uint32_t kernelStackUsed = 96;
    int32_t nameLength = 15;        // the classes' name length unless addClass gives one
    uint32_t traceSegments = 4;     // segments of the demo's trace buffer
    FreeSlot freeSlots = FreeSlot::Stale; // what setInUse(..., false) leaves
};

// The structures of the data file, by header entry.
enum class Structure : int {
    Kws = 10, ClassEntry = 11, WaitNode = 25, Sysprop = 26, Context = 27, Dynamic = 29, WaitHeader = 30,
    Envelope = 31, TraceControl = 35, ServiceEntry = 36, ServicesTable = 37, Segment = 38, TraceList = 39,
};

struct GeneratedTarget {
    std::vector<MemoryBlock> dataFile;    // image at base 0
    std::vector<MemoryBlock> secondImage; // image at base 0
    std::vector<MemoryBlock> memory;      // target memory
    std::map<std::string, uint32_t> symbols;
    uint32_t anchor = 0;
    uint32_t kws = 0;
};

class TargetBuilder {
public:
    explicit TargetBuilder(const KernelSpec& spec);

    const KernelSpec& spec() const { return m_spec; }
    SimMemory& memory() { return m_memory; }
    SimMemory& secondImage() { return m_second; }
    uint32_t pointerSize() const { return 4; }
    uint32_t waitNodeSize() const { return m_waitNodeSize; }
    uint32_t dynamicRecordSize() const { return m_dynamicRecordSize; }
    uint32_t waitListBias() const { return m_waitListBias; }
    uint32_t kwsAddress() const { return m_kws; }
    uint32_t contextSize() const { return m_contextSize; }
    int contextSlots() const { return m_contextSlots; }

    // A layout table of the data file.
    const LayoutTable& layout(Structure s) const;
    const LayoutTable& objectLayout(ObjectKind kind) const;
    int classNumber(ObjectKind kind) const { return m_classNumbers[static_cast<std::size_t>(kind)]; }

    // Reserves zero-filled target memory.
    uint32_t allocate(uint32_t size, uint32_t align = 4);
    // A pointer value as stored in the target: halved on port 8 when `wordPointer`.
    uint32_t stored(uint32_t address, bool wordPointer) const;

    // Configures a class (absent classes are not in the configuration word). Objects 1 to staticCount are
    // static, the next dynamicCount dynamic (in use unless setInUse says otherwise). nameLength 0: names
    // are not kept; below 0: the KernelSpec's. Task and thread records hold their own numbers, as the kernel
    // writes them into the records of the objects it holds.
    void addClass(ObjectKind kind, uint32_t staticCount, uint32_t dynamicCount, uint32_t attributes,
                  int32_t nameLength = -1);
    bool hasClass(ObjectKind kind) const { return m_classes.count(kind) != 0; }
    uint32_t objectAddress(ObjectKind kind, uint32_t n) const;
    uint32_t objectCount(ObjectKind kind) const;
    // Names: static ones in the pool (cut to the name length), dynamic ones behind the record's pointer
    // (an empty name stores a null pointer).
    void setName(ObjectKind kind, uint32_t n, const std::string& name);
    // A dynamic object created (in use) or freed; a freed slot keeps what the KernelSpec's freeSlots says,
    // so a slot never created is freed after its neighbours are built.
    void setInUse(ObjectKind kind, uint32_t n, bool inUse);
    // A field of an object: written with the field's size; `wordPointer` halves it on port 8.
    void setField(ObjectKind kind, uint32_t n, int field, uint32_t value, bool wordPointer = false);
    uint32_t field(ObjectKind kind, uint32_t n, int field) const;
    // A field of any structure at an address.
    void setStructField(Structure s, uint32_t address, int field, uint32_t value, bool wordPointer = false);
    void setStructField(const LayoutTable& t, uint32_t address, int field, uint32_t value, bool wordPointer = false);
    uint32_t structField(const LayoutTable& t, uint32_t address, int field) const;
    void setKwsField(int field, uint32_t value, bool wordPointer = false);
    void setSyspropField(int field, uint32_t value);
    // Removes a class's table pointer (configured but absent).
    void clearClassPointer(ObjectKind kind);
    // Sets the size of one field of a structure (before objects use it), e.g. a 2-byte accumulator.
    void setFieldSize(ObjectKind kind, int field, int32_t size);

    GeneratedTarget build();

    uint32_t configurationWord() const;

private:
    struct ClassInfo {
        uint32_t attributes = 0, staticCount = 0, dynamicCount = 0;
        int32_t nameLength = 0;
        uint32_t entry = 0, base = 0, pool = 0, dynamicArea = 0;
        int32_t stride = 0;
    };
    // The bytes the workspace's fields cover, the inline class table whole.
    uint32_t kwsExtent() const;
    LayoutTable makeLayout(int fields, const std::vector<int32_t>& sizes = {}, const LayoutTable* prefix = nullptr,
                           std::vector<int32_t> spans = {});
    void writeDataFile(SimMemory& image);

    KernelSpec m_spec;
    std::mt19937 m_random;
    bool m_shuffle;
    SimMemory m_memory;
    SimMemory m_second;
    std::map<int, LayoutTable> m_layouts;                 // by header entry
    std::array<int, kObjectKindCount> m_classNumbers{};
    std::map<ObjectKind, ClassInfo> m_classes;
    uint32_t m_next = 0;      // bump allocator
    uint32_t m_limit = 0;
    uint32_t m_anchor = 0, m_kws = 0, m_sysprop = 0;
    uint32_t m_dynamicRecordSize = 0;
    uint32_t m_waitNodeSize = 0, m_waitListBias = 0, m_contextSize = 0;
    int m_contextSlots = 0;
};

// Writes z5data.<ext>, i2data.<ext>, target.srec and target.sym into `folder`. Returns false and
// fills `error` when a file cannot be written.
bool WriteTargetFiles(const GeneratedTarget& target, const std::string& folder, const std::string& ext,
                      std::string& error);

} // namespace simtarget
