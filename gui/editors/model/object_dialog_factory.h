#pragma once
// The object dialog of each class type: its template id, its title and its model.
#include <memory>
#include <string>

#include "gui/editors/model/object_dialog_model.h"

namespace editors {

struct ObjectDialogKind {
    int32_t classType;
    unsigned templateId;
    const char* className;  // the title is className + " Object Properties"
};

// The kind of a class type 1 to 14; null for any other number.
const ObjectDialogKind* objectDialogKind(int32_t classType);
std::string objectDialogTitle(const ObjectDialogKind& kind);

// The model of the class entry's type (null outside 1 to 14); its init fills in the title.
std::unique_ptr<ObjectDialogModel> makeObjectDialogModel(engine::CpuRecord& cpu, engine::ApplicationRecord& application,
                                                         engine::ApplicationClassEntry& entry,
                                                         engine::ObjectRecord& object);

} // namespace editors
