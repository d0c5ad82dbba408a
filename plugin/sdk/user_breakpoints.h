#pragma once
// User breakpoints a plug-in may offer to the debugger, the category provider they are set under,
// and the debugger's breakpoint-id queries. The debugger reaches the objects through callback slots
// 25 to 38 with the object pointers handed over when they were set or registered.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/dk_abi.h"
#include "plugin/sdk/ule.h"

#include <cstdint>
#include <string>
#include <vector>

namespace dk {

class DkUserBreakCategoryProvider;

// A breakpoint the debugger keeps under an id (0 = not set). Set hands the debugger this object as
// its DkUserBreakpointOps; the concrete breakpoint supplies the texts and operations of those slots.
class DkUserBreakpointBase : public DkUserBreakpointOps {
public:
    DkUserBreakpointBase() = default;
    DkUserBreakpointBase(const DkUserBreakpointBase&) = delete;
    DkUserBreakpointBase& operator=(const DkUserBreakpointBase&) = delete;
    // A breakpoint still set is cleared: the debugger must not keep a pointer to a dead object.
    ~DkUserBreakpointBase() override;

    virtual bool Set(const DkUserBreakCategoryProvider& provider); // 257; true when an id came back
    virtual DkStatus Clear();                                      // 258, id back to 0
    virtual DkStatus Refresh();                                    // 250
    uint32_t GetId() const { return m_id; }

    uint32_t BaseId() override { return m_id; }

protected:
    void* debuggerObject() { return static_cast<DkUserBreakpointOps*>(this); }
    uint32_t m_id = 0;
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

// Registers itself with the debugger for its lifetime (229/230). Slots 6 and 7 name the category.
class DkUserBreakCategoryProvider : public DkCategoryProviderOps {
public:
    DkUserBreakCategoryProvider();
    ~DkUserBreakCategoryProvider() override;
    DkUserBreakCategoryProvider(const DkUserBreakCategoryProvider&) = delete;
    DkUserBreakCategoryProvider& operator=(const DkUserBreakCategoryProvider&) = delete;

    DkHandle GetHandle() const { return m_handle; }
    virtual uint32_t Op4() { return 0; }
    const char* Op6(uint32_t) override { return "DEFAULT"; }
    const char* Op7(uint32_t) override { return "DEFAULT"; }

private:
    DkHandle m_handle = 0;
};

// Breakpoint ids the debugger holds: all (253/254), of a category (251/252; category 0 for the
// uncategorised ones). Entry 18(9) answers the debugger's breakpoint status.
std::vector<uint32_t> GetUserBreakpointIds();
std::vector<uint32_t> GetUserBreakpointIds(uint32_t category);
DkStatus GetUserBreakpointStatus();

} // namespace dk
