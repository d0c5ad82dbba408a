#pragma once
// Test support for the kernel windows: a generated kernel behind the fake target port, a control panel's
// connect step answered without dialogs, and helpers to run posted commands.

#include "standins/debugger/simtarget/kernel_objects.h"
#include "standins/debugger/simtarget/tests/generated_fixture.h"

#include "platform/core/message_service.h"
#include "platform/core/profile_store.h"

#include "plugin/views/window_manager.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>

namespace views::test {

// Runs posted events (commands, deferred deletes) until none are left.
void drainEvents();

// Sends a display command to the manager, lets its window open and refresh, and returns the listed
// window of that dialog id cast to T (null when there is none of that type).
template <typename T>
T* OpenDisplay(views::WindowManager& manager, uint32_t command, uint32_t dialogId)
{
    manager.OnDisplayCommand(command);
    drainEvents();
    return dynamic_cast<T*>(manager.FindOpenWindow(dialogId));
}

// A kernel made by `build` on a fresh builder (port 7, little-endian unless the kernel description says otherwise),
// loaded as Initialize would load it. The control panel's settings step answers with its data file and
// its anchor lookup uses the generated symbols.
class GeneratedKernel {
public:
    using Build = std::function<void(simtarget::TargetBuilder&)>;
    explicit GeneratedKernel(const Build& build, simtarget::KernelSpec spec = {});
    ~GeneratedKernel();

    int load();
    simtarget::TargetBuilder& builder() { return *m_builder; }
    simtarget::test::GeneratedFixture& fixture() { return *m_fixture; }
    kernel::test::FakeTarget& target() { return m_fixture->target(); }
    const std::string& dataFile() const { return m_fixture->dataFilePath(); }

private:
    std::unique_ptr<simtarget::TargetBuilder> m_builder;
    std::unique_ptr<simtarget::test::GeneratedFixture> m_fixture;
};

// Tasks and semaphores only: tasks 1..3 static and 4..5 dynamic, two semaphores.
void BuildTasksAndSemaphores(simtarget::TargetBuilder& b);

// Settings in memory, scripted message boxes and no stored window positions, for one test.
class QuietEnvironment {
public:
    QuietEnvironment();
    ~QuietEnvironment();
    platform::ScriptedMessageService& messages() { return m_messages.service(); }
    platform::ProfileStore& settings() { return m_settings; }

private:
    platform::ScopedScriptedMessages m_messages;
    platform::ProfileStore m_settings{""};
    platform::Profile* m_previousSettings;
};

// Saves a widget's picture in the build folder.
void saveScreenshot(QWidget* widget, const std::string& name);

} // namespace views::test
