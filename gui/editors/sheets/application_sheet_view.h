#pragma once
// The "Application Properties" sheet: General, Options, Class, Paths, System, Code Generation and
// Extended Context pages over one application record, restored on Cancel.
#include "engine/records/records.h"

class QWidget;

namespace editors {

// 1 OK, 2 Cancel (also when the application cannot be copied).
int ShowApplicationPropertiesSheet(engine::ProjectRecord& project, engine::ApplicationRecord& application,
                                   engine::CpuRecord& cpu, QWidget* parent = nullptr);

} // namespace editors
