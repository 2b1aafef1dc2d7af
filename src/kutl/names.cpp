// Splitting a member name into its base and trailing element number (ordinal 930).
#include <climits>
#include <cstring>

#include "kutl/blanks.h"
#include "kutl/kutl.h"

namespace kfio::kutl {

namespace {

void CopyTruncated(char* out, std::size_t outSize, const char* text, std::size_t length) {
  if (out == nullptr || outSize == 0) return;
  const std::size_t n = length < outSize - 1 ? length : outSize - 1;
  std::memcpy(out, text, n);
  out[n] = '\0';
}

}  // namespace

// The digits are the number whatever stands before them, so a name made of
// digits only ("12") gives an empty base and 12. A number beyond int is not
// an element number: the whole name is the base and the answer is 0.
int SplitTrailingNumber(char* out, std::size_t outSize, const char* name) {
  if (name == nullptr) {
    CopyTruncated(out, outSize, "", 0);
    return 0;
  }
  const std::size_t length = std::strlen(name);
  std::size_t digitsStart = length;
  while (digitsStart > 0 && detail::IsDigit(name[digitsStart - 1])) --digitsStart;

  long long number = 0;
  for (std::size_t i = digitsStart; i < length; ++i) {
    number = number * 10 + (name[i] - '0');
    if (number > INT_MAX) {
      CopyTruncated(out, outSize, name, length);
      return 0;
    }
  }
  CopyTruncated(out, outSize, name, digitsStart);
  return static_cast<int>(number);
}

}  // namespace kfio::kutl
