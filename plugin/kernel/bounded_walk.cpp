#include "plugin/kernel/bounded_walk.h"

namespace kernel {
namespace {

uint64_t g_repeatedWalks = 0; // the reading thread only

} // namespace

uint64_t RepeatedWalks() { return g_repeatedWalks; }
void CountRepeatedWalk() { ++g_repeatedWalks; }

} // namespace kernel
