// A reference host without a module, called through its trampoline as a
// module would call it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "host/ref_host.h"

namespace refhost::testing {

namespace op = kfio::op;
inline uint64_t Addr(const void* p) { return reinterpret_cast<uint64_t>(p); }

class HostServices : public ::testing::Test {
 protected:
  uint64_t Call(uint32_t opcode, uint64_t a, uint64_t b) {
    return RefHost::Trampoline(Addr(&host), opcode, a, b);
  }
  template <typename A, typename B>
  uint64_t Call(uint32_t opcode, A* a, B* b) {
    return Call(opcode, Addr(a), Addr(b));
  }
  RefHost host{nullptr};
};

}  // namespace refhost::testing
