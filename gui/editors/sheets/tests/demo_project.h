#pragma once
// The demo project (samples/demo) opened from a scratch program folder, for the sheet and page tests.
// Messages are scripted; the current folder comes back afterwards.
#include <filesystem>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "engine/ops/project_manager.h"
#include "engine/records/records.h"
#include "platform/core/message_service.h"

class QWidget;

namespace editors::test {

// Runs the step on the modal window once it is up (the step gets the active modal window).
void whenModal(std::function<void(QWidget*)> step);

class DemoProject : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    engine::CpuRecord& cpu(const char* name);
    engine::ApplicationRecord& application(const char* name);
    engine::CpuRecord& cpuOf(const engine::ApplicationRecord& application);
    std::vector<std::string> messages() { return m_messages.service().texts(); }

    std::filesystem::path m_demo;
    std::filesystem::path m_savedFolder;
    std::filesystem::path m_programFolder;
    engine::ConfigRecord m_config{};
    engine::ProjectRecord m_project{};
    engine::ProjectManager m_manager;
    bool m_opened = false;
    platform::ScopedScriptedMessages m_messages;
};

} // namespace editors::test
