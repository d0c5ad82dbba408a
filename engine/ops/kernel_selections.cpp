// Class and attribute selections of a kernel record: lookups and the normalisation that keeps them
// consistent with the kernel variant and with what each item needs.

#include "engine/ops/cpu_record_handler.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"

#include <string_view>
#include <unordered_map>
#include <vector>

namespace engine {

namespace {

bool effective(int32_t available, int32_t selected) { return available != 0 && selected != 0; }

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

// Makes an item unavailable, which also deselects it.
void withdraw(int32_t& available, int32_t& selected)
{
    available = 0;
    selected = 0;
}

void enableServices(int32_t count, KernelServiceRow* services, bool on)
{
    for (int32_t i = 0; i < rowCount(count, services); ++i)
        services[i].enabled = on ? 1 : 0;
}

// One class or attribute of a kernel record, seen by the normalisation.
struct SelectionItem {
    int32_t* available;
    int32_t* selected;
    int32_t variantMask;
    int32_t needsCount;
    const NameText* needs;
    int32_t serviceCount;
    KernelServiceRow* services;
    int parent; // index of the parent item; -1 for a class
};

// Every class, then every attribute of every class depth first: the order in which a needed name is looked
// up, so the first item of a name is the one FindSelectedKernelItem finds.
class SelectionGraph {
public:
    explicit SelectionGraph(KernelRecord& kernel)
    {
        const int32_t classes = rowCount(kernel.classCount, kernel.classes);
        for (int32_t i = 0; i < classes; ++i) {
            KernelClassRecord& c = kernel.classes[i];
            add({&c.available, &c.selected, c.variantMask, c.needsCount, c.needs, c.serviceCount, c.services, -1},
                c.name);
        }
        for (int32_t i = 0; i < classes; ++i)
            addAttributes(kernel.classes[i].attributeCount, kernel.classes[i].attributes, i);
    }

    std::vector<SelectionItem> items;
    std::unordered_map<std::string_view, int> byName; // first item of each name
    std::vector<std::vector<int>> children;

private:
    int add(const SelectionItem& item, const char (&name)[kNameSize])
    {
        const int index = static_cast<int>(items.size());
        items.push_back(item);
        children.emplace_back();
        byName.try_emplace(textOf(name), index);
        if (item.parent >= 0)
            children[static_cast<std::size_t>(item.parent)].push_back(index);
        return index;
    }

    void addAttributes(int32_t count, KernelClassAttribute* attributes, int parent)
    {
        for (int32_t i = 0; i < rowCount(count, attributes); ++i) {
            KernelClassAttribute& a = attributes[i];
            const int index = add({&a.available, &a.selected, a.variantMask, a.needsCount, a.needs, a.serviceCount,
                                   a.services, parent},
                                  a.name);
            addAttributes(a.childCount, a.children, index);
        }
    }
};

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
// Items are only ever withdrawn, so the result does not depend on the order of the checks: a work list
// rechecks just the items that depend on one that went off, in time linear in the model's size.
void CpuRecordHandler::NormalizeKernelSelections()
{
    if (!m_kernel)
        return;
    KernelRecord& kernel = *m_kernel;
    SelectionGraph graph(kernel);
    std::vector<SelectionItem>& items = graph.items;
    const int count = static_cast<int>(items.size());

    // Who must be checked again when an item goes off: its children and the items that need it.
    std::vector<std::vector<int>> neededBy(items.size());
    for (int i = 0; i < count; ++i) {
        *items[static_cast<std::size_t>(i)].available = 1;
        const SelectionItem& item = items[static_cast<std::size_t>(i)];
        for (int32_t n = 0; n < rowCount(item.needsCount, item.needs); ++n) {
            auto found = graph.byName.find(textOf(item.needs[n]));
            if (found != graph.byName.end())
                neededBy[static_cast<std::size_t>(found->second)].push_back(i);
        }
    }
    const auto on = [&](int i) {
        const SelectionItem& item = items[static_cast<std::size_t>(i)];
        return effective(*item.available, *item.selected);
    };
    const auto mustGo = [&](const SelectionItem& item) {
        if ((item.parent >= 0 && !on(item.parent)) || (item.variantMask & kernel.framework) == 0)
            return true;
        for (int32_t n = 0; n < rowCount(item.needsCount, item.needs); ++n) {
            auto found = graph.byName.find(textOf(item.needs[n]));
            if (found == graph.byName.end() || !on(found->second))
                return true;
        }
        return false;
    };

    std::vector<int> work;
    work.reserve(items.size());
    for (int i = count - 1; i >= 0; --i)
        work.push_back(i);
    while (!work.empty()) {
        const int i = work.back();
        work.pop_back();
        SelectionItem& item = items[static_cast<std::size_t>(i)];
        if (!*item.available || !mustGo(item))
            continue;
        const bool wasOn = on(i);
        withdraw(*item.available, *item.selected);
        if (!wasOn)
            continue;
        for (int child : graph.children[static_cast<std::size_t>(i)])
            work.push_back(child);
        for (int needer : neededBy[static_cast<std::size_t>(i)])
            work.push_back(needer);
    }
    for (int i = 0; i < count; ++i) {
        const SelectionItem& item = items[static_cast<std::size_t>(i)];
        enableServices(item.serviceCount, item.services, on(i));
    }
}

}  // namespace engine
