#include "engine/names/report_texts.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "gui/editors/model/page_application.h"

namespace editors {

namespace {

using namespace app_ids;

struct PathRow {
    int edit;
    int browse;
    char (engine::ApplicationRecord::*field)[engine::kPathSize];
    const char* purpose;
};

const PathRow kRows[] = {
    {CodePath, BrowseCode, &engine::ApplicationRecord::codePath, "Code Files"},
    {HeaderPath, BrowseHeader, &engine::ApplicationRecord::headerPath, "Header Files"},
    {OptionsPath, BrowseOptions, &engine::ApplicationRecord::optionPath, "Option Files"},
    {ReportPath, BrowseReport, &engine::ApplicationRecord::reportPath, "Report Files"},
};

} // namespace

void AppPathsPage::load(ViewState& state)
{
    for (const PathRow& row : kRows) {
        state[row.edit].text = engine::textString(application().*row.field);
        state[row.edit].limit = engine::kPathSize - 1;
    }
}

void AppPathsPage::store(ViewState& state)
{
    for (const PathRow& row : kRows) {
        // A path is stored as the application file reads it back: with "/" for "\". The edits take no
        // more than a path field holds; a longer text set from elsewhere is not stored.
        const std::string path = engine::MakeNativePath(state.text(row.edit));
        if (engine::textFits(application().*row.field, path)) {
            engine::setText(application().*row.field, path);
            state[row.edit].text = path;
        }
    }
}

bool AppPathsPage::clicked(int id, ViewState& state)
{
    for (const PathRow& row : kRows) {
        if (row.browse != id)
            continue;
        if (!m_context.hooks.chooseFolder)
            return false;
        std::string chosen;
        if (!m_context.hooks.chooseFolder(row.purpose, engine::ResolvePathText(state.text(row.edit)), chosen))
            return false;
        const std::string relative = engine::MakeRelativePath(engine::GetCurrentDirectoryText(), chosen);
        if (!engine::textFits(application().*row.field, relative)) {
            pageMessage(engine::FormatText("The chosen folder's path is too long: a path holds at most %d characters",
                                           static_cast<int>(engine::kPathSize - 1)));
            return false;
        }
        state[row.edit].text = relative;
        store(state);
        return true;
    }
    return false;
}

} // namespace editors
