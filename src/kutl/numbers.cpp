// Text to number (ordinal 4): the number a text starts with.
#include <charconv>
#include <climits>
#include <cmath>
#include <cstring>

#include "kutl/blanks.h"
#include "kutl/kutl.h"
#include "kutl/missing_value.h"

namespace kfio::kutl {

namespace {

using detail::IsDigit;

// Decimal order of magnitude of an unsigned decimal literal in [p, end):
// positive means |value| >= 1. Only needed to tell overflow from underflow
// when from_chars reports the value out of range.
long long DecimalOrder(const char* p, const char* end) {
  long long order = 0;
  bool seenNonZero = false;
  for (; p < end && IsDigit(*p); ++p) {
    if (*p != '0') seenNonZero = true;
    if (seenNonZero) ++order;
  }
  if (p < end && *p == '.') {
    for (++p; p < end && IsDigit(*p); ++p) {
      if (seenNonZero) continue;
      if (*p != '0') seenNonZero = true; else --order;
    }
  }
  if (p < end && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
    long long exponent = 0;
    for (; p < end && IsDigit(*p); ++p) {
      if (exponent < LLONG_MAX / 20) exponent = exponent * 10 + (*p - '0');
    }
    order += negative ? -exponent : exponent;
  }
  return order;
}

}  // namespace

// Only texts whose first character after an optional sign is a digit or a
// point count as numbers: from_chars alone would read "nan" and "inf" out of
// words such as "Nancy" or "info". Too large a number reads as infinity,
// too small a one as zero, both with their sign.
double TextToNumber(const char* text) {
  if (text == nullptr) return kMissingValue;
  while (detail::IsSpace(*text)) ++text;
  bool negative = false;
  if (*text == '+' || *text == '-') negative = *text++ == '-';
  if (!IsDigit(*text) && !(*text == '.' && IsDigit(text[1]))) return kMissingValue;

  const char* end = text + std::strlen(text);
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(text, end, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    value = DecimalOrder(text, ptr) > 0 ? HUGE_VAL : 0.0;
  } else if (ec != std::errc()) {
    return kMissingValue;
  }
  return negative ? -value : value;
}

}  // namespace kfio::kutl
