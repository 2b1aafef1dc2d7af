// Worksheet pages: lookup, columns and cells.
#include "bridge/worksheet.h"

#include <cstdio>
#include <cstring>

#include "bridge/error_log.h"
#include "bridge/host_services.h"

namespace kfio {

XoKavlerWks::XoKavlerWks(const char* pageName, const char* secondName) {
  if (secondName != nullptr) layerName_.SetText(secondName);
  if (pageName != nullptr && pageName[0] != '\0') {
    char cut[kPageNameMax + 1];
    std::strncpy(cut, pageName, kPageNameMax);
    cut[kPageNameMax] = '\0';
    PageFindBlock request{-1, 1};
    handle_ = HostCall(op::kFindPage, &request, cut);
  }
  if (IsValid()) pageName_.SetText(pageName);
}

bool XoKavlerWks::IsValid() const {
  if (handle_ != 0) return true;
  TheErrorLog().Record(errid::kNoPage, ClassName());
  return false;
}

int XoKavlerWks::ColumnCount() const {
  if (handle_ == 0) return 0;
  return static_cast<int>(HostCall(op::kColumnCount, handle_, 0));
}

int XoKavlerWks::AddColumn(const char* name, int32_t value, uint64_t argument) const {
  AddColumnBlock b{value, 0, reinterpret_cast<uint64_t>(name), argument, kAddedColumnType};
  return static_cast<int>(HostCall(op::kAddColumn, handle_, reinterpret_cast<uint64_t>(&b)));
}

int XoKavlerWks::EnsureColumns(int count) const {
  for (int have = ColumnCount(); have < count; ++have)
    if (AddColumn() != 0) return 1;
  return 0;
}

int XoKavlerWks::ColumnName(int column, char* buffer) const {
  std::memset(buffer, 0, kColumnNameMax + 1);
  const int32_t number = column;
  std::memcpy(buffer, &number, sizeof number);
  if (HostCall(op::kColumnName, handle_, reinterpret_cast<uint64_t>(buffer)) != 0) return 1;
  buffer[kColumnNameMax] = '\0';
  return 0;
}

int XoKavlerWks::ColumnDatasetName(char* buffer, std::size_t size, int column) const {
  if (buffer == nullptr || handle_ == 0) return 1;
  char name[kColumnNameMax + 1];
  if (ColumnName(column, name) != 0) return 1;
  std::snprintf(buffer, size, "%s_%s", PageName() ? PageName() : "", name);
  return 0;
}

int XoKavlerWks::SetColumnValue(int column, int32_t value) const {
  if (column == 0) return 1;
  ColumnBlock b{1, 0, column, value};
  return HostCall(op::kSetColumnKind, handle_, reinterpret_cast<uint64_t>(&b)) != 0 ? 1 : 0;
}

int32_t XoKavlerWks::QueryColumn(int column) const {
  if (column == 0 || !HostKnown()) return 1;
  ColumnQueryBlock b{1, column};
  if (HostCall(op::kQueryColumn, handle_, reinterpret_cast<uint64_t>(&b)) != 0) return -1;
  return b.one;
}

int XoKavlerWks::SetColumnText(int column, const char* text) const {
  ColumnTextBlock b{column, 0, text};
  return HostCall(op::kSetColumnName, handle_, reinterpret_cast<uint64_t>(&b)) != 0 ? 1 : 0;
}

int XoKavlerWks::SetColumnText2(int column, const char* text) const {
  ColumnTextBlock b{column, 0, text};
  return static_cast<int>(HostCall(op::kSetColumnTitle, handle_, reinterpret_cast<uint64_t>(&b)));
}

void XoKavlerWks::SetPageValue(int32_t value) const {
  HostCall(op::kRemoveColumn, handle_, static_cast<uint64_t>(static_cast<int64_t>(value)));
}

void XoKavlerWks::SetPageValue2(int32_t value) const {
  HostCall(op::kSetRowCount, handle_, static_cast<uint64_t>(static_cast<int64_t>(value)));
}

int XoKavlerWks::SetCellValue(int column, int32_t row, double value) const {
  XoResultData data(*this, column);
  if (data.IsAttached() && !data.IsTextData()) return data.SetValue(row, value);
  TheErrorLog().Record(errid::kCellRefused, ClassName());
  return 1;
}

int XoKavlerWks::SetCellText(int column, int32_t row, const char* text) const {
  XoTextData data(*this, column);
  if (data.IsAttached()) return data.SetText(row, text);
  TheErrorLog().Record(errid::kCellRefused, ClassName());
  return 1;
}

}  // namespace kfio
