// Double to 32-bit integer, toward zero, without undefined behaviour on
// values a script can pass (huge, infinite, NaN).
#pragma once

#include <cmath>
#include <cstdint>

namespace kfio {

// Truncates toward zero; NaN gives 0 and values beyond the range saturate.
inline int32_t TruncateToInt32(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// The same into 64 bits.
inline int64_t TruncateToInt64(double v) {
  if (std::isnan(v)) return 0;
  if (v >= 9223372036854775807.0) return INT64_MAX;
  if (v <= -9223372036854775808.0) return INT64_MIN;
  return static_cast<int64_t>(v);
}

}  // namespace kfio
