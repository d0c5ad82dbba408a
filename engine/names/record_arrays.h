#pragma once
// The counted arrays of the records as ranges. A count that is not positive, or a null block, gives an
// empty range, so walks never trust a count without its block.

#include <cstddef>
#include <cstdint>

#include "engine/records/records.h"

namespace engine {

template <typename T>
class RecordSpan {
public:
    RecordSpan() = default;
    RecordSpan(T* data, int32_t count) : m_data(count > 0 ? data : nullptr), m_size(data && count > 0 ? count : 0) {}
    T* begin() const { return m_data; }
    T* end() const { return m_data + m_size; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](std::size_t i) const { return m_data[i]; }

private:
    T* m_data = nullptr;
    std::size_t m_size = 0;
};

inline RecordSpan<CpuRecord> Cpus(const ProjectRecord& p) { return {p.cpus, p.cpuCount}; }
inline RecordSpan<ApplicationRecord> Applications(const CpuRecord& c) { return {c.applications, c.applicationCount}; }
inline RecordSpan<ApplicationClassEntry> ClassEntries(const ApplicationRecord& a) { return {a.classEntries, a.classEntryCount}; }
inline RecordSpan<ObjectRecord> Objects(const ApplicationClassEntry& e) { return {e.objects, e.objectCount}; }
inline RecordSpan<ObjectRecord> Children(const ObjectRecord& o) { return {o.children, o.childCount}; }
inline RecordSpan<KernelClassRecord> KernelClasses(const KernelRecord& k) { return {k.classes, k.classCount}; }
inline RecordSpan<ModelOptionRow> ModelOptions(const KernelRecord& k) { return {k.options, k.optionCount}; }
inline RecordSpan<KernelClassAttribute> Attributes(const KernelClassRecord& c) { return {c.attributes, c.attributeCount}; }
inline RecordSpan<KernelClassAttribute> Attributes(const KernelClassAttribute& a) { return {a.children, a.childCount}; }

// Non-negative count of a signed record word (dynamic counts, sizes).
inline uint32_t NonNegative(int32_t value) { return value > 0 ? static_cast<uint32_t>(value) : 0u; }

} // namespace engine
