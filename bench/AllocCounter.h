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
// once. Fresh: large blocks are mapped anew and returned on free, and the heap
// is trimmed, so every parse pays the kernel for new pages.
enum class Heap { Warm, Fresh };
void UseHeap(Heap heap);
const char* HeapName(Heap heap);
}  // namespace alloc
