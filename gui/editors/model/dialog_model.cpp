#include "gui/editors/model/dialog_model.h"

#include "engine/names/application_sections.h"
#include "engine/util/program_title.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"

namespace editors {

const ControlState* ViewState::find(int id) const
{
    const auto found = m_controls.find(id);
    return found == m_controls.end() ? nullptr : &found->second;
}

std::string ViewState::text(int id) const
{
    const ControlState* control = find(id);
    return control ? control->text : std::string();
}

bool ViewState::checked(int id) const
{
    const ControlState* control = find(id);
    return control && control->check != 0;
}

bool NumberFits32Bits(std::string_view text)
{
    std::size_t consumed = 0;
    engine::ParseNumber(text, &consumed);
    if (consumed == 0)
        return true;
    // The digits the number was read from, with its sign: a positive number fits up to 0xFFFFFFFF, a
    // negative one down to -0x80000000; beyond either the 32-bit value would wrap.
    std::size_t i = text.find_first_not_of(" \t\r\n\v\f");
    const bool negative = text[i] == '-';
    if (text[i] == '+' || text[i] == '-')
        ++i;
    int base = 10;
    if (text[i] == '0') {
        const bool hex = i + 2 < consumed && (text[i + 1] == 'x' || text[i + 1] == 'X');
        base = hex ? 16 : 8;
        i += hex ? 2 : 1;
    }
    const uint64_t limit = negative ? 0x80000000ull : 0xFFFFFFFFull;
    uint64_t value = 0;
    for (; i < consumed; ++i) {
        const char c = text[i];
        const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digit);
        if (value > limit)
            return false;
    }
    return true;
}

bool TypedNumberFits(std::string_view typed, const engine::FieldDescription* field)
{
    std::size_t consumed = 0;
    engine::ParseNumber(typed, &consumed);
    return NumberFits32Bits(typed) &&
           (!field || engine::ReadFieldValue(*field, typed.substr(0, consumed)).problem == engine::FieldProblem::None);
}

void showCheckMessage(const std::string& text)
{
    platform::messageBox(text, engine::ProgramTitle(), platform::MbOk);
}

bool projectKeepsEdit(const engine::ProjectRecord& project)
{
    const std::string refusal = engine::KeptEditRefusal(project);
    if (refusal.empty())
        return true;
    showCheckMessage(refusal);
    return false;
}

} // namespace editors
