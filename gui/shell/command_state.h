#pragma once
// The main window's command state for the selected tree node: the labels of Add, Delete and Change, which
// menu commands are enabled, the current application, CPU and class type, and the items of the tree's
// and the list's context menus. Display-free.

#include "engine/names/tree_items.h"

#include <string>
#include <vector>

namespace shell {

// Command ids of the main window.
enum CommandId : int {
    CmdFileOpenProject = 32771,
    CmdFileExit = 32772,
    CmdFileSaveProject = 32773,
    CmdFileSaveProjectAs = 32774,
    CmdFileCloseProject = 32775,
    CmdFileNewProject = 32776,
    CmdEditAdd = 32777,
    CmdEditDelete = 32778,
    CmdEditChange = 32779,
    CmdHelpContents = 32780,
    CmdHelpAbout = 32781,
    CmdEditDynamics = 32782,
    CmdGenerateCode = 32783,
    CmdGenerateAll = 32800,
    CmdPrint = 32801,
    CmdClearFileHistory = 32810,
    CmdSaveAll = 32811,
    CmdTreeSaveNode = 32812,
    CmdListAdd = 32813,
    CmdListChange = 32814,
    CmdListDelete = 32815,
    CmdListDynamics = 32816,
    CmdListSaveNode = 32817,
    CmdReleaseNotes = 32818,
    CmdListExpand = 32819,
    CmdTreeExpand = 32821,
    CmdListMarkDirty = 32822,
    CmdTreeMarkDirty = 32823,
    CmdObjectEnableMp = 32824,
    CmdApplicationEnableMp = 32825,
    CmdEditUserText = 32826,
    CmdListEditUserText = 32827,
    CmdFirstUtility = 32828,
    CmdLastUtility = 32843,
    CmdObjectToggleEnable = 32844,
    CmdProjectChanged = 1024,
    CmdRestoreTreeState = 1124,
};

struct CommandState {
    std::string addWord, deleteWord, changeWord;
    bool add = false, remove = false, change = false, dynamics = false, save = false, generate = false,
         editUserText = false, close = false, print = false;
    engine::ApplicationRecord* application = nullptr;
    engine::CpuRecord* cpu = nullptr;
    int classType = 0; // -1 for an application node
};

// The commands of the list's context menu that act on the row the menu was opened on by themselves.
bool IsListCommand(int id);

// The state for a node (kind 0: nothing selected).
CommandState ComputeCommandState(const engine::ProjectRecord& project, const engine::TreeNode& node);

// A CPU is MP-capable when bit value 4 is in both its kernel variant mask and its feature word.
bool IsCpuMpCapable(const engine::CpuRecord& cpu);
// The class entry's chain has Dynamics Allowed somewhere and the CPU's variant mask has bit value 2.
bool ChainAllowsDynamics(const engine::ApplicationClassEntry& entry, const engine::CpuRecord& cpu);

struct MenuItem {
    std::string text; // empty for a rule
    int id = 0;
    bool enabled = true;
    bool checked = false;
    bool separator() const { return id == 0; }
};

// The context menu of a node; tree selects the tree menu's ids, else the list menu's. Empty for kind 0.
// A chained class entry (a list row under its class's row, node.entry the chained entry) offers its own
// properties only: Add, Dynamics and the rest act on the class the chain starts from.
std::vector<MenuItem> BuildContextMenu(const engine::TreeNode& node, bool tree, bool chained = false);

} // namespace shell
