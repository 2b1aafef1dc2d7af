// HostDataset: one dataset of the reference host (numeric values in blocks,
// optional text elements, a size the module sets) and its block storage.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "bridge/host_blocks.h"
#include "host/block_memory.h"

namespace refhost {

// Doubles by index, in blocks of kBlockSize so that growing never copies a
// large dataset; only the first block grows geometrically, so a small
// dataset costs little. Elements never written read as the missing value
// without being stored: each block keeps how far it has been written (its
// high-water mark), and only a gap below a write is filled. Storage is
// taken uninitialised, so growing touches only the pages that are written;
// a whole block is one huge page (see BlockMemory).
class BlockStore {
 public:
  static constexpr int kBlockBits = 18;
  static constexpr int32_t kBlockSize = int32_t{1} << kBlockBits;

  // `index` must not be negative. False, with nothing stored, when the
  // storage cannot grow; never throws.
  bool Set(int32_t index, double value) { return SetInRoom(index, value) || SetSlow(index, value); }
  // The common writes: an element already written, or the next one in a
  // block with room. False, with nothing stored, for any other write.
  bool SetInRoom(int32_t index, double value) {
    const std::size_t block = static_cast<uint32_t>(index) >> kBlockBits;
    const uint32_t offset = static_cast<uint32_t>(index) & (kBlockSize - 1);
    if (block >= blocks_.size()) return false;
    Block& b = blocks_[block];
    if (offset < b.filled) {
      b.data[offset] = value;
      return true;
    }
    if (offset == b.filled && offset < b.capacity) {
      b.data[offset] = value;
      b.filled = offset + 1;
      return true;
    }
    return false;
  }
  double Get(int32_t index) const {
    const std::size_t block = static_cast<uint32_t>(index) >> kBlockBits;
    const uint32_t offset = static_cast<uint32_t>(index) & (kBlockSize - 1);
    if (index < 0 || block >= blocks_.size() || offset >= blocks_[block].filled)
      return kfio::kMissingValue;
    return blocks_[block].data[offset];
  }
  // Forgets every element at `from` and beyond.
  void ClearFrom(int32_t from);

 private:
  struct Block {
    BlockMemory data;
    uint32_t capacity = 0;
    uint32_t filled = 0;  // [0, filled) hold values; the rest was never written
  };
  // A write that needs room or leaves a gap: out of line, so the common
  // writes above stay short. False when memory runs out.
  bool SetSlow(int32_t index, double value) noexcept;

  std::vector<Block> blocks_;
};
static_assert(sizeof(double) * BlockStore::kBlockSize == BlockMemory::kWholeBytes,
              "a whole block must be exactly one huge page");

class HostDataset {
 public:
  // The longest a dataset may be (2^27 elements, 1 GiB of doubles): no size,
  // element index or temporary reaches it; a request beyond fails.
  static constexpr int32_t kMaxSize = int32_t{1} << 27;

  explicit HostDataset(std::string name, bool temporary = false)
      : name_(std::move(name)), temporary_(temporary) {}
  HostDataset(const HostDataset&) = delete;
  HostDataset& operator=(const HostDataset&) = delete;

  // ---- What a host user sees ----
  const std::string& Name() const { return name_; }
  // Elements [0, Size()) exist; the size changes only by Resize.
  int32_t Size() const { return size_; }
  // The element's number; the missing value outside [0, Size()) or when
  // never written. A text element reads as the number its text spells,
  // or the missing value.
  double Value(int32_t index) const {
    return index >= 0 && index < size_ ? values_.Get(index) : kfio::kMissingValue;
  }
  // The element's text; a numeric element gives its shortest round-trip
  // text, a missing one "".
  std::string Text(int32_t index) const;
  // Whether the element holds a text rather than a number.
  bool HoldsText(int32_t index) const;
  bool IsText() const { return isText_; }
  bool IsTemporary() const { return temporary_; }
  // False once released (temporary) or removed (column).
  bool IsLive() const { return live_; }
  // The second value of a pair (13324), the missing value when never set.
  double Companion(int32_t index) const {
    return index >= 0 && index < size_ ? companion_.Get(index) : kfio::kMissingValue;
  }
  // The last value passed by 13330.
  std::optional<double> Parameter() const { return parameter_; }

  // ---- Changes; each answers false where the module's call fails ----
  // Writes may lie past the end: storage grows, the size does not.
  bool SetValue(int32_t index, double value) {
    if (static_cast<uint32_t>(index) >= uint32_t{kMaxSize} || !live_) return false;  // negative too
    if (!isText_ && values_.SetInRoom(index, value)) return true;
    return SetValueSlow(index, value);  // a tail call: the common write needs no stack frame
  }
  // Writing a text makes the dataset a text dataset.
  bool SetText(int32_t index, std::string_view text);
  bool SetPair(int32_t index, double first, double second);
  // Sets the size (at most kMaxSize); elements at the new size and beyond
  // are forgotten.
  bool Resize(int32_t size);
  void MakeText() { isText_ = true; }
  void SetParameter(double value) { parameter_ = value; }
  // Frees the storage; every later change fails and every read is empty.
  void Kill();
  void Rename(std::string name) { name_ = std::move(name); }

 private:
  std::string name_;
  int32_t size_ = 0;
  bool isText_ = false;
  bool temporary_ = false;
  bool live_ = true;
  std::optional<double> parameter_;
  BlockStore values_;
  BlockStore companion_;
  std::unordered_map<int32_t, std::string> texts_;
  int64_t textEnd_ = 0;  // one past the highest text index

  bool SetValueSlow(int32_t index, double value);
};

}  // namespace refhost
