#pragma once
// The read budget of a refresh. The debugger reads target memory one byte per call, so a refresh of a
// kernel whose tables are garbage (counts of millions, names that never end) could cost hundreds of
// millions of calls. Every window refresh opens a RefreshReads scope; the scopes of one refresh round
// (every window a target stop refreshes) share one budget of target reads. Once it is spent, target
// reads in a scope fail at once without reaching the debugger, list walks stop, and the window says in
// a row that it was cut. Reads outside any scope (loading the layout, a trace switch) are not charged.
// All calls come from the thread that reads the target.

#include <cstdint>

namespace kernel {

// The budget of a round, in target reads (bytes, one debugger call each): a base for the kernel's
// own structures, and an allowance for every object the loaded class records hold in memory they
// claim (a class whose stride is 0 or less claims none, as garbage tables do), up to a ceiling. Every
// window open at once reads a healthy object a few hundred times at most.
constexpr uint64_t kBaseRefreshReads = 20000;
constexpr uint64_t kRefreshReadsPerObject = 400;
constexpr uint64_t kMaxRefreshReads = 4000000;

// Starts a new round: the whole budget is available again.
void BeginReadRound();

// Charges `count` target reads to the round when a scope is open. False when the budget cannot pay
// for them (the read is then not made); outside a scope always true.
bool ChargeTargetReads(uint32_t count);

// False once a read of an open scope was refused: the walk in progress stops.
bool TargetReadsLeft();

// Target reads charged to the current round, and the round's budget as the class records loaded so
// far set it.
uint64_t ReadRoundReads();
uint64_t RefreshReadBudget();

// Fixes the budget of every round (0: computed as above again); for tests.
void SetRefreshReadBudget(uint64_t budget);

// The reads of one window refresh. `newRound` begins a round of its own (a window opened or refreshed
// alone); otherwise the refresh joins the round begun at the last target stop.
class RefreshReads {
public:
    explicit RefreshReads(bool newRound);
    ~RefreshReads();
    RefreshReads(const RefreshReads&) = delete;
    RefreshReads& operator=(const RefreshReads&) = delete;

    // True when the budget refused a read while this scope was open, or had been spent before it: what
    // the window shows is cut.
    bool cut() const;

private:
    uint64_t m_refusedBefore;
};

} // namespace kernel
