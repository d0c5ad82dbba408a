#pragma once
// Editing one object's properties as a transaction: the dialog of its class writes straight into the
// records, so this keeps a snapshot of the application and copies of the object record and its data block,
// puts them back on Cancel, keeps System Timebase and Tickslice Counter on one counter each, refuses an MP
// name that another MP-enabled object of the project bears (by running the dialog again), and marks the
// application edited on OK when it differs from the snapshot.
#include <functional>

#include "engine/records/records.h"
#include "gui/editors/model/object_dialog_model.h"

namespace editors {

// Runs one dialog on a fresh model and returns 1 (OK) or 2 (Cancel).
using ObjectDialogRunner = std::function<int(ObjectDialogModel& model)>;

// counterParents names the class entry whose objects are the parents of the application's counters; when
// null it is the entry one level above the object's entry in its chain (none for a top-level entry).
// Returns 1 or 2; 2 also when the snapshot cannot be made or the class type has no dialog.
int EditObjectProperties(const engine::ProjectRecord& project, engine::CpuRecord& cpu,
                         engine::ApplicationRecord& application, engine::ApplicationClassEntry& entry,
                         engine::ObjectRecord& object, engine::ApplicationClassEntry* counterParents,
                         const ObjectDialogRunner& run);

} // namespace editors
