#include "gui/editors/model/object_dialog_model.h"

#include "engine/names/identifier.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/util/text.h"
#include "gui/editors/model/object_dialog_factory.h"

#include <climits>

namespace editors {

ObjectDialogModel::ObjectDialogModel(engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                     engine::ApplicationClassEntry& entry, engine::ObjectRecord& object,
                                     unsigned templateId)
    : m_cpu(cpu), m_application(application), m_entry(entry), m_object(object), m_templateId(templateId)
{
}

int ObjectDialogModel::nameLimit() const
{
    // A class may allow names up to 1024 characters while the record's field holds 127.
    const int32_t length = m_entry.maxKeyLength;
    return (length <= 0 || length > kFieldTextLimit) ? kFieldTextLimit : length;
}

void ObjectDialogModel::fillNameAndDescription(ViewState& state) const
{
    if (const ObjectDialogKind* kind = objectDialogKind(m_entry.classType))
        state.title = objectDialogTitle(*kind);
    state[IdName].text = engine::textString(m_object.name);
    state[IdName].limit = nameLimit();
    fillText(state, IdDescription, m_object.description);
}

bool ObjectDialogModel::traceEnabled() const
{
    return m_entry.systemTrace != 0 && m_cpu.kernel.enableTrace != 0;
}

void ObjectDialogModel::fillTrace(ViewState& state, int boxId, int32_t flag) const
{
    state[boxId].enabled = traceEnabled();
    state[boxId].check = (m_entry.systemTrace != 0 && flag != 0) ? 1 : 0;
}

void ObjectDialogModel::fillText(ViewState& state, int id, const char (&field)[engine::kNameSize])
{
    state[id].text = engine::textString(field);
    state[id].limit = kFieldTextLimit;
}

void ObjectDialogModel::fillNumber(ViewState& state, int id, int32_t value)
{
    state[id].text = engine::IntToText(value);
}

bool ObjectDialogModel::noteChange(bool changed)
{
    m_storedChange = m_storedChange || changed;
    return changed;
}

bool ObjectDialogModel::storeName(const ViewState& state)
{
    const std::string text = state.text(IdName);
    const bool changed = text != engine::textOf(m_object.name);
    // The edit never takes more than the field holds; a longer text (set from elsewhere) is cut here.
    engine::setText(m_object.name, engine::TrimText(text, true, true));
    return noteChange(changed);
}

bool ObjectDialogModel::storeDescription(const ViewState& state)
{
    return storeText(m_object.description, state.text(IdDescription));
}

bool ObjectDialogModel::storeText(char (&field)[engine::kNameSize], const std::string& text)
{
    const bool changed = text != engine::textOf(field);
    engine::setText(field, text);
    return noteChange(changed);
}

bool ObjectDialogModel::storeTrimmedText(char (&field)[engine::kNameSize], const std::string& text)
{
    const bool changed = text != engine::textOf(field);
    engine::setText(field, engine::TrimText(text, true, true));
    return noteChange(changed);
}

bool ObjectDialogModel::storeNumber(int32_t& field, const std::string& text)
{
    const int32_t value = static_cast<int32_t>(engine::ParseNumber(text));
    const bool changed = value != field;
    field = value;
    return noteChange(changed);
}

bool ObjectDialogModel::storeFlag(int32_t& field, bool checked)
{
    const bool changed = checked != (field != 0);
    field = checked ? 1 : 0;
    return noteChange(changed);
}

bool ObjectDialogModel::storeValue(int32_t& field, int32_t value)
{
    const bool changed = field != value;
    field = value;
    return noteChange(changed);
}

bool ObjectDialogModel::checkIdentifier(char (&field)[engine::kNameSize], int maxLength, const std::string& prefix,
                                        int controlId, ViewState& state)
{
    const int code = engine::MakeValidIdentifier(field, maxLength);
    if (code == engine::IdentifierValid)
        return true;
    state[controlId].text = engine::textString(field);
    std::string text = prefix;
    engine::IdentifierProblemText(code, text);
    showCheckMessage(text);
    return false;
}

bool ObjectDialogModel::checkName(ViewState& state)
{
    return checkIdentifier(m_object.name, m_entry.maxKeyLength, "Object name", IdName, state);
}

bool ObjectDialogModel::checkEntryPoint(char (&field)[engine::kNameSize], int controlId, ViewState& state)
{
    return checkIdentifier(field, INT32_MAX, "Entry point name", controlId, state);
}

bool ObjectDialogModel::checkLabel(char (&field)[engine::kNameSize], const std::string& prefix, ViewState& state)
{
    return checkIdentifier(field, kPlacementLabelLimit, prefix, IdLabel, state);
}

bool ObjectDialogModel::checkRange(uint32_t value, uint32_t low, uint32_t high, const std::string& what)
{
    if (engine::InRangeUnsigned(value, low, high))
        return true;
    showCheckMessage(what + engine::RangeTextUnsigned(low, high));
    return false;
}

bool ObjectDialogModel::checkNameUnique()
{
    if (engine::IsObjectNameUnique(m_application, m_object))
        return true;
    showCheckMessage(engine::NameInUseText(engine::textString(m_object.name)));
    return false;
}

bool ObjectDialogModel::checkConflict(const std::string& text, const std::string& prefix)
{
    std::string what;
    if (!engine::FindLabelConflict(m_application, text, what, &m_object, true, true))
        return true;
    showCheckMessage(prefix + what);
    return false;
}

bool ObjectDialogModel::checkNameConflict()
{
    return checkConflict(engine::textString(m_object.name), "Object name conflicts with ");
}

bool ObjectDialogModel::commonChecks(ViewState& state, bool nameChanged, OkOutcome& outcome)
{
    if (!checkName(state)) {
        outcome = OkOutcome::stay(IdName, true);
        return false;
    }
    if (!checkNameUnique()) {
        outcome = OkOutcome::stay(IdName, false);
        return false;
    }
    if (nameChanged && !checkNameConflict()) {
        outcome = OkOutcome::stay(IdName, true);
        return false;
    }
    return true;
}

OkOutcome ObjectDialogModel::finishCommon(ViewState& state, bool nameChanged, bool descriptionChanged,
                                          bool otherChanged)
{
    OkOutcome outcome;
    if (!commonChecks(state, nameChanged, outcome))
        return outcome;
    markCommon(nameChanged, descriptionChanged, otherChanged);
    return OkOutcome::closeOk();
}

bool ObjectDialogModel::otherObjectNamed(const std::string& text) const
{
    const auto named = [&](const engine::ObjectPlace& place) {
        return place.object != &m_object && engine::textOf(place.object->name) == text ? 1 : 0;
    };
    return engine::VisitApplicationObjects(m_application, named) != 0;
}

void ObjectDialogModel::markAllFilesDirtyAndChained()
{
    markAllFilesDirty();
    if (m_entry.chained)
        m_entry.chained->cFileDirty = 1;
}

void ObjectDialogModel::markAllFilesDirty()
{
    m_entry.cFileDirty = 1;
    m_entry.hFileDirty = 1;
    m_entry.mFileDirty = 1;
}

void ObjectDialogModel::markCFileDirty()
{
    m_entry.cFileDirty = 1;
}

void ObjectDialogModel::markCommon(bool nameChanged, bool descriptionChanged, bool otherChanged)
{
    if (nameChanged)
        markAllFilesDirtyAndChained();
    if (descriptionChanged)
        markAllFilesDirty();
    if (otherChanged)
        markCFileDirty();
}

} // namespace editors
