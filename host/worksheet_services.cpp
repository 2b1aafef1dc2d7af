// RefHost page and column services: 36865 (find a page), the column
// operations 26624 to 26650 done through a page handle, and a row of values
// (4099 for the page's handle, then the row call).
#include <algorithm>
#include <climits>
#include <cstring>

#include "host/ref_host.h"

namespace refhost {

namespace {

HostPage* PageOf(uint64_t handle) { return reinterpret_cast<HostPage*>(handle); }

template <typename Block>
const Block* BlockOf(uint64_t b) {
  return reinterpret_cast<const Block*>(b);
}

// A value passed in b travels as a sign-extended 32-bit number.
int32_t ValueOf(uint64_t b) { return static_cast<int32_t>(static_cast<int64_t>(b)); }

uint64_t Status(bool ok) { return ok ? 0 : 1; }

}  // namespace

uint64_t RefHost::FindPageHandle(const char* name) const {
  if (name == nullptr) return 0;
  return reinterpret_cast<uint64_t>(workspace_.FindPage(name));
}

uint64_t RefHost::RowTargetInto(const char* pageName, uint64_t* handle) {
  HostPage* page = pageName != nullptr && handle != nullptr ? workspace_.FindPage(pageName) : nullptr;
  if (page == nullptr) return 1;
  auto it = std::find_if(rowTargets_.begin(), rowTargets_.end(),
                         [page](const RowTarget& t) { return t.page == page; });
  if (it == rowTargets_.end()) it = rowTargets_.insert(rowTargets_.end(), RowTarget{this, page});
  *handle = reinterpret_cast<uint64_t>(&*it);
  return 0;
}

// The row goes below the longest column, one value a column from column 1;
// each column written grows to take it, so the next row goes below.
uint64_t RefHost::TakeRow(const RowTarget* target, const kfio::RowBlock* row) {
  if (row == nullptr || row->type != kfio::kRowBlockType || row->one != 1) return 1;
  HostPage& page = *target->page;
  if (row->count > page.ColumnCount() || (row->count > 0 && row->values == nullptr)) return 1;
  const int32_t at = page.RowCount();
  if (at >= HostDataset::kMaxSize) return 1;
  for (int c = 1; c <= row->count; ++c) {
    HostDataset& data = *page.Column(c);
    if (!data.SetValue(at, row->values[c - 1]) || !data.Resize(at + 1)) return 1;
  }
  return 0;
}

uint64_t RefHost::ServeColumn(uint32_t opcode, uint64_t handle, uint64_t b) {
  HostPage* page = PageOf(handle);
  if (page == nullptr) return opcode == kfio::op::kColumnCount ? 0 : 1;
  switch (opcode) {
    case kfio::op::kColumnCount:
      return static_cast<uint64_t>(page->ColumnCount());
    case kfio::op::kColumnName: {
      char* buffer = reinterpret_cast<char*>(b);
      if (buffer == nullptr) return 1;
      int32_t column = 0;
      std::memcpy(&column, buffer, sizeof column);
      if (page->Column(column) == nullptr) return 1;
      const std::string& name = page->ColumnName(column);
      const std::size_t n = std::min(name.size(), kfio::kColumnNameMax);
      std::memcpy(buffer, name.data(), n);
      buffer[n] = '\0';
      return 0;
    }
    case kfio::op::kRemoveColumn:
      return Status(page->RemoveColumn(ValueOf(b)));
    case kfio::op::kAddColumn: {
      const auto* block = BlockOf<kfio::AddColumnBlock>(b);
      if (block == nullptr) return 1;
      const char* name = reinterpret_cast<const char*>(block->name);
      return Status(page->AddColumn(name != nullptr ? name : ""));
    }
    case kfio::op::kSetColumnName:
    case kfio::op::kSetColumnTitle: {
      const auto* block = BlockOf<kfio::ColumnTextBlock>(b);
      if (block == nullptr || block->text == nullptr) return 1;
      return Status(opcode == kfio::op::kSetColumnName ? page->RenameColumn(block->column, block->text)
                                                       : page->SetColumnTitle(block->column, block->text));
    }
    case kfio::op::kSetColumnKind: {
      const auto* block = BlockOf<kfio::ColumnBlock>(b);
      if (block == nullptr || block->selector != 1 || block->column < 1 || block->column > INT32_MAX)
        return 1;
      HostDataset* data = page->Column(static_cast<int>(block->column));
      if (data == nullptr) return 1;
      // Only the text kind changes anything; a text column stays one.
      if (block->value == kfio::kTextColumnKind) data->MakeText();
      return 0;
    }
    case kfio::op::kQueryColumn: {
      auto* block = reinterpret_cast<kfio::ColumnQueryBlock*>(b);
      const HostDataset* data = block != nullptr ? page->Column(block->column) : nullptr;
      if (data == nullptr) return 1;
      block->one = data->IsText() ? 1 : 0;
      return 0;
    }
    case kfio::op::kSetRowCount:
      return Status(page->SetRowCount(ValueOf(b)));
    default:
      return Unknown(opcode);
  }
}

}  // namespace refhost
