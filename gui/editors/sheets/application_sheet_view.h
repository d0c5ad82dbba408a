#pragma once
// The "Application Properties" sheet: General, Options, Class, Paths, System, Code Generation and
// Extended Context pages over one application record, restored on Cancel.
#include "engine/records/records.h"
#include "gui/editors/model/application_sheet.h"

class QWidget;

namespace editors {

// 1 OK, 2 Cancel (also when the application cannot be copied). mainWindow supplies what the pages ask of
// the window around the sheet: its rebuildTree, refreshTreeLabels and updateFootprint are used.
int ShowApplicationPropertiesSheet(engine::ProjectRecord& project, engine::ApplicationRecord& application,
                                   engine::CpuRecord& cpu, const ApplicationSheetHooks& mainWindow = {},
                                   QWidget* parent = nullptr);

} // namespace editors
