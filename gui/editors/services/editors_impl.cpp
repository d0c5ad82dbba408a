#include "gui/editors/services/editors_impl.h"

#include "engine/records/text_field.h"
#include "gui/editors/model/property_models.h"
#include "gui/editors/objects/object_dialogs.h"
#include "gui/editors/sheets/sheet_services.h"

namespace editors {

// ---- adding, removing and moving, and the sheets

int EditorsImpl::AddCpu(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ConfigRecord& c) { return sheets::AddCpu(m, p, c); }
void EditorsImpl::RemoveCpu(engine::ProjectManager& m, engine::ProjectRecord& p, uint32_t i) { (void)m; sheets::RemoveCpu(p, i); }
int EditorsImpl::AddApplication(engine::ProjectManager& m, engine::ProjectRecord& p, engine::CpuRecord& c) { return sheets::AddApplication(m, p, c); }
void EditorsImpl::RemoveApplication(engine::ProjectManager& m, engine::CpuRecord& c, uint32_t i) { (void)m; sheets::RemoveApplication(c, i); }
int EditorsImpl::AddClassObject(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ApplicationClassEntry& e, bool d) { return sheets::AddClassObject(m, p, e, d); }
int EditorsImpl::AddChildObject(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, bool d) { return sheets::AddChildObject(m, p, o, d); }
void EditorsImpl::DeleteClassObject(engine::ProjectManager& m, engine::ApplicationClassEntry& e, uint32_t i, engine::ProjectRecord& p) { (void)m; sheets::DeleteClassObject(e, i, p); }
void EditorsImpl::DeleteChildObject(engine::ProjectManager& m, engine::ObjectRecord& o, uint32_t i, engine::ProjectRecord& p) { (void)m; sheets::DeleteChildObject(o, i, p); }
int EditorsImpl::MoveObjectToClass(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, engine::ApplicationClassEntry& t, engine::ObjectRecord* at) { (void)m; return sheets::MoveObjectToClass(p, o, t, at); }
int EditorsImpl::MoveObjectToParent(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ObjectRecord& o, engine::ObjectRecord& t, engine::ObjectRecord* at) { (void)m; return sheets::MoveObjectToParent(p, o, t, at); }
int EditorsImpl::ShowCpuProperties(engine::CpuRecordHandler& h, std::string& n, std::string& d) { return sheets::ShowCpuProperties(h, n, d); }
int EditorsImpl::ShowApplicationProperties(engine::ProjectManager& m, engine::ProjectRecord& p, engine::ApplicationRecord& a, engine::CpuRecord& c) { return sheets::ShowApplicationProperties(m, p, a, c); }
int EditorsImpl::NodeNameDialog(engine::ApplicationRecord& a, std::string& n, const std::string& p, const std::string& q) { return sheets::NodeNameDialog(a, n, p, q); }
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
                                      engine::ApplicationRecord* application, QWidget* parent)
{
    DynamicObjectsModel model(entry, kernel, application);
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
