#include "gui/editors/model/object_dialog_model.h"

#include "engine/names/identifier.h"
#include "engine/names/name_conflicts.h"
#include "engine/names/project_walk.h"
#include "engine/ops/project_manager.h"
#include "engine/project/object_keys.h"
#include "engine/util/text.h"
#include "gui/editors/model/object_dialog_factory.h"

#include <climits>

namespace editors {

ObjectDialogModel::ObjectDialogModel(engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                     engine::ApplicationClassEntry& entry, engine::ObjectRecord& object,
                                     unsigned templateId)
    : m_cpu(cpu), m_application(application), m_entry(entry), m_object(object), m_templateId(templateId),
      m_objectAtOpen(object), m_blockAtOpen(CopyOfDataBlock(entry, object))
{
}

std::vector<unsigned char> CopyOfDataBlock(const engine::ApplicationClassEntry& entry,
                                           const engine::ObjectRecord& object)
{
    const int32_t blockSize = engine::ProjectManager::GetObjectDataSize(entry);
    if (blockSize <= 0 || !object.data)
        return {};
    const auto* bytes = static_cast<const unsigned char*>(object.data);
    return std::vector<unsigned char>(bytes, bytes + blockSize);
}

const void* ObjectDialogModel::atOpen(const void* field, std::size_t size) const
{
    // The offset of the field within a block of length bytes starting at base, or -1 when it is not there.
    const auto offsetIn = [&](const void* base, std::size_t length) -> std::ptrdiff_t {
        const auto start = reinterpret_cast<std::uintptr_t>(base);
        const auto at = reinterpret_cast<std::uintptr_t>(field);
        if (!base || at < start || at - start > length || length - (at - start) < size)
            return -1;
        return static_cast<std::ptrdiff_t>(at - start);
    };
    const std::ptrdiff_t inObject = offsetIn(&m_object, sizeof m_object);
    if (inObject >= 0)
        return reinterpret_cast<const unsigned char*>(&m_objectAtOpen) + inObject;
    const std::ptrdiff_t inBlock = offsetIn(m_object.data, m_blockAtOpen.size());
    if (inBlock >= 0)
        return m_blockAtOpen.data() + inBlock;
    return field;
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

const engine::ObjectKey* ObjectDialogModel::numberKey(const int32_t& field) const
{
    const auto start = reinterpret_cast<std::uintptr_t>(m_object.data);
    const auto at = reinterpret_cast<std::uintptr_t>(&field);
    if (!m_object.data || at < start || at - start + sizeof field > m_blockAtOpen.size())
        return nullptr;
    const engine::ObjectKey* key = engine::objectKeyAt(m_entry.classType, at - start);
    return key && key->kind == engine::ObjectKeyKind::Number ? key : nullptr;
}

const engine::FieldDescription* ObjectDialogModel::numberDescription(const int32_t& field) const
{
    const engine::ObjectKey* key = numberKey(field);
    return key ? &key->field : nullptr;
}

void ObjectDialogModel::fillNumber(ViewState& state, int id, const int32_t& field) const
{
    const engine::FieldDescription* description = numberDescription(field);
    state[id].text = description ? engine::FieldDisplayText(*description, field) : engine::IntToText(field);
}

bool ObjectDialogModel::storeName(const ViewState& state)
{
    const std::string text = state.text(IdName);
    const bool changed = text != engine::textOf(valueAtOpen(m_object.name));
    // The edit never takes more than the field holds; a longer text (set from elsewhere) is cut here.
    engine::setText(m_object.name, engine::TrimText(text, true, true));
    return changed;
}

bool ObjectDialogModel::storeDescription(const ViewState& state)
{
    return storeText(m_object.description, state.text(IdDescription));
}

bool ObjectDialogModel::storeText(char (&field)[engine::kNameSize], const std::string& text)
{
    const bool changed = text != engine::textOf(valueAtOpen(field));
    engine::setText(field, text);
    return changed;
}

bool ObjectDialogModel::storeTrimmedText(char (&field)[engine::kNameSize], const std::string& text)
{
    const bool changed = text != engine::textOf(valueAtOpen(field));
    engine::setText(field, engine::TrimText(text, true, true));
    return changed;
}

bool ObjectDialogModel::storeNumber(int32_t& field, const ViewState& state, int id, const char* label)
{
    if (label)
        m_numberLabels[&field] = label;
    const std::string text = state.text(id);
    const auto value = static_cast<int32_t>(engine::ParseNumber(text));
    if (TypedNumberFits(text, numberDescription(field)))
        m_unfit.erase(&field);
    else
        m_unfit.insert(&field);
    m_numberControls[&field] = id;
    return storeValue(field, value);
}

bool ObjectDialogModel::numbersFit(OkOutcome& outcome)
{
    for (const int32_t* field : m_unfit) {
        const engine::FieldDescription* description = numberDescription(*field);
        const auto label = m_numberLabels.find(field);
        const std::string name = label != m_numberLabels.end() ? label->second
                                 : description                 ? description->key
                                                               : "Value";
        showCheckMessage(name + (description ? engine::FieldRangeText(*description)
                                             : engine::RangeTextUnsigned(0, UINT32_MAX)));
        const auto control = m_numberControls.find(field);
        outcome = OkOutcome::stay(control == m_numberControls.end() ? IdName : control->second, false);
        return false;
    }
    return true;
}

void ObjectDialogModel::keepNumber(int32_t& field)
{
    field = valueAtOpen(field);
    m_unfit.erase(&field);
}

bool ObjectDialogModel::checkKeyRange(const int32_t& field, const std::string& what)
{
    const engine::ObjectKey* key = numberKey(field);
    if (!key)
        return true;
    const engine::ObjectKeyRange range = engine::objectKeyRange(m_cpu, m_entry.classType, *key, m_object.data);
    if (!isUnfit(field) && engine::objectKeyValueInRange(range, key->field, field))
        return true;
    showCheckMessage(what + " must be in the range of " + engine::objectKeyRangeText(range));
    return false;
}

void ObjectDialogModel::fitKeyRange(int32_t& field)
{
    const engine::ObjectKey* key = numberKey(field);
    if (!key)
        return;
    const engine::ObjectKeyRange range = engine::objectKeyRange(m_cpu, m_entry.classType, *key, m_object.data);
    if (!engine::objectKeyValueInRange(range, key->field, field))
        field = static_cast<int32_t>(range.minimum);
}

bool ObjectDialogModel::storeFlag(int32_t& field, bool checked)
{
    const bool changed = checked != (valueAtOpen(field) != 0);
    field = checked ? 1 : 0;
    return changed;
}

bool ObjectDialogModel::storeValue(int32_t& field, int32_t value)
{
    const bool changed = valueAtOpen(field) != value;
    field = value;
    return changed;
}

void ObjectDialogModel::refuseShowing(const std::string& text, const ViewState& state, DialogHost& host)
{
    host.pushNow(state);
    showCheckMessage(text);
}

bool ObjectDialogModel::checkIdentifier(char (&field)[engine::kNameSize], int maxLength, const std::string& prefix,
                                        int controlId, ViewState& state, DialogHost& host)
{
    const int code = engine::MakeValidIdentifier(field, maxLength);
    if (code == engine::IdentifierValid)
        return true;
    state[controlId].text = engine::textString(field);
    std::string text = prefix;
    engine::IdentifierProblemText(code, text);
    refuseShowing(text, state, host);
    return false;
}

bool ObjectDialogModel::checkName(ViewState& state, DialogHost& host)
{
    return checkIdentifier(m_object.name, m_entry.maxKeyLength, "Object name", IdName, state, host);
}

bool ObjectDialogModel::checkEntryPoint(char (&field)[engine::kNameSize], int controlId, ViewState& state,
                                        DialogHost& host)
{
    return checkIdentifier(field, INT32_MAX, "Entry point name", controlId, state, host);
}

bool ObjectDialogModel::checkLabel(char (&field)[engine::kNameSize], const std::string& prefix, ViewState& state,
                                   DialogHost& host)
{
    return checkIdentifier(field, kPlacementLabelLimit, prefix, IdLabel, state, host);
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

bool ObjectDialogModel::commonChecks(ViewState& state, DialogHost& host, bool nameChanged, OkOutcome& outcome)
{
    if (!checkName(state, host)) {
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

OkOutcome ObjectDialogModel::finishCommon(ViewState& state, DialogHost& host, bool nameChanged,
                                          bool descriptionChanged, bool otherChanged)
{
    OkOutcome outcome;
    if (!commonChecks(state, host, nameChanged, outcome))
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
