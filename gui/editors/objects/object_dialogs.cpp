#include "gui/editors/objects/object_dialogs.h"

#include "gui/editors/objects/control_table.h"
#include "gui/editors/objects/model_dialog.h"

namespace editors {

int runObjectDialog(ObjectDialogModel& model, QWidget* parent)
{
    return runModelDialog(model, objectDialogControls(model.classType()), parent);
}

int runClassOptionsDialog(ClassOptionsModel& model, QWidget* parent)
{
    return runModelDialog(model, classOptionsControls(), parent);
}

int runDynamicObjectsDialog(DynamicObjectsModel& model, QWidget* parent)
{
    return runModelDialog(model, dynamicObjectsControls(), parent);
}

int runProjectPropertiesDialog(ProjectPropertiesModel& model, QWidget* parent)
{
    return runModelDialog(model, projectPropertiesControls(), parent);
}

} // namespace editors
