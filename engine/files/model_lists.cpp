// The lists of a kernel class or attribute in a model file: "Needs", "Services" and "Options".
#include "engine/files/file_message.h"
#include "engine/files/model_file.h"
#include "engine/files/model_reader.h"
#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"
#include "engine/util/text.h"

namespace engine {
namespace {

// A list section that a "Services" or "Options" value names, or null after a message when it is missing
// or has no entries.
const SectionedFileSection* listSection(const SectionedFile& model, const std::string& name, const char* key,
                                        const std::string& path)
{
    const SectionedFileSection* section = model.FindSection(name);
    if (section && section->GetEntryCount() > 0)
        return section;
    ShowFileMessage(FormatText("The section \"%s\" named by a \"%s\" value is missing or empty in model file %s",
                               name.c_str(), key, path.c_str()));
    return nullptr;
}

} // namespace

bool ModelReader::readNeedsList(std::string_view value, std::string_view section, int32_t& count, NameText*& needs)
{
    freeRows(count, needs);
    if (value.empty())
        return true;
    // Runs between commas, not trimmed; empty runs give no name.
    TextList runs;
    SplitText(runs, value, ',', true);
    TextList names;
    for (std::string& run : runs)
        if (!run.empty())
            names.push_back(std::move(run));
    if (names.empty()) {
        ShowFileMessage(FormatText("A \"Needs\" value holds no names in model file %s", m_path.c_str()));
        return false;
    }
    if (!spend(m_needsBudget, names.size(), kMaxModelNeeds, "\"Needs\" names"))
        return false;
    needs = allocateRows<NameText>(static_cast<int32_t>(names.size()));
    if (!needs)
        return false;
    count = static_cast<int32_t>(names.size());
    for (std::size_t i = 0; i < names.size(); ++i)
        if (!storeText(needs[i], names[i], "Needs", section))
            return false;
    return true;
}

bool ModelReader::readServiceList(std::string_view value, int32_t& count, KernelServiceRow*& services)
{
    freeRows(count, services);
    const std::string name = TrimText(value, true, true);
    if (name.empty())
        return true;
    const SectionedFileSection* list = listSection(m_model, name, "Services", m_path);
    if (!list || !spend(m_serviceBudget, list->GetEntryCount(), kMaxModelServices, "services"))
        return false;
    services = allocateRows<KernelServiceRow>(static_cast<int32_t>(list->GetEntryCount()));
    if (!services)
        return false;
    count = static_cast<int32_t>(list->GetEntryCount());
    for (int32_t i = 0; i < count; ++i) {
        const SectionedFileEntry* entry = list->GetEntry(static_cast<std::size_t>(i));
        KernelServiceRow& row = services[i];
        if (!storeText(row.name, entry->GetName(), entry->GetName(), name) ||
            !storeText(row.sectionName, entry->GetName(), entry->GetName(), name))
            return false;
        row.state = 1;
        row.enabled = 1;
        row.local = m_kernel.defaultServiceLocal;
        row.incoming = m_kernel.defaultServiceIncoming;
        row.outgoing = m_kernel.defaultServiceOutgoing;
        // "MP[,local[,incoming[,outgoing]]]": a field that starts with a digit overrides its default.
        TextList fields;
        SplitText(fields, entry->GetValue(), ',', true);
        if (fields.empty() || ToUpperText(TrimText(fields[0], true, true)) != "MP")
            continue;
        row.mp = 1;
        int32_t* targets[3] = {&row.local, &row.incoming, &row.outgoing};
        for (std::size_t f = 1; f < fields.size() && f <= 3; ++f) {
            const std::string field = TrimText(fields[f], true, true);
            if (!field.empty() && field[0] >= '0' && field[0] <= '9')
                *targets[f - 1] = ParseNumber(field) != 0 ? 1 : 0;
        }
    }
    return true;
}

bool ModelReader::readAttributeList(std::string_view value, int32_t& count, KernelClassAttribute*& attributes)
{
    const std::string name = TrimText(value, true, true);
    if (name.empty())
        return true;
    const std::string key = ToUpperText(name);
    if (m_openLists.count(key)) {
        ShowFileMessage(FormatText("The attribute list \"%s\" contains itself in model file %s", name.c_str(),
                                   m_path.c_str()));
        return false;
    }
    // Every list being read is open, so their number is the nesting depth; the readers and copiers of
    // attribute trees recurse once per level.
    if (m_openLists.size() >= static_cast<std::size_t>(kMaxAttributeNesting)) {
        ShowFileMessage(FormatText("Class attributes in model file %s are nested more than %d levels deep",
                                   m_path.c_str(), kMaxAttributeNesting));
        return false;
    }
    const SectionedFileSection* list = listSection(m_model, name, "Options", m_path);
    if (!list)
        return false;
    if (!spend(m_attributeBudget, list->GetEntryCount(), kMaxModelAttributes, "class attributes"))
        return false;
    const auto n = static_cast<int32_t>(list->GetEntryCount());
    attributes = allocateRows<KernelClassAttribute>(n);
    if (!attributes)
        return false;
    count = n;
    for (int32_t i = 0; i < n; ++i) {
        KernelClassAttribute& row = attributes[i];
        row.variantMask = 255;
        row.shown = 1;
        row.available = 1;
        row.selected = 1;
    }
    m_openLists.insert(key);
    bool ok = true;
    for (int32_t i = 0; ok && i < n; ++i) {
        const std::string& attributeName = list->GetEntry(static_cast<std::size_t>(i))->GetName();
        ok = storeText(attributes[i].name, attributeName, attributeName, name);
        const SectionedFileSection* section = ok ? m_model.FindSection(attributeName) : nullptr;
        if (ok && !section) {
            missingSection(attributeName);
            ok = false;
        }
        if (ok)
            ok = readAttribute(*section, attributes[i]);
    }
    m_openLists.erase(key);
    return ok;
}

bool ModelReader::readAttribute(const SectionedFileSection& s, KernelClassAttribute& a)
{
    if (!storeText(a.tag, s.GetString("Tag"), "Tag", s.GetName()))
        return false;
    a.attributeBits = m_numbers.number(s, "Attribute", 0);
    a.size = m_numbers.number(s, "size", 0, kNonNegative);
    a.alignment = m_numbers.number(s, "Alignment", 0, kNonNegative);
    a.variantMask = m_numbers.number(s, "FWMask", 255);
    a.shown = m_numbers.flag(s, "Show", true);
    return readNeedsList(s.GetString("Needs"), s.GetName(), a.needsCount, a.needs) &&
           readServiceList(s.GetString("Services"), a.serviceCount, a.services) &&
           readAttributeList(s.GetString("Options"), a.childCount, a.children);
}

} // namespace engine
