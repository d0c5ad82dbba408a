#include <cctype>

#include "engine/footprint/symbol_table.h"
#include "engine/names/kernel_lookup.h"
#include "engine/records/text_field.h"
#include "gui/editors/model/page_application.h"
#include "gui/editors/model/page_cpu_class.h"

namespace editors {

using namespace app_ids;

void AppClassPage::fill()
{
    m_lines.clear();
    m_entries.clear();
    engine::ApplicationRecord& app = application();
    engine::UpdateSymbolsForApplication(cpu(), app);
    for (int32_t i = 0; app.classEntries && i < app.classEntryCount; ++i) {
        std::string indent;
        int depth = 0;
        for (engine::ApplicationClassEntry* entry = &app.classEntries[i]; entry && entry->enabled && depth < 16;
             entry = entry->chained, ++depth, indent += "> ") {
            const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(&cpu(), entry->classType);
            if (!kernelClass || !kernelClass->available || !kernelClass->selected)
                continue;
            const uint32_t size = ClassObjectSize(*kernelClass, cpu());
            ListLine line;
            line.text = indent + engine::textString(kernelClass->name) + "\t" + (size ? std::to_string(size) : "");
            m_lines.push_back(line);
            m_entries.push_back(entry);
        }
    }
}

void AppClassPage::load(ViewState& state)
{
    state[ClassOptions].enabled = false;
    fill();
    state[ClassList].check = -1;
    std::string heading = engine::textString(cpu().kernel.sizeUnitName) + " per Object";
    heading[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(heading[0])));
    state[ClassHeading].text = heading;
}

std::vector<ListLine> AppClassPage::items(int id) const
{
    return id == ClassList ? m_lines : std::vector<ListLine>{};
}

engine::ApplicationClassEntry* AppClassPage::entryOfLine(int line) const
{
    return line >= 0 && line < static_cast<int>(m_entries.size()) ? m_entries[line] : nullptr;
}

bool AppClassPage::clicked(int id, ViewState& state)
{
    if (id == ClassList) {
        state[ClassOptions].enabled = entryOfLine(state[ClassList].check) != nullptr;
        return true;
    }
    if (id != ClassOptions)
        return false;
    engine::ApplicationClassEntry* entry = entryOfLine(state[ClassList].check);
    if (!entry)
        return false;
    const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(&cpu(), entry->classType);
    if (!kernelClass || !kernelClass->selected || !m_context.hooks.classOptions)
        return false;
    if (m_context.hooks.classOptions(*entry) != ResultOk)
        return false;
    const int selected = state[ClassList].check;
    fill();
    state[ClassList].check = selected < static_cast<int>(m_lines.size()) ? selected : -1;
    if (m_context.hooks.updateGeneralButtons)
        m_context.hooks.updateGeneralButtons();
    if (m_context.hooks.updateFootprint)
        m_context.hooks.updateFootprint();
    return true;
}

} // namespace editors
