#pragma once
// The control tables of the application pages.
#include "gui/editors/sheets/page_view.h"

namespace editors {

const PageRows& appGeneralRows();
const PageRows& appClassRows();
const PageRows& appPathsRows();
const PageRows& appSystemRows();
const PageRows& appCodegenRows();
const PageRows& appContextRows();
// The eight option row slots (the CPU page), and with Restore Defaults (the application page).
const PageRows& optionRows();
const PageRows& appOptionsRows();

} // namespace editors
