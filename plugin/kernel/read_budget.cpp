#include "plugin/kernel/read_budget.h"

#include "plugin/kernel/class_record.h"
#include "plugin/kernel/object_classes.h"

#include <algorithm>

namespace kernel {
namespace {

uint64_t g_fixedBudget = 0; // tests
uint64_t g_budget = kBaseRefreshReads;
uint64_t g_charged = 0;     // reads charged to the current round
uint64_t g_refused = 0;     // reads refused since the program started
int g_scopes = 0;           // open RefreshReads scopes
bool g_spent = false;       // a read of the current round was refused

uint64_t computedBudget()
{
    if (g_fixedBudget != 0)
        return g_fixedBudget;
    uint64_t objects = 0;
    for (const auto& r : ClassRecords())
        if (r && r->stride > 0)
            objects += std::min(r->heldCount, kObjectListBudget);
    return std::min(kMaxRefreshReads, kBaseRefreshReads + kRefreshReadsPerObject * objects);
}

} // namespace

void BeginReadRound()
{
    g_budget = computedBudget();
    g_charged = 0;
    g_spent = false;
}

bool ChargeTargetReads(uint32_t count)
{
    if (g_scopes == 0)
        return true;
    // Records loaded since the round began may have raised the budget.
    if (!g_spent && (g_charged >= g_budget || count > g_budget - g_charged))
        g_budget = computedBudget();
    if (g_spent || g_charged >= g_budget || count > g_budget - g_charged) {
        g_spent = true;
        ++g_refused;
        return false;
    }
    g_charged += count;
    return true;
}

bool TargetReadsLeft() { return g_scopes == 0 || !g_spent; }

uint64_t ReadRoundReads() { return g_charged; }
uint64_t RefreshReadBudget() { return computedBudget(); }

void SetRefreshReadBudget(uint64_t budget) { g_fixedBudget = budget; }

RefreshReads::RefreshReads(bool newRound) : m_refusedBefore(g_refused)
{
    if (newRound)
        BeginReadRound();
    ++g_scopes;
}

RefreshReads::~RefreshReads() { --g_scopes; }

bool RefreshReads::cut() const { return g_spent || g_refused != m_refusedBefore; }

} // namespace kernel
