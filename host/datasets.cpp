// HostDataset and BlockStore: growth, clearing, text elements and sizing.
#include "host/datasets.h"

#include <algorithm>
#include <charconv>
#include <new>

#include "host/ref_host.h"

namespace refhost {

namespace {

// The number a text element spells, blanks around it allowed; the missing
// value when it spells none.
double NumberOf(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  double value = kfio::kMissingValue;
  const char* end = text.data() + text.size();
  const auto [stop, ec] = std::from_chars(text.data(), end, value);
  if (text.empty() || ec != std::errc() || stop != end) return kfio::kMissingValue;
  return value;
}

}  // namespace

bool BlockStore::SetSlow(int32_t index, double value) noexcept {
  const std::size_t block = static_cast<uint32_t>(index) >> kBlockBits;
  const uint32_t offset = static_cast<uint32_t>(index) & (kBlockSize - 1);
  try {
    if (block >= blocks_.size()) blocks_.resize(block + 1);
    Block& b = blocks_[block];
    if (offset >= b.capacity) {
      // Only block 0 starts small; a write into any later block means the
      // dataset is large, so that block is taken whole at once.
      uint32_t wanted = kBlockSize;
      if (block == 0) wanted = std::min<uint32_t>(kBlockSize, std::max({offset + 1, b.capacity * 2, 16u}));
      BlockMemory data = BlockMemory::Take(wanted);
      if (!data) return false;
      if (b.filled != 0) std::copy(b.data.get(), b.data.get() + b.filled, data.get());
      b.data = std::move(data);
      b.capacity = wanted;
    }
    std::fill(b.data.get() + b.filled, b.data.get() + offset, kfio::kMissingValue);
    b.filled = offset + 1;
    b.data[offset] = value;
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void BlockStore::ClearFrom(int32_t from) {
  if (from < 0) from = 0;
  const std::size_t keep = (static_cast<std::size_t>(from) + kBlockSize - 1) / kBlockSize;
  if (keep < blocks_.size()) blocks_.resize(keep);  // frees the blocks past `from`
  const std::size_t partial = static_cast<uint32_t>(from) >> kBlockBits;
  if (partial < blocks_.size()) {
    Block& b = blocks_[partial];
    b.filled = std::min(b.filled, static_cast<uint32_t>(from) & (kBlockSize - 1));
  }
}

bool HostDataset::SetValueSlow(int32_t index, double value) {
  if (!values_.Set(index, value)) return false;
  if (isText_) texts_.erase(index);
  return true;
}

std::string HostDataset::Text(int32_t index) const {
  if (index < 0 || index >= size_) return std::string();
  if (isText_) {
    const auto it = texts_.find(index);
    if (it != texts_.end()) return it->second;
  }
  const double value = values_.Get(index);
  return value == kfio::kMissingValue ? std::string() : RefHost::FormatNumber(value);
}

bool HostDataset::HoldsText(int32_t index) const {
  return index >= 0 && index < size_ && isText_ && texts_.count(index) != 0;
}

bool HostDataset::SetText(int32_t index, std::string_view text) {
  if (index < 0 || index >= kMaxSize || !live_) return false;
  isText_ = true;
  texts_[index] = std::string(text);
  if (index >= textEnd_) textEnd_ = int64_t{index} + 1;
  // The numeric slot follows the text, so a numeric read of a text element
  // gives what the text says.
  return values_.Set(index, NumberOf(text));
}

bool HostDataset::SetPair(int32_t index, double first, double second) {
  return SetValue(index, first) && companion_.Set(index, second);
}

bool HostDataset::Resize(int32_t size) {
  if (size < 0 || size > kMaxSize || !live_) return false;
  values_.ClearFrom(size);
  companion_.ClearFrom(size);
  // Sizing runs after every cell a wrapper writes, so the texts are only
  // walked when some lie past the new end.
  if (textEnd_ > size) {
    std::erase_if(texts_, [size](const auto& entry) { return entry.first >= size; });
    textEnd_ = size;
  }
  size_ = size;
  return true;
}

void HostDataset::Kill() {
  values_.ClearFrom(0);
  companion_.ClearFrom(0);
  texts_.clear();
  textEnd_ = 0;
  size_ = 0;
  live_ = false;
}

}  // namespace refhost
