#pragma once
// DkExecutor: an object the debugger reports execution events and breakpoint hits to (callback
// slots 8 to 10). Each operation answers an executor result, 1 by default.

#include <cstdint>

namespace dk {

class DkExecutor {
public:
    virtual ~DkExecutor() = default;
    virtual uint32_t OnStop() { return 1; }
    virtual uint32_t OnEvent() { return 1; }
    virtual uint32_t OnHit() { return 1; }
};

} // namespace dk
