#include "gui/editors/model/dialog_model.h"

#include "engine/util/program_title.h"
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

void showCheckMessage(const std::string& text)
{
    platform::messageBox(text, engine::ProgramTitle(), platform::MbOk);
}

} // namespace editors
