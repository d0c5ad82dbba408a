#pragma once
// A small project in memory for the editor tests: one CPU whose kernel offers the fourteen classes, one
// application with a class entry per class type (Event Source -> Counter -> Alarm and Level -> Thread
// chained), objects added on demand with their class defaults. Messages are scripted.
#include <string>

#include <gtest/gtest.h>

#include "engine/records/records.h"
#include "gui/editors/model/dialog_model.h"
#include "platform/core/message_service.h"

namespace editors::test {

class EditorFixture : public ::testing::Test {
protected:
    EditorFixture();
    ~EditorFixture() override;

    engine::CpuRecord& cpu() { return m_project.cpus[0]; }
    engine::KernelRecord& kernel() { return cpu().kernel; }
    engine::ApplicationRecord& app() { return cpu().applications[0]; }
    // The class entry of a type (chained ones included).
    engine::ApplicationClassEntry& entry(int32_t classType);
    // A new object of a top-level class entry, or a child of parent for a chained class.
    engine::ObjectRecord& addObject(int32_t classType, const std::string& name,
                                    engine::ObjectRecord* parent = nullptr);
    template <typename Block>
    Block& block(engine::ObjectRecord& object)
    {
        return *static_cast<Block*>(object.data);
    }
    // Clears every class entry's dirty flags and the application's edited flag.
    void clearDirty();

    std::vector<std::string> messages() { return m_messages.service().texts(); }
    void clearMessages() { m_messages.service().clear(); }

    engine::ProjectRecord m_project{};
    platform::ScopedScriptedMessages m_messages;
    NullDialogHost m_host;
};

} // namespace editors::test
