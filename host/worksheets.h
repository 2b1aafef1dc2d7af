// HostPage: a worksheet page of the reference host, its named columns and
// the column datasets it owns.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "host/datasets.h"

namespace refhost {

// The spreadsheet-letter name of a 0-based index: A..Z, AA..AZ, BA, ...
std::string LetterName(std::size_t index);

class HostPage {
 public:
  // A page of `columns` columns named A, B, ...
  HostPage(std::string name, int columns);
  HostPage(const HostPage&) = delete;
  HostPage& operator=(const HostPage&) = delete;

  const std::string& Name() const { return name_; }
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  // Columns are numbered from 1; outside 1..ColumnCount() these give ""
  // or null.
  const std::string& ColumnName(int column) const;
  const std::string& ColumnTitle(int column) const;
  HostDataset* Column(int column);
  const HostDataset* Column(int column) const;
  // 1-based number of the column of that name, 0 when none.
  int FindColumn(std::string_view name) const;
  // The longest column's size.
  int32_t RowCount() const;

  // ---- Changes; each answers false where the module's call fails ----
  // Appends a column; an empty name takes the first letter name no column
  // has. A name another column has is refused, and so is a column beyond
  // kfio::kMaxColumns.
  bool AddColumn(std::string_view name = {});
  // The removed column's dataset stays allocated (dead), so a handle the
  // module still holds never dangles.
  bool RemoveColumn(int column);
  bool RenameColumn(int column, std::string_view name);
  bool SetColumnTitle(int column, std::string_view title);
  // Every column's size.
  bool SetRowCount(int32_t rows);

 private:
  struct Slot {
    std::string name;
    std::string title;
    HostDataset* data;
  };
  bool Valid(int column) const { return column >= 1 && column <= ColumnCount(); }
  bool NameTaken(std::string_view name, int except = 0) const;
  void Take(const std::string& name);
  void Free(const std::string& name);

  std::string name_;
  std::vector<Slot> columns_;
  // Every column's name, folded: a wide page is named without a scan per
  // candidate name.
  std::unordered_set<std::string> taken_;
  // Every letter name before this one is taken; only a freed name moves it back.
  std::size_t nextLetter_ = 0;
  std::deque<HostDataset> store_;  // every column dataset ever made; never shrinks
};

}  // namespace refhost
