#include "bench/heap_meter.h"

#include <atomic>
#include <cstdlib>
#include <malloc.h>
#include <new>

namespace {

std::atomic<std::size_t> g_held{0};
std::atomic<std::size_t> g_peak{0};

void* allocate(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr)
        throw std::bad_alloc();
    const std::size_t held = g_held.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    std::size_t peak = g_peak.load();
    while (held > peak && !g_peak.compare_exchange_weak(peak, held)) {
    }
    return p;
}

void release(void* p)
{
    if (p == nullptr)
        return;
    g_held.fetch_sub(malloc_usable_size(p));
    std::free(p);
}

} // namespace

namespace bench {

std::size_t HeapBytesHeld() { return g_held.load(); }
void ResetHeapPeak() { g_peak.store(g_held.load()); }
std::size_t HeapPeak() { return g_peak.load(); }

} // namespace bench

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { release(p); }
void operator delete[](void* p) noexcept { release(p); }
void operator delete(void* p, std::size_t) noexcept { release(p); }
void operator delete[](void* p, std::size_t) noexcept { release(p); }
