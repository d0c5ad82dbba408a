#pragma once
// The kernel data engine's target port over the plug-in object: memory of zone 0 read byte by byte
// through the debugger, written in one call, and symbols looked up by name.

#include "plugin/kernel/target_port.h"

namespace dk {

class PluginSample;

class PluginTargetPort final : public kernel::TargetPort {
public:
    explicit PluginTargetPort(PluginSample& sample) : m_sample(sample) {}
    bool read(uint32_t address, uint32_t count, uint8_t* buffer) override;
    bool write(uint32_t address, uint32_t count, const uint8_t* buffer) override;
    std::optional<uint32_t> symbolAddress(const std::string& name) override;

private:
    PluginSample& m_sample;
};

} // namespace dk
