#include "engine/files/script_list.h"

#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"

#include <vector>

namespace engine {

void ReadScriptList(const SectionedFileSection* section, int32_t& count, ScriptEntry*& scripts)
{
    freeRows(count, scripts);
    if (!section)
        return;
    std::vector<std::pair<std::string, std::string>> kept;
    for (const SectionedFileEntry* entry : section->Entries()) {
        std::string name = TrimText(entry->GetName(), true, true);
        std::string command = TrimText(entry->GetValue(), true, true);
        if (!name.empty() && !command.empty())
            kept.emplace_back(std::move(name), std::move(command));
    }
    if (kept.empty() || kept.size() > static_cast<std::size_t>(INT32_MAX))
        return;
    scripts = allocateRows<ScriptEntry>(static_cast<int32_t>(kept.size()));
    if (!scripts)
        return;
    count = static_cast<int32_t>(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        setText(scripts[i].name, kept[i].first);       // cut to 127 characters
        setText(scripts[i].command, kept[i].second);   // cut to 1023 characters
    }
}

} // namespace engine
