// Member tables: (member object, upper-case name) pairs; alternate spellings
// are further pairs for the same object.
#pragma once

#include <vector>

#include "kutl/names.h"

namespace kfio {

class XoScript;

struct MemberEntry {
  XoScript* member;
  const char* name;
};

using MemberTable = std::vector<MemberEntry>;

// Names are matched without regard to case.
inline bool EqualNoCase(const char* a, const char* b) {
  return a != nullptr && b != nullptr && kutl::EqualNoCase(a, b);
}

// The first entry whose name matches, or null.
inline const MemberEntry* FindEntry(const MemberTable& table, const char* name) {
  for (const MemberEntry& e : table)
    if (EqualNoCase(e.name, name)) return &e;
  return nullptr;
}

}  // namespace kfio
