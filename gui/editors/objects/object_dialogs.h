#pragma once
// Running the editor dialogs modally on their models.
#include "gui/editors/model/object_dialog_model.h"
#include "gui/editors/model/property_models.h"

class QWidget;

namespace editors {

// 1 OK, 2 Cancel.
int runObjectDialog(ObjectDialogModel& model, QWidget* parent = nullptr);
int runClassOptionsDialog(ClassOptionsModel& model, QWidget* parent = nullptr);
int runDynamicObjectsDialog(DynamicObjectsModel& model, QWidget* parent = nullptr);
int runProjectPropertiesDialog(ProjectPropertiesModel& model, QWidget* parent = nullptr);

} // namespace editors
