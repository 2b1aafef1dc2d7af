// Allocation in constructors: a failed allocation leaves the pointer empty
// and is noted, so the module object can report it once it exists.
#pragma once

#include <memory>
#include <new>
#include <utility>

namespace kfio {

void NoteConstructionOutOfMemory();
// True once if an allocation failed since the last call.
bool TakeConstructionOutOfMemory();

template <typename T, typename... Args>
std::unique_ptr<T> GuardedNew(Args&&... args) {
  try {
    return std::make_unique<T>(std::forward<Args>(args)...);
  } catch (const std::bad_alloc&) {
    NoteConstructionOutOfMemory();
    return nullptr;
  }
}

}  // namespace kfio
