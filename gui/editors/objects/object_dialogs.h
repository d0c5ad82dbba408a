#pragma once
// Running the editor dialogs modally on their models.
#include "gui/editors/model/object_dialog_model.h"
#include "gui/editors/model/property_models.h"

class QWidget;

namespace editors {

// 1 OK, 2 Cancel.
int runObjectDialog(ObjectDialogModel& model, QWidget* parent = nullptr);
// The object's properties dialog as a transaction (see edit_object_properties.h): counterParents is the
// class entry whose objects are the parents of the application's counters, or null to take the entry
// above the object's own entry in its chain.
int editObjectWithDialog(const engine::ProjectRecord& project, engine::CpuRecord& cpu,
                         engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                         engine::ObjectRecord& object, engine::ApplicationClassEntry* counterParents = nullptr);
int runClassOptionsDialog(ClassOptionsModel& model, QWidget* parent = nullptr);
int runDynamicObjectsDialog(DynamicObjectsModel& model, QWidget* parent = nullptr);
int runProjectPropertiesDialog(ProjectPropertiesModel& model, QWidget* parent = nullptr);

} // namespace editors
