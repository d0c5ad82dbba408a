/* The boundary between the debugger and the kernel-awareness plug-in.
 *
 * Both sides are built from this header: the plug-in (libOMBA_Z5_Plugin.so) and the stand-in debugger.
 * Everything that crosses the boundary is declared here: the kernel function table and the signatures of
 * its entries, the plug-in's entry table and 39-slot callback table, the 16-bit status codes and the
 * records exchanged by pointer.
 *
 * Records keep their documented field order with natural 64-bit types: pointers are 8 bytes here, so a
 * record that holds a pointer is wider than its 32-bit layout. Sizes are pinned with static asserts.
 * Handles of host objects are 32-bit; 0 means none. Nothing may be thrown across this boundary. */
#ifndef KORVANE_SDK_DEBUGGER_DK_ABI_H
#define KORVANE_SDK_DEBUGGER_DK_ABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Status codes (16-bit; any other non-zero value of the debugger is passed on unchanged) ---- */
enum {
    DK_STATUS_OK = 0,
    DK_STATUS_VERSION_MISMATCH = 0xFFF3,
    DK_STATUS_NO_KERNEL_INTERFACE = 0xFFFE,
    DK_STATUS_FAILURE = 0xFFFF
};
typedef uint16_t DkStatus;
typedef uint32_t DkHandle; /* 0 = none */

/* ---- Notification codes delivered through callback slot 7 ---- */
enum {
    DK_NOTIFY_TARGET_STOPPED = 0,
    DK_NOTIFY_TARGET_STARTED = 1,
    DK_NOTIFY_CODE6 = 6,
    DK_NOTIFY_PROGRAM_LOADED = 7,
    DK_NOTIFY_LAST_CODE = 21 /* codes above are ignored */
};

/* Symbol kinds of entries 100, 111, 112, 113. */
enum {
    DK_SYM_ANY = 0,
    DK_SYM_TYPE_NAME = 1,
    DK_SYM_TYPEDEF = 2,
    DK_SYM_ENUM_TAG = 3,
    DK_SYM_STRUCT_UNION_TAG = 4,
    DK_SYM_VARIABLE = 5,
    DK_SYM_ASM_VARIABLE = 6,
    DK_SYM_C_VARIABLE = 7,
    DK_SYM_CONSTANT = 8,
    DK_SYM_ENUM = 9,
    DK_SYM_FUNCTION = 10,
    DK_SYM_ASM_LABEL = 11,
    DK_SYM_ASM_CONSTANT = 12
};

/* ---- Records ---- */

/* A place in target memory: a zone and a 64-bit address in it. */
typedef struct DkTargetLocation {
    uint32_t zone;
    uint32_t reserved; /* always 0 from the plug-in */
    uint64_t address;
} DkTargetLocation;

/* One memory zone as entry 52 reports it. The name belongs to the debugger. */
typedef struct DkZoneRecord {
    uint32_t id;
    const char* name;
    uint64_t first;
    uint64_t last;
    uint32_t flagA;
    uint32_t flagB;
    uint32_t flagC;
    uint16_t attribute;
    uint16_t reserved;
} DkZoneRecord;

/* The {name, version} pair of callback slot 2. */
typedef struct DkPluginInfo {
    const char* name;
    const char* version;
} DkPluginInfo;

/* The request of entry 175. */
typedef struct DkBreakpointRequest {
    uint32_t zone;
    uint32_t unused; /* always 0 */
    uint32_t addressLow;
    uint32_t addressHigh;
    uint32_t accessCode; /* 0, 1 or 2 */
    const char* name;
    uint8_t option;
} DkBreakpointRequest;

/* A function record of the plug-in's function array (callback slots 17 to 19); id 0 ends the array. */
typedef DkStatus (*DkRegisteredFunction)(uint32_t count, void* firstValue, void* resultValue);
typedef struct DkFunctionRecord {
    uint32_t id;
    uint32_t word1;
    uint32_t word2;
    DkRegisteredFunction function;
} DkFunctionRecord;

/* The record of entry 28: two values and a name. */
typedef struct DkNamedLocationRequest {
    uint32_t value1;
    uint32_t value2;
    const char* name;
} DkNamedLocationRequest;

/* ---- The kernel function table ---- */

#define DK_KERNEL_TABLE_SIZE 283

typedef void (*DkEntry)(void);
typedef struct DkKernelFunctions_1 {
    DkEntry entry[DK_KERNEL_TABLE_SIZE];
} DkKernelFunctions_1;

struct PluginCallbackTable;

/* Entry indices that the plug-in calls by name. Groups follow the tables of the plug-in SDK. */
enum DkKernelEntryIndex {
    DK_HOST_REQUEST_3 = 3,           /* DkHostRequestFn, as 4, 5, 18, 41..48, 68, 69, 281, 282 */
    DK_HOST_REQUEST_4 = 4,
    DK_HOST_REQUEST_5 = 5,
    DK_REGISTER_PLUGIN = 7,          /* DkRegisterPluginFn */
    DK_UNREGISTER_PLUGIN = 8,        /* DkStatusOfHandleFn */
    DK_RESOLVE_PATH = 14,            /* DkResolvePathFn */
    DK_RESOLVE_PATH_PAIR = 15,       /* DkResolvePathPairFn */
    DK_RESOLVER_REGISTER = 16,       /* (reg, object) */
    DK_RESOLVER_UNREGISTER = 17,     /* (object) */
    DK_HOST_REQUEST_18 = 18,
    DK_GIVE_BACK_TEXT = 19,          /* DkGiveBackTextFn */
    DK_EXEC_QUERY_20 = 20,
    DK_EXEC_BYTE_21 = 21, DK_EXEC_BYTE_22 = 22, DK_EXEC_BYTE_23 = 23, DK_EXEC_BYTE_24 = 24,
    DK_EXEC_25 = 25, DK_EXEC_26 = 26,
    DK_EXEC_LOCATIONS = 27,
    DK_EXEC_NAMED_LOCATION = 28,
    DK_EXEC_STOP = 29,
    DK_EXEC_QUERY_30 = 30, DK_EXEC_STATE_31 = 31, DK_EXEC_STATE_32 = 32, DK_EXEC_QUERY_33 = 33,
    DK_EXEC_QUERY64 = 34,
    DK_HOST_REQUEST_41 = 41, DK_HOST_REQUEST_42 = 42, DK_HOST_REQUEST_43 = 43, DK_HOST_REQUEST_44 = 44,
    DK_HOST_REQUEST_45 = 45, DK_HOST_REQUEST_46 = 46, DK_HOST_REQUEST_47 = 47, DK_HOST_REQUEST_48 = 48,
    DK_REGISTER_FUNCTION = 49,
    DK_UNREGISTER_FUNCTION = 50,
    DK_ZONE_COUNT = 51,              /* DkZoneCountFn */
    DK_ZONE_RECORD = 52,             /* DkZoneRecordFn */
    DK_LOCATION_VALID = 59,
    DK_HOST_REQUEST_68 = 68, DK_HOST_REQUEST_69 = 69,
    DK_LOCATION_EQUALS = 60,
    DK_LOCATION_LESS = 61,
    DK_LOCATION_CONVERT = 62,
    DK_LOCATION_NORMALIZE = 63,
    DK_LOCATION_TO_STRING = 64,
    DK_TYPE_CAST = 72,
    DK_TYPE_NAME = 73, DK_HOST_TYPE_NAME = 74, DK_TYPE_POINTER = 75, DK_TYPE_SIZE = 76,
    DK_SCALAR_ATTRIBUTE = 77, DK_SCALAR_KIND = 78, DK_POINTER_TARGET = 79, DK_POINTER_INTEGER = 80,
    DK_ARRAY_ELEMENT = 81, DK_ARRAY_COUNT = 82, DK_MEMBER_QUERY1 = 83, DK_MEMBER_QUERY2 = 84,
    DK_MEMBER_QUERY3 = 85, DK_MEMBER_QUERY4 = 86, DK_MEMBER_QUERY5 = 87, DK_FUNCTION_RETURN = 88,
    DK_FUNCTION_PARAMS = 89, DK_FUNCTION_PARAM = 90, DK_HOST_TYPE_CAST = 91, DK_TYPE_CLONE = 92,
    DK_TYPE_RELEASE = 93,
    DK_HOLDER_TEST = 95, DK_HOLDER_RELEASE = 96, DK_HOLDER_QUERY = 97, DK_HOLDER_SET = 98, DK_HOLDER_DUP = 99,
    DK_SYMBOL_CAST = 100,
    DK_SYMBOL_NAME = 101,
    DK_SYMBOL_NAME2 = 102,
    DK_SYMBOL_NAME3 = 103,
    DK_SYMBOL_ATTRIBUTE = 104,
    DK_SYMBOL_TYPE = 105,
    DK_SYMBOL_LOCATION = 106,        /* DkSymbolLocationFn */
    DK_SYMBOL_VALUE = 107,
    DK_SYMBOL_LOCATION2 = 108,
    DK_SYMBOL_ASM_RECORD = 109,
    DK_SYMBOL_BOOL = 110,
    DK_SYMBOL_LOOKUP = 111,          /* DkSymbolLookupFn */
    DK_SYMBOL_ALL = 112,
    DK_SYMBOL_ALL_NAMED = 113,
    DK_SYMBOL_AT = 114,
    DK_LOCATION_MAP = 115,
    DK_GIVE_BACK_SYMBOLS = 116,      /* DkGiveBackArrayFn */
    DK_VALUE_NEW = 117,
    DK_VALUE_RELEASE = 118,
    DK_VALUE_TYPE = 119, DK_VALUE_BOOL1 = 120, DK_VALUE_BOOL2 = 121, DK_VALUE_LOCATION = 122,
    DK_VALUE_TEXT = 123, DK_VALUE_ASSIGN = 124, DK_VALUE_EQUALS = 125,
    DK_VALUE_NUMBER = 127, DK_VALUE_ADDRESS = 128, DK_VALUE_DERIVE_129 = 129, DK_VALUE_DERIVE_130 = 130,
    DK_VALUE_DERIVE_131 = 131, DK_VALUE_FORMAT = 132, DK_VALUE_FORMAT_KIND = 133, DK_VALUE_QUERY_134 = 134,
    DK_VALUE_QUERY_135 = 135, DK_VALUE_TEXT_QUERY = 136, DK_VALUE_OF_WORD = 137,
    DK_SCOPE_OPEN = 138, DK_SCOPE_CLOSE = 139,
    DK_FUNCTION_RESULT = 126,
    DK_EXPRESSION_RELEASE = 140,
    DK_EXPRESSION_COMPILE = 141,
    DK_EXPRESSION_EVALUATE = 142,
    DK_TEXT_QUERY_143 = 143,
    DK_CONTEXT_OPEN = 144,
    DK_CONTEXT_RELEASE = 145,        /* DkHandleFn */
    DK_CONTEXT_EQUALS = 146,
    DK_CONTEXT_GET_LOCATION = 147,
    DK_CONTEXT_SET_LOCATION = 148,
    DK_CONTEXT_DERIVE = 149,
    DK_CONTEXT_SOURCE_RANGES = 150,
    DK_CONTEXT_FUNCTION_RECORD = 151,
    DK_GIVE_BACK_RANGES = 152,
    DK_CONTEXT_FUNCTION = 153,
    DK_CONTEXT_VARIABLES1 = 154,
    DK_CONTEXT_VARIABLES2 = 155,
    DK_CONTEXT_MEMORY = 158,         /* DkContextFn */
    DK_CONTEXT_159 = 159,
    DK_CONTEXT_SYMBOLS = 160,
    DK_CONTEXT_STATUS1 = 161,
    DK_CONTEXT_STATUS2 = 162,
    DK_CONTEXT_BOOL = 163,
    DK_CONTEXT_ACCESSOR = 164,       /* DkAccessorFn */
    DK_MEMORY_READ = 165,            /* DkMemoryFn */
    DK_MEMORY_166 = 166, DK_MEMORY_167 = 167, DK_MEMORY_168 = 168,
    DK_MEMORY_WRITE = 169,           /* DkMemoryFn */
    DK_MEMORY_170 = 170, DK_MEMORY_171 = 171, DK_MEMORY_172 = 172,
    DK_BREAKPOINT_SET = 175,         /* DkBreakpointSetFn */
    DK_BREAKPOINT_REMOVE = 176,      /* DkStatusOfU32Fn */
    DK_BREAKPOINT_CAN_SET = 177,     /* DkIntOfU32Fn */
    DK_RECORD_FILL = 183,            /* DkRecordFillFn */
    DK_RECORD_RELEASE = 184,         /* DkHandleFn */
    DK_GIVE_BACK_RECORDS = 185,      /* DkGiveBackArrayFn */
    DK_RECORD_PARENT = 186,          /* DkHandleOfHandleFn */
    DK_RECORD_SUB_HANDLE = 187,      /* DkHandleOfHandleFn */
    DK_RECORD_FUNCTION_SYMBOL = 188, /* DkHandleOfHandleFn */
    DK_RECORD_CHILDREN = 189,        /* DkArrayOfHandleFn */
    DK_RECORD_AT_LOCATION = 190,     /* DkRecordAtLocationFn */
    DK_RECORD_LABEL = 191,           /* DkHandleOfHandleFn */
    DK_RECORD_FUNCTION_TYPE = 192,   /* DkHandleOfHandleFn */
    DK_RECORDS_AT_LOCATION = 193,    /* DkListAtLocationFn */
    DK_RECORDS_AT_POSITION = 194,    /* DkListAtPositionFn */
    DK_LIST_TAKE = 195,              /* DkListTakeFn */
    DK_INFO_HANDLE_RELEASE = 196,    /* DkHandleFn */
    DK_INFO_HANDLES_AT_LOCATION = 197, /* DkListAtLocationFn */
    DK_INFO_HANDLES_TAKE = 198,      /* DkListTakeFn */
    DK_RECORD_LINKED = 199,          /* DkRecordLinkedFn */
    DK_SOURCE_TEXT = 200,            /* DkSourceTextFn */
    DK_LOG = 201,                    /* DkLogFn */
    DK_TASK_PROVIDER_REGISTER = 202, /* DkRegisterObjectFn */
    DK_TASK_PROVIDER_UNREGISTER = 203, /* DkVoidFn */
    DK_TASK_IDS = 204,               /* DkTaskIdsFn */
    DK_GIVE_BACK_TASK_IDS = 205,     /* DkGiveBackArrayFn */
    DK_TASK_NAME = 206,              /* DkTextOfU32Fn */
    DK_TASK_FLAG = 208,              /* DkIntOfU32Fn */
    DK_ULE_DUPLICATE = 211,          /* DkHandleOfHandleFn */
    DK_ULE_RELEASE = 212,            /* DkHandleFn */
    DK_ULE_FROM_TEXT = 213,          /* DkUleFromTextFn */
    DK_ULE_KIND = 214,               /* DkNumberOfHandleFn */
    DK_ULE_TEXT = 215,               /* DkUleTextFn */
    DK_ULE_RESOLVE = 216,            /* DkUleResolveFn */
    DK_ULE_FROM_POSITION = 217,      /* DkUleFromPositionFn */
    DK_ULE_FROM_LOCATION = 218,      /* DkUleFromLocationFn */
    DK_ULE_POSITION = 219,           /* DkUlePositionFn */
    DK_ULE_RECORDS = 220,            /* DkArrayOfHandleFn */
    DK_ULE_LOCATION = 221,           /* DkHandleLocationFn */
    DK_ULE_VALUE = 222,              /* DkStatusOfHandlesFn */
    DK_GIVE_BACK_LOCATIONS = 223,    /* DkGiveBackLocationsFn */
    DK_ULE_VALUE_B = 224,            /* DkNumberOfIndexFn */
    DK_ULE_FLAG_A = 225,             /* DkNumberOfIndexFn */
    DK_ULE_VALUE_C = 226,            /* DkNumberOfHandleFn */
    DK_ULE_SET_FUNCTION = 227,       /* DkUleSetFunctionFn */
    DK_ULE_FUNCTION = 228,           /* DkUleFunctionFn */
    DK_CATEGORY_REGISTER = 229,      /* DkRegisterObjectFn */
    DK_CATEGORY_UNREGISTER = 230,    /* DkHandleFn */
    DK_ULE_BREAKPOINT_REFRESH = 249, /* DkStatusOfU32Fn */
    DK_USER_BREAKPOINT_REFRESH = 250, /* DkStatusOfU32Fn */
    DK_BREAKPOINTS_OF_CATEGORY = 251, /* DkIdsOfCategoryFn */
    DK_GIVE_BACK_CATEGORY_IDS = 252, /* DkGiveBackArrayFn */
    DK_BREAKPOINT_IDS = 253,         /* DkIdsFn */
    DK_GIVE_BACK_BREAKPOINT_IDS = 254, /* DkGiveBackArrayFn */
    DK_ULE_BREAKPOINT_SET = 255,     /* DkBreakpointObjectFn */
    DK_ULE_BREAKPOINT_CLEAR = 256,   /* DkStatusOfU32Fn */
    DK_USER_BREAKPOINT_SET = 257,    /* DkBreakpointObjectFn */
    DK_USER_BREAKPOINT_CLEAR = 258,  /* DkStatusOfU32Fn */
    DK_TASK_HANDLE_RELEASE = 261,    /* DkHandleFn */
    DK_TASK_STATE = 262,             /* DkNumberOfHandleFn */
    DK_TASK_LOCATIONS = 263,         /* DkLocationsOfHandleFn */
    DK_TASK_SET_264 = 264,           /* DkNumberOfIndexFn */
    DK_TASK_QUERY_265 = 265,         /* DkNumberOfHandleFn */
    DK_TASK_HANDLE = 266,            /* DkTaskHandleFn */
    DK_FIND_TYPE = 277,
    DK_VALUE_AT = 278,
    DK_VALUE_DERIVE_279 = 279,
    DK_HOST_REQUEST_281 = 281, DK_HOST_REQUEST_282 = 282,
    DK_KERNEL_ENTRY_LAST = DK_KERNEL_TABLE_SIZE - 1
};

/* Signatures of the entries. */
typedef uint32_t (*DkRegisterPluginFn)(const struct PluginCallbackTable* callbacks, uint32_t* registration);
typedef uint32_t (*DkStatusOfHandleFn)(uint32_t handle);
typedef DkStatus (*DkStatusOfU32Fn)(uint32_t handle);
typedef void (*DkGiveBackTextFn)(const char* text);
typedef void (*DkGiveBackArrayFn)(uint32_t* array);
typedef uint16_t (*DkZoneCountFn)(void);
typedef DkStatus (*DkZoneRecordFn)(uint32_t index, DkZoneRecord* record);
typedef DkHandle (*DkContextFn)(void);
typedef DkHandle (*DkContextOpenFn)(uint32_t registration, uint32_t argument);
typedef void (*DkHandleFn)(DkHandle handle);
typedef DkHandle (*DkHandleOfHandleFn)(DkHandle handle);
typedef int32_t (*DkIntOfHandleFn)(DkHandle handle);
typedef int32_t (*DkIntOfHandlesFn)(DkHandle a, DkHandle b);
typedef DkStatus (*DkContextLocationFn)(DkHandle context, DkTargetLocation* location);
typedef DkHandle (*DkAccessorFn)(DkHandle context);
typedef DkStatus (*DkMemoryFn)(DkHandle accessor, const DkTargetLocation* location, uint32_t count, void* buffer,
                               uint32_t unitBits, uint8_t* flag);
typedef int32_t (*DkLocationTestFn)(const DkTargetLocation* location);
typedef int32_t (*DkLocationPairFn)(const DkTargetLocation* a, const DkTargetLocation* b);
typedef int32_t (*DkLocationConvertFn)(const DkTargetLocation* location, uint32_t zone, DkTargetLocation* out);
typedef int32_t (*DkLocationNormalizeFn)(DkHandle context, const DkTargetLocation* location, DkTargetLocation* out);
typedef void (*DkLocationToStringFn)(const DkTargetLocation* location, uint32_t size, char* buffer);
typedef DkHandle (*DkSymbolLookupFn)(const char* name, uint32_t kind, DkHandle context);
typedef int32_t (*DkSymbolLocationFn)(DkHandle symbol, DkHandle context, DkTargetLocation* location);
typedef DkStatus (*DkBreakpointSetFn)(const DkBreakpointRequest* request, uint32_t registration, void* executor,
                                      uint32_t* breakpoint);
typedef int32_t (*DkIntOfU32Fn)(uint32_t value);
typedef void (*DkLogFn)(uint32_t severity, const char* text);
typedef uint32_t (*DkHostRequestFn)(uint32_t argument); /* host requests; the answer is the debugger's */
typedef uint32_t (*DkRegisterFunctionFn)(uint32_t registration, uint32_t w0, uint32_t w1, uint32_t w2,
                                         const DkFunctionRecord* record);
typedef uint32_t (*DkUnregisterFunctionFn)(uint32_t w0);
typedef DkStatus (*DkFunctionResultFn)(uint32_t resultSlot, DkHandle value);

/* Symbols, types, values and expressions (entries 72..143, 277..279). Texts returned are given back
 * with entry 19, handle arrays of 112..114 with entry 116. */
typedef DkHandle (*DkCastFn)(DkHandle handle, uint32_t kind);                  /* 72, 91 */
typedef const char* (*DkTextOfHandleFlagFn)(DkHandle handle, uint32_t flag);   /* 73, 74 */
typedef const char* (*DkTextOfHandleFn)(DkHandle handle);                      /* 83, 101..103 */
typedef uint32_t (*DkNumberOfHandleFn)(DkHandle handle);                       /* 76..78, 82, 84, 89, 97 */
typedef DkHandle (*DkHandleOfIndexFn)(DkHandle handle, uint32_t index);        /* 85, 90 */
typedef const char* (*DkTextOfIndexFn)(DkHandle handle, uint32_t index);       /* 86 */
typedef uint32_t (*DkNumberOfIndexFn)(DkHandle handle, uint32_t index);        /* 87 */
typedef DkStatus (*DkHolderSetFn)(DkHandle holder, DkHandle value);            /* 98 */
typedef DkHandle (*DkSymbolCastFn)(DkHandle symbol, uint32_t kind, uint32_t zero); /* 100 */
typedef DkStatus (*DkSymbolValueFn)(DkHandle symbol, DkHandle context, DkHandle value); /* 107 */
typedef int32_t (*DkHandleLocationFn)(DkHandle handle, DkTargetLocation* location); /* 108, 122, 128 */
typedef uint32_t (*DkSymbolsOfKindFn)(uint32_t kind, uint32_t** array);        /* 112 */
typedef uint32_t (*DkSymbolsNamedFn)(const char* name, uint32_t kind, uint32_t** array); /* 113 */
typedef uint32_t (*DkSymbolsAtFn)(const DkTargetLocation* location, uint32_t** array); /* 114 */
typedef int32_t (*DkLocationMapFn)(const DkTargetLocation* location, int32_t notA, int32_t notB,
                                   DkTargetLocation* out);                     /* 115 */
typedef void (*DkValueTypeFn)(DkHandle value, DkHandle* cType, DkHandle* hostType); /* 119 */
typedef void (*DkValueTextFn)(DkHandle value, char* buffer, uint32_t size);    /* 123 */
typedef int32_t (*DkValuePairFn)(DkHandle value, DkHandle other, DkHandle context); /* 124, 125 */
typedef int32_t (*DkValueNumberFn)(DkHandle value, uint32_t* words);           /* 127: two words */
typedef DkStatus (*DkValueDeriveNFn)(DkHandle value, uint32_t n, DkHandle result, DkHandle context); /* 129, 131 */
typedef DkStatus (*DkValueDeriveFn)(DkHandle value, DkHandle result, DkHandle context); /* 130 */
typedef DkStatus (*DkValueFormatFn)(DkHandle value, uint32_t style, uint8_t flag, DkHandle context,
                                    const char** text);                        /* 132 */
typedef DkStatus (*DkValueFormatKindFn)(DkHandle value, uint32_t kind, uint32_t style, uint8_t flag,
                                        DkHandle context, const char** text);  /* 133 */
typedef int32_t (*DkValueQuery2Fn)(DkHandle value, uint32_t a, uint32_t b);    /* 134, 135 */
typedef int32_t (*DkValueTextQueryFn)(DkHandle value, const char* text);       /* 136 */
typedef DkHandle (*DkValueOfWordFn)(uint32_t word);                            /* 137 */
typedef DkStatus (*DkCompileFn)(const char* text, DkHandle* expression, DkHandle context, uint8_t flag,
                                char* error, uint32_t errorSize);              /* 141 */
typedef DkStatus (*DkEvaluateFn)(DkHandle expression, DkHandle result, DkHandle context, uint32_t flags,
                                 char* error, uint32_t errorSize);             /* 142 */
typedef int32_t (*DkTextFlagQueryFn)(const char* text, uint8_t flag);          /* 143 */
typedef DkHandle (*DkFindTypeFn)(const char* name, DkHandle context);          /* 277 */
typedef DkStatus (*DkValueAtFn)(const DkTargetLocation* location, DkHandle value, DkHandle result); /* 278 */
typedef DkStatus (*DkValueDerive2Fn)(DkHandle value, DkHandle other, DkHandle result); /* 279 */
typedef uint32_t (*DkRegisterObjectFn)(uint32_t registration, void* object);   /* 16 */
typedef uint32_t (*DkUnregisterObjectFn)(void* object);                        /* 17 */

/* Source positions, program records and program locations (entries 14, 15, 150, 183-200, 202-266).
 * A source position crosses as {line, column, file-name text}; texts the debugger writes into such a
 * triple are its own and are given back with entry 19. */
typedef struct DkSourceTriple {
    uint32_t line;
    uint32_t column;
    const char* file;
} DkSourceTriple;

/* The program record of entry 183 (48 bytes with 32-bit pointers, 56 here). */
typedef struct DkProgramRecord {
    uint32_t kind; /* 1 to 12; any other value reads as 0 */
    uint32_t flag;
    uint8_t opaque[16];
    uint32_t startLine;
    uint32_t startColumn;
    const char* startFile;
    uint32_t endLine;
    uint32_t endColumn;
    const char* endFile;
} DkProgramRecord;

/* One element of the source-range array of entry 150 (24 bytes with 32-bit pointers, 32 here). */
typedef struct DkSourceRangeElement {
    uint32_t startLine;
    uint32_t startColumn;
    const char* startFile;
    uint32_t endLine;
    uint32_t endColumn;
    const char* endFile;
} DkSourceRangeElement;

#define DK_PATH_BUFFER 260
#define DK_ULE_TEXT_BUFFER 2048

typedef void (*DkVoidFn)(void);
typedef int32_t (*DkResolvePathFn)(const char* path, char* buffer, uint32_t size);              /* 14 */
typedef int32_t (*DkResolvePathPairFn)(const char* first, const char* second, char* buffer,
                                       uint32_t size);                                          /* 15 */
typedef int32_t (*DkContextRangesFn)(DkHandle context, uint32_t* count,
                                     DkSourceRangeElement** array);                             /* 150 */
typedef void (*DkGiveBackRangesFn)(DkSourceRangeElement* array);                                /* 152 */
typedef DkStatus (*DkRecordFillFn)(DkHandle record, DkProgramRecord* out);                      /* 183 */
typedef uint32_t (*DkArrayOfHandleFn)(DkHandle handle, uint32_t** array);                       /* 189, 220 */
typedef DkHandle (*DkRecordAtLocationFn)(DkHandle record, DkTargetLocation* location);          /* 190 */
/* 193 and 197 hand out a list handle and its length; 195 and 198 copy the list into a buffer of
 * count words and end the list handle. */
typedef DkStatus (*DkListAtLocationFn)(const DkTargetLocation* location, uint32_t* count, DkHandle* list);
typedef DkStatus (*DkListAtPositionFn)(const DkSourceTriple* position, uint32_t* count, DkHandle* list);
typedef void (*DkListTakeFn)(DkHandle list, uint32_t* buffer, uint32_t count);
typedef int32_t (*DkRecordLinkedFn)(DkHandle record, DkHandle* out);                            /* 199 */
typedef const char* (*DkSourceTextFn)(const char* file, int32_t firstLine, int32_t firstColumn, int32_t lastLine,
                                      int32_t lastColumn);                                      /* 200 */
typedef DkStatus (*DkTaskIdsFn)(uint32_t* count, uint32_t** ids);                               /* 204 */
typedef const char* (*DkTextOfU32Fn)(uint32_t value);                                           /* 206 */
typedef DkHandle (*DkUleFromTextFn)(const char* text, DkHandle context, uint32_t mode, uint32_t zone,
                                    uint32_t flag);                                             /* 213 */
typedef void (*DkUleTextFn)(DkHandle ule, char* buffer, uint32_t size, uint32_t which);         /* 215 */
typedef uint32_t (*DkUleResolveFn)(DkHandle ule, DkTargetLocation** array, uint8_t flag);       /* 216 */
typedef DkHandle (*DkUleFromPositionFn)(const DkSourceTriple* position);                        /* 217 */
typedef DkHandle (*DkUleFromLocationFn)(const DkTargetLocation* location);                      /* 218 */
typedef int32_t (*DkUlePositionFn)(DkHandle ule, DkSourceTriple* out);                          /* 219 */
typedef DkStatus (*DkStatusOfHandlesFn)(DkHandle a, DkHandle b);                                /* 222 */
typedef void (*DkGiveBackLocationsFn)(DkTargetLocation* array);                                 /* 223 */
typedef int32_t (*DkUleSetFunctionFn)(DkHandle ule, const char* name);                          /* 227 */
/* 228: the function text is written when a buffer is given; the result is the function symbol. */
typedef DkHandle (*DkUleFunctionFn)(DkHandle ule, char* buffer, uint32_t size);
typedef uint32_t (*DkIdsOfCategoryFn)(uint32_t** ids, uint32_t category);                       /* 251 */
typedef uint32_t (*DkIdsFn)(uint32_t** ids);                                                    /* 253 */
typedef uint32_t (*DkBreakpointObjectFn)(DkHandle provider, void* object);                      /* 255, 257 */
typedef uint32_t (*DkLocationsOfHandleFn)(DkHandle handle, DkTargetLocation** array);           /* 263 */
typedef DkHandle (*DkTaskHandleFn)(uint32_t kind, DkHandle context, uint32_t flag);             /* 266 */

/* The 64-byte record of entry 109 (an assembler variable). The name pointer is 8 bytes here. */
typedef struct DkAsmVariableRecord {
    uint32_t word0;
    uint32_t pad0;
    const char* name;
    uint8_t opaque1[8];
    DkTargetLocation location;
    uint16_t field16[3];
    uint8_t byte46;
    uint8_t byte47;
    uint8_t opaque2[6];
    uint8_t byte54;
    uint8_t pad1;
    uint64_t field64;
} DkAsmVariableRecord;

/* ---- The plug-in's entry table (returned by PluginApi_3) ---- */

typedef uint32_t (*PluginApiVersionFn)(void);
typedef DkStatus (*PluginApiInitFn)(const DkKernelFunctions_1* kernel);
typedef DkStatus (*PluginApiExitFn)(void);

typedef struct PluginEntryTable {
    PluginApiVersionFn PluginApiMajorVersion;
    PluginApiVersionFn PluginApiMinorVersion;
    PluginApiInitFn PluginApiInit;
    PluginApiExitFn PluginApiExit;
} PluginEntryTable;

/* ---- The plug-in's callback table, registered with entry 7 ----
 * "obj" is the object pointer the plug-in handed to the debugger when it registered the object.
 * Every slot that writes a text takes the size of the debugger's buffer. */
typedef struct PluginCallbackTable {
    uint32_t (*PluginCbMajorVersion)(void);                                        /* 0: 1 */
    uint32_t (*PluginCbMinorVersion)(void);                                        /* 1: 4 */
    void (*PluginCbGetPluginInfo)(DkPluginInfo* info);                             /* 2 */
    uint32_t (*PluginCbResolveAlias)(void* obj, const char* text, char* out, uint32_t outSize);        /* 3 */
    uint32_t (*PluginCbExpandPath1)(void* obj, const char* text, char* out, uint32_t outSize);         /* 4 */
    uint8_t (*PluginCbExpandPath2)(void* obj, const char* text1, const char* text2, char* out,
                                   uint32_t outSize);                                                 /* 5 */
    uint32_t (*PluginCbSymbolList)(void* obj, const char* name, uint32_t count, const uint32_t* handles); /* 6 */
    void (*PluginCbNotify)(uint32_t code);                                         /* 7 */
    uint32_t (*PluginCbExecutorHit)(void* executor);                               /* 8 */
    uint32_t (*PluginCbExecutorStop)(void* executor);                              /* 9 */
    uint32_t (*PluginCbExecutorEvent)(void* executor);                             /* 10 */
    DkStatus (*PluginCbSymbolResolver1)(void* obj, const DkTargetLocation* location, uint32_t a, uint32_t b,
                                        uint32_t c);                                                  /* 11 */
    DkStatus (*PluginCbSymbolResolver2)(void* obj, const DkTargetLocation* location, uint32_t a, uint32_t b,
                                        uint32_t c);                                                  /* 12 */
    DkStatus (*PluginCbSymbolResolver3)(void* obj, DkTargetLocation* out);         /* 13 */
    DkStatus (*PluginCbSymbolResolver4)(void* obj, const DkTargetLocation* location); /* 14 */
    uint8_t (*PluginCbSymbolResolver5)(void* obj);                                 /* 15 */
    void (*PluginCbLog)(uint32_t severity, const char* text);                      /* 16 */
    void (*PluginCbRegisterFunctions)(void);                                       /* 17 */
    void (*PluginCbUnregisterFunctions)(void);                                     /* 18 */
    DkStatus (*PluginCbCallFunction)(uint32_t count, const uint32_t* argumentValues, const DkFunctionRecord* record,
                                     uint32_t resultSlot);                                            /* 19 */
    DkStatus (*PluginCbTaskProvider1)(void* provider, uint32_t* countOut, uint32_t** idsOut);         /* 20 */
    void (*PluginCbTaskProvider2)(uint32_t* ids);                                  /* 21 */
    void (*PluginCbTaskProvider3)(void* provider, uint32_t task, char* out, uint32_t outSize);         /* 22 */
    uint32_t (*PluginCbTaskProvider4)(void* provider, uint32_t task, uint32_t argument);              /* 23 */
    uint8_t (*PluginCbTaskProvider5)(void* provider, uint32_t task);                                 /* 24 */
    void (*PluginCbUserBreakpoint1)(void* obj, char* out, uint32_t outSize);       /* 25 */
    void (*PluginCbUserBreakpoint2)(void* obj, char* out, uint32_t outSize);       /* 26 */
    uint8_t (*PluginCbUserBreakpoint3)(void* obj, uint16_t argument);              /* 27 */
    uint32_t (*PluginCbUserBreakpoint4)(void* obj, uint32_t uleHandle, uint16_t argument);           /* 28 */
    uint8_t (*PluginCbUserBreakpoint5)(void* obj);                                 /* 29 */
    uint32_t (*PluginCbUserBreakpoint6)(void* obj);                                /* 30 */
    uint32_t (*PluginCbUserBreakpoint7)(void* obj);                                /* 31 */
    uint32_t (*PluginCbUserBreakpoint8)(void* obj, uint32_t uleHandle);            /* 32 */
    uint8_t (*PluginCbUserBreakpoint9)(void* obj);                                 /* 33 */
    uint8_t (*PluginCbUserBreakpoint10)(void* obj, uint8_t flag);                  /* 34 */
    uint32_t (*PluginCbUserBreakpoint11)(void* provider, uint32_t argument);       /* 35 */
    const char* (*PluginCbUserBreakpoint12)(void* provider, uint32_t argument);    /* 36: the provider's text */
    const char* (*PluginCbUserBreakpoint13)(void* provider, uint32_t argument);    /* 37: the provider's text */
    void (*PluginCbUserBreakpoint14)(void* provider, char* out, uint32_t outSize, uint32_t argument); /* 38 */
} PluginCallbackTable;

#define PLUGIN_CALLBACK_SLOTS 39

/* ---- The four exports of the plug-in library ---- */
typedef const PluginEntryTable* (*PluginApi3Fn)(void);
typedef void* (*DpCreatePluginObjectFn)(void); /* the plug-in object's DpPlugin interface, opaque to the host */
typedef uint32_t (*IfGuiModuleFn)(void);       /* IfStartGuiModule, IfShutDownGuiModule: 1 */

#define DK_EXPORT_PLUGIN_API "PluginApi_3"
#define DK_EXPORT_CREATE_OBJECT "DpCreatePluginObject"
#define DK_EXPORT_START_GUI "IfStartGuiModule"
#define DK_EXPORT_SHUTDOWN_GUI "IfShutDownGuiModule"

#ifdef __cplusplus
} /* extern "C" */

static_assert(sizeof(DkTargetLocation) == 16, "TargetLocation layout");
static_assert(offsetof(DkTargetLocation, address) == 8, "TargetLocation layout");
static_assert(sizeof(DkZoneRecord) == 48, "ZoneRecord: 40 bytes with a 32-bit name pointer, 48 with 64-bit");
static_assert(offsetof(DkZoneRecord, first) == 16 && offsetof(DkZoneRecord, attribute) == 44, "ZoneRecord");
static_assert(sizeof(DkBreakpointRequest) == 40, "breakpoint request");
static_assert(sizeof(DkFunctionRecord) == 24, "function record");
static_assert(sizeof(DkSourceTriple) == 16, "source triple");
static_assert(sizeof(DkProgramRecord) == 56 && offsetof(DkProgramRecord, startLine) == 24 &&
                  offsetof(DkProgramRecord, endLine) == 40, "program record: 48 bytes with 32-bit pointers");
static_assert(sizeof(DkSourceRangeElement) == 32, "source range element: 24 bytes with 32-bit pointers");
static_assert(sizeof(DkAsmVariableRecord) == 64 && offsetof(DkAsmVariableRecord, location) == 24 &&
                  offsetof(DkAsmVariableRecord, byte54) == 54 && offsetof(DkAsmVariableRecord, field64) == 56,
              "assembler variable record");
static_assert(sizeof(PluginCallbackTable) == PLUGIN_CALLBACK_SLOTS * sizeof(void (*)(void)), "39 slots");
static_assert(sizeof(PluginEntryTable) == 4 * sizeof(void (*)(void)), "4 entries");
static_assert(sizeof(DkKernelFunctions_1) == DK_KERNEL_TABLE_SIZE * sizeof(DkEntry), "kernel table");
#endif

#endif /* KORVANE_SDK_DEBUGGER_DK_ABI_H */
