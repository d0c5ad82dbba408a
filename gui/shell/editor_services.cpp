#include "editor_services.h"

namespace shell {

// The stand-in: no editor is present, so every dialog is cancelled and nothing changes.

int EditorServices::AddCpu(engine::ProjectManager&, engine::ProjectRecord&, engine::ConfigRecord&)
{
    return EditorCancel;
}

void EditorServices::RemoveCpu(engine::ProjectManager&, engine::ProjectRecord&, uint32_t) {}

int EditorServices::AddApplication(engine::ProjectManager&, engine::ProjectRecord&, engine::CpuRecord&)
{
    return EditorCancel;
}

void EditorServices::RemoveApplication(engine::ProjectManager&, engine::CpuRecord&, uint32_t) {}

int EditorServices::AddClassObject(engine::ProjectManager&, engine::ProjectRecord&, engine::ApplicationClassEntry&,
                                   bool)
{
    return EditorCancel;
}

int EditorServices::AddChildObject(engine::ProjectManager&, engine::ProjectRecord&, engine::ObjectRecord&, bool)
{
    return EditorCancel;
}

void EditorServices::DeleteClassObject(engine::ProjectManager& manager, engine::ApplicationClassEntry& entry,
                                       uint32_t objectItem, engine::ProjectRecord&)
{
    DeleteClassObject(manager, entry, objectItem);
}

void EditorServices::DeleteClassObject(engine::ProjectManager&, engine::ApplicationClassEntry&, uint32_t) {}

void EditorServices::DeleteChildObject(engine::ProjectManager&, engine::ObjectRecord&, uint32_t,
                                       engine::ProjectRecord&)
{
}

int EditorServices::MoveObjectToClass(engine::ProjectManager&, engine::ProjectRecord&, engine::ObjectRecord&,
                                      engine::ApplicationClassEntry&, engine::ObjectRecord*)
{
    return EditorCancel;
}

int EditorServices::MoveObjectToParent(engine::ProjectManager&, engine::ProjectRecord&, engine::ObjectRecord&,
                                       engine::ObjectRecord&, engine::ObjectRecord*)
{
    return EditorCancel;
}

int EditorServices::EditObjectProperties(engine::ProjectManager&, engine::ProjectRecord&, engine::CpuRecord&,
                                         engine::ApplicationRecord&, engine::ApplicationClassEntry&,
                                         engine::ObjectRecord&)
{
    return EditorCancel;
}

int EditorServices::ShowCpuProperties(engine::CpuRecordHandler&, std::string&, std::string&)
{
    return EditorCancel;
}

int EditorServices::ShowApplicationProperties(engine::ProjectManager&, engine::ProjectRecord&,
                                              engine::ApplicationRecord&, engine::CpuRecord&)
{
    return EditorCancel;
}

int EditorServices::ProjectPropertiesDialog(ProjectProperties&, QWidget*)
{
    return EditorCancel;
}

int EditorServices::ClassOptionsDialog(engine::ApplicationClassEntry&, engine::CpuRecord&, engine::ApplicationRecord&,
                                       QWidget*)
{
    return EditorCancel;
}

int EditorServices::DynamicObjectsDialog(engine::ApplicationClassEntry&, engine::KernelRecord&,
                                         engine::ApplicationRecord*, QWidget*)
{
    return EditorCancel;
}

int EditorServices::NodeNameDialog(engine::ApplicationRecord&, std::string&, const std::string&, const std::string&)
{
    return EditorCancel;
}

int EditorServices::UserTextDialog(engine::ApplicationRecord&, int, QWidget*)
{
    return EditorCancel;
}

namespace {
EditorServices g_standIn;
EditorServices* g_installed = nullptr;
} // namespace

EditorServices& editorServices()
{
    return g_installed ? *g_installed : g_standIn;
}

EditorServices* setEditorServices(EditorServices* services)
{
    EditorServices* previous = g_installed;
    g_installed = services;
    return previous;
}

} // namespace shell
