#include "AllocCounter.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<std::size_t> g_current{0};
std::atomic<std::size_t> g_peak{0};

void* AllocateCounted(std::size_t n) {
    auto* p = static_cast<std::size_t*>(std::malloc(n + sizeof(std::max_align_t)));
    if (!p) throw std::bad_alloc();
    *p = n;
    const std::size_t now = g_current.fetch_add(n) + n;
    std::size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
    return reinterpret_cast<char*>(p) + sizeof(std::max_align_t);
}

void FreeCounted(void* q) {
    if (!q) return;
    auto* p = reinterpret_cast<std::size_t*>(static_cast<char*>(q) - sizeof(std::max_align_t));
    g_current.fetch_sub(*p);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) { return AllocateCounted(n); }
void* operator new[](std::size_t n) { return AllocateCounted(n); }
void operator delete(void* p) noexcept { FreeCounted(p); }
void operator delete[](void* p) noexcept { FreeCounted(p); }
void operator delete(void* p, std::size_t) noexcept { FreeCounted(p); }
void operator delete[](void* p, std::size_t) noexcept { FreeCounted(p); }

namespace alloc {
std::size_t Current() { return g_current.load(); }
std::size_t Peak() { return g_peak.load(); }
void ResetPeak() { g_peak.store(g_current.load()); }
void* Allocate(std::size_t n) { return AllocateCounted(n); }
void Free(void* p) { FreeCounted(p); }
}  // namespace alloc

namespace alloc {
void ReturnFreePages() { malloc_trim(0); }

void UseHeap(Heap heap) {
    if (heap == Heap::Warm) {
        mallopt(M_MMAP_MAX, 0);
        mallopt(M_TRIM_THRESHOLD, -1);
        return;
    }
    mallopt(M_MMAP_MAX, 65536);
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    ReturnFreePages();
}

const char* HeapName(Heap heap) { return heap == Heap::Warm ? "warm" : "fresh"; }
}  // namespace alloc
