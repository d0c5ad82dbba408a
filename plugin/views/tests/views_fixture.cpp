#include "plugin/views/tests/views_fixture.h"

#include "plugin/kernel/layout.h"
#include "plugin/views/control_panel.h"
#include "plugin/views/registry_settings.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPixmap>
#include <QWidget>

namespace views::test {

void drainEvents()
{
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

GeneratedKernel::GeneratedKernel(const Build& build, simtarget::KernelSpec spec)
{
    m_builder = std::make_unique<simtarget::TargetBuilder>(spec);
    build(*m_builder);
    m_fixture = std::make_unique<simtarget::test::GeneratedFixture>(m_builder->build(), spec.littleEndian);
    const std::string path = m_fixture->dataFilePath();
    const bool little = spec.littleEndian;
    ControlPanel::setSettingsPrompt([path, little](std::string& dataPath, bool& littleEndian) {
        dataPath = path;
        littleEndian = little;
        return true;
    });
    kernel::test::FakeTarget* target = &m_fixture->target();
    ControlPanel::setSymbolLookup([target](const std::string& name) {
        std::optional<uint32_t> address = target->symbolAddress(name);
        return address ? *address : 0xFFFFFFFFu;
    });
}

GeneratedKernel::~GeneratedKernel()
{
    ControlPanel::setSettingsPrompt(nullptr);
    ControlPanel::setSymbolLookup(nullptr);
}

int GeneratedKernel::load()
{
    int code = m_fixture->load();
    m_fixture->loadSecondImage();
    return code;
}

void BuildTasksAndSemaphores(simtarget::TargetBuilder& b)
{
    b.addClass(kernel::ObjectKind::Task, 3, 2, 0x4 | 0x8 | 0x100);
    b.addClass(kernel::ObjectKind::Semaphore, 2, 0, 0x8);
    const char* names[] = {"Idle", "Control", "Logger", "Worker", "Helper"};
    for (uint32_t n = 1; n <= 5; ++n) {
        b.setName(kernel::ObjectKind::Task, n, names[n - 1]);
        simtarget::TaskOptions options;
        options.priority = static_cast<int32_t>(10 + n);
        options.entry = 0x00400000 + 0x100 * n;
        simtarget::MakeTask(b, n, options);
    }
    b.setName(kernel::ObjectKind::Semaphore, 1, "Ready");
    b.setName(kernel::ObjectKind::Semaphore, 2, "Done");
    simtarget::LinkReadyList(b, {2, 1});
}

QuietEnvironment::QuietEnvironment() : m_previousSettings(setSettingsProfile(&m_settings)) {}

QuietEnvironment::~QuietEnvironment() { setSettingsProfile(m_previousSettings); }

void saveScreenshot(QWidget* widget, const std::string& name)
{
#ifdef KORVANE_BUILD_DIR
    widget->grab().save(QString::fromStdString(std::string(KORVANE_BUILD_DIR) + "/" + name));
#else
    (void)widget;
    (void)name;
#endif
}

} // namespace views::test
