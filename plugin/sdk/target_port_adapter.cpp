#include "plugin/sdk/target_port_adapter.h"

#include "plugin/sdk/plugin_sample.h"

#include <cstring>

namespace dk {

bool PluginTargetPort::read(uint32_t address, uint32_t count, uint8_t* buffer)
{
    if (m_sample.Read(address, count, buffer))
        return true;
    if (buffer != nullptr && count != 0)
        std::memset(buffer, 0, count); // the engine's rule: a failed read leaves an all-zero buffer
    return false;
}

bool PluginTargetPort::write(uint32_t address, uint32_t count, const uint8_t* buffer)
{
    return m_sample.Write(address, count, buffer);
}

std::optional<uint32_t> PluginTargetPort::symbolAddress(const std::string& name)
{
    uint32_t address = m_sample.GetSymbol(name.c_str());
    if (address == 0xFFFFFFFFu)
        return std::nullopt;
    return address;
}

} // namespace dk
