#pragma once
// The fourteen kernel object dialogs' rules, one model per class type.
#include "gui/editors/model/object_dialog_model.h"

namespace editors {

// Class-specific control ids.
enum ClassControl : int {
    IdField1067 = 1067,
    IdField1068 = 1068,
    IdField1069 = 1069,
    IdField1070 = 1070,
    IdField1071 = 1071,
    IdField1072 = 1072,
    IdField1073 = 1073,
    IdField1074 = 1074,
    IdQueueWidth = 1076,
    IdQueueDepth = 1077,
    IdPriorityOrder = 1078,
    IdFifoOrder = 1079,
    IdField1080 = 1080,
    IdField1081 = 1081,
    IdField1082 = 1082,
    IdField1083 = 1083,
    IdAlignment = 1166,
    IdAutomatic = 1167,
    IdManual = 1168,
    IdSuppressBuffers = 1195,
    IdAlarmInitialExpression = 1307,
    IdAlarmRecycleExpression = 1308,
};

// Event Source: nothing beyond the frame and its trace box.
class EventSourceModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class CounterModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class AlarmModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class ExceptionModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class LevelModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class MailboxModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class MutexModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

// The classes placed automatically or at a manual label: the placement radios enable the alignment or the
// label edit.
class PlacedObjectModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    bool clicked(int id, ViewState& state) override;
    // The alignment typed where it applies (automatic placement on a CPU that offers it); elsewhere the
    // value the dialog opened with.
    bool storeAlignment(int32_t& alignment, int32_t manual, const ViewState& state, const char* label);
};

class PartitionModel : public PlacedObjectModel {
public:
    using PlacedObjectModel::PlacedObjectModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class PipeModel : public PlacedObjectModel {
public:
    using PlacedObjectModel::PlacedObjectModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class QueueModel : public PlacedObjectModel {
public:
    using PlacedObjectModel::PlacedObjectModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

enum TaskControl : int {
    IdTaskEntryPoint = 1067,
    IdTaskPriority = 1072,
    IdTaskStackSize = 1073,
    IdTaskStartingOrder = 1074,
    IdTaskContext0 = 1231,  // to 1234
    IdTaskContextGroup = 1235,
    IdTaskAutomatic = 1275,
    IdTaskManual = 1276,
    IdTaskLabel = 1277,
    IdTaskSizeUnit = 1278,
    IdTaskAttributeGroup = 1296,
};

// The controls of task attribute i (0 to 3): the group static and the enabled and disabled radios.
constexpr int taskAttributeEnabledId(int i) { return 1284 + 3 * i; }
constexpr int taskAttributeDisabledId(int i) { return 1285 + 3 * i; }
constexpr int taskAttributeStaticId(int i) { return 1286 + 3 * i; }

class TaskModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;

    // The model's context and attribute counts, kept within 0 to 4.
    int contextCount() const;
    int attributeCount() const;
};

class ThreadModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class SemaphoreModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    bool clicked(int id, ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

class SpecialServiceModel : public ObjectDialogModel {
public:
    using ObjectDialogModel::ObjectDialogModel;
    void init(ViewState& state) override;
    OkOutcome ok(ViewState& state, DialogHost& host) override;
};

// Fills a pair of radio buttons from a 0/1 choice.
void fillRadioPair(ViewState& state, int firstId, int secondId, int32_t value);

} // namespace editors
