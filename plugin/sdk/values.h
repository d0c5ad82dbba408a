#pragma once
// Debugger values, handle holders and expressions.

#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/target_location.h"
#include "plugin/sdk/types.h"

#include <memory>
#include <string>

namespace dk {

// A value handle shared by copies, bound to a memory context; the last copy gives the handle back
// with entry 118 (also one taken over from the debugger).
class DkValue {
public:
    DkValue() = default;
    static DkValue New();                      // entry 117, bound to the memory context
    static DkValue New(const DkContext& context); // entry 117, bound to context
    static DkValue FromWord(uint32_t word);    // entry 137
    static DkValue TakeOver(DkHandle handle);  // a handle the debugger handed over; no entry called

    DkHandle GetHandle() const { return m_body ? m_body->handle : 0; }
    DkType GetType() const;                           // 119
    bool Query1() const;                              // 120
    bool Query2() const;                              // 121
    bool GetLocation(TargetLocation& out) const;      // 122
    std::string ToText() const;                       // 123, 512-byte buffer
    int32_t Assign(const DkValue& other) const;       // 124
    bool Equals(const DkValue& other) const;          // 125
    bool NotEquals(const DkValue& other) const { return !Equals(other); }
    bool GetNumber(uint32_t* words = nullptr) const;  // 127, two words
    bool GetAddress(TargetLocation* out = nullptr) const; // 128
    // 132: style outside 1..7 is passed as 0; on status 0 text receives the debugger's text.
    DkStatus Format(uint32_t style, bool flag, std::string& text) const;
    // 133: kind 0..6 passed as is (any other as 0); style as above.
    DkStatus Format(uint32_t kind, uint32_t style, bool flag, std::string& text) const;
    int32_t Query134(uint32_t a, uint32_t b) const;
    int32_t Query135(uint32_t a, uint32_t b) const;
    int32_t TextQuery(const std::string& text) const; // 136
    // Derived values: result is first replaced by a fresh value.
    DkStatus Derive129(uint32_t n, DkValue& result) const;
    DkStatus Derive130(DkValue& result) const;
    DkStatus Derive131(uint32_t n, DkValue& result) const;
    DkStatus Derive279(const DkValue& other, DkValue& result) const;
    static DkStatus ValueAt(const TargetLocation& location, const DkValue& value, DkValue& result); // 278

private:
    struct Body {
        DkHandle handle = 0;
        DkContext context;
        ~Body();
    };
    DkHandle contextHandle() const { return m_body ? m_body->context.GetHandle() : 0; }
    std::shared_ptr<Body> m_body;
};

// One handle duplicated on copy (99) and given back on destruction (96).
class DkHandleHolder {
public:
    explicit DkHandleHolder(DkHandle handle = 0) : m_handle(handle) {}
    DkHandleHolder(const DkHandleHolder& other);
    DkHandleHolder& operator=(const DkHandleHolder& other);
    ~DkHandleHolder();
    DkHandle GetHandle() const { return m_handle; }
    bool IsSet() const;                        // 95 answers 0 or less
    uint32_t Query() const;                    // 97
    DkStatus Set(const DkValue& value) const;  // 98 with a fresh copy of the value

private:
    DkHandle m_handle = 0;
};

// An expression compiled and evaluated by the debugger; the last copy gives a non-zero handle back
// with entry 140.
class DkExpression {
public:
    DkStatus Compile(const std::string& text, const DkContext& context, bool flag, std::string* error = nullptr);
    DkStatus Compile(const std::string& text, bool flag, std::string* error = nullptr); // memory context
    // 0xFFFF before a successful Compile, calling nothing.
    DkStatus Evaluate(DkValue& result, const DkContext& context, bool flagA, std::string* error = nullptr,
                      bool flagB = false, bool flagC = false) const;
    bool IsCompiled() const { return m_body && m_body->compiled; }
    DkHandle GetHandle() const { return m_body ? m_body->handle : 0; }

private:
    struct Body {
        DkHandle handle = 0;
        bool compiled = false;
        ~Body();
    };
    std::shared_ptr<Body> m_body;
};

// A scope handle from 138, given back with 139 when not 0.
class DkScope {
public:
    DkScope();
    ~DkScope();
    DkScope(const DkScope&) = delete;
    DkScope& operator=(const DkScope&) = delete;
    DkHandle GetHandle() const { return m_handle; }

private:
    DkHandle m_handle = 0;
};

int32_t TextFlagQuery(const std::string& text, bool flag); // 143

} // namespace dk
