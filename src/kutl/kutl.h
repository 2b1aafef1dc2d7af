// The host utility routines the module imports (argument text, splitting,
// names with trailing numbers, text to number, tokens). Each names the
// ordinal it stands behind.
#pragma once

#include <cstddef>

namespace kfio::kutl {

// Ordinal 8: trims blanks (space, tab) around each comma-separated piece,
// outside double quotes; quotes are kept. Edits in place; never lengthens
// the text. Quotes only toggle (no escapes); an unclosed one runs to the end.
void NormalizeArguments(char* text);

// Ordinal 14: the next `separator` at or after `text` that is outside double
// quotes (counted from `text`), or null. `option` is accepted for the
// caller's sake (16 or 1) and changes nothing.
char* FindSeparator(char* text, char separator, int option);

// Ordinal 2131: trims blanks at both ends of `part` in place and returns the
// start of the trimmed text (inside `part`).
char* NormalizePart(char* part);

// Ordinal 2198: splits `text` in place at `separator` into at most
// `maxParts` parts (the last part keeps any further separators). Writes the
// part starts to `parts`; returns their number (0 for a null or empty text
// or `maxParts` below 1). A separator inside double quotes does not split.
int SplitInPlace(char* text, char** parts, char separator, int maxParts);

// Ordinal 930: copies `name` without its trailing decimal number into `out`
// (capacity `outSize`, always NUL-terminated) and returns that number; 0
// when there is none. Digits only ("12") give an empty base and 12; a number
// beyond int counts as none (the whole name is copied, 0 returned).
int SplitTrailingNumber(char* out, std::size_t outSize, const char* name);

// Ordinal 4: the number that `text` starts with (leading blanks allowed), or
// the missing value -1.23456789e-300 when it starts with no number. Reads
// only the leading number ("12abc" gives 12); one leading '+' or '-' is
// allowed; "inf" and "nan" are not numbers; overflow gives +-infinity.
double TextToNumber(const char* text);

// Ordinal 15: strips one pair of enclosing double quotes from `argument` into
// `out` (capacity `outSize`) and returns `out`; null when the argument is
// null or empty (a quoted empty text "" yields an empty text). Blanks
// around the argument are dropped first; inside the quotes \t, \r, \n, \"
// and \\ stand for TAB, CR, LF, a quote and a backslash. Null also when
// `outSize` is 0; a longer text is cut to `outSize` - 1 characters.
const char* ArgumentText(const char* argument, char* out, std::size_t outSize);

// Ordinal 92: skips blanks from `*position`, copies the next blank-separated
// token into `out` (capacity `outSize`, always NUL-terminated) and moves
// `*position` past it. Returns the token length (0 at the end of the text);
// a token longer than `out` is cut there, but the answer and the position
// still cover all of it. Blanks here include CR, LF, VT and FF.
std::size_t NextToken(const char** position, char* out, std::size_t outSize);

}  // namespace kfio::kutl
