// HostPage: columns by number and name, letter names, adding, removing,
// renaming and sizing columns.
#include "host/worksheets.h"

#include <algorithm>

namespace refhost {

namespace {

char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const std::string kNone;

}  // namespace

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
}

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
    if (SameName(columns_[i].name, name)) return static_cast<int>(i) + 1;
  return 0;
}

int32_t HostPage::RowCount() const {
  int32_t rows = 0;
  for (const Slot& slot : columns_) rows = std::max(rows, slot.data->Size());
  return rows;
}

bool HostPage::NameTaken(std::string_view name, int except) const {
  const int found = FindColumn(name);
  return found != 0 && found != except;
}

bool HostPage::AddColumn(std::string_view name) {
  std::string chosen(name);
  if (chosen.empty()) {
    for (std::size_t i = 0; chosen.empty(); ++i)
      if (!NameTaken(LetterName(i))) chosen = LetterName(i);
  } else if (chosen.size() > kfio::kColumnNameMax || NameTaken(chosen)) {
    return false;
  }
  HostDataset& data = store_.emplace_back(name_ + "_" + chosen);
  columns_.push_back(Slot{std::move(chosen), std::string(), &data});
  return true;
}

bool HostPage::RemoveColumn(int column) {
  if (!Valid(column)) return false;
  columns_[column - 1].data->Kill();
  columns_.erase(columns_.begin() + (column - 1));
  return true;
}

bool HostPage::RenameColumn(int column, std::string_view name) {
  if (!Valid(column) || name.empty() || name.size() > kfio::kColumnNameMax || NameTaken(name, column))
    return false;
  Slot& slot = columns_[column - 1];
  slot.name = std::string(name);
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
