// The next blank-separated token of a text (ordinal 92).
#include "kutl/blanks.h"
#include "kutl/kutl.h"

namespace kfio::kutl {

// A token longer than `out` is cut there, but the position still moves past
// all of it and the answer is its full length, so 0 always means "no token".
std::size_t NextToken(const char** position, char* out, std::size_t outSize) {
  if (out != nullptr && outSize > 0) out[0] = '\0';
  if (position == nullptr || *position == nullptr) return 0;
  const char* p = *position;
  while (detail::IsSpace(*p)) ++p;
  std::size_t length = 0;
  for (; *p != '\0' && !detail::IsSpace(*p); ++p, ++length) {
    if (out != nullptr && length + 1 < outSize) out[length] = *p;
  }
  if (out != nullptr && outSize > 0) out[length < outSize ? length : outSize - 1] = '\0';
  *position = p;
  return length;
}

}  // namespace kfio::kutl
