// The current file.
#include "fum/hfile.h"

#include "bridge/truncate.h"
#include "fum/errors.h"
#include "fum/settings.h"

namespace kfio {

int XoHFILE::CheckValue(int32_t n) {
  if (static_cast<uint32_t>(n) > 99999u) return Fail(err::kHandleOutOfRange);
  currentEntry = TheState().files.FindByHandle(n);
  if (currentEntry == nullptr) return FailSysErr(err::kNoSuchHandle, {9, 0});
  return 0;
}

int XoHFILE::SetFromNumber(double x) {
  const int32_t n = TruncateToInt32(x);
  const int s = CheckValue(n);
  if (s == 0) value_ = n;
  return s;
}

void XoHFILE::MakeCurrent(MyCFile* entry) {
  currentEntry = entry;
  value_ = entry->HandleNumber();
}

void XoHFILE::ForgetCurrent() {
  currentEntry = nullptr;
  if (NewErrorMode()) ResetValue();
}

}  // namespace kfio
