// The test program's own operator new: counts allocations while armed and fails the n-th one.
#pragma once

namespace kfio::testing::alloc {

void Arm(long n);  // counting starts; the n-th allocation from here fails (0: none does)
long Disarm();     // counting stops; answers how many allocations were counted
bool Reached();    // whether the armed allocation was reached since Arm

// Allocations made while one of these lives are not counted: the host's own.
struct Suspend {
  Suspend();
  ~Suspend();
  Suspend(const Suspend&) = delete;
  Suspend& operator=(const Suspend&) = delete;
};

}  // namespace kfio::testing::alloc
