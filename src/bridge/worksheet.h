// XoLayer and XoKavlerWks: a host worksheet page, its columns and cells.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/data.h"
#include "bridge/properties.h"

namespace kfio {

class XoLayer : public XoKavler {
  KFIO_DECLARE_DYNAMIC(XoLayer, XoKavler)
 public:
  uint64_t Handle() const { return handle_; }

 protected:
  uint64_t handle_ = 0;
  XoString layerName_;
};

class XoKavlerWks : public XoLayer {
  KFIO_DECLARE_DYNAMIC(XoKavlerWks, XoLayer)
 public:
  // Finds the page; a page that does not exist leaves a detached object.
  explicit XoKavlerWks(const char* pageName, const char* secondName = nullptr);

  // Records error 779 when there is no page.
  bool IsValid() const override;
  const char* PageName() const { return pageName_.GetText(); }

  int ColumnCount() const;
  // Statuses: 0 success, non-zero failure, unless said otherwise.
  int AddColumn(const char* name = nullptr, int32_t value = 0, uint64_t argument = 0) const;
  // Adds unnamed columns one at a time until the page has `count`; 1 when
  // the host refuses one, the columns added before it staying.
  int EnsureColumns(int count) const;
  // `buffer` holds kColumnNameMax + 1 bytes.
  int ColumnName(int column, char* buffer) const;
  // "<page>_<column>" into `buffer` of `size` bytes.
  int ColumnDatasetName(char* buffer, std::size_t size, int column) const;
  int SetColumnValue(int column, int32_t value) const;
  // The host's answer for a column; 1 for column 0 or without a host, -1
  // when the host fails.
  int32_t QueryColumn(int column) const;
  int SetColumnText(int column, const char* text) const;
  int SetColumnText2(int column, const char* text) const;
  void SetPageValue(int32_t value) const;
  void SetPageValue2(int32_t value) const;
  int SetCellValue(int column, int32_t row, double value) const;
  int SetCellText(int column, int32_t row, const char* text) const;

 private:
  XoWksName pageName_;
};


}  // namespace kfio
