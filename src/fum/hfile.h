// XoHFILE: the current file, by handle number and entry.
#pragma once

#include "fum/limited.h"

namespace kfio {

class MyCFile;

class XoHFILE : public XoLimited {
  KFIO_DECLARE_DYNAMIC(XoHFILE, XoLimited)
 public:
  XoHFILE() { value_ = -1; }
  // The number must be 0..99999 and name an open file; the entry found (or
  // none) becomes the current entry either way.
  int CheckValue(int32_t n) override;
  void ResetValue() override {
    value_ = -1;
    currentEntry = nullptr;
  }
  int CheckCurrent() { return CheckValue(value_); }
  int SetFromNumber(double x);
  void MakeCurrent(MyCFile* entry);
  void ForgetCurrent();

  MyCFile* currentEntry = nullptr;
};

}  // namespace kfio
