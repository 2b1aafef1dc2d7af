// BlockMemory: choosing between heap and mapped storage, and ownership.
#include "host/block_memory.h"

#include <new>
#include <utility>

namespace refhost {

BlockMemory BlockMemory::Take(std::size_t count) noexcept {
  BlockMemory memory;
  if (count * sizeof(double) == kWholeBytes) {
    memory.data_ = MapWhole();
    memory.mapped_ = memory.data_ != nullptr;
  }
  // A mapping the system refuses still leaves the heap to try.
  if (memory.data_ == nullptr) memory.data_ = new (std::nothrow) double[count];
  return memory;
}

void BlockMemory::Swap(BlockMemory& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(mapped_, other.mapped_);
}

void BlockMemory::Release() noexcept {
  if (mapped_) {
    UnmapWhole(data_);
  } else {
    delete[] data_;
  }
  data_ = nullptr;
  mapped_ = false;
}

}  // namespace refhost
