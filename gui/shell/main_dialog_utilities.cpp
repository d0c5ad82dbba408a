// The Utilities menu: the scripts of the configuration and of the current CPU's model, run with their
// parameters asked for and their output captured.

#include "main_dialog.h"

#include "shell_dialogs.h"

#include "platform/qt/locale_text.h"
#include "platform/qt/wait_cursor.h"

#include <QMenu>
#include <QMenuBar>

void CMainDialog::RebuildUtilitiesMenu()
{
    if (m_utilitiesMenu) {
        menuBar()->removeAction(m_utilitiesMenu->menuAction());
        delete m_utilitiesMenu;
        m_utilitiesMenu = nullptr;
        m_utilityCommands.clear();
    }
    const std::vector<shell::UtilityItem> items = shell::UtilityMenuItems(m_config, currentNode().cpu);
    if (items.empty())
        return;
    m_utilitiesMenu = new QMenu(QStringLiteral("&Utilities"), this);
    for (std::size_t n = 0; n < items.size(); ++n) {
        QAction* item = m_utilitiesMenu->addAction(platform::toQString(items[n].label));
        item->setData(shell::CmdFirstUtility + static_cast<int>(n));
        m_utilityCommands.push_back(items[n].command);
    }
    connect(m_utilitiesMenu, &QMenu::triggered, this, [this](QAction* item) { OnCommand(item->data().toInt()); });
    menuBar()->insertMenu(m_helpMenu->menuAction(), m_utilitiesMenu);
}

void CMainDialog::RunUtility(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_utilityCommands.size())
        return;
    RunUtilityScript(index, m_utilityCommands[static_cast<std::size_t>(index)]);
}

void CMainDialog::RunUtilityScript(int index, const std::string& command)
{
    std::string label;
    if (m_utilitiesMenu && index < m_utilitiesMenu->actions().size())
        label = platform::toBytes(m_utilitiesMenu->actions().at(index)->text().remove(u'&'));
    const engine::TreeNode node = currentNode();
    const shell::EnvironmentList variables = shell::UtilityVariables(m_project, node.cpu, node.application);
    const shell::EnvironmentLookup lookup = [&variables](const std::string& name) {
        return shell::LookupVariable(variables, name);
    };
    shell::ParsedUtility parsed = shell::ParseUtilityCommand(command, lookup);
    if (!parsed.requests.empty() &&
        dialogs().AskParameters(this, parsed.requests, parsed.displayText, label) != 1)
        return;
    const std::string finalCommand = shell::FinishUtilityCommand(parsed, lookup);
    dialogs().RunCommand(this, label, finalCommand, parsed.pipeMode, shell::ChildEnvironment(variables));
}
