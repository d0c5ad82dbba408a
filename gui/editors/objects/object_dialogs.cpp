#include "gui/editors/objects/object_dialogs.h"

#include "gui/editors/model/edit_object_properties.h"
#include "gui/editors/objects/control_table.h"
#include "gui/editors/objects/model_dialog.h"

namespace editors {

int runObjectDialog(ObjectDialogModel& model, QWidget* parent)
{
    return runModelDialog(model, objectDialogControls(model.classType()), parent);
}

int editObjectWithDialog(const engine::ProjectRecord& project, engine::CpuRecord& cpu,
                         engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                         engine::ObjectRecord& object, engine::ApplicationClassEntry* counterParents)
{
    return EditObjectProperties(project, cpu, application, entry, object, counterParents,
                                [](ObjectDialogModel& model) { return runObjectDialog(model); });
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
