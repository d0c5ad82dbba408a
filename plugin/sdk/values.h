#pragma once
// DkValue: a shared handle of a debugger value; the last copy gives it back with entry 118.

#include "plugin/sdk/dk_abi.h"

#include <memory>

namespace dk {

class DkValue {
public:
    DkValue() = default;
    static DkValue New();                  // entry 117
    static DkValue TakeOver(DkHandle handle); // a handle the debugger handed over

    DkHandle GetHandle() const { return m_body ? m_body->handle : 0; }

private:
    struct Body {
        DkHandle handle = 0;
        ~Body();
    };
    std::shared_ptr<Body> m_body;
};

} // namespace dk
