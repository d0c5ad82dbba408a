#pragma once
// The task provider a plug-in may offer to the debugger (one at a time, registered for its lifetime)
// and the debugger's task queries.

#include "plugin/sdk/callback_objects.h"
#include "plugin/sdk/registered_object.h"
#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/target_location.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <memory>
#include <string>
#include <vector>

namespace dk {

class TaskProviderAnchor;

// Registers with entry 202 at construction and takes the process-wide slot (a later provider
// replaces an earlier one); unregisters with 203 at destruction while it still holds the slot.
// The debugger calls slots 20 to 24 on it, through an anchor (plugin/sdk/registered_object.h): a
// plain T from its base's construction on, DkWhole<T> (plugin/sdk/subscribed.h) once whole. delete
// ends it without waiting, on any thread and from inside its calls.
class DkTaskProvider : public RegisteredObject<DkTaskProviderOps, TaskProviderAnchor> {
public:
    DkTaskProvider();
    ~DkTaskProvider() override; // Withdraw
    DkTaskProvider(const DkTaskProvider&) = delete;
    DkTaskProvider& operator=(const DkTaskProvider&) = delete;

    static DkTaskProvider* Current();

private:
    void unregisterFromDebugger() override;
};

// A task handle of the debugger, shared by copies; the last copy gives it back with 261.
class DkTaskHandle {
public:
    DkTaskHandle() : DkTaskHandle(0) {}
    explicit DkTaskHandle(DkHandle handle); // taken over
    // 266 for a kind 3 to 8 (flag 1), or any kind and flag.
    static DkTaskHandle OfKind(uint32_t kind, const DkContext& context);
    static DkTaskHandle OfKind(uint32_t kind, const DkContext& context, uint32_t flag);

    DkHandle GetHandle() const { return m_body->handle; }
    uint32_t GetState() const;                  // 262: 0, 1 or 2; anything else reads 0
    uint32_t Set264(uint32_t value) const;      // 264
    uint32_t Query265() const;                  // 265
    std::vector<TargetLocation> GetLocations() const; // 263, array given back with 223

private:
    struct Body {
        DkHandle handle = 0;
        ~Body();
    };
    std::shared_ptr<Body> m_body;
};

// 204: on status 0 the list is replaced by the debugger's task ids (array given back with 205).
DkStatus GetTaskIds(std::vector<uint32_t>& ids);
std::string GetTaskName(uint32_t task); // 206, given back with 19
bool GetTaskFlag(uint32_t task);        // 208 > 0

} // namespace dk
