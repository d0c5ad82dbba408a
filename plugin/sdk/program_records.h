#pragma once
// The debugger's program records: a kind, a flag, a start and an end source position, and links to
// symbols, types, parents and children. Records and handles are shared bodies; the last copy gives
// the debugger's parts back (record 184 and its file texts 19; handle 196).

#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/source_positions.h"
#include "plugin/sdk/target_location.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace dk {

class DkAsmLabelSymbol;
class DkFunctionSymbol;
class DkFunctionType;

class DebugInfoHandle {
public:
    DebugInfoHandle() : DebugInfoHandle(0) {}
    explicit DebugInfoHandle(DkHandle handle); // taken over; given back with 196, also when 0
    DkHandle GetHandle() const { return m_body->handle; }

private:
    struct Body {
        DkHandle handle = 0;
        ~Body();
    };
    std::shared_ptr<Body> m_body;
};

class DebugInfoRecord {
public:
    DebugInfoRecord() : DebugInfoRecord(0) {}
    // Takes the record handle over and fills the record with entry 183 (nothing for handle 0).
    explicit DebugInfoRecord(DkHandle handle);

    uint32_t GetKind() const { return m_body->record.kind; } // 1 to 12, else 0
    bool GetFlag() const { return m_body->record.flag != 0; }
    DkHandle GetHandle() const { return m_body->handle; }
    // False unless both file texts are set.
    bool GetSourceRange(SourceRange& out) const;

    DkFunctionType GetFunctionType() const;        // 192
    DkFunctionSymbol GetFunctionSymbol() const;    // 188
    DebugInfoRecord GetParent() const;             // 186
    DebugInfoRecord GetRecordAt(TargetLocation* location = nullptr) const; // 190
    DkAsmLabelSymbol GetLabelSymbol() const;       // 191, then 100 kind 11
    DebugInfoHandle GetSubHandle() const;          // 187
    std::vector<DebugInfoRecord> GetChildren() const; // 189, array given back with 185
    DebugInfoRecord GetLinkedRecord() const;       // 199

private:
    struct Body {
        DkHandle handle = 0;
        DkProgramRecord record{};
        ~Body();
    };
    std::shared_ptr<Body> m_body;
};

// Records at a location (193/195) or a source position (194/195), handles at a location (197/198).
// On status 0 one object per handle is appended in order; otherwise the list is left unchanged.
DkStatus GetRecordsAt(const TargetLocation& location, std::vector<DebugInfoRecord>& list);
DkStatus GetRecordsAt(const SourcePosition& position, std::vector<DebugInfoRecord>& list);
DkStatus GetInfoHandlesAt(const TargetLocation& location, std::vector<DebugInfoHandle>& list);

// The program record of a context (151).
DebugInfoRecord GetContextRecord(const DkContext& context);
// The source ranges of a context (150): 0 and the list untouched when the debugger has none;
// otherwise the list is replaced and the result is 1 when the debugger answered 1, else 2.
int GetContextSourceRanges(const DkContext& context, std::vector<SourceRange>& list);

// Records from a handle array a query handed out; the array goes back with entry 185.
std::vector<DebugInfoRecord> TakeRecordArray(uint32_t* array, uint32_t count);

} // namespace dk
