#pragma once
// Counts the heap allocations made through operator new while a counter is alive on the thread
// that made it, for tests that hold code paths to allocating nothing.
#include <cstddef>

namespace backendtest {

class AllocationCounter {
 public:
  AllocationCounter();
  ~AllocationCounter();
  AllocationCounter(const AllocationCounter&) = delete;
  AllocationCounter& operator=(const AllocationCounter&) = delete;

  std::size_t count() const;
};

}  // namespace backendtest
