// Code generation and printing from the main window: the scope follows the selected node, each
// application is one library call, and a status box reports the end of the run.

#include "main_dialog.h"

#include "generator_calls.h"
#include "shell_dialogs.h"

#include "engine/names/project_walk.h"
#include "engine/util/path.h"
#include "engine/util/print_text.h"
#include "platform/core/message_service.h"
#include "platform/qt/wait_cursor.h"

void CMainDialog::OnFileGenerateCode()
{
    generateForNode(false);
}

void CMainDialog::OnFileGenerateAll()
{
    generateForNode(true);
}

void CMainDialog::generateForNode(bool all)
{
    const engine::TreeNode node = currentNode();
    if (node.kind == engine::NodeCpu && node.cpu)
        GenerateCpu(*node.cpu, all);
    else if (node.kind >= engine::NodeApplication && node.cpu && node.application)
        GenerateApplication(*node.cpu, *node.application, all);
    else
        GenerateProject(all);
    dialogs().ShowStatus(this, "Code generation is complete.", "Code Generator Status", 5);
}

void CMainDialog::GenerateProject(bool all)
{
    for (int32_t c = 0; m_project.cpus && c < m_project.cpuCount; ++c)
        GenerateCpu(m_project.cpus[c], all);
}

void CMainDialog::GenerateCpu(engine::CpuRecord& cpu, bool all)
{
    for (int32_t a = 0; cpu.applications && a < cpu.applicationCount; ++a)
        GenerateApplication(cpu, cpu.applications[a], all);
}

void CMainDialog::GenerateApplication(engine::CpuRecord& cpu, engine::ApplicationRecord& application, bool all)
{
    shell::MarkEditedForDirtyClasses(application);
    UpdateFootprintStatus(&application, false);
    {
        platform::ScopedWaitCursor wait;
        shell::RunCodeGenerator(m_project, m_config, cpu, application, all);
    }
    refreshLabels();
}

void CMainDialog::OnFilePrint()
{
    const engine::TreeNode node = currentNode();
    switch (node.kind) {
    case engine::NodeNone:
        platform::messageBox("No Item Selected", "", platform::MbOk);
        return;
    case engine::NodeProject:
        engine::VisitProjectApplications(m_project, [this](engine::CpuRecord& cpu, engine::ApplicationRecord& application) {
            PrintNode(cpu, application);
            return 0;
        });
        break;
    case engine::NodeCpu:
        if (node.cpu)
            engine::ForEachCpuApplication(*node.cpu, [this, &node](engine::ApplicationRecord& application) {
                PrintNode(*node.cpu, application);
                return 0;
            });
        break;
    default:
        if (node.cpu && node.application)
            PrintNode(*node.cpu, *node.application);
        break;
    }
    dialogs().ShowStatus(this, "Report complete", "Report Status", 5);
}

void CMainDialog::PrintNode(engine::CpuRecord& cpu, engine::ApplicationRecord& application)
{
    UpdateFootprintStatus(&application, false);
    std::string report;
    // Only a report the library has just written is shown, never one left from an earlier run.
    if (!shell::RunPrintSystem(m_project, m_config, cpu, application, report))
        return;
    if (engine::FileExists(report) && dialogs().ShowFile(this, report) == 1)
        engine::ShowReportFile(engine::MakeNativePath(report));
}
