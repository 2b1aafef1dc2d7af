// The fault injector's state; empty unless built with KFIO_FAULT_INJECTION.
#include "platform/fault_injection.h"

#if defined(KFIO_FAULT_INJECTION) && KFIO_FAULT_INJECTION

#include "platform/cfile.h"

namespace kfio::fault {
namespace {

struct Slot {
  bool armed = false;
  int cause = 0;
  int skip = 0;
};

constexpr int kOpCount = static_cast<int>(Op::Status) + 1;
Slot g_slots[kOpCount];

Slot& SlotOf(Op op) { return g_slots[static_cast<int>(op)]; }

}  // namespace

void Inject(Op op, int cause, int skip) {
  SlotOf(op) = Slot{true, cause, skip < 0 ? 0 : skip};
  // Buffered reads skip every check while their epoch is current; a new
  // epoch sends them through the checked path again.
  CFile::NewHostCall();
}

void Clear() {
  for (Slot& s : g_slots) s = Slot{};
}

int Take(Op op) {
  Slot& s = SlotOf(op);
  if (!s.armed) return 0;
  if (s.skip > 0) {
    --s.skip;
    return 0;
  }
  s.armed = false;
  return s.cause;
}

bool Armed(Op op) { return SlotOf(op).armed; }

}  // namespace kfio::fault

#endif
