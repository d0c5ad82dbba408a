#include "command_state.h"

#include "engine/names/kernel_lookup.h"
#include "engine/names/project_walk.h"
#include "engine/records/text_field.h"

namespace shell {

namespace {

std::string kernelClassName(const engine::CpuRecord* cpu, int32_t classType)
{
    const engine::KernelClassRecord* kernelClass = cpu ? engine::FindKernelClassByType(cpu, classType) : nullptr;
    return kernelClass ? engine::textString(kernelClass->name) : std::string();
}

// Add on an object node: allowed unless the dependent kernel class exists and is not fully enabled.
bool dependentClassAddable(const engine::CpuRecord* cpu, int32_t classType)
{
    const int32_t dependent = engine::dependentClassType(classType);
    if (dependent == 0)
        return false;
    const engine::KernelClassRecord* kernelClass = cpu ? engine::FindKernelClassByType(cpu, dependent) : nullptr;
    return !kernelClass || (kernelClass->available && kernelClass->selected);
}

} // namespace

bool IsListCommand(int id)
{
    switch (id) {
    case CmdListAdd:
    case CmdListChange:
    case CmdListDelete:
    case CmdListDynamics:
    case CmdListSaveNode:
    case CmdListExpand:
    case CmdListMarkDirty:
    case CmdListEditUserText:
        return true;
    default:
        return false;
    }
}

bool IsCpuMpCapable(const engine::CpuRecord& cpu)
{
    return engine::IsCpuMpEnabled(cpu);
}

bool ChainAllowsDynamics(const engine::ApplicationClassEntry& entry, const engine::CpuRecord& cpu)
{
    if ((cpu.kernel.framework & engine::kVariantMultiStack) == 0)
        return false;
    int depth = 0;
    for (const engine::ApplicationClassEntry* link = &entry; link && depth < engine::kMaxChainDepth;
         link = link->chained, ++depth) {
        if (link->dynamicsAllowed)
            return true;
    }
    return false;
}

CommandState ComputeCommandState(const engine::ProjectRecord& project, const engine::TreeNode& node)
{
    CommandState state;
    switch (node.kind) {
    case engine::NodeProject:
        state.addWord = "CPU";
        state.changeWord = "Project";
        state.add = state.change = true;
        break;
    case engine::NodeCpu:
        state.addWord = "Application";
        state.deleteWord = state.changeWord = "CPU";
        state.add = state.remove = state.change = true;
        state.cpu = node.cpu;
        break;
    case engine::NodeApplication:
        state.deleteWord = state.changeWord = "Application";
        state.remove = state.change = state.editUserText = true;
        state.application = node.application;
        state.cpu = node.cpu;
        state.classType = -1;
        break;
    case engine::NodeClassEntry:
        if (node.entry) {
            state.addWord = state.changeWord = engine::textString(node.entry->name);
            state.classType = node.entry->classType;
            state.dynamics = node.cpu && ChainAllowsDynamics(*node.entry, *node.cpu);
        }
        state.add = state.change = state.editUserText = true;
        state.application = node.application;
        state.cpu = node.cpu;
        break;
    case engine::NodeObject:
    case engine::NodeChildObject:
        if (node.object)
            state.deleteWord = state.changeWord = engine::textString(node.object->name);
        if (node.entry) {
            state.classType = node.entry->classType;
            if (node.kind == engine::NodeObject) {
                const int32_t dependent = engine::dependentClassType(node.entry->classType);
                state.addWord = dependent ? kernelClassName(node.cpu, dependent) : std::string();
                state.add = dependent != 0 && dependentClassAddable(node.cpu, node.entry->classType);
            }
        }
        state.remove = state.change = state.editUserText = true;
        state.application = node.application;
        state.cpu = node.cpu;
        break;
    default:
        break;
    }
    if (node.kind != engine::NodeNone) {
        const bool named = project.name[0] != 0;
        state.close = named;
        state.save = state.generate = state.print = named;
    }
    return state;
}

std::vector<MenuItem> BuildContextMenu(const engine::TreeNode& node, bool tree, bool chained)
{
    std::vector<MenuItem> items;
    const MenuItem rule{};
    const int addId = tree ? CmdEditAdd : CmdListAdd;
    const int changeId = tree ? CmdEditChange : CmdListChange;
    const int deleteId = tree ? CmdEditDelete : CmdListDelete;
    const int dynamicsId = tree ? CmdEditDynamics : CmdListDynamics;
    const int saveId = tree ? CmdTreeSaveNode : CmdListSaveNode;
    const int expandId = tree ? CmdTreeExpand : CmdListExpand;
    const int markId = tree ? CmdTreeMarkDirty : CmdListMarkDirty;
    const int userTextId = tree ? CmdEditUserText : CmdListEditUserText;
    auto generateItems = [&](const char* printText) {
        items.push_back({"&Generate Code", CmdGenerateCode});
        items.push_back({"Generate A&ll", CmdGenerateAll});
        items.push_back(rule);
        items.push_back({printText, CmdPrint});
    };
    const bool mpCapable = node.cpu && IsCpuMpCapable(*node.cpu);
    switch (node.kind) {
    case engine::NodeProject:
        items = {{"E&xpand/Collapse", expandId}, rule, {"&Add CPU", addId}, {"Project P&roperties", changeId}, rule,
                 {"&Save Project", saveId}, rule};
        generateItems("&Print Project");
        break;
    case engine::NodeCpu: {
        const bool dirty = node.cpu && (node.cpu->kernel.hFileDirty || node.cpu->kernel.mFileDirty);
        items = {{"E&xpand/Collapse", expandId}, rule, {"&Add Application", addId}, {"&Delete CPU", deleteId},
                 {"CPU P&roperties", changeId}, rule, {"&Save CPU", saveId}, rule, {"&Mark Dirty", markId, !dirty}};
        generateItems("&Print CPU");
        break;
    }
    case engine::NodeApplication: {
        const engine::ApplicationRecord* application = node.application;
        items = {{"E&xpand/Collapse", expandId}, rule, {"&Delete Application", deleteId},
                 {"Application P&roperties", changeId}, rule, {"&Edit User Text", userTextId}, rule,
                 {"&Save Application", saveId}};
        if (mpCapable) {
            items.push_back(rule);
            items.push_back({"E&nable MP", CmdApplicationEnableMp, true, application && application->isMp});
        }
        const bool anyDirty = application && (application->kernelHDirty || application->kernelMDirty ||
                                              application->projectHDirty || application->projectCDirty);
        items.push_back(rule);
        items.push_back({"&Mark Dirty", markId, !anyDirty});
        generateItems("&Print Application");
        break;
    }
    case engine::NodeClassEntry: {
        const std::string name = node.entry ? engine::textString(node.entry->name) : std::string();
        if (chained) {
            items = {{name + " P&roperties", changeId}};
            break;
        }
        const bool dynamics = node.entry && node.cpu && ChainAllowsDynamics(*node.entry, *node.cpu) &&
                              node.entry->classType != engine::ClassLevel &&
                              node.entry->classType != engine::ClassThread;
        const bool dirty = node.entry && (node.entry->cFileDirty || node.entry->hFileDirty || node.entry->mFileDirty);
        items = {{"E&xpand/Collapse", expandId}, rule, {"&Add " + name, addId}, {name + " P&roperties", changeId}, rule,
                 {"D&ynamics", dynamicsId, dynamics}, rule, {"&Edit User Text", userTextId}, rule,
                 {"&Mark Dirty", markId, !dirty}};
        generateItems("&Print Application");
        break;
    }
    case engine::NodeObject:
    case engine::NodeChildObject: {
        const bool child = node.kind == engine::NodeChildObject;
        const std::string name = node.object ? engine::textString(node.object->name) : std::string();
        const int32_t classType = node.entry ? node.entry->classType : 0;
        if (!child) {
            items = {{"E&xpand/Collapse", expandId}, rule};
            if (engine::dependentClassType(classType) != 0 && dependentClassAddable(node.cpu, classType)) {
                const engine::ApplicationClassEntry* dependent = node.entry ? node.entry->chained : nullptr;
                const std::string word = dependent ? engine::textString(dependent->name)
                                                   : kernelClassName(node.cpu, engine::dependentClassType(classType));
                items.push_back({"&Add " + word, addId});
            }
            items.push_back({"&Delete " + name, deleteId});
            items.push_back({name + " P&roperties", changeId});
        } else {
            items = {{"&Delete " + name, deleteId}, {name + " P&roperties", changeId}};
        }
        const bool mpAllowed = mpCapable && node.application && node.application->isMp &&
                               classType != engine::ClassLevel;
        if (mpAllowed) {
            items.push_back(rule);
            items.push_back({child ? "Enable &MP" : "&Enable MP", CmdObjectEnableMp, true,
                             node.object && node.object->isMp});
        }
        items.push_back(rule);
        items.push_back({node.object && node.object->enabled ? "Disable object" : "Enable object",
                         CmdObjectToggleEnable});
        items.push_back(rule);
        items.push_back({child ? "&Edit User Text" : "Edit &User Text", userTextId});
        items.push_back(rule);
        generateItems("&Print Application");
        break;
    }
    default:
        break;
    }
    return items;
}

} // namespace shell
