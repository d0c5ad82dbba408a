#include "bench/sim_session.h"

#include "plugin/kernel/layout.h"
#include "plugin/kernel/object_classes.h"
#include "plugin/kernel/target_access.h"
#include "plugin/kernel/target_port.h"
#include "sdk/debugger/dk_abi.h"
#include "plugin/sdk/kernel.h"
#include "plugin/sdk/plugin_binding.h"
#include "plugin/sdk/ui_thread.h"

#include <filesystem>
#include <fstream>

namespace bench {
namespace {

class QuietUiThread final : public plugin::UiThread {
public:
    bool post(uint32_t, uintptr_t, intptr_t) override { return true; }
    bool quitAndWait(std::chrono::milliseconds) override { return true; }
};

} // namespace

SimSession::SimSession(const simtarget::GeneratedTarget& target)
{
    m_debugger.activate();
    plugin::setUiThreadFactory([] { return std::make_unique<QuietUiThread>(); });
    for (const auto& block : target.memory)
        m_debugger.memory().store(0, block.address, block.data.data(), block.data.size());
    m_debugger.symbols().add({"pKWS", true, 0, target.anchor, 5});
    if (dk::PluginApiInit(m_debugger.table()) != 0) {
        m_error = "the plug-in did not bind to the stand-in debugger";
        return;
    }
    m_path = (std::filesystem::temp_directory_path() / "bench_sim_session_z5data.a79").string();
    std::ofstream(m_path) << simtarget::SRecordText(target.dataFile, "z5data");
    kernel::SetLittleEndian(1);
    kernel::SetAddressUnitBits(8);
    kernel::BindTargetAccess();
    m_anchor = kernel::GetTargetPort()->symbolAddress("pKWS").value_or(0);
    if (!reload())
        m_error = "the layout did not load";
}

SimSession::~SimSession()
{
    kernel::FreeKernelWorkspace();
    dk::PluginApiExit();
    plugin::setUiThreadFactory(nullptr);
    dk::bindKernelTable(nullptr);
    if (!m_path.empty())
        std::filesystem::remove(m_path);
}

bool SimSession::reload()
{
    kernel::FreeKernelWorkspace();
    if (kernel::LoadKernelWorkspace(1, m_path, 0, m_anchor) != kernel::LoadOk)
        return false;
    for (int k = 0; k < kernel::kObjectKindCount; ++k)
        kernel::EnsureClassRecord(kernel::ClassOf(static_cast<kernel::ObjectKind>(k)));
    return true;
}

uint64_t SimSession::readCalls() { return m_debugger.callCount(DK_MEMORY_READ); }

} // namespace bench
