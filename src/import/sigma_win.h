// XoSigmaWin: SigmaWin, which imports a SigmaPlot worksheet file of the
// Windows generation into the columns of a worksheet page, all file access
// through nested calls.
#pragma once

#include <cstdint>

#include "import/import_io.h"

namespace kfio {

class XoSigmaWin : public XoImportIO {
  KFIO_DECLARE_DYNAMIC(XoSigmaWin, XoImportIO)
 public:
  // A column whose cell area runs past the end of the file gets the missing
  // value in at most this many cells from the first one the file lacks; the
  // rest of its area is not written. A truncated column of up to this many
  // rows keeps its length; a hostile length fills no more.
  static constexpr int32_t kMaxCellsPastEnd = int32_t{1} << 20;

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  // The text buffer that Z is fetched into is `text`.
  int Import(NestedCalls& call, const XoKavlerWks& page, char* name, char* text);
  int FindBase(NestedCalls& call, char* text, int64_t& base);
  // Column records while they come, for columns 1 to `last` + 1.
  int Columns(NestedCalls& call, const XoKavlerWks& page, int64_t last, char* name);
  // The status bytes of `rows` cells from the current position.
  int Cells(NestedCalls& call, const XoKavlerWks& page, int64_t column, int32_t rows);
  int Titles(NestedCalls& call, const XoKavlerWks& page, int64_t last, char* text);
};

}  // namespace kfio
