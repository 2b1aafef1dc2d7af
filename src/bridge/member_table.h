// Member tables: (member object, upper-case name) pairs; alternate spellings
// are further pairs for the same object.
#pragma once

#include <cctype>
#include <vector>

namespace kfio {

class XoScript;

struct MemberEntry {
  XoScript* member;
  const char* name;
};

using MemberTable = std::vector<MemberEntry>;

// Names are matched without regard to case.
inline bool EqualNoCase(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return false;
  for (; *a != '\0' && *b != '\0'; ++a, ++b)
    if (std::toupper(static_cast<unsigned char>(*a)) != std::toupper(static_cast<unsigned char>(*b)))
      return false;
  return *a == *b;
}

// The first entry whose name matches, or null.
inline const MemberEntry* FindEntry(const MemberTable& table, const char* name) {
  for (const MemberEntry& e : table)
    if (EqualNoCase(e.name, name)) return &e;
  return nullptr;
}

}  // namespace kfio
