// bench/counting_allocator.h: a counting replacement of the global allocator, so a benchmark can
// show that a steady-state frame allocates nothing. Include it in exactly one source file of a
// benchmark program.
#pragma once
#include <atomic>
#include <cstdlib>
#include <new>

inline std::atomic<long> allocationCount{0};

#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(size_t size) {
  allocationCount.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
