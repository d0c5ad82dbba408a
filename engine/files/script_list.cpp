#include "engine/files/script_list.h"

#include "engine/records/counted_array.h"
#include "engine/records/text_field.h"
#include "engine/sectioned/sectioned_file.h"

#include <vector>

namespace engine {

std::string ReadScriptList(const SectionedFileSection* section, int32_t& count, ScriptEntry*& scripts)
{
    freeRows(count, scripts);
    if (!section)
        return {};
    std::vector<std::pair<std::string, std::string>> kept;
    for (const SectionedFileEntry* entry : section->Entries()) {
        std::string name = TrimText(entry->GetName(), true, true);
        std::string command = TrimText(entry->GetValue(), true, true);
        if (name.empty() || command.empty())
            continue;
        if (!textFits(sizeof(ScriptEntry::name), name))
            return "the script name \"" + name.substr(0, 40) + "...\" in section \"" + section->GetName() +
                   "\" is longer than " + std::to_string(sizeof(ScriptEntry::name) - 1) + " characters";
        if (!textFits(sizeof(ScriptEntry::command), command))
            return "the command of script \"" + name + "\" in section \"" + section->GetName() + "\" is longer than " +
                   std::to_string(sizeof(ScriptEntry::command) - 1) + " characters";
        kept.emplace_back(std::move(name), std::move(command));
    }
    if (kept.empty() || kept.size() > static_cast<std::size_t>(INT32_MAX))
        return {};
    scripts = allocateRows<ScriptEntry>(static_cast<int32_t>(kept.size()));
    if (!scripts)
        return {};
    count = static_cast<int32_t>(kept.size());
    for (std::size_t i = 0; i < kept.size(); ++i) {
        setText(scripts[i].name, kept[i].first);
        setText(scripts[i].command, kept[i].second);
    }
    return {};
}

} // namespace engine
