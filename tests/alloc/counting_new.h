// The test program's own operator new: counts allocations while armed and fails the n-th one.
#pragma once

namespace kfio::testing::alloc {

// Counting starts; the n-th allocation from here fails (n = 0: none does).
void Arm(long n);
// Counting stops; answers how many allocations were counted.
long Disarm();
// Whether the armed allocation was reached since Arm.
bool Reached();

// Allocations made while one of these lives are not counted: the host's own.
class Suspend {
 public:
  Suspend();
  ~Suspend();
  Suspend(const Suspend&) = delete;
  Suspend& operator=(const Suspend&) = delete;
};

}  // namespace kfio::testing::alloc
