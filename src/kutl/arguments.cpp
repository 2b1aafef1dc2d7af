// Argument-string editing: normalising, separator search, splitting, part
// trimming and argument text (ordinals 8, 14, 2131, 2198, 15).
#include <cstring>

#include "kutl/blanks.h"
#include "kutl/kutl.h"

namespace kfio::kutl {

using detail::IsBlank;

// Quotes only toggle: there is no escape inside them, so a path ending in a
// backslash ("C:\dir\") still closes its quote.
void NormalizeArguments(char* text) {
  if (text == nullptr) return;
  const char* read = text;
  char* write = text;
  bool inQuote = false;
  bool atPieceStart = true;
  char* keepUpTo = text;  // one past the last character a trim must keep
  for (; *read != '\0'; ++read) {
    const char c = *read;
    if (!inQuote && c == ',') {
      write = keepUpTo;
      *write++ = ',';
      keepUpTo = write;
      atPieceStart = true;
      continue;
    }
    if (!inQuote && IsBlank(c)) {
      if (!atPieceStart) *write++ = c;
      continue;
    }
    if (c == '"') inQuote = !inQuote;
    atPieceStart = false;
    *write++ = c;
    keepUpTo = write;
  }
  // Blanks inside an unclosed quote moved keepUpTo too, so they stay.
  *keepUpTo = '\0';
}

char* FindSeparator(char* text, char separator, int /*option*/) {
  if (text == nullptr || separator == '\0') return nullptr;
  bool inQuote = false;
  for (char* p = text; *p != '\0'; ++p) {
    if (!inQuote && *p == separator) return p;
    if (*p == '"') inQuote = !inQuote;
  }
  return nullptr;
}

char* NormalizePart(char* part) {
  if (part == nullptr) return nullptr;
  while (IsBlank(*part)) ++part;
  char* keepUpTo = part;
  bool inQuote = false;
  for (char* p = part; *p != '\0'; ++p) {
    if (*p == '"') inQuote = !inQuote;
    if (inQuote || !IsBlank(*p)) keepUpTo = p + 1;
  }
  *keepUpTo = '\0';
  return part;
}

int SplitInPlace(char* text, char** parts, char separator, int maxParts) {
  if (text == nullptr || parts == nullptr || maxParts < 1 || *text == '\0') return 0;
  int count = 0;
  char* start = text;
  parts[count++] = start;
  while (count < maxParts) {
    char* found = FindSeparator(start, separator, 0);
    if (found == nullptr) break;
    *found = '\0';
    start = found + 1;
    parts[count++] = start;
  }
  return count;
}

namespace {

// Inside quotes the script writes CR, LF, TAB, a quote and a backslash as
// \r, \n, \t, \" and \\; any other backslash is an ordinary character.
char Unescape(char c) {
  switch (c) {
    case 'r': return '\r';
    case 'n': return '\n';
    case 't': return '\t';
    case '"': return '"';
    case '\\': return '\\';
    default: return '\0';
  }
}

}  // namespace

const char* ArgumentText(const char* argument, char* out, std::size_t outSize) {
  if (argument == nullptr || *argument == '\0' || out == nullptr || outSize == 0) return nullptr;
  const char* begin = argument;
  const char* end = argument + std::strlen(argument);
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  const bool quoted = end - begin >= 2 && *begin == '"' && end[-1] == '"';
  if (quoted) {
    ++begin;
    --end;
  }
  std::size_t n = 0;
  for (const char* p = begin; p < end && n + 1 < outSize; ++p) {
    char c = *p;
    if (quoted && c == '\\' && p + 1 < end) {
      if (const char decoded = Unescape(p[1]); decoded != '\0') {
        c = decoded;
        ++p;
      }
    }
    out[n++] = c;
  }
  out[n] = '\0';
  return out;
}

}  // namespace kfio::kutl
