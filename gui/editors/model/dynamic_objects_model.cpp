#include <algorithm>

#include "engine/names/identifier.h"
#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/records/model_bounds.h"
#include "engine/records/text_field.h"
#include "engine/util/text.h"
#include "gui/editors/model/property_models.h"
#include "platform/core/message_service.h"

namespace editors {

namespace {
constexpr const char* kDynamicLabel = "Number of Dynamics for Class";
}

DynamicObjectsModel::DynamicObjectsModel(engine::ApplicationClassEntry& entry, const engine::KernelRecord& kernel,
                                         engine::ApplicationRecord* application)
    : m_entry(entry), m_kernel(kernel), m_application(application)
{
}

engine::ApplicationClassEntry* DynamicObjectsModel::rowEntry(int row) const
{
    engine::ApplicationClassEntry* entry = &m_entry;
    for (int i = 0; i < row && entry; ++i)
        entry = entry->chained;
    return entry;
}

int DynamicObjectsModel::rowCount() const
{
    int rows = 0;
    while (rows < kDynamicRows && rowEntry(rows))
        ++rows;
    return rows;
}

int32_t DynamicObjectsModel::staticObjects(const engine::ApplicationClassEntry& entry) const
{
    if (m_application)
        return engine::CountClassEntryObjects(*m_application, entry);
    return std::max<int32_t>(entry.objectCount, 0);
}

void DynamicObjectsModel::init(ViewState& state)
{
    state.title = "Dynamic Objects";
    const int rows = rowCount();
    for (int row = 0; row < kDynamicRows; ++row) {
        const engine::ApplicationClassEntry* entry = row < rows ? rowEntry(row) : nullptr;
        m_atOpen[row] = entry ? entry->numberOfDynamics : 0;
        const bool allowed = entry && entry->dynamicsAllowed;
        state[dynamicNameId(row)].text.clear();
        state[dynamicCountId(row)].text.clear();
        state[dynamicLabelId(row)].text = kDynamicLabel;
        if (allowed) {
            state[dynamicNameId(row)].text = engine::textString(entry->name);
            state[dynamicCountId(row)].text = engine::IntToText(entry->numberOfDynamics);
            // The class name follows the label in its text, one blank apart.
            state[dynamicLabelId(row)].text += " " + state[dynamicNameId(row)].text;
        }
        for (int id : {dynamicCountId(row), dynamicLabelId(row)})
            state[id].visible = entry != nullptr;
        state[dynamicNameId(row)].visible = false;
        // A class without dynamics takes no number.
        state[dynamicCountId(row)].enabled = allowed;
    }
}

OkOutcome DynamicObjectsModel::ok(ViewState& state, DialogHost& host)
{
    const int rows = rowCount();
    // A number the file cannot hold for a class's count (past 32 bits, or outside the count's range) is no
    // count to adjust: refused before any row is stored, with the range the row takes (up to the kernel
    // class's maximum less the static objects; the count's own range without a kernel class).
    const engine::FieldDescription* count =
        engine::FindFieldDescription(engine::FieldFile::Application, "CLASS", "Number of Dynamics");
    for (int row = 0; row < rows; ++row) {
        const engine::ApplicationClassEntry* entry = rowEntry(row);
        if (entry->dynamicsAllowed && !TypedNumberFits(state.text(dynamicCountId(row)), count)) {
            const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(m_kernel, entry->classType);
            const std::string range =
                kernelClass ? engine::RangeTextUnsigned(
                                  0, static_cast<uint32_t>(engine::dynamicsMaximum(*kernelClass, staticObjects(*entry))))
                : count ? engine::FieldRangeText(*count)
                        : engine::RangeTextUnsigned(0, UINT32_MAX);
            showCheckMessage(std::string(kDynamicLabel) + " " + engine::textString(entry->name) + range);
            return OkOutcome::stay(dynamicCountId(row), false);
        }
    }
    bool adjusted = false;
    for (int row = 0; row < rows; ++row) {
        engine::ApplicationClassEntry* entry = rowEntry(row);
        if (!entry->dynamicsAllowed)
            continue;
        const uint32_t requested = engine::ParseNumber(state.text(dynamicCountId(row)));
        const engine::KernelClassRecord* kernelClass = engine::FindKernelClassByType(m_kernel, entry->classType);
        const int64_t objects = staticObjects(*entry);
        // Without a kernel class there is no maximum to hold the number to.
        if (kernelClass && static_cast<int64_t>(requested) + objects > kernelClass->maximum) {
            const std::string name = engine::textString(entry->name);
            platform::messageBox(
                engine::FormatText("Object count maximum of %d exceeded for this class.", kernelClass->maximum),
                "Adjusting number of dynamics for " + name, platform::MbOk);
            entry->numberOfDynamics = static_cast<int32_t>(engine::dynamicsMaximum(*kernelClass, objects));
            state[dynamicCountId(row)].text = engine::IntToText(entry->numberOfDynamics);
            host.pushNow(state);
            adjusted = true;
        } else {
            entry->numberOfDynamics = static_cast<int32_t>(requested);
        }
    }
    if (adjusted)
        return OkOutcome::stay(0, false);

    // Changes count against the numbers at opening, so an adjusting OK before does not hide them.
    bool changed = false;
    for (int row = 0; row < rows; ++row)
        changed = changed || rowEntry(row)->numberOfDynamics != m_atOpen[row];
    if (changed) {
        for (int row = 0; row < rows; ++row) {
            rowEntry(row)->hFileDirty = 1;
            rowEntry(row)->mFileDirty = 1;
        }
        if (m_application)
            m_application->edited = 1;
    }
    return OkOutcome::closeOk();
}

void DynamicObjectsModel::cancel()
{
    const int rows = rowCount();
    for (int row = 0; row < rows; ++row)
        rowEntry(row)->numberOfDynamics = m_atOpen[row];
}

} // namespace editors
