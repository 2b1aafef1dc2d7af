// HostPage: columns by number and name, letter names, adding, removing,
// renaming and sizing columns.
#include "host/worksheets.h"

#include <algorithm>

#include "kutl/names.h"

namespace refhost {

namespace {

using kfio::kutl::EqualNoCase;
using kfio::kutl::UpperAscii;

std::string Folded(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) c = UpperAscii(c);
  return folded;
}

// The index LetterName gives `name` (any case), or -1 when it gives none.
int64_t LetterIndex(std::string_view name) {
  if (name.empty() || name.size() > 12) return -1;  // 26^12 still fits
  int64_t n = 0;
  for (char c : name) {
    c = UpperAscii(c);
    if (c < 'A' || c > 'Z') return -1;
    n = n * 26 + (c - 'A' + 1);
  }
  return n - 1;
}

const std::string kNone;

}  // namespace

std::string LetterName(std::size_t index) {
  std::string name;
  for (std::size_t n = index + 1; n > 0; n = (n - 1) / 26)
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  return name;
}

HostPage::HostPage(std::string name, int columns) : name_(std::move(name)) {
  for (int i = 0; i < columns; ++i) AddColumn();
}

const std::string& HostPage::ColumnName(int column) const {
  return Valid(column) ? columns_[column - 1].name : kNone;
}

const std::string& HostPage::ColumnTitle(int column) const {
  return Valid(column) ? columns_[column - 1].title : kNone;
}

HostDataset* HostPage::Column(int column) { return Valid(column) ? columns_[column - 1].data : nullptr; }

const HostDataset* HostPage::Column(int column) const {
  return Valid(column) ? columns_[column - 1].data : nullptr;
}

int HostPage::FindColumn(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i)
    if (EqualNoCase(columns_[i].name, name)) return static_cast<int>(i) + 1;
  return 0;
}

int32_t HostPage::RowCount() const {
  int32_t rows = 0;
  for (const Slot& slot : columns_) rows = std::max(rows, slot.data->Size());
  return rows;
}

bool HostPage::NameTaken(std::string_view name, int except) const {
  if (Valid(except) && EqualNoCase(columns_[except - 1].name, name)) return false;
  return taken_.count(Folded(name)) != 0;
}

void HostPage::Take(const std::string& name) { taken_.insert(Folded(name)); }

void HostPage::Free(const std::string& name) {
  taken_.erase(Folded(name));
  const int64_t letter = LetterIndex(name);
  if (letter >= 0 && static_cast<uint64_t>(letter) < nextLetter_) nextLetter_ = static_cast<std::size_t>(letter);
}

bool HostPage::AddColumn(std::string_view name) {
  if (ColumnCount() >= kfio::kMaxColumns) return false;
  std::string chosen(name);
  if (chosen.empty()) {
    while (NameTaken(LetterName(nextLetter_))) ++nextLetter_;
    chosen = LetterName(nextLetter_);
  } else if (chosen.size() > kfio::kColumnNameMax || NameTaken(chosen)) {
    return false;
  }
  HostDataset& data = store_.emplace_back(name_ + "_" + chosen);
  Take(chosen);
  columns_.push_back(Slot{std::move(chosen), std::string(), &data});
  return true;
}

bool HostPage::RemoveColumn(int column) {
  if (!Valid(column)) return false;
  Free(columns_[column - 1].name);
  columns_[column - 1].data->Kill();
  columns_.erase(columns_.begin() + (column - 1));
  return true;
}

bool HostPage::RenameColumn(int column, std::string_view name) {
  if (!Valid(column) || name.empty() || name.size() > kfio::kColumnNameMax || NameTaken(name, column))
    return false;
  Slot& slot = columns_[column - 1];
  Free(slot.name);
  slot.name = std::string(name);
  Take(slot.name);
  slot.data->Rename(name_ + "_" + slot.name);
  return true;
}

bool HostPage::SetColumnTitle(int column, std::string_view title) {
  if (!Valid(column)) return false;
  columns_[column - 1].title = std::string(title);
  return true;
}

bool HostPage::SetRowCount(int32_t rows) {
  if (rows < 0 || rows > HostDataset::kMaxSize) return false;
  for (Slot& slot : columns_) slot.data->Resize(rows);
  return true;
}

}  // namespace refhost
