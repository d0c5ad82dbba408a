#include "gui/editors/services/editors_impl.h"

#include "engine/records/text_field.h"
#include "gui/editors/model/property_models.h"
#include "gui/editors/objects/object_dialogs.h"

namespace editors {

// ---- adding, removing and moving, and the sheets (the sheets-and-pages editors fill these in)

// sheets-and-pages: AddCpu
int EditorsImpl::AddCpu(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ConfigRecord& c) { return EditorServices::AddCpu(m, p, c); }
// sheets-and-pages: RemoveCpu
void EditorsImpl::RemoveCpu(engine::ProjectManager& m, engine::ProjectRecord& p, uint32_t i) { EditorServices::RemoveCpu(m, p, i); }
// sheets-and-pages: AddApplication
int EditorsImpl::AddApplication(engine::ProjectManager& m, engine::ProjectRecord& p, engine::CpuRecord& c) { return EditorServices::AddApplication(m, p, c); }
// sheets-and-pages: RemoveApplication
void EditorsImpl::RemoveApplication(engine::ProjectManager& m, engine::CpuRecord& c, uint32_t i) { EditorServices::RemoveApplication(m, c, i); }
// sheets-and-pages: AddClassObject
int EditorsImpl::AddClassObject(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ApplicationClassEntry& e, bool d) { return EditorServices::AddClassObject(m, p, e, d); }
// sheets-and-pages: AddChildObject
int EditorsImpl::AddChildObject(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, bool d) { return EditorServices::AddChildObject(m, p, o, d); }
// sheets-and-pages: DeleteClassObject
void EditorsImpl::DeleteClassObject(engine::ProjectManager& m, engine::ApplicationClassEntry& e, uint32_t i) { EditorServices::DeleteClassObject(m, e, i); }
// sheets-and-pages: DeleteChildObject
void EditorsImpl::DeleteChildObject(engine::ProjectManager& m, engine::ObjectRecord& o, uint32_t i, engine::ProjectRecord& p) { EditorServices::DeleteChildObject(m, o, i, p); }
// sheets-and-pages: MoveObjectToClass
int EditorsImpl::MoveObjectToClass(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, engine::ApplicationClassEntry& t, engine::ObjectRecord* at) { return EditorServices::MoveObjectToClass(m, p, o, t, at); }
// sheets-and-pages: MoveObjectToParent
int EditorsImpl::MoveObjectToParent(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, engine::ObjectRecord& t, engine::ObjectRecord* at) { return EditorServices::MoveObjectToParent(m, p, o, t, at); }
// sheets-and-pages: ShowCpuProperties
int EditorsImpl::ShowCpuProperties(engine::CpuRecordHandler& h, std::string& n, std::string& d) { return EditorServices::ShowCpuProperties(h, n, d); }
// sheets-and-pages: ShowApplicationProperties
int EditorsImpl::ShowApplicationProperties(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ApplicationRecord& a, engine::CpuRecord& c) { return EditorServices::ShowApplicationProperties(m, p, a, c); }
// sheets-and-pages: NodeNameDialog
int EditorsImpl::NodeNameDialog(engine::ApplicationRecord& a, std::string& n, const std::string& p, const std::string& q) { return EditorServices::NodeNameDialog(a, n, p, q); }
// sheets-and-pages: UserTextDialog
int EditorsImpl::UserTextDialog(engine::ApplicationRecord& a, int t, QWidget* w) { return EditorServices::UserTextDialog(a, t, w); }

// ---- the object and property dialogs

int EditorsImpl::EditObjectProperties(engine::ProjectManager&, engine::ProjectRecord& project, engine::CpuRecord& cpu,
                                      engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                                      engine::ObjectRecord& object)
{
    return editObjectWithDialog(project, cpu, application, entry, object);
}

int EditorsImpl::ProjectPropertiesDialog(shell::ProjectProperties& properties, QWidget* parent)
{
    engine::ProjectRecord shown{};
    engine::setText(shown.name, properties.name);
    engine::setText(shown.description, properties.description);
    ProjectPropertiesModel model(&shown);
    const int result = runProjectPropertiesDialog(model, parent);
    if (result == ResultOk) {
        properties.name = model.name();
        properties.description = model.description();
    }
    return result;
}

int EditorsImpl::ClassOptionsDialog(engine::ApplicationClassEntry& entry, engine::CpuRecord& cpu,
                                    engine::ApplicationRecord& application, QWidget* parent)
{
    ClassOptionsModel model(entry, cpu, application);
    return runClassOptionsDialog(model, parent);
}

int EditorsImpl::DynamicObjectsDialog(engine::ApplicationClassEntry& entry, engine::KernelRecord& kernel,
                                      QWidget* parent)
{
    DynamicObjectsModel model(entry, kernel, nullptr);
    return runDynamicObjectsDialog(model, parent);
}

EditorsImpl& editorsImpl()
{
    static EditorsImpl instance;
    return instance;
}

namespace {

// Puts the editors in place of the shell's stand-in when the program loads.
struct Registrar {
    Registrar() { shell::setEditorServices(&editorsImpl()); }
};
const Registrar g_registrar;

} // namespace

} // namespace editors
