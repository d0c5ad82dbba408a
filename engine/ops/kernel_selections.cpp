// Class and attribute selections of a kernel record: lookups and the normalisation that keeps them
// consistent with the kernel variant and with what each item needs.

#include "engine/ops/cpu_record_handler.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

namespace engine {

namespace {

bool effective(int32_t available, int32_t selected) { return available != 0 && selected != 0; }

void makeAvailable(int32_t count, KernelClassAttribute* attributes)
{
    for (int32_t i = 0; i < rowCount(count, attributes); ++i) {
        attributes[i].available = 1;
        makeAvailable(attributes[i].childCount, attributes[i].children);
    }
}

const KernelClassAttribute* findAttribute(int32_t count, const KernelClassAttribute* attributes, std::string_view name)
{
    for (int32_t i = 0; i < rowCount(count, attributes); ++i) {
        if (textOf(attributes[i].name) == name)
            return &attributes[i];
        if (const KernelClassAttribute* found =
                findAttribute(attributes[i].childCount, attributes[i].children, name))
            return found;
    }
    return nullptr;
}

// Makes an item unavailable, which also deselects it. Returns whether anything changed.
bool withdraw(int32_t& available, int32_t& selected)
{
    const bool changed = available != 0 || selected != 0;
    available = 0;
    selected = 0;
    return changed;
}

template <typename Item>
bool needsMet(const CpuRecordHandler& handler, const Item& item)
{
    for (int32_t i = 0; i < rowCount(item.needsCount, item.needs); ++i)
        if (!handler.FindSelectedKernelItem(textOf(item.needs[i])))
            return false;
    return true;
}

void enableServices(int32_t count, KernelServiceRow* services, bool on)
{
    for (int32_t i = 0; i < rowCount(count, services); ++i)
        services[i].enabled = on ? 1 : 0;
}

bool normalizeAttributes(const CpuRecordHandler& handler, int32_t variant, int32_t count,
                         KernelClassAttribute* attributes, bool parentOn)
{
    bool changed = false;
    for (int32_t i = 0; i < rowCount(count, attributes); ++i) {
        KernelClassAttribute& attribute = attributes[i];
        if (attribute.available && (!parentOn || (attribute.variantMask & variant) == 0 || !needsMet(handler, attribute)))
            changed |= withdraw(attribute.available, attribute.selected);
        const bool on = effective(attribute.available, attribute.selected);
        enableServices(attribute.serviceCount, attribute.services, on);
        changed |= normalizeAttributes(handler, variant, attribute.childCount, attribute.children, on);
    }
    return changed;
}

int32_t countItems(int32_t count, const KernelClassAttribute* attributes)
{
    int32_t total = 0;
    for (int32_t i = 0; i < rowCount(count, attributes); ++i)
        total += 1 + countItems(attributes[i].childCount, attributes[i].children);
    return total;
}

}  // namespace

bool CpuRecordHandler::HasKernelClass(std::string_view name) const
{
    if (!m_kernel)
        return false;
    for (int32_t i = 0; i < rowCount(m_kernel->classCount, m_kernel->classes); ++i)
        if (textOf(m_kernel->classes[i].name) == name)
            return true;
    return false;
}

int32_t CpuRecordHandler::CountVariantOptions() const
{
    if (!m_kernel)
        return 0;
    int32_t count = 0;
    for (int32_t i = 0; i < rowCount(m_kernel->optionCount, m_kernel->options); ++i) {
        const ModelOptionRow& row = m_kernel->options[i];
        if (!row.forApplications && row.shown && (row.variantMask & m_kernel->framework) != 0)
            ++count;
    }
    return count;
}

bool CpuRecordHandler::FindSelectedKernelItem(std::string_view name) const
{
    if (!m_kernel)
        return false;
    const int32_t classes = rowCount(m_kernel->classCount, m_kernel->classes);
    for (int32_t i = 0; i < classes; ++i) {
        const KernelClassRecord& kernelClass = m_kernel->classes[i];
        if (textOf(kernelClass.name) == name)
            return effective(kernelClass.available, kernelClass.selected);
    }
    for (int32_t i = 0; i < classes; ++i) {
        const KernelClassRecord& kernelClass = m_kernel->classes[i];
        if (const KernelClassAttribute* found = findAttribute(kernelClass.attributeCount, kernelClass.attributes, name))
            return effective(found->available, found->selected);
    }
    return false;
}

// Availability is recomputed from scratch; an item that turns out unavailable (variant excluded, a needed
// item missing, or for an attribute its parent off) is deselected. Selections of available items stay.
void CpuRecordHandler::NormalizeKernelSelections()
{
    if (!m_kernel)
        return;
    KernelRecord& kernel = *m_kernel;
    const int32_t classes = rowCount(kernel.classCount, kernel.classes);
    int32_t items = classes;
    for (int32_t i = 0; i < classes; ++i) {
        kernel.classes[i].available = 1;
        makeAvailable(kernel.classes[i].attributeCount, kernel.classes[i].attributes);
        items += countItems(kernel.classes[i].attributeCount, kernel.classes[i].attributes);
    }
    // Every changing pass withdraws at least one item for good, so items + 1 passes always suffice.
    for (int32_t pass = 0; pass <= items; ++pass) {
        bool changed = false;
        for (int32_t i = 0; i < classes; ++i) {
            KernelClassRecord& kernelClass = kernel.classes[i];
            if (kernelClass.available && ((kernelClass.variantMask & kernel.framework) == 0 || !needsMet(*this, kernelClass)))
                changed |= withdraw(kernelClass.available, kernelClass.selected);
            const bool on = effective(kernelClass.available, kernelClass.selected);
            enableServices(kernelClass.serviceCount, kernelClass.services, on);
            changed |= normalizeAttributes(*this, kernel.framework, kernelClass.attributeCount, kernelClass.attributes, on);
        }
        if (!changed)
            break;
    }
}

}  // namespace engine
