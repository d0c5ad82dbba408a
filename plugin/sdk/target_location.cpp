#include "plugin/sdk/target_location.h"

#include "plugin/sdk/dk_context.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/zone_registry.h"

namespace dk {

MemoryZone::MemoryZone() : m_id(ZoneRegistry::instance().defaultZone()) {}

TargetLocation::TargetLocation(MemoryZone zone, uint64_t address)
{
    m_raw.zone = zone.GetId();
    m_raw.reserved = 0;
    m_raw.address = address;
}

bool TargetLocation::IsValid() const
{
    return callKernel<DkLocationTestFn>(0, DK_LOCATION_VALID, &m_raw) != 0;
}

bool TargetLocation::Equals(const TargetLocation& other) const
{
    return callKernel<DkLocationPairFn>(0, DK_LOCATION_EQUALS, &m_raw, &other.m_raw) != 0;
}

bool TargetLocation::Less(const TargetLocation& other) const
{
    return callKernel<DkLocationPairFn>(0, DK_LOCATION_LESS, &m_raw, &other.m_raw) != 0;
}

bool TargetLocation::ConvertToZone(MemoryZone zone, TargetLocation& out) const
{
    DkTargetLocation result{};
    if (callKernel<DkLocationConvertFn>(0, DK_LOCATION_CONVERT, &m_raw, zone.GetId(), &result) == 0)
        return false;
    out = TargetLocation(result);
    return true;
}

bool TargetLocation::Normalize(const DkContext& context)
{
    DkTargetLocation result{};
    if (callKernel<DkLocationNormalizeFn>(0, DK_LOCATION_NORMALIZE, context.GetHandle(), &m_raw, &result) == 0)
        return false;
    m_raw = result;
    m_raw.reserved = 0;
    return true;
}

bool TargetLocation::Normalize() { return Normalize(DkContext::Memory()); }

std::string TargetLocation::ToString() const
{
    char buffer[256] = {};
    callKernelVoid<DkLocationToStringFn>(DK_LOCATION_TO_STRING, &m_raw, uint32_t{sizeof buffer}, buffer);
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

DkStatus TargetLocation::MemoryOperation(int entry, uint32_t count, void* buffer, uint32_t unitBits,
                                         uint8_t* flag) const
{
    return DkContext::Memory().MemoryOperation(entry, *this, count, buffer, unitBits, flag);
}

DkStatus TargetLocation::Read(uint32_t count, void* buffer, uint32_t unitBits, uint8_t* flag) const
{
    return MemoryOperation(DK_MEMORY_READ, count, buffer, unitBits, flag);
}

DkStatus TargetLocation::Write(uint32_t count, const void* buffer, uint32_t unitBits, uint8_t* flag) const
{
    return MemoryOperation(DK_MEMORY_WRITE, count, const_cast<void*>(buffer), unitBits, flag);
}

std::ostream& operator<<(std::ostream& out, const TargetLocation& location)
{
    return out << location.ToString();
}

} // namespace dk
