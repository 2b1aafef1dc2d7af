// Character classes shared by the utility routines (private to src/kutl).
#pragma once

namespace kfio::kutl::detail {

// Argument texts are edited around spaces and tabs only; other control
// characters are kept because a script may mean them.
inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Tokens and numbers also end at line breaks, since lines read from files
// may still carry a CR.
inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace kfio::kutl::detail
