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
}  // namespace alloc
