#pragma once
// A generated target in the stand-in debugger with the plug-in bound to it and the kernel layout loaded,
// as the control panel leaves it after Initialize; counts the debugger's memory read calls.

#include "standins/debugger/sim_kernel.h"
#include "standins/debugger/simtarget/target_builder.h"

#include <cstdint>
#include <string>

namespace bench {

class SimSession {
public:
    explicit SimSession(const simtarget::GeneratedTarget& target);
    ~SimSession();
    SimSession(const SimSession&) = delete;
    SimSession& operator=(const SimSession&) = delete;

    // Empty when the session is ready, else what failed.
    const std::string& error() const { return m_error; }
    // Drops the layout and loads it again, with every class record.
    bool reload();
    uint64_t readCalls();
    const std::string& dataFile() const { return m_path; }
    uint32_t anchor() const { return m_anchor; }
    simdbg::SimKernel& debugger() { return m_debugger; }

private:
    simdbg::SimKernel m_debugger;
    std::string m_path;
    uint32_t m_anchor = 0;
    std::string m_error;
};

} // namespace bench
