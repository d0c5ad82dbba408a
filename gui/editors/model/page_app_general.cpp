#include <cstring>

#include "engine/names/identifier.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/names/report_texts.h"
#include "engine/ops/project_manager.h"
#include "engine/project/application_file.h"
#include "engine/project/application_names.h"
#include "engine/project/name_rules.h"
#include "engine/project/save_with_one_message.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/text_field.h"
#include "engine/util/path.h"
#include "engine/util/text.h"
#include "gui/editors/model/blank_text.h"
#include "gui/editors/model/captioned_messages.h"
#include "gui/editors/model/page_application.h"
#include "platform/core/message_service.h"

#include <string>
#include <utility>

namespace editors {

namespace {

using namespace app_ids;

constexpr const char* kForbidden = "\\/:*?\"<>|";

// The page's numbers take the ranges their keys have in the application file.
const engine::FieldDescription& applicationField(const char* key)
{
    return engine::FieldDescriptionOf(engine::FieldFile::Application, "APPLICATION", key);
}

struct Switch {
    int id;
    int opposite;
    bool enable;
    int32_t engine::ApplicationClassEntry::*flag;
    int32_t engine::KernelRecord::*support;
};

const Switch kSwitches[] = {
    {EnableStatistics, DisableStatistics, true, &engine::ApplicationClassEntry::statistics,
     &engine::KernelRecord::enableStatistics},
    {EnableDiagnostics, DisableDiagnostics, true, &engine::ApplicationClassEntry::diagnostics,
     &engine::KernelRecord::enableDiagnostics},
    {EnableTrace, DisableTrace, true, &engine::ApplicationClassEntry::systemTrace, &engine::KernelRecord::enableTrace},
    {DisableStatistics, EnableStatistics, false, &engine::ApplicationClassEntry::statistics,
     &engine::KernelRecord::enableStatistics},
    {DisableDiagnostics, EnableDiagnostics, false, &engine::ApplicationClassEntry::diagnostics,
     &engine::KernelRecord::enableDiagnostics},
    {DisableTrace, EnableTrace, false, &engine::ApplicationClassEntry::systemTrace, &engine::KernelRecord::enableTrace},
};

const Switch* findSwitch(int id)
{
    for (const Switch& s : kSwitches) {
        if (s.id == id)
            return &s;
    }
    return nullptr;
}

// Reads a whole decimal (or prefixed) number; false for anything else.
bool readNumber(const std::string& text, uint32_t& value)
{
    const std::string trimmed = engine::TrimText(text, true, true);
    if (!engine::IsWholeNumber(trimmed))
        return false;
    value = engine::ParseNumber(trimmed);
    return true;
}

// Reads a number of the field's range (at most 32 bits wide); false for anything else.
bool readInRange(const std::string& text, const engine::FieldDescription& field, uint32_t& value)
{
    return readNumber(text, value) && value >= field.minimum && value <= field.maximum;
}

// " must be in the range of minimum to maximum" of the field.
std::string rangeOf(const engine::FieldDescription& field)
{
    return engine::RangeTextUnsigned(static_cast<uint32_t>(field.minimum), static_cast<uint32_t>(field.maximum));
}

// A copy of an application taken before a file is loaded into it, put back when the load is refused.
class ApplicationBackup {
public:
    ApplicationBackup(const engine::CpuRecord& cpu, engine::ApplicationRecord& application)
        : m_cpu(cpu), m_application(application)
    {
        engine::ProjectManager::InitApplicationRecord(m_copy);
        m_taken = engine::ProjectManager::CloneApplication(cpu, m_copy, application);
    }
    ~ApplicationBackup() { engine::ProjectManager::FreeApplication(m_copy); }
    ApplicationBackup(const ApplicationBackup&) = delete;
    ApplicationBackup& operator=(const ApplicationBackup&) = delete;

    bool taken() const { return m_taken; }
    void restore()
    {
        if (m_taken)
            engine::ProjectManager::AssignApplication(m_cpu, m_application, m_copy);
    }

private:
    const engine::CpuRecord& m_cpu;
    engine::ApplicationRecord& m_application;
    engine::ApplicationRecord m_copy;
    bool m_taken = false;
};

} // namespace

void AppGeneralPage::load(ViewState& state)
{
    engine::ApplicationRecord& app = application();
    state[Name].text = engine::textString(app.name);
    state[Name].limit = engine::kNameSize - 1;
    state[Description].text = engine::textString(app.description);
    state[Description].limit = engine::kNameSize - 1;
    state[FilePath].text = engine::textString(app.path);
    state[UserTrace].check = app.userTrace ? 1 : 0;
    state[Instances].text = std::to_string(app.instances);
    state[NodeName].text = engine::textString(app.nodeName);
    state[NodeName].limit = engine::kNameSize - 1;
    state[UserVersion].text = std::to_string(static_cast<uint32_t>(app.userVersion));
    const bool mp = showsNode();
    for (int id : {InstancesLabel, Instances, NodeNameLabel, NodeName})
        state[id].visible = mp;
    state[UserTrace].enabled = cpu().kernel.enableTrace && !cpu().kernel.binaryDistribution;
    updateButtonStates(state);
}

void AppGeneralPage::updateButtonStates(ViewState& state) const
{
    engine::ApplicationRecord& app = application();
    state[Save].enabled = app.path[0] != '\0';
    state[SaveAs].enabled = true;
    state[Load].enabled = true;
    for (const Switch& s : kSwitches) {
        bool some = false;
        engine::ForEachApplicationClassEntry(app, [&](engine::ApplicationClassEntry& entry) {
            some = some || ((entry.*s.flag != 0) != s.enable);
            return some ? 1 : 0;
        });
        state[s.id].enabled = !cpu().kernel.binaryDistribution && cpu().kernel.*s.support && some;
    }
}

bool AppGeneralPage::showsNode() const
{
    return application().isMp && engine::IsCpuMpEnabled(cpu());
}

void AppGeneralPage::store(ViewState& state)
{
    engine::ApplicationRecord& app = application();
    engine::setText(app.name, engine::TrimText(state.text(Name), true, true));
    engine::setText(app.description, engine::TrimText(state.text(Description), true, true));
    app.userTrace = state.checked(UserTrace) ? 1 : 0;
    uint32_t value = 0;
    if (readInRange(state.text(Instances), applicationField("Instances"), value))
        app.instances = static_cast<int32_t>(value);
    engine::setText(app.nodeName, engine::TrimText(state.text(NodeName), true, true));
    if (readInRange(state.text(UserVersion), applicationField("User Version"), value))
        app.userVersion = static_cast<int32_t>(value);
}

OkOutcome AppGeneralPage::killActive(ViewState& state)
{
    // A value confirmed with Enter has not lost the focus yet: store before checking.
    store(state);
    engine::ApplicationRecord& app = application();
    uint32_t value = 0;
    if (showsNode() && !readInRange(state.text(Instances), applicationField("Instances"), value)) {
        pageMessage("Instances" + rangeOf(applicationField("Instances")), "Application");
        return OkOutcome::stay(Instances, false);
    }
    if (!readInRange(state.text(UserVersion), applicationField("User Version"), value)) {
        pageMessage("User Version" + rangeOf(applicationField("User Version")), "Application");
        return OkOutcome::stay(UserVersion, false);
    }
    // Every check sees the name as it is stored: trimmed.
    const std::string typed = state.text(Name);
    const std::string name = engine::TrimText(typed, true, true);
    if (typed.empty()) {
        pageMessage("Application must have a name", "Application");
        return OkOutcome::stay(Name, false);
    }
    if (name.find_first_of(kForbidden) != std::string::npos) {
        pageMessage(std::string("Application name cannot contain any of the following characters: ") + kForbidden,
                    "Application");
        return OkOutcome::stay(Name, false);
    }
    if (IsBlankText(name)) {
        pageMessage("Application must have non-blank name", "Application");
        return OkOutcome::stay(Name, false);
    }
    // The project file lists the application under its name, in a list of the CPU's applications.
    if (const std::string problem = engine::applicationNameProblem(cpu(), &app, name); !problem.empty()) {
        pageMessage("Application name cannot " + problem, "Application");
        return OkOutcome::stay(Name, false);
    }
    // The node name is judged where the page shows it: for a multiprocessor application of an MP-enabled
    // CPU, as loaded or edited.
    if (showsNode()) {
        std::string node = engine::TrimText(state.text(NodeName), true, true);
        const int problem = engine::MakeValidIdentifier(node, engine::kNameSize - 1);
        if (problem != 0) {
            state[NodeName].text = node;
            engine::setText(app.nodeName, node);
            std::string text = "Node name";
            engine::IdentifierProblemText(problem, text);
            showNow();
            pageMessage(text);
            return OkOutcome::stay(NodeName, true);
        }
        if (m_context.project && !engine::IsNodeNameUnique(*m_context.project, app, node)) {
            pageMessage("Node name must be unique");
            return OkOutcome::stay(NodeName, false);
        }
    }
    return OkOutcome::closeOk();
}

bool AppGeneralPage::switchAll(int id, ViewState& state)
{
    const Switch* s = findSwitch(id);
    if (!s)
        return false;
    engine::ApplicationRecord& app = application();
    bool changed = false;
    engine::ForEachApplicationClassEntry(app, [&](engine::ApplicationClassEntry& entry) {
        if ((entry.*s->flag != 0) != s->enable) {
            entry.*s->flag = s->enable ? 1 : 0;
            entry.cFileDirty = entry.hFileDirty = entry.mFileDirty = 1;
            changed = true;
        }
        return 0;
    });
    if (!changed)
        return false;
    app.kernelHDirty = 1;
    app.kernelMDirty = 1;
    state[s->id].enabled = false;
    state[s->opposite].enabled = s->enable || cpu().kernel.*s->support;
    return true;
}

void AppGeneralPage::loadFile(ViewState& state)
{
    // A file that cannot be read, or whose application the project could not save, leaves the
    // application as it was.
    ApplicationBackup before(cpu(), application());
    if (!before.taken()) {
        pageMessage("Unable to read selected application file", "File I/O Error");
        return;
    }
    engine::ApplicationFile file(nullptr, m_context.project, m_context.cpu, m_context.application);
    std::string path;
    const int read = file.ChooseAndRead(&path);
    if (path.empty())
        return;
    if (read == 0) {
        before.restore();
        pageMessage("Unable to read selected application file", "File I/O Error");
        return;
    }
    if (m_context.project) {
        // A file the project would refuse is a failed load like an unreadable one: captioned as such.
        const CaptionedMessages fileError("File I/O Error");
        if (!engine::loadedApplicationIsSound(*m_context.project, cpu(), application(), path)) {
            before.restore();
            return;
        }
    }
    const std::string relative = ProjectRelativePath(m_context.project, path);
    if (engine::textFits(application().path, relative))
        engine::setText(application().path, relative);
    else
        pageMessage("The application file's path is too long", "File I/O Error");
    if (m_context.hooks.refreshPages)
        m_context.hooks.refreshPages();
    else
        load(state);
    if (m_context.hooks.rebuildTree)
        m_context.hooks.rebuildTree();
}

void AppGeneralPage::saveFile(ViewState& state, bool choose)
{
    // The file holds what OK would keep: every check OK runs comes first, and a refusal writes nothing.
    const OkOutcome outcome = killActive(state);
    if (!outcome.close) {
        requestFocus(outcome.focusId);
        return;
    }
    engine::ApplicationFile file(nullptr, m_context.project, m_context.cpu, m_context.application);
    if (!choose) {
        const std::string named = engine::textString(application().path);
        if (engine::SaveWithOneMessage("application file", named, [&] { return file.Write() != 0; }) ==
                engine::SaveEnd::Saved &&
            m_context.transaction)
            m_context.transaction->noteFileWritten();
        if (m_context.hooks.refreshTreeLabels)
            m_context.hooks.refreshTreeLabels();
        return;
    }
    std::string path;
    if (engine::SaveWithOneMessage("application file", std::string(),
                                   [&] { return file.ChooseAndWrite(&path) != 0; }) != engine::SaveEnd::Saved)
        return;
    if (m_context.transaction)
        m_context.transaction->noteFileWritten();
    const std::string relative = ProjectRelativePath(m_context.project, path);
    if (!engine::textFits(application().path, relative)) {
        pageMessage("The application file's path is too long", "File I/O Error");
        return;
    }
    engine::setText(application().path, relative);
    state[FilePath].text = engine::textString(application().path);
    updateButtonStates(state);
}

bool AppGeneralPage::clicked(int id, ViewState& state)
{
    switch (id) {
    case UserTrace:
        store(state);
        return false;
    case Load:
        loadFile(state);
        return true;
    case Save:
        saveFile(state, false);
        return true;
    case SaveAs:
        saveFile(state, true);
        return true;
    default:
        return switchAll(id, state);
    }
}

} // namespace editors
