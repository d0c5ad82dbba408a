// Task: entry point, priority, stack and its placement, the model's extended contexts and task
// attributes, and the two trace modes.
#include "gui/editors/model/object_models.h"

#include <algorithm>

#include "engine/names/identifier.h"
#include "engine/records/field_descriptions.h"
#include "engine/records/model_bounds.h"
#include "engine/util/text.h"

namespace editors {

namespace {

int clampCount(int32_t count)
{
    return std::clamp<int32_t>(count, 0, engine::kMaxExtendedContexts);
}

} // namespace

int TaskModel::contextCount() const
{
    return clampCount(m_cpu.kernel.extendedContextCount);
}

int TaskModel::attributeCount() const
{
    return clampCount(m_cpu.kernel.taskAttributeCount);
}

void TaskModel::init(ViewState& state)
{
    const engine::KernelRecord& kernel = m_cpu.kernel;
    fillNameAndDescription(state);
    auto* data = blockOf<engine::TaskData>(m_object);
    if (data) {
        fillText(state, IdTaskEntryPoint, data->entryPoint);
        fillNumber(state, IdTaskPriority, data->initialPriority);
        fillNumber(state, IdTaskStackSize, data->stackSize);
        fillNumber(state, IdTaskStartingOrder, data->startingOrder);
        fillText(state, IdTaskLabel, data->label);
        fillRadioPair(state, IdTaskAutomatic, IdTaskManual, data->manual != 0 ? 1 : 0);
        state[IdTaskLabel].enabled = data->manual != 0;
    }
    state[IdTaskSizeUnit].text = engine::textString(kernel.sizeUnitName);
    state[IdTaskStackSize].enabled = kernel.minTaskStackSize < kernel.maxTaskStackSize;

    const bool trace = traceEnabled();
    fillTrace(state, IdTrace, m_object.traceObject);
    fillTrace(state, IdTraceActor, m_object.traceActor);
    state[IdTraceGroup].enabled = trace;

    const int contexts = contextCount();
    for (int i = 0; i < engine::kMaxExtendedContexts; ++i) {
        ControlState& box = state[IdTaskContext0 + i];
        if (i < contexts) {
            const bool offered = m_application.extendedContext[i] != 0;
            box.check = (offered && data && data->extendedContext[i] != 0) ? 1 : 0;
            box.enabled = offered;
            box.caption = engine::textString(kernel.extendedContexts[i].description);
        } else {
            box.enabled = false;
            box.visible = false;
        }
    }
    state[IdTaskContextGroup].visible = contexts > 0;
    state[IdTaskContextGroup].caption = contexts == 1 ? "Extended Context" : "Extended Contexts";

    const int attributes = attributeCount();
    for (int i = 0; i < engine::kMaxTaskAttributes; ++i) {
        ControlState& first = state[taskAttributeEnabledId(i)];
        ControlState& second = state[taskAttributeDisabledId(i)];
        ControlState& label = state[taskAttributeStaticId(i)];
        if (i < attributes) {
            const engine::TaskAttributeRow& row = kernel.taskAttributes[i];
            fillRadioPair(state, taskAttributeEnabledId(i), taskAttributeDisabledId(i),
                          (data && data->attributes[i] != 0) ? 0 : 1);
            first.caption = engine::textString(row.enabledName);
            second.caption = engine::textString(row.disabledName);
            label.text = engine::textString(row.name);
        } else {
            for (ControlState* control : {&first, &second, &label}) {
                control->enabled = false;
                control->visible = false;
            }
        }
    }
    state[IdTaskAttributeGroup].visible = attributes > 0;
}

bool TaskModel::clicked(int id, ViewState& state)
{
    if (id != IdTaskAutomatic && id != IdTaskManual)
        return false;
    const bool automatic = id == IdTaskAutomatic;
    fillRadioPair(state, IdTaskAutomatic, IdTaskManual, automatic ? 0 : 1);
    state[IdTaskLabel].enabled = !automatic;
    return true;
}

OkOutcome TaskModel::ok(ViewState& state, DialogHost& host)
{
    auto* data = blockOf<engine::TaskData>(m_object);
    const bool name = storeName(state);
    const bool description = storeDescription(state);
    const bool trace = [&] {
        const bool object = storeFlag(m_object.traceObject, state.checked(IdTrace));
        const bool actor = storeFlag(m_object.traceActor, state.checked(IdTraceActor));
        return object || actor;
    }();
    if (!data)
        return finishCommon(state, host, name, description, trace);

    bool entryPoint = storeTrimmedText(data->entryPoint, state.text(IdTaskEntryPoint));
    const bool priority = storeNumber(data->initialPriority, state, IdTaskPriority);
    const bool stackSize = storeNumber(data->stackSize, state, IdTaskStackSize);
    const bool startingOrder = storeNumber(data->startingOrder, state, IdTaskStartingOrder);
    const bool automatic = state.checked(IdTaskAutomatic);
    const std::string labelText = state.text(IdTaskLabel);
    // A new stack label or placement can clash with the entry point: both run its conflict search.
    if (storeText(data->label, labelText) && !automatic)
        entryPoint = true;
    entryPoint |= storeFlag(data->manual, !automatic);

    bool choices = false;
    for (int i = 0; i < contextCount(); ++i)
        choices |= storeFlag(data->extendedContext[i], state.checked(IdTaskContext0 + i));
    for (int i = 0; i < attributeCount(); ++i)
        choices |= storeFlag(data->attributes[i], state.checked(taskAttributeEnabledId(i)));

    const engine::KernelRecord& kernel = m_cpu.kernel;
    if (!checkName(state, host))
        return OkOutcome::stay(IdName, true);
    if (!checkEntryPoint(data->entryPoint, IdTaskEntryPoint, state, host))
        return OkOutcome::stay(IdTaskEntryPoint, true);
    if (engine::textOf(m_object.name) == engine::textOf(data->entryPoint)) {
        showCheckMessage("Task name and Entry point name must be different");
        return OkOutcome::stay(IdTaskEntryPoint, true);
    }
    if (otherObjectNamed(engine::textString(data->entryPoint))) {
        showCheckMessage("Entry point has the same name as an existing object");
        return OkOutcome::stay(IdTaskEntryPoint, true);
    }
    if (entryPoint && !checkConflict(engine::textString(data->entryPoint), "Entry point name conflicts with "))
        return OkOutcome::stay(IdTaskEntryPoint, true);
    // The entry point is stored trimmed, and so is the label when it is checked below: compare those.
    if (engine::textOf(data->entryPoint) == engine::TrimText(labelText, true, true)) {
        showCheckMessage("Entry point and stack name must be different");
        return OkOutcome::stay(IdTaskEntryPoint, false);
    }
    if (name && !checkNameConflict())
        return OkOutcome::stay(IdName, true);
    if (!checkKeyRange(data->initialPriority, "Initial priority"))
        return OkOutcome::stay(IdTaskPriority, false);
    if (!checkKeyRange(data->startingOrder, "Starting order number"))
        return OkOutcome::stay(IdTaskStartingOrder, false);
    if (!checkKeyRange(data->stackSize, "Stack size"))
        return OkOutcome::stay(IdTaskStackSize, false);
    if (!engine::stackMeetsModulus(data->stackSize, kernel.taskStackModulus)) {
        showCheckMessage(engine::FormatText("Task stack size must be an integer multiple of %d", kernel.taskStackModulus));
        return OkOutcome::stay(IdTaskStackSize, false);
    }
    if (!checkNameUnique())
        return OkOutcome::stay(IdName, false);
    if (data->manual != 0) {
        if (!checkIdentifier(data->label, INT32_MAX, "Task stack label", IdTaskLabel, state, host))
            return OkOutcome::stay(IdTaskLabel, true);
        if (engine::textOf(m_object.name) == engine::textOf(data->label)) {
            showCheckMessage("Task name and stack label must be different");
            return OkOutcome::stay(IdTaskLabel, false);
        }
        // The conflict search passes over the task's own symbols: its entry point is compared here, with
        // the label as corrected.
        if (engine::textOf(data->entryPoint) == engine::textOf(data->label)) {
            showCheckMessage("Entry point and stack name must be different");
            return OkOutcome::stay(IdTaskEntryPoint, false);
        }
        if (!checkConflict(engine::textString(data->label), "Stack label conflicts with "))
            return OkOutcome::stay(IdTaskLabel, false);
    }
    if (OkOutcome unfit; !numbersFit(unfit))
        return unfit;
    markCommon(name, description, entryPoint || priority || stackSize || startingOrder || choices || trace);
    return OkOutcome::closeOk();
}

} // namespace editors
