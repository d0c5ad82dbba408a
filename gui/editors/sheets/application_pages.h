#pragma once
// The control tables of the application pages.
#include "gui/editors/sheets/page_view.h"

namespace editors {

const ControlTable& appGeneralRows();
const ControlTable& appClassRows();
const ControlTable& appPathsRows();
const ControlTable& appSystemRows();
const ControlTable& appCodegenRows();
const ControlTable& appContextRows();
// The eight option row slots (the CPU page), and with Restore Defaults (the application page).
const ControlTable& optionRows();
const ControlTable& appOptionsRows();

} // namespace editors
