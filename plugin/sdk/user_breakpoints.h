#pragma once
// User breakpoints a plug-in may offer to the debugger, the category provider they are set under,
// and the debugger's breakpoint-id queries. The debugger reaches the objects through callback slots
// 25 to 38 with the object pointers handed over when they were set or registered.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/registered_object.h"
#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/ule.h"

#include <cstdint>
#include <cstddef>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace dk {

class DkUserBreakCategoryProvider;
class UserBreakpointAnchor;

// A breakpoint the debugger keeps under an id (0 = not set). Set hands the debugger an anchor that
// passes the calls of those slots to this object while it lives; the concrete breakpoint supplies
// the texts and operations. A breakpoint whose clearing the debugger refused leaves its anchor
// registered, and the clearing is asked for again (RetryRefusedUserBreakpointClears). The debugger
// drops the breakpoints of a registration it gives back: their ids are then forgotten, not cleared.
//
// The debugger reaches the breakpoint until its end begins (plugin/sdk/call_gate.h). Its end (delete
// included) waits for the calls of other threads, but not for those that wait in turn for it, so two
// breakpoints may end each other from inside their calls; one ended during its own set takes the id
// the set brings back to the debugger. Build it as DkWhole<T> (plugin/sdk/subscribed.h), or call
// Retire() first in the most derived destructor.
class DkUserBreakpointBase : public DkUserBreakpointOps {
public:
    DkUserBreakpointBase();
    DkUserBreakpointBase(const DkUserBreakpointBase&) = delete;
    DkUserBreakpointBase& operator=(const DkUserBreakpointBase&) = delete;
    // A breakpoint still set is cleared (Retire): the debugger must not keep a pointer to a dead object.
    ~DkUserBreakpointBase() override;
    virtual bool Set(const DkUserBreakCategoryProvider& provider); // 257; true when an id came back
    virtual DkStatus Clear();                                      // 258, id back to 0 once cleared
    virtual DkStatus Refresh();                                    // 250
    uint32_t GetId() const { return m_id; }

    uint32_t BaseId() override { return m_id; }

protected:
    friend struct WholeParts;
    // Entry setEntry with the object handed to the debugger, which clearEntry clears.
    bool setAs(int setEntry, int clearEntry, const DkUserBreakCategoryProvider& provider);
    // The object handed to the debugger at Set; entry clears it.
    void* debuggerObject(int clearEntry);
    DkStatus clearWith(int entry);
    // Clears a breakpoint still set and cuts it off its anchor, waiting for a call in progress. The
    // most derived destructor calls it first, so that no call reaches a half-destroyed object.
    void Retire();
    uint32_t m_id = 0;

private:
    std::shared_ptr<UserBreakpointAnchor> m_anchor;
};

// A user breakpoint set at a program location: Set 255, Clear 256, Refresh 249.
class DkUleUserBreakpointBase : public virtual DkUserBreakpointBase {
public:
    ~DkUleUserBreakpointBase() override;
    bool Set(const DkUserBreakCategoryProvider& provider) override;
    DkStatus Clear() override;
    DkStatus Refresh() override;

    virtual DkUle GetLocation() const = 0;
    // "<first text> @ <location text>".
    std::string Describe();
    // Slot 31: a duplicate of the location handle that the debugger takes over.
    uint32_t DuplicateUle() override;
};

class CategoryProviderAnchor;

// Registers itself with the debugger for its lifetime (229/230). Slots 6 and 7 name the category.
// The debugger calls it through an anchor, as a task provider (plugin/sdk/task_provider.h).
class DkUserBreakCategoryProvider : public RegisteredObject<DkCategoryProviderOps, CategoryProviderAnchor> {
public:
    DkUserBreakCategoryProvider();
    ~DkUserBreakCategoryProvider() override; // Withdraw
    DkUserBreakCategoryProvider(const DkUserBreakCategoryProvider&) = delete;
    DkUserBreakCategoryProvider& operator=(const DkUserBreakCategoryProvider&) = delete;

    DkHandle GetHandle() const { return m_handle; }
    virtual uint32_t Op4() { return 0; }
    const char* Op6(uint32_t) override { return "DEFAULT"; }
    const char* Op7(uint32_t) override { return "DEFAULT"; }

private:
    void unregisterFromDebugger() override;
    DkHandle m_handle = 0;
};

// Asks the debugger again to clear the user breakpoints it refused to clear when they went; answers
// how many are still registered.
std::size_t RetryRefusedUserBreakpointClears();

// Breakpoint ids the debugger holds: all (253/254), of a category (251/252; category 0 for the
// uncategorised ones). Entry 18(9) answers the debugger's breakpoint status.
std::vector<uint32_t> GetUserBreakpointIds();
std::vector<uint32_t> GetUserBreakpointIds(uint32_t category);
DkStatus GetUserBreakpointStatus();

} // namespace dk
