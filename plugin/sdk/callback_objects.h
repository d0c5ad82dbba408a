#pragma once
// Objects of the plug-in that the debugger may call back through the callback table, with the
// operations each callback slot reaches. The debugger hands back the object pointer it was given
// at registration, which is a pointer to exactly these interface types.

#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/call_gate.h"
#include "plugin/sdk/target_location.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace dk {

class DkSymbol;
class DkUle;

class DkAliasResolver { // slot 3
public:
    virtual ~DkAliasResolver() = default;
    virtual bool ResolveAlias(const std::string& text, std::string& result) = 0;
};

class DkPathExpander { // slots 4 and 5
public:
    virtual ~DkPathExpander() = default;
    virtual bool ExpandPath(const std::string& text, std::string& result) = 0;
    virtual uint32_t ExpandPath2(const std::string& text1, const std::string& text2, std::string& result) = 0;
};

class DkSymbolListReceiver { // slot 6
public:
    virtual ~DkSymbolListReceiver() = default;
    virtual uint32_t ReceiveSymbols(const std::vector<DkSymbol>& symbols, const std::string& name) = 0;
};

class DkSymbolResolverOps { // slots 11 to 15
public:
    virtual ~DkSymbolResolverOps() = default;
    virtual DkStatus Resolve1(const TargetLocation& location, uint32_t a, uint32_t b, uint32_t c) = 0;
    virtual DkStatus Resolve2(const TargetLocation& location, uint32_t a, uint32_t b, uint32_t c) = 0;
    virtual DkStatus Resolve3(TargetLocation& out) = 0;
    virtual DkStatus Resolve4(const TargetLocation& location) = 0;
    virtual uint32_t Resolve5() = 0;
};

class DkTaskProviderOps { // slots 20 to 24
public:
    virtual ~DkTaskProviderOps() = default;
    virtual DkStatus TaskIds(std::vector<uint32_t>& ids) = 0;
    virtual std::string TaskName(uint32_t task) = 0;
    virtual uint32_t TaskOp3(uint32_t task, uint32_t argument) = 0;
    virtual uint32_t TaskOp4(uint32_t task) = 0;
};

class DkUserBreakpointOps { // slots 25 to 34
public:
    virtual ~DkUserBreakpointOps() = default;
    virtual std::string Text1() = 0;
    virtual std::string Text2() = 0;
    virtual uint32_t Op3(uint16_t argument) = 0;
    // The location wraps the debugger's handle for the call and gives it back when the call ends.
    virtual uint32_t Op4(const DkUle& location, uint16_t argument) = 0; // the id of the breakpoint it yields
    virtual uint32_t Op5() = 0;
    virtual uint32_t BaseId() = 0;
    virtual uint32_t DuplicateUle() = 0;                              // a handle the debugger takes over
    virtual uint32_t Op8(const DkUle& location) = 0;
    virtual uint32_t BaseOp5() = 0;
    virtual uint32_t BaseOp6(bool flag) = 0;
};

class DkCategoryProviderOps { // slots 35 to 38
public:
    virtual ~DkCategoryProviderOps() = default;
    virtual uint32_t Op2(uint32_t argument) = 0;
    // Texts handed to the debugger as they are: they must outlive the call.
    virtual const char* Op6(uint32_t argument) = 0;
    virtual const char* Op7(uint32_t argument) = 0;
    virtual std::string Text(uint32_t argument) = 0;
};

// Receives the debugger's log messages (slot 16) while it is joined, in joining order. As with
// notification subscribers (plugin/sdk/notify.h): a plain T joins when its DkLoggingSubscriber base is
// built and leaves when that base is destroyed; DkSubscribed<T> (plugin/sdk/subscribed.h) joins once
// whole and leaves before any of it is destroyed. delete ends one built with new without waiting: a
// Log in progress on another thread destroys it when that call returns.
class DkLoggingSubscriber {
public:
    DkLoggingSubscriber();          // joins (JoinLog); DkSubscribed<T> joins once whole
    virtual ~DkLoggingSubscriber(); // leaves (LeaveLog)
    DkLoggingSubscriber(const DkLoggingSubscriber&) = delete;
    DkLoggingSubscriber& operator=(const DkLoggingSubscriber&) = delete;
    virtual void Log(uint32_t severity, const std::string& text) = 0;

    static void* operator new(std::size_t size);
    static void operator delete(void* memory); // a constructor threw
    void operator delete(DkLoggingSubscriber* subscriber, std::destroying_delete_t);

protected:
    friend struct WholeParts;
    // A subclass that manages its own membership joins at the end of its most derived constructor
    // (JoinLog) and leaves first in its most derived destructor (LeaveLog), as DkSubscribed does.
    struct Deferred {};
    explicit DkLoggingSubscriber(Deferred) {}
    void JoinLog();
    // Leaves the list and closes its gate (CallGate::close) for a Log running on another thread.
    void LeaveLog();

private:
    friend void DeliverLog(uint32_t severity, const char* text);
    bool leaveList(); // true when it was joined
    // Deliveries inside Log.
    std::shared_ptr<CallGate> m_calls = std::make_shared<CallGate>();
};
void DeliverLog(uint32_t severity, const char* text);

// Copies text into a buffer of size bytes: at most size - 1 characters, always terminated; nothing
// when size is 0.
void copyToHostBuffer(const std::string& text, char* out, uint32_t size);

} // namespace dk
