// XoReadRowBin (ReadRowBin): a run of binary values handed to the host as
// one new row of a worksheet.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "binary/bulk.h"
#include "bridge/worksheet.h"

namespace kfio {

// wksname$, nToken, binType[, hFile]. The values are read with the layout of
// ARead and go to the host in one call; the host decides where the row goes.
class XoReadRowBin : public XoBinIO {
  KFIO_DECLARE_DYNAMIC(XoReadRowBin, XoBinIO)
 public:
  XoReadRowBin();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  int FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) override;
  int FinishChunk(int result) override;

 private:
  // At the first piece: the page, its columns, the row's values, the reader.
  int Begin();
  // The row to the host, then the host's command; 0 or the refusal's status.
  int HandOver();

  int page_ = -1;       // argument slot
  int tokens_ = -1;     // argument slot
  int binType_ = -1;    // argument slot
  uint32_t count_ = 0;  // nToken
  std::optional<XoKavlerWks> wks_;
  std::vector<double> values_;
  uint32_t stored_ = 0;
};

}  // namespace kfio
