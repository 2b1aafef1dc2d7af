// Checked integer properties.
#include "fum/limited.h"

#include <algorithm>

#include "bridge/guarded_new.h"
#include "bridge/truncate.h"
#include "fum/errors.h"

namespace kfio {

int XoLimited::SetChecked(int32_t n) {
  if (NewErrorMode()) {
    const int s = CheckValue(n);
    if (s != 0) return s;
  }
  value_ = n;
  return 0;
}

int XoLimited::SetNumber(double value) { return SetChecked(TruncateToInt32(value)); }

int XoBounded::CheckValue(int32_t n) {
  if (n >= lower_ && n <= upper_) return 0;
  return Fail(err::kOutOfRange);
}

int XoDiscrete::CheckValue(int32_t n) {
  if (std::find(allowed_.begin(), allowed_.end(), n) != allowed_.end()) return 0;
  return Fail(err::kOutOfRange);
}

void SharedDiscrete::Acquire() {
  if (users_++ == 0) check_ = GuardedNew<XoDiscrete>(allowed_, count_);
}

void SharedDiscrete::Release() {
  if (--users_ == 0) check_.reset();
}

}  // namespace kfio
