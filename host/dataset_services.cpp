// RefHost dataset services: lookups (12288, 12289, 12302), temporaries
// (12303, 13339, 13340) and everything done through a dataset handle.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "host/ref_host.h"

namespace refhost {

namespace {

// Handles are the datasets' addresses; 0 is the module's "no dataset".
HostDataset* DataOf(uint64_t handle) { return reinterpret_cast<HostDataset*>(handle); }
uint64_t HandleOf(const HostDataset* data) { return reinterpret_cast<uint64_t>(data); }

template <typename Block>
Block* BlockOf(uint64_t b) {
  return reinterpret_cast<Block*>(b);
}

// The extent the module works over: all of [0, size).
uint64_t Answer(HostDataset* data, kfio::DatasetBlock* block) {
  if (data == nullptr) return 0;
  if (block != nullptr) {
    block->cell[0] = 0;
    block->cell[1] = data->Size();
    block->cell[2] = 0;
    block->cell[3] = data->Size();
  }
  return HandleOf(data);
}

void CopyText(const std::string& text, char* buffer) {
  const std::size_t n = std::min(text.size(), kfio::kTextElementMax);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

uint64_t ReadText(const HostDataset& data, int32_t index, char* buffer) {
  if (buffer == nullptr || index < 0 || index >= data.Size()) return 1;
  CopyText(data.Text(index), buffer);
  return 0;
}

// Linear between the neighbouring elements; x must lie in [0, size - 1].
uint64_t InterpolateInto(const HostDataset& data, kfio::ValueAtBlock& block) {
  const double x = block.x;
  if (!(x >= 0.0) || x > static_cast<double>(data.Size() - 1)) return 1;
  const auto below = static_cast<int32_t>(std::floor(x));
  const double low = data.Value(below);
  if (x == below) {
    block.result = low;
    return 0;
  }
  const double high = data.Value(below + 1);
  block.result = low == kfio::kMissingValue || high == kfio::kMissingValue
                     ? kfio::kMissingValue
                     : low + (high - low) * (x - below);
  return 0;
}

}  // namespace

uint64_t RefHost::FindDatasetInto(const char* name, kfio::DatasetBlock* block) {
  if (name == nullptr) return 0;
  return Answer(workspace_.FindOrMake(name), block);
}

uint64_t RefHost::FindColumnInto(uint32_t opcode, const char* pageName, kfio::DatasetBlock* block) {
  HostPage* page = pageName != nullptr ? workspace_.FindPage(pageName) : nullptr;
  if (page == nullptr || block == nullptr) return 0;
  int column = 0;
  if (opcode == kfio::op::kFindColumnByNumber) {
    column = static_cast<int>(static_cast<int32_t>(block->cell[0]));
  } else if (const char* name = reinterpret_cast<const char*>(block->cell[0]); name != nullptr) {
    column = page->FindColumn(name);
  }
  return Answer(page->Column(column), block);
}

// 13339 comes without a block: an unnamed temporary of size 0.
uint64_t RefHost::NewTemporary(const kfio::TempDatasetBlock* block, const char* name) {
  const uint32_t size = block != nullptr ? block->size : 0;
  if (size > static_cast<uint32_t>(HostDataset::kMaxSize)) return 0;
  return HandleOf(workspace_.NewTemporary(name != nullptr ? name : "", static_cast<int32_t>(size)));
}

uint64_t RefHost::ReleaseTemporary(uint64_t handle) {
  return workspace_.Release(DataOf(handle)) ? 0 : 1;
}

uint64_t RefHost::ServeDataset(uint32_t opcode, uint64_t handle, uint64_t b) {
  HostDataset* data = DataOf(handle);
  if (data == nullptr) return 1;
  switch (opcode) {
    case kfio::op::kGetPair: {
      auto* block = BlockOf<kfio::PairBlock>(b);
      if (block == nullptr || block->index < 0 || block->index >= data->Size()) return 1;
      block->first = data->Value(block->index);
      block->second = data->Companion(block->index);
      return 0;
    }
    case kfio::op::kSetPair: {
      const auto* block = BlockOf<kfio::PairBlock>(b);
      return block != nullptr && data->SetPair(block->index, block->first, block->second) ? 0 : 1;
    }
    case kfio::op::kValueAt: {
      auto* block = BlockOf<kfio::ValueAtBlock>(b);
      return block != nullptr ? InterpolateInto(*data, *block) : 1;
    }
    case kfio::op::kSetText: {
      const auto* block = BlockOf<kfio::TextBlock>(b);
      if (block == nullptr || block->text == nullptr) return 1;
      return data->SetText(block->index, block->text) ? 0 : 1;
    }
    case kfio::op::kGetText: {
      const auto* block = BlockOf<kfio::TextBlock>(b);
      // The module hands its buffer over in the text address.
      return block != nullptr ? ReadText(*data, block->index, const_cast<char*>(block->text)) : 1;
    }
    case kfio::op::kGetTextByIndex: {
      const auto* block = BlockOf<kfio::TextReadBlock>(b);
      if (block == nullptr || block->index == nullptr) return 1;
      return ReadText(*data, *block->index, block->buffer);
    }
    case kfio::op::kGetRange: {
      auto* block = BlockOf<kfio::RangeBlock>(b);
      if (block == nullptr) return 1;
      *block = kfio::RangeBlock{0, data->Size(), 0, data->Size()};
      return 0;
    }
    case kfio::op::kResize: {
      const auto* block = BlockOf<kfio::SizeBlock>(b);
      if (block == nullptr || block->to < 0 || block->to > HostDataset::kMaxSize) return 1;
      return data->Resize(static_cast<int32_t>(block->to)) ? 0 : 1;
    }
    case kfio::op::kSetParameter: {
      const auto* value = BlockOf<const double>(b);
      if (value == nullptr) return 1;
      data->SetParameter(*value);
      return 0;
    }
    case kfio::op::kIsText:
      return data->IsText() ? 1 : 0;
    default:
      return Unknown(opcode);
  }
}

}  // namespace refhost
