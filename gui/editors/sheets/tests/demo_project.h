#pragma once
// The demo project (samples/demo) opened from a scratch program folder, for the sheet and page tests.
// Messages are scripted; the current folder comes back afterwards.
#include <filesystem>
#include <functional>
#include <string>

#include <QString>
#include <gtest/gtest.h>

#include "engine/ops/project_manager.h"
#include "engine/records/records.h"
#include "platform/core/message_service.h"

class QWidget;

namespace platform {
class PropertyPage;
class PropertySheet;
}

namespace editors::test {

// Clicks the tab of the sheet's page with that caption, as a user does; the page (null, and a failure,
// when there is none).
platform::PropertyPage* clickTab(platform::PropertySheet* sheet, const QString& caption);
// Runs the work the event loop has queued (posted rebuilds, state restores).
void settle();

// Runs the step on the modal window once it is up (with a title: once the modal window has that title).
void whenModal(std::function<void(QWidget*)> step, const QString& title = QString());

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
