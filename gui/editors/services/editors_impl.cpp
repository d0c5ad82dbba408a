#include "gui/editors/services/editors_impl.h"

#include "engine/records/text_field.h"
#include "gui/editors/model/property_models.h"
#include "gui/editors/objects/object_dialogs.h"
#include "gui/editors/sheets/sheet_services.h"

namespace editors {

// ---- adding, removing and moving, and the sheets (the sheets-and-pages editors fill these in)

// sheets-and-pages: AddCpu
int EditorsImpl::AddCpu(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ConfigRecord& c) { return sheets::AddCpu(m, p, c); }
// sheets-and-pages: RemoveCpu
void EditorsImpl::RemoveCpu(engine::ProjectManager& m, engine::ProjectRecord& p, uint32_t i) { (void)m; sheets::RemoveCpu(p, i); }
// sheets-and-pages: AddApplication
int EditorsImpl::AddApplication(engine::ProjectManager& m, engine::ProjectRecord& p, engine::CpuRecord& c) { return sheets::AddApplication(m, p, c); }
// sheets-and-pages: RemoveApplication
void EditorsImpl::RemoveApplication(engine::ProjectManager& m, engine::CpuRecord& c, uint32_t i) { (void)m; sheets::RemoveApplication(c, i); }
// sheets-and-pages: AddClassObject
int EditorsImpl::AddClassObject(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ApplicationClassEntry& e, bool d) { return sheets::AddClassObject(m, p, e, d); }
// sheets-and-pages: AddChildObject
int EditorsImpl::AddChildObject(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, bool d) { return sheets::AddChildObject(m, p, o, d); }
// sheets-and-pages: DeleteClassObject
void EditorsImpl::DeleteClassObject(engine::ProjectManager& m, engine::ApplicationClassEntry& e, uint32_t i) { (void)m; sheets::DeleteClassObject(e, i); }
// sheets-and-pages: DeleteChildObject
void EditorsImpl::DeleteChildObject(engine::ProjectManager& m, engine::ObjectRecord& o, uint32_t i, engine::ProjectRecord& p) { (void)m; sheets::DeleteChildObject(o, i, p); }
// sheets-and-pages: MoveObjectToClass
int EditorsImpl::MoveObjectToClass(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, engine::ApplicationClassEntry& t, engine::ObjectRecord* at) { (void)m; return sheets::MoveObjectToClass(p, o, t, at); }
// sheets-and-pages: MoveObjectToParent
int EditorsImpl::MoveObjectToParent(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, engine::ObjectRecord& t, engine::ObjectRecord* at) { (void)m; return sheets::MoveObjectToParent(p, o, t, at); }
// sheets-and-pages: ShowCpuProperties
int EditorsImpl::ShowCpuProperties(engine::CpuRecordHandler& h, std::string& n, std::string& d) { return sheets::ShowCpuProperties(h, n, d); }
// sheets-and-pages: ShowApplicationProperties
int EditorsImpl::ShowApplicationProperties(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ApplicationRecord& a, engine::CpuRecord& c) { (void)m; return sheets::ShowApplicationProperties(p, a, c); }
// sheets-and-pages: NodeNameDialog
int EditorsImpl::NodeNameDialog(engine::ApplicationRecord& a, std::string& n, const std::string& p, const std::string& q) { return sheets::NodeNameDialog(a, n, p, q); }
// sheets-and-pages: UserTextDialog
int EditorsImpl::UserTextDialog(engine::ApplicationRecord& a, int t, QWidget* w) { return sheets::UserTextDialog(a, t, w); }

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
