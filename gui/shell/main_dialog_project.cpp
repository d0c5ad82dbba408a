// Project commands of the main window: new, open, save and close, the save prompts that guard every way of
// losing edits, and the rebuild of the tree after a change.

#include "main_dialog.h"

#include "editor_services.h"

#include "engine/names/application_sections.h"
#include "engine/names/identifier.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/ops/cpu_record_handler.h"
#include "engine/project/application_file.h"
#include "engine/project/application_names.h"
#include "engine/project/project_check.h"
#include "engine/project/project_save.h"
#include "engine/project/save_with_one_message.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "platform/core/message_service.h"
#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QApplication>

namespace {

constexpr const char* kFileError = "File I/O Error";

void fileError(const std::string& text)
{
    platform::messageBox(text, kFileError, platform::MbOk | platform::MbIconError);
}

int askSave(const std::string& text, const std::string& caption)
{
    return platform::messageBox(text, caption, platform::MbYesNoCancel | platform::MbIconWarning);
}

} // namespace

CMainDialog::SaveResult CMainDialog::writeApplication(engine::CpuRecord& cpu, engine::ApplicationRecord& application)
{
    const std::string path = engine::textString(application.path);
    engine::ApplicationFile file(m_manager.get(), &m_project, &cpu, &application);
    const SaveResult end = engine::SaveWithOneMessage("application file", path, [&] {
        return path.empty() ? file.ChooseAndWrite(nullptr) == 1
                            : engine::WriteApplicationFile(*m_manager, m_project, cpu, application);
    });
    if (end == SaveResult::Saved && path.empty())
        m_project.edited = 1; // the project file names the new file
    return end;
}

CMainDialog::SaveResult CMainDialog::writeKernel(engine::CpuRecord& cpu)
{
    const std::string path = engine::textString(cpu.kernel.kernelPath);
    engine::CpuRecordHandler handler(&cpu.kernel, &m_config, &cpu);
    // A kernel whose file forbids saving is passed over, so that it never stops the other files.
    const SaveResult end = engine::SaveWithOneMessage("kernel file", path, [&] {
        return path.empty() ? handler.ChooseAndWriteKernel(nullptr, &m_project)
                            : engine::WriteCpuFile(m_project, m_config, cpu);
    });
    if (path.empty() && engine::textString(cpu.kernel.kernelPath) != path)
        m_project.edited = 1;
    return end;
}

bool CMainDialog::saveApplication(engine::CpuRecord& cpu, engine::ApplicationRecord& application, bool fromPrompt)
{
    // A cancelled choice saves nothing, and a prompt then stops.
    const SaveResult result = writeApplication(cpu, application);
    return result == SaveResult::Saved || (result == SaveResult::Cancelled && !fromPrompt);
}

bool CMainDialog::saveKernel(engine::CpuRecord& cpu, bool fromPrompt)
{
    const SaveResult result = writeKernel(cpu);
    return result == SaveResult::Saved || (result == SaveResult::Cancelled && !fromPrompt);
}

int CMainDialog::PromptSaveChanges(bool ask, bool saveWhenNotAsking)
{
    return saveChanges(ask, saveWhenNotAsking, nullptr);
}

int CMainDialog::saveChanges(bool ask, bool saveWhenNotAsking, std::vector<std::string>* failed)
{
    const int silentAnswer = saveWhenNotAsking ? platform::IdYes : platform::IdNo;
    // A failed write stops the prompts (the program stays open with the edits), unless the failures are
    // collected: then the next file is written all the same. A cancelled choice of a new file name always stops.
    const auto goOn = [failed](SaveResult result, const std::string& file) {
        if (result == SaveResult::Failed && failed) {
            failed->push_back(file);
            return true;
        }
        return result == SaveResult::Saved;
    };
    // Applications, CPU by CPU.
    for (int32_t c = 0; m_project.cpus && c < m_project.cpuCount; ++c) {
        engine::CpuRecord& cpu = m_project.cpus[c];
        for (int32_t a = 0; cpu.applications && a < cpu.applicationCount; ++a) {
            engine::ApplicationRecord& application = cpu.applications[a];
            if (!application.edited)
                continue;
            const int answer =
                ask ? askSave("Save application '" + engine::textString(application.name) + "' to disk?",
                              "Application has been edited")
                    : silentAnswer;
            if (answer == platform::IdCancel)
                return 0;
            if (answer == platform::IdYes &&
                !goOn(writeApplication(cpu, application),
                      application.path[0] ? engine::textString(application.path)
                                          : "application '" + engine::textString(application.name) + "'"))
                return 0;
        }
    }
    // Kernel (CPU) files.
    for (int32_t c = 0; m_project.cpus && c < m_project.cpuCount; ++c) {
        engine::CpuRecord& cpu = m_project.cpus[c];
        if (!cpu.kernel.edited)
            continue;
        const int answer = ask ? askSave("Save kernel '" + engine::textString(cpu.name) + "' to disk?",
                                         "Kernel (CPU) has been edited")
                               : silentAnswer;
        if (answer == platform::IdCancel)
            return 0;
        if (answer == platform::IdYes &&
            !goOn(writeKernel(cpu), cpu.kernel.kernelPath[0] ? engine::textString(cpu.kernel.kernelPath)
                                                             : "kernel '" + engine::textString(cpu.name) + "'"))
            return 0;
    }
    // The project.
    if (m_project.edited) {
        const int answer = ask ? askSave("Save project '" + engine::textString(m_project.name) + "' to disk?",
                                         "Project has been edited")
                               : silentAnswer;
        if (answer == platform::IdCancel)
            return 0;
        if (answer == platform::IdYes) {
            const bool named = m_project.path[0] != 0;
            OnFileSaveProject();
            if (m_project.edited) {
                // Not written: failed, or a new project's name not chosen. Everything stays as it is.
                if (failed && named)
                    failed->push_back(engine::textString(m_project.path));
                return 0;
            }
        }
    }
    return 1;
}

int CMainDialog::CloseProject(bool ask)
{
    if (ask && m_project.cpuCount > 0) {
        const int answer =
            platform::messageBox("Close the current project?", "Closing Project", platform::MbYesNo | platform::MbIconQuestion);
        if (answer != platform::IdYes)
            return answer;
    }
    if (!PromptSaveChanges(ask, false))
        return platform::IdNo;
    engine::ProjectManager::ResetProject(m_project, false);
    clearSelection();
    m_tree->DeleteAllItems();
    m_listPane->Clear();
    UpdateMenus(0);
    setWindowTitle(QStringLiteral("OMBAgen"));
    return platform::IdYes;
}

void CMainDialog::OnFileNewProject()
{
    if (CloseProject(true) != platform::IdYes)
        return;
    shell::ProjectProperties properties;
    if (shell::editorServices().ProjectPropertiesDialog(properties, this) != shell::EditorOk || properties.name.empty())
        return;
    m_project.edited = 1;
    engine::setText(m_project.name, properties.name);
    engine::setText(m_project.description, properties.description);
    PostProjectChanged();
}

void CMainDialog::applyMpChecksAfterOpen(bool interactive)
{
    engine::VisitProjectApplications(m_project, [&](engine::CpuRecord& cpu, engine::ApplicationRecord& application) {
        if (!application.isMp)
            return 0;
        if (!engine::IsCpuMpEnabled(cpu)) {
            // An MP application on a CPU that is not MP-enabled would reach the generator inconsistent.
            if (interactive)
                platform::messageBox("Warning: disabling MP attribute in application \"" +
                                         engine::textString(application.name) +
                                         "\", because the CPU is not MP-enabled",
                                     "", platform::MbOk | platform::MbIconWarning);
            application.isMp = 0;
        } else {
            SetApplicationMp(application, true, interactive);
        }
        return 0;
    });
}

void CMainDialog::OnFileOpenProject()
{
    if (CloseProject(true) != platform::IdYes)
        return;
    platform::ScopedWaitCursor wait;
    std::string path;
    const int result = m_manager->OpenProjectFile(m_project, m_config, path, false);
    if (path.empty()) {
        CloseProject(false);
        return;
    }
    if (result != 1) {
        wait.restore();
        fileError("Error reading project");
        CloseProject(false);
        return;
    }
    const std::string full = engine::textString(m_project.path);
    m_recent.Add(full);
    applyMpChecksAfterOpen(true);
    PostProjectChanged();
    setWindowTitle(platform::captionText(QStringLiteral("OMBAgen - ") + platform::toQString(full)));
    UpdateMenus(0);
}

bool CMainDialog::OpenProjectFile(const std::string& path, bool ask)
{
    if (CloseProject(ask) != platform::IdYes)
        return false;
    platform::ScopedWaitCursor wait;
    std::string buffer = path;
    int result = 0;
    if (ask) {
        result = m_manager->OpenProjectFile(m_project, m_config, buffer, true);
    } else {
        // The most recent project, opened unasked at start-up, is passed over without a word, the readers' too.
        platform::ScriptedMessageService silent;
        platform::MessageService* previous = platform::setMessageService(&silent);
        result = m_manager->OpenProjectFile(m_project, m_config, buffer, true);
        platform::setMessageService(previous);
    }
    if (result != 1) {
        wait.restore();
        if (ask)
            fileError("Error reading project");
        // Nothing half-read stays: the project is empty again.
        CloseProject(false);
        return false;
    }
    m_recent.Add(engine::textString(m_project.path));
    applyMpChecksAfterOpen(ask);
    PostProjectChanged();
    setWindowTitle(platform::captionText(QStringLiteral("OMBAgen - ") + platform::toQString(engine::textString(m_project.path))));
    UpdateMenus(0);
    return true;
}

bool CMainDialog::IsFreeForRequest() const
{
    return m_startUpEnded && !QApplication::activeModalWidget() && !QApplication::activePopupWidget();
}

void CMainDialog::TakeRequest(const std::string& path)
{
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    const std::string named = engine::TrimText(path, true, true);
    if (named.empty())
        return;
    m_newProjectPending = false; // the user asked for a project, not for a new one
    OpenProjectFile(named, true);
}

void CMainDialog::OnFileSaveProject()
{
    if (!m_project.path[0]) {
        OnFileSaveProjectAs();
        return;
    }
    platform::ScopedWaitCursor wait;
    const std::string path = engine::textString(m_project.path);
    if (engine::SaveWithOneMessage("project file", path, [&] {
            return engine::WriteProjectFile(*m_manager, m_project, m_config);
        }) == engine::SaveEnd::Saved)
        m_recent.Add(path);
    refreshLabels();
}

void CMainDialog::OnFileSaveProjectAs()
{
    platform::ScopedWaitCursor wait;
    if (engine::SaveWithOneMessage("project file", std::string(), [&] {
            std::string chosen;
            return m_manager->SaveProjectFileAs(m_project, m_config, &chosen) == 1;
        }) == engine::SaveEnd::Saved) {
        m_recent.Add(engine::textString(m_project.path));
        setWindowTitle(platform::captionText(QStringLiteral("OMBAgen - ") + platform::toQString(engine::textString(m_project.path))));
    }
    refreshLabels();
}

void CMainDialog::OnFileCloseProject()
{
    CloseProject(true);
}

void CMainDialog::OnFileSaveAll()
{
    // The edited files are saved as one: each is written and checked beside its file, and only when every
    // one was is any put in place. A file that fails is named, and then no file changes and every edited
    // mark stays; the other files are still tried, so that each failure is named at once.
    // A save with nothing to write touches nothing: no folder is locked, no other save waited for.
    bool edited = m_project.edited != 0;
    for (int32_t c = 0; m_project.cpus && c < m_project.cpuCount && !edited; ++c) {
        const engine::CpuRecord& cpu = m_project.cpus[c];
        edited = cpu.kernel.edited != 0;
        for (int32_t a = 0; cpu.applications && a < cpu.applicationCount && !edited; ++a)
            edited = cpu.applications[a].edited != 0;
    }
    if (!edited)
        return;
    platform::ScopedWaitCursor wait;
    std::vector<std::string> failed;
    const auto saveEach = [&] {
        saveChanges(false, true, &failed);
        return failed.empty();
    };
    bool saved = false;
    if (const std::string problem = engine::ProjectCheckProblem(m_project); !problem.empty()) {
        wait.restore();
        fileError("Unable to write project file " + engine::textString(m_project.path) + ": " + problem);
    } else {
        const engine::ProjectCheckedScope checked(m_project);
        saved = engine::SaveFilesTogether(m_project, saveEach);
    }
    refreshLabels();
    if (saved || failed.empty())
        return;
    // The first files by name, and how many more: the box fits the screen however many failed.
    constexpr std::size_t kNamed = 10;
    std::string text = "No file was saved, and every file keeps its changes. These files could not be written:";
    for (std::size_t i = 0; i < failed.size() && i < kNamed; ++i)
        text += "\n" + failed[i];
    if (failed.size() > kNamed)
        text += "\nand " + std::to_string(failed.size() - kNamed) + " more";
    wait.restore();
    fileError(text);
}

void CMainDialog::PostProjectChanged()
{
    if (m_reloadQueued)
        return;
    m_reloadQueued = true;
    QMetaObject::invokeMethod(this, [this] { ReloadProjectTree(); }, Qt::QueuedConnection);
}

void CMainDialog::ReloadProjectTree()
{
    m_reloadQueued = false;
    if (m_recordsFreed)
        return;
    clearSelection();
    m_projectTree->BuildProjectTree(m_project);
    UpdateMenus(0);
}

void CMainDialog::OnRestoreTreeState()
{
    if (m_recordsFreed)
        return;
    m_projectTree->RestoreTreeItemStates(m_project);
    if (!m_tree->GetSelectedItem() && m_project.treeItem) {
        m_tree->SelectItem(m_project.treeItem);
    } else if (m_tree->GetSelectedItem() != m_selectedItem) {
        OnTreeSelChanged(m_tree->GetSelectedItem());
    }
}

namespace {

// KeptEditRefusal of the project as a switch of the application's MP flag would leave it. The flag is
// already switched; the node name, and the objects a switch off makes local, are put as they would be for
// the check and then back.
std::string mpChangeRefusal(engine::ProjectRecord& project, engine::ApplicationRecord& application,
                            const std::string& nodeName)
{
    const std::string keptNode = engine::textString(application.nodeName);
    engine::setText(application.nodeName, nodeName);
    std::vector<engine::ObjectRecord*> global;
    if (!application.isMp) {
        engine::ForEachApplicationObject(application, [&](engine::ObjectRecord& object) {
            if (object.isMp)
                global.push_back(&object);
            object.isMp = 0;
            return 0;
        });
    }
    const std::string refusal = engine::KeptEditRefusal(project);
    engine::setText(application.nodeName, keptNode);
    for (engine::ObjectRecord* object : global)
        object->isMp = 1;
    return refusal;
}

} // namespace

int CMainDialog::SetApplicationMp(engine::ApplicationRecord& application, bool enable, bool interactive)
{
    engine::CpuRecord* cpu = engine::FindCpuOfApplication(m_project, application);
    const int32_t oldFlag = application.isMp;
    application.isMp = enable ? 1 : 0;
    if (enable && !oldFlag) {
        const bool clash = engine::ForEachApplicationObject(application, [&](engine::ObjectRecord& object) {
                               return object.isMp && object.enabled &&
                                              engine::FindGlobalNameConflict(m_project, object) != nullptr
                                          ? 1
                                          : 0;
                           }) != 0;
        if (clash) {
            if (interactive)
                platform::messageBox("Cannot make application global because duplicate global object names would result",
                                     "", platform::MbOk | platform::MbIconError);
            application.isMp = oldFlag;
            return 0;
        }
    }
    std::string nodeName = engine::TrimText(engine::textOf(application.nodeName), true, true);
    if (application.isMp) {
        auto ask = [&](const std::string& problem, const std::string& prompt) {
            if (!interactive)
                return false;
            return shell::editorServices().NodeNameDialog(application, nodeName, problem, prompt) == shell::EditorOk;
        };
        // Each round either finds the name acceptable or asks once; the bound stops an endless refusal.
        bool accepted = false;
        for (int round = 0; round < 100 && !accepted; ++round) {
            if (nodeName.empty()) {
                if (!ask("Node name cannot be empty", "Please enter a unique node name"))
                    break;
                continue;
            }
            std::string fixed = nodeName;
            const int problem = engine::MakeValidIdentifier(fixed, engine::kNameSize - 1);
            if (problem != 0) {
                std::string problemText;
                engine::IdentifierProblemText(problem, problemText);
                nodeName = fixed;
                if (!ask("Node name" + problemText, "Please enter a unique node name"))
                    break;
                continue;
            }
            if (!engine::IsNodeNameUnique(m_project, application, nodeName)) {
                if (!ask("Node name must be unique", "Please enter a unique node name"))
                    break;
                continue;
            }
            accepted = true;
        }
        if (!accepted) {
            application.isMp = oldFlag;
            return 0;
        }
    }
    if (application.isMp == oldFlag && nodeName == engine::textString(application.nodeName))
        return 0;
    if (const std::string refusal = mpChangeRefusal(m_project, application, nodeName); !refusal.empty()) {
        application.isMp = oldFlag;
        if (interactive)
            platform::messageBox(refusal, "", platform::MbOk | platform::MbIconError);
        return 0;
    }
    engine::ForEachApplicationClassEntry(application, [&](engine::ApplicationClassEntry& entry) {
        if (!entry.enabled || entry.classType == engine::ClassLevel)
            return 0;
        bool anyMp = false;
        for (int32_t i = 0; entry.objects && i < entry.objectCount; ++i)
            anyMp = anyMp || entry.objects[i].isMp;
        if (anyMp)
            MarkGlobalClass(entry.classType);
        return 0;
    });
    engine::setText(application.nodeName, nodeName);
    if (!application.isMp) {
        engine::VisitApplicationObjects(application, [&](const engine::ObjectPlace& place) {
            if (place.object->isMp) {
                place.object->isMp = 0;
                if (place.entry)
                    MarkGlobalClass(place.entry->classType);
            }
            return 0;
        }, cpu);
    }
    application.edited = 1;
    application.projectHDirty = 1;
    return 1;
}
