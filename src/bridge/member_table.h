// Member tables: (member object, upper-case name) pairs in table order;
// alternate spellings are further pairs for the same object. Names are
// found without regard to case through an index built on the first lookup.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace kfio {

class XoScript;

struct MemberEntry {
  XoScript* member;
  const char* name;
};

class MemberTable {
 public:
  using const_iterator = std::vector<MemberEntry>::const_iterator;

  MemberTable() = default;
  MemberTable(std::initializer_list<MemberEntry> entries) : entries_(entries) {}

  void push_back(const MemberEntry& entry) {
    entries_.push_back(entry);
    built_ = false;
  }
  const_iterator begin() const { return entries_.begin(); }
  const_iterator end() const { return entries_.end(); }
  int size() const { return static_cast<int>(entries_.size()); }
  const MemberEntry& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }

  // The position of the first entry named `name` (any case), or -1; Next
  // walks the further entries of that name in table order.
  int First(const char* name) const;
  int Next(int position) const { return next_[static_cast<std::size_t>(position)]; }
  // The position of the first indexed member, or size() when there is none.
  int FirstIndexed() const;

 private:
  struct Key {
    std::string name;  // upper case
    uint32_t hash;
    int first;
  };
  void Build() const;

  std::vector<MemberEntry> entries_;
  // Built on the first lookup after the last change: one key per distinct
  // name in an open-addressed hash table, and for each entry the next one of
  // the same name.
  mutable bool built_ = false;
  mutable std::vector<Key> keys_;
  mutable std::vector<int> slots_;  // a power of two in size; -1 = empty
  mutable std::vector<int> next_;
  mutable std::size_t longestName_ = 0;
  mutable int firstIndexed_ = 0;
};

// The first entry whose name matches, or null.
inline const MemberEntry* FindEntry(const MemberTable& table, const char* name) {
  const int i = table.First(name);
  return i < 0 ? nullptr : &table[i];
}

}  // namespace kfio
