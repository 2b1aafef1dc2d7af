// Names compared without regard to case: ASCII letters only, no locale, so
// the module, the host and the runner agree on every byte.
#pragma once

#include <string_view>

namespace kfio::kutl {

constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperAscii(a[i]) != UpperAscii(b[i])) return false;
  return true;
}

}  // namespace kfio::kutl
