#pragma once
// The "CPU Properties" sheet over one CPU's kernel record, restored on Cancel.
#include "gui/editors/model/cpu_sheet.h"

class QWidget;

namespace engine {
class CpuRecordHandler;
}

namespace editors {

// 1 OK (params then hold the new name and description), 2 Cancel (params untouched, the kernel record
// as before). project, when given, is the folder base of the kernel file's path.
int ShowCpuPropertiesSheet(engine::CpuRecordHandler& handler, CpuSheetParams& params,
                           engine::ProjectRecord* project, QWidget* parent = nullptr);

} // namespace editors
