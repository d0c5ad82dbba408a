#include "gui/editors/sheets/tests/demo_project.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include "engine/files/config_file.h"
#include "engine/names/project_walk.h"
#include "engine/records/text_field.h"
#include "platform/core/program_path.h"

namespace fs = std::filesystem;

namespace editors::test {

void whenModal(std::function<void(QWidget*)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            whenModal(step);
            return;
        }
        step(modal);
    });
}

void DemoProject::SetUp()
{
    const char* source = std::getenv("KORVANE_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "KORVANE_SOURCE_DIR is not set";
    m_demo = fs::path(source) / "samples" / "demo";
    m_savedFolder = fs::current_path();
    m_programFolder = fs::temp_directory_path() / ("sheets_demo_" + std::to_string(::getpid()));
    fs::create_directories(m_programFolder / "models");
    for (const char* model : {"z5std.mdl", "z5mp.mdl"})
        fs::copy_file(m_demo / "models" / model, m_programFolder / "models" / model,
                      fs::copy_options::overwrite_existing);
    std::ofstream(m_programFolder / "ombagen.cfg", std::ios::binary)
        << "[MODELS]\r\nZ5 Standard=models/z5std.mdl\r\nZ5 Multiprocessor=models/z5mp.mdl\r\n[GENERAL]\r\n";
    platform::setProgramDirectoryOverride(m_programFolder.string());
    ASSERT_TRUE(engine::ConfigFile::Read(m_config));
    engine::ProjectManager::ResetProject(m_project, true);
    std::string path = (m_demo / "demo.omb").string();
    ASSERT_EQ(m_manager.OpenProjectFile(m_project, m_config, path, true), 1);
    m_opened = true;
    m_messages.service().clear();
}

void DemoProject::TearDown()
{
    if (m_opened)
        engine::ProjectManager::FreeProject(m_project);
    engine::ConfigFile::FreeConfigRecord(m_config);
    platform::setProgramDirectoryOverride("");
    std::error_code error;
    fs::current_path(m_savedFolder, error);
    fs::remove_all(m_programFolder, error);
}

engine::CpuRecord& DemoProject::cpu(const char* name)
{
    for (int32_t i = 0; i < m_project.cpuCount; ++i) {
        if (engine::textOf(m_project.cpus[i].name) == name)
            return m_project.cpus[i];
    }
    ADD_FAILURE() << "no CPU " << name;
    return m_project.cpus[0];
}

engine::ApplicationRecord& DemoProject::application(const char* name)
{
    engine::ApplicationRecord* found = nullptr;
    engine::VisitProjectApplications(m_project, [&](engine::CpuRecord&, engine::ApplicationRecord& app) {
        if (engine::textOf(app.name) != name)
            return 0;
        found = &app;
        return 1;
    });
    if (!found) {
        ADD_FAILURE() << "no application " << name;
        return m_project.cpus[0].applications[0];
    }
    return *found;
}

engine::CpuRecord& DemoProject::cpuOf(const engine::ApplicationRecord& application)
{
    return *engine::FindCpuOfApplication(m_project, application);
}

} // namespace editors::test
