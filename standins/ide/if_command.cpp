#include "sdk/ide/if_command.h"

#include "standins/ide/call_registry.h"

namespace {

ide::CallRegistry<IfGlobalCmdTarget>& targets()
{
    static auto* registry = new ide::CallRegistry<IfGlobalCmdTarget>;
    return *registry;
}

ide::CallRegistry<IfIdleChore>& chores()
{
    static auto* registry = new ide::CallRegistry<IfIdleChore>;
    return *registry;
}

thread_local int t_constructionDepth = 0;

} // namespace

IfConstructionScope::IfConstructionScope() { ++t_constructionDepth; }

IfConstructionScope::~IfConstructionScope()
{
    if (--t_constructionDepth == 0) {
        targets().activate();
        chores().activate();
    }
}

IfGlobalCmdTarget::IfGlobalCmdTarget() : m_registered(true) { targets().add(this, t_constructionDepth > 0); }

IfGlobalCmdTarget::~IfGlobalCmdTarget() { StopCommandRouting(); }

void IfGlobalCmdTarget::StopCommandRouting()
{
    if (m_registered) {
        m_registered = false;
        targets().remove(this);
    }
}

bool IfGlobalCmdTarget::OnCmdMsg(unsigned, int, void*, void*) { return false; }

bool IfRouteCommand(unsigned id)
{
    return targets().forEach([&](IfGlobalCmdTarget* target) { return target->OnCmdMsg(id, IF_CMD_COMMAND, nullptr, nullptr); },
                             true) > 0;
}

bool IfQueryCommand(unsigned id, IfCmdUi& ui)
{
    ui = IfCmdUi{};
    targets().forEach(
        [&](IfGlobalCmdTarget* target) {
            return target->OnCmdMsg(id, IF_CMD_UPDATE_UI, &ui, nullptr) || ui.handled;
        },
        true);
    return ui.handled;
}

IfIdleChore::IfIdleChore(bool) : m_registered(true) { chores().add(this, t_constructionDepth > 0); }

IfIdleChore::~IfIdleChore() { StopIdleChore(); }

void IfIdleChore::StopIdleChore()
{
    if (m_registered) {
        m_registered = false;
        chores().remove(this);
    }
}

int IfRunIdleChores()
{
    return chores().forEach([](IfIdleChore* chore) { return chore->OnIdle(); });
}

bool IfRunIdleUntilDone(int maxPasses)
{
    for (int pass = 0; pass < maxPasses; ++pass)
        if (IfRunIdleChores() == 0)
            return true;
    return false;
}
