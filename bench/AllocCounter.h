#pragma once

#include <cstddef>

// Heap bytes in use and their peak, counted by the benchmark's own operator new.
namespace alloc {
std::size_t Current();
std::size_t Peak();
void ResetPeak();
// Counted allocation for libraries that take their own allocator.
void* Allocate(std::size_t n);
void Free(void* p);

// Where a parse's memory comes from. Warm: what the last parse freed stays in
// the process and is handed out again, as in any program that loads more than
// once. Fresh: large blocks are mapped anew and returned on free, and every
// free page of the heap goes back to the kernel before each iteration, so
// every parse pays for new pages whatever the heap's layout.
enum class Heap { Warm, Fresh };
void UseHeap(Heap heap);
const char* HeapName(Heap heap);

// Called at the top of each timed iteration: in the fresh regime, gives every
// free page back to the kernel (untimed). Trimming only the heap's top left a
// peer's pages resident whenever something else sat above them.
void ReturnFreePages();
template <class State>
void RenewPages(State& state, Heap heap) {
    if (heap != Heap::Fresh) return;
    state.PauseTiming();
    ReturnFreePages();
    state.ResumeTiming();
}
}  // namespace alloc
