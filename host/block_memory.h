// BlockMemory: the storage under one block of a dataset's values.
#pragma once

#include <cstddef>

namespace refhost {

// Owns the doubles of one block. Small blocks come from the heap; a whole
// block is mapped on its own, aligned for and hinted as huge-page material,
// so that a large dataset costs the kernel one page fault per 2 MiB instead
// of one per 4 KiB, and shrinking a dataset hands its pages straight back.
class BlockMemory {
 public:
  // The alignment and size of a whole block: one huge page.
  static constexpr std::size_t kWholeBytes = std::size_t{2} << 20;

  BlockMemory() = default;
  // `count` doubles, uninitialised; empty when memory runs out. Never throws.
  static BlockMemory Take(std::size_t count) noexcept;
  BlockMemory(BlockMemory&& other) noexcept { Swap(other); }
  BlockMemory& operator=(BlockMemory&& other) noexcept {
    BlockMemory gone(static_cast<BlockMemory&&>(other));
    Swap(gone);
    return *this;
  }
  BlockMemory(const BlockMemory&) = delete;
  BlockMemory& operator=(const BlockMemory&) = delete;
  ~BlockMemory() { Release(); }

  double* get() const { return data_; }
  double& operator[](std::size_t i) const { return data_[i]; }
  explicit operator bool() const { return data_ != nullptr; }

 private:
  void Swap(BlockMemory& other) noexcept;
  void Release() noexcept;
  // The mapping of a whole block, and its release (OS-specific).
  static double* MapWhole() noexcept;
  static void UnmapWhole(double* data) noexcept;

  double* data_ = nullptr;
  bool mapped_ = false;
};

}  // namespace refhost
