#include "engine/records/text_field.h"
#include "gui/editors/model/blank_text.h"
#include "gui/editors/model/property_models.h"
#include "platform/core/message_service.h"

namespace editors {

namespace {

constexpr int kProjectTextLimit = engine::kNameSize - 1;

} // namespace

void ProjectPropertiesModel::init(ViewState& state)
{
    state.title = "Project Properties";
    state[IdProjectName].limit = kProjectTextLimit;
    state[IdProjectDescription].limit = kProjectTextLimit;
    if (m_project) {
        state[IdProjectName].text = engine::textString(m_project->name);
        state[IdProjectDescription].text = engine::textString(m_project->description);
    }
}

OkOutcome ProjectPropertiesModel::ok(ViewState& state, DialogHost&)
{
    // The record fields hold 127 characters; a longer text never reaches the caller.
    m_name = state.text(IdProjectName).substr(0, kProjectTextLimit);
    m_description = state.text(IdProjectDescription).substr(0, kProjectTextLimit);
    if (m_name.empty()) {
        platform::messageBox("Project must have a name", "Project", platform::MbOk);
        return OkOutcome::stay(IdProjectName, false);
    }
    if (IsBlankText(m_name)) {
        platform::messageBox("Project must have non-blank name", "Project", platform::MbOk);
        return OkOutcome::stay(IdProjectName, false);
    }
    return OkOutcome::closeOk();
}

} // namespace editors
