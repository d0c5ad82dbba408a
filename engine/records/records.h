#pragma once
// The project held in memory: fixed-layout records that every reader, writer, editor, the footprint
// estimator and the code-generator library work on directly. Field order is part of the library
// interface, so each record lists exactly its fields in order, naturally aligned.
//
// Conventions:
// - Integers are 32-bit; flags are 32-bit words holding 0 or 1.
// - Texts are fixed, zero-terminated character arrays (see text_field.h to fill and read them).
// - A counted array is a 32-bit count followed by a pointer to a block from malloc/realloc; the count is
//   0 and the pointer null when empty; the parent owns the block.
// - A record shown in a tree starts with a 32-bit tree item id (0 when not shown); it is run-time only,
//   never written to a file, never compared, and copied with the record.
// - Pointer-free rows and data blocks have a fixed byte size, checked below; records that hold pointers
//   are never compared or copied as raw bytes.
//
// This header depends on nothing but the standard library and the plain footprint counters: the
// code-generator library builds against it.

#include <cstdint>

#include "engine/footprint/memory_footprint.h"  // plain four-word counters, no further dependencies

namespace engine {

class SectionedFile;
class UserTextStore;

constexpr int kNameSize = 128;          // names, descriptions, labels, expressions
constexpr int kPathSize = 260;          // file paths and file extensions
constexpr int kCommandSize = 1024;      // utility script command lines
constexpr int kAttributeBitCount = 32;  // named attribute bits of a kernel record
constexpr int kMaxExtendedContexts = 4;
constexpr int kMaxTaskAttributes = 4;

using NameText = char[kNameSize];

// ---------------------------------------------------------------------------------------------------
// Configuration

struct ModelEntry {
    char name[kNameSize];
    char path[kPathSize];
};
static_assert(sizeof(ModelEntry) == 388);

// One utility script of the configuration or of a model.
struct ScriptEntry {
    char name[kNameSize];
    char command[kCommandSize];
};
static_assert(sizeof(ScriptEntry) == 1152);

struct ConfigRecord {
    int32_t modelCount;
    ModelEntry* models;
    char helpFile[kPathSize];
    char releaseNotesFile[kPathSize];
    int32_t scriptCount;
    ScriptEntry* scripts;
    SectionedFile* configFile;  // the file as read; owned
};

// ---------------------------------------------------------------------------------------------------
// Kernel record and its rows

struct ExtendedContextRow {
    char name[kNameSize];
    char structName[kNameSize];
    char variableName[kNameSize];
    char description[kNameSize];
    char abbreviation[kNameSize];
    int32_t taskDefault;         // flag a new task's extended context entry takes
    int32_t applicationDefault;  // flag a new application takes
};
static_assert(sizeof(ExtendedContextRow) == 648);

struct TaskAttributeRow {
    char name[kNameSize];
    char enabledName[kNameSize];
    char disabledName[kNameSize];
    char maskName[kNameSize];
    int32_t defaultEnable;
};
static_assert(sizeof(TaskAttributeRow) == 516);

struct ModelOptionRow {
    char sectionName[kNameSize];
    char name[kNameSize];
    char tag[kNameSize];
    int32_t hasValue;  // 1: the option carries a number; 0: an on/off option
    int32_t defaultValue;
    int32_t base;
    int32_t minimum;
    int32_t maximum;
    int32_t shown;
    int32_t variantMask;
    int32_t forApplications;  // set by each application; not stored in the kernel file
    int32_t value;
    int32_t state;
    int32_t overrideBinary;
    char toolTip[kNameSize];
};
static_assert(sizeof(ModelOptionRow) == 556);

struct KernelServiceRow {
    char name[kNameSize];
    char sectionName[kNameSize];
    int32_t state;
    int32_t enabled;
    int32_t mp;
    int32_t local;
    int32_t incoming;
    int32_t outgoing;
};
static_assert(sizeof(KernelServiceRow) == 280);

struct KernelClassAttribute {
    char name[kNameSize];
    char tag[kNameSize];
    int32_t attributeBits;
    int32_t size;
    int32_t alignment;
    int32_t childCount;
    KernelClassAttribute* children;
    int32_t serviceCount;
    KernelServiceRow* services;  // the attribute's options
    int32_t variantMask;
    int32_t needsCount;
    NameText* needs;
    int32_t shown;
    int32_t available;
    int32_t selected;
};

struct KernelClassRecord {
    int32_t classType;
    char name[kNameSize];
    char pluralName[kNameSize];
    char tag[kNameSize];
    int32_t size;
    int32_t sizeInRom;
    int32_t statisticsSize;
    int32_t diagnosticsSize;
    int32_t traceSize;
    int32_t maximum;
    int32_t maximumPerParent;
    int32_t attributeCount;
    KernelClassAttribute* attributes;
    int32_t serviceCount;
    KernelServiceRow* services;
    int32_t variantMask;
    int32_t needsCount;
    NameText* needs;
    char rootName[kNameSize];
    char attrib0[kNameSize];
    char attrib1[kNameSize];
    char headerRoot[kNameSize];
    char compressedName[kNameSize];
    int32_t pluralEs;
    int32_t available;
    int32_t selected;
};

// One CPU's kernel build options: the model's defaults overlaid by the kernel (CPU) file.
struct KernelRecord {
    int32_t modelIndex;  // row of the configuration's models
    char kernelPath[kPathSize];
    char modelVersion[kNameSize];
    char osName[kNameSize];
    char modelName[kNameSize];
    char codeGeneratorLibrary[kNameSize];
    int32_t minKernelStackSize;
    int32_t maxKernelStackSize;
    int32_t defaultAlignment;
    int32_t hasCeiling;
    int32_t hasOrigin;
    int32_t minIsrLevel;
    int32_t maxIsrLevel;
    int32_t minIsrVector;
    int32_t maxIsrVector;
    int32_t mode;  // kernel type word
    int32_t taskStackModulus;
    int32_t taskStackModulus2;  // read from the same key; always equals taskStackModulus
    char sizeUnitName[kNameSize];
    int32_t featureMask;  // multiprocessor feature word
    int32_t maxQueueWidth;
    int32_t maxQueueDepth;
    char cSourceExtension[kPathSize];
    char cHeaderExtension[kPathSize];
    char asmSourceExtension[kPathSize];
    char asmHeaderExtension[kPathSize];
    int32_t externConst;
    int32_t outputTaskAttributes;
    int32_t generateDosFiles;
    int32_t defaultServiceLocal;
    int32_t defaultServiceOutgoing;
    int32_t defaultServiceIncoming;
    int32_t scalableKernel;
    int32_t bindingNumber;
    int32_t extendedContextCount;  // 0 to 4
    ExtendedContextRow extendedContexts[kMaxExtendedContexts];  // rows past the count are zero
    char contextIncludeFile[kPathSize];
    int32_t enableStatistics;
    int32_t enableTrace;
    int32_t enableDiagnostics;
    int32_t defaultStatistics;
    int32_t defaultTrace;
    int32_t defaultDiagnostics;
    int32_t minTaskStackSize;
    int32_t maxTaskStackSize;
    int32_t scriptCount;
    ScriptEntry* scripts;
    int32_t defaultFramework;
    int32_t defaultSystemRam;
    int32_t binaryDistribution;
    int32_t reserved;  // always 0
    int32_t modelNumber;
    int32_t taskAttributeCount;  // 0 to 4
    TaskAttributeRow taskAttributes[kMaxTaskAttributes];  // rows past the count are zero
    int32_t enableAlignment;  // the CPU offers the placement option
    int32_t optionCount;
    ModelOptionRow* options;
    int32_t classCount;
    KernelClassRecord* classes;
    char attributeBitNames[kAttributeBitCount][kNameSize];
    int32_t edited;  // CPU edited: the kernel file needs saving
    int32_t hFileDirty;
    int32_t mFileDirty;
    int32_t writable;  // 0 forbids saving the kernel file
    int32_t nameSize;  // default key length
    int32_t enableKernelClock;
    int32_t framework;  // kernel variant mask
};

// ---------------------------------------------------------------------------------------------------
// Project tree

struct CpuRecord;

struct ProjectRecord {
    uint32_t treeItem;
    int32_t expanded;
    int32_t selected;
    int32_t edited;
    char name[kNameSize];
    char description[kNameSize];
    char path[kPathSize];
    int32_t cpuCount;
    CpuRecord* cpus;
    SectionedFile* file;  // the project file as last read or written; owned
};

struct ApplicationRecord;

struct CpuRecord {
    uint32_t treeItem;
    int32_t expanded;
    int32_t selected;
    char name[kNameSize];
    char description[kNameSize];
    KernelRecord kernel;
    int32_t applicationCount;
    ApplicationRecord* applications;
    SectionedFile* kernelFile;  // owned
    SectionedFile* modelFile;   // owned
};

struct ApplicationOption {
    char name[kNameSize];
    int32_t value;
    int32_t state;  // 1 = on
    int32_t overrideBinary;
};
static_assert(sizeof(ApplicationOption) == 140);

struct ApplicationClassEntry;

struct ApplicationRecord {
    uint32_t treeItem;
    int32_t expanded;
    int32_t selected;
    int32_t edited;  // the application file needs saving
    int32_t kernelHDirty;
    int32_t kernelMDirty;
    int32_t projectHDirty;
    int32_t projectCDirty;
    int32_t regenerate;  // run-time mark before code generation; never written
    char name[kNameSize];
    char description[kNameSize];
    char path[kPathSize];  // empty for an application without a file yet
    int32_t optionCount;
    ApplicationOption* options;
    int32_t classEntryCount;
    ApplicationClassEntry* classEntries;
    char codePath[kPathSize];
    char headerPath[kPathSize];
    char optionPath[kPathSize];
    char reportPath[kPathSize];
    int32_t userTrace;
    MemoryFootprint footprint;  // filled by the estimator; never written
    int32_t systemRamAvailable;
    int32_t systemRamManual;
    char systemRamLabel[kNameSize];
    int32_t kernelStackAvailable;
    int32_t kernelStackManual;
    char kernelStackLabel[kNameSize];
    int32_t anchorAddressFixed;
    int32_t anchorAddressLabel;
    int32_t systemClockRateHz;
    int32_t isMp;
    int32_t instances;
    char cSourceExtension[kPathSize];
    char cHeaderExtension[kPathSize];
    char asmSourceExtension[kPathSize];
    char asmHeaderExtension[kPathSize];
    int32_t generateAssemblerCode;
    int32_t generateI2Symbols;
    int32_t generateCppComments;
    int32_t generateUserIsrs;
    int32_t externConst;
    char nodeName[kNameSize];
    UserTextStore* userTexts;  // owned; never null once the record is set up
    int32_t generateDosFiles;
    int32_t userVersion;
    int32_t extendedContext[kMaxExtendedContexts];
    char suffix[kNameSize];
    SectionedFile* file;  // the application file as last read or written; owned
};

struct ObjectRecord;

// One kernel class used by an application. Top-level entries live in the application's array; each
// entry may chain one dependent entry, allocated alone.
struct ApplicationClassEntry {
    int32_t classType;
    int32_t enabled;  // the kernel class is present and selected in the CPU's kernel record
    uint32_t treeItem;
    int32_t merged;  // reserved word; the tree may show this entry on another entry's item
    int32_t expanded;
    int32_t selected;
    char name[kNameSize];
    int32_t statistics;
    int32_t diagnostics;
    int32_t systemTrace;
    int32_t dynamicsAllowed;
    int32_t numberOfDynamics;
    ApplicationClassEntry* chained;  // owned; null when none
    int32_t objectCount;
    ObjectRecord* objects;
    int32_t cFileDirty;
    int32_t hFileDirty;
    int32_t mFileDirty;
    int32_t maxKeyLength;
    MemoryFootprint footprint;  // the class's share, filled by the estimator
};

// One kernel object. Objects of a chained class entry hang under an object of the entry they are
// chained to, as its children.
struct ObjectRecord {
    uint32_t treeItem;
    int32_t expanded;
    int32_t selected;
    char name[kNameSize];
    char description[kNameSize];
    int32_t isMp;
    int32_t traceObject;
    int32_t traceActor;
    void* data;  // class-specific data block; owned; null for classes without one
    int32_t dynamicsAllowed;
    int32_t numberOfDynamics;
    int32_t childCount;
    ObjectRecord* children;
    int32_t enabled;
};

// ---------------------------------------------------------------------------------------------------
// Kernel object classes and their data blocks

enum ClassType : int32_t {
    ClassLevel = 1,
    ClassThread = 2,
    ClassException = 3,
    ClassEventSource = 4,
    ClassCounter = 5,
    ClassAlarm = 6,
    ClassPipe = 7,
    ClassTask = 8,
    ClassSemaphore = 9,
    ClassQueue = 10,
    ClassMailbox = 11,
    ClassPartition = 12,
    ClassMutex = 13,
    ClassSpecialService = 14,
};
constexpr int32_t kFirstClassType = ClassLevel;
constexpr int32_t kLastClassType = ClassSpecialService;

// The class whose objects hang under this class's objects (Level: Thread, Event Source: Counter,
// Counter: Alarm); 0 for every other class.
constexpr int32_t dependentClassType(int32_t classType)
{
    switch (classType) {
    case ClassLevel: return ClassThread;
    case ClassEventSource: return ClassCounter;
    case ClassCounter: return ClassAlarm;
    default: return 0;
    }
}

// The class this class depends on (the inverse of dependentClassType); 0 for an independent class.
constexpr int32_t parentClassType(int32_t classType)
{
    switch (classType) {
    case ClassThread: return ClassLevel;
    case ClassCounter: return ClassEventSource;
    case ClassAlarm: return ClassCounter;
    default: return 0;
    }
}

struct LevelData {
    int32_t schedulingPolicy;
};
static_assert(sizeof(LevelData) == 4);

struct ThreadData {
    char entryPoint[kNameSize];
};
static_assert(sizeof(ThreadData) == 128);

struct ExceptionData {
    int32_t interruptLevel;
    int32_t vectorNumber;
    char isrAddress[kNameSize];
};
static_assert(sizeof(ExceptionData) == 136);

struct CounterData {
    int32_t modulus;
    int32_t systemTimebase;
    int32_t ticksliceCounter;
};
static_assert(sizeof(CounterData) == 12);

struct AlarmData {
    int32_t initialCount;
    int32_t recycleCount;
    char initialExpression[kNameSize];
    char recycleExpression[kNameSize];
};
static_assert(sizeof(AlarmData) == 264);

// Alignment stands before Manual here, after it in QueueData and PartitionData.
struct PipeData {
    int32_t numberOfBuffers;
    char numberOfBuffersExpression[kNameSize];
    int32_t maxBufferSize;
    char maxBufferSizeExpression[kNameSize];
    int32_t alignment;
    int32_t manual;
    char label[kNameSize];
    int32_t suppressBufferAllocation;
};
static_assert(sizeof(PipeData) == 404);

struct TaskData {
    char entryPoint[kNameSize];
    int32_t initialPriority;
    int32_t stackSize;
    int32_t startingOrder;
    int32_t extendedContext[kMaxExtendedContexts];
    int32_t manual;
    char label[kNameSize];
    int32_t attributes[kMaxTaskAttributes];
};
static_assert(sizeof(TaskData) == 304);

struct SemaphoreData {
    int32_t signalType;
    int32_t waitingOrder;
};
static_assert(sizeof(SemaphoreData) == 8);

struct QueueData {
    int32_t width;
    char widthExpression[kNameSize];
    int32_t depth;
    char depthExpression[kNameSize];
    int32_t waitingOrder;
    int32_t manual;
    int32_t alignment;
    char label[kNameSize];
};
static_assert(sizeof(QueueData) == 404);

struct MailboxData {
    int32_t waitingOrder;
};
static_assert(sizeof(MailboxData) == 4);

struct PartitionData {
    int32_t blockSize;
    char blockSizeExpression[kNameSize];
    int32_t numberOfBlocks;
    char numberOfBlocksExpression[kNameSize];
    int32_t waitingOrder;
    int32_t manual;
    int32_t alignment;
    char label[kNameSize];
};
static_assert(sizeof(PartitionData) == 404);

struct MutexData {
    int32_t priorityInversion;
    int32_t waitingOrder;
};
static_assert(sizeof(MutexData) == 8);

// Data block size of a class type; 0 for classes without a block and for numbers outside 1 to 14.
constexpr int32_t objectDataSize(int32_t classType)
{
    switch (classType) {
    case ClassLevel: return sizeof(LevelData);
    case ClassThread: return sizeof(ThreadData);
    case ClassException: return sizeof(ExceptionData);
    case ClassCounter: return sizeof(CounterData);
    case ClassAlarm: return sizeof(AlarmData);
    case ClassPipe: return sizeof(PipeData);
    case ClassTask: return sizeof(TaskData);
    case ClassSemaphore: return sizeof(SemaphoreData);
    case ClassQueue: return sizeof(QueueData);
    case ClassMailbox: return sizeof(MailboxData);
    case ClassPartition: return sizeof(PartitionData);
    case ClassMutex: return sizeof(MutexData);
    default: return 0;
    }
}

// ---------------------------------------------------------------------------------------------------
// Code-generator library call block

enum CodeGeneratorCaller : int32_t { CallerConsole = 0, CallerGui = 1 };
enum CodeGeneratorOperation : int32_t { OperationPrintSystem = 0, OperationGenerateCode = 1 };

struct CodeGeneratorParams {
    int32_t callerKind;   // CodeGeneratorCaller
    const char* version;  // zero-terminated version text
    int32_t operation;    // CodeGeneratorOperation
    int32_t force;        // 1: regenerate everything; 0: only what is marked changed
};

}  // namespace engine
