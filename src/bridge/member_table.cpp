// The name index of a member table: names folded to upper case once, found
// by hash, so a lookup costs one pass over the name and one compare.
#include "bridge/member_table.h"

#include <algorithm>
#include <cstring>

#include "bridge/xobj.h"
#include "kutl/names.h"

namespace kfio {

namespace {
constexpr uint32_t kFnvOffset = 2166136261u;
constexpr uint32_t kFnvPrime = 16777619u;
constexpr uint32_t Step(uint32_t hash, char c) {
  return (hash ^ static_cast<unsigned char>(c)) * kFnvPrime;
}
// Names longer than this are no member's: the lookup stops reading there.
constexpr std::size_t kNameLimit = 64;
}  // namespace

void MemberTable::Build() const {
  keys_.clear();
  next_.assign(entries_.size(), -1);
  firstIndexed_ = size();
  longestName_ = 0;
  std::vector<int> last;  // per key, the last entry of its name so far
  for (int i = 0; i < size(); ++i) {
    const MemberEntry& e = entries_[static_cast<std::size_t>(i)];
    if (firstIndexed_ == size() && (e.member->Kind() & kind::kIndexed)) firstIndexed_ = i;
    Key key{e.name, kFnvOffset, i};
    for (char& c : key.name) key.hash = Step(key.hash, c = kutl::UpperAscii(c));
    std::size_t k = 0;
    while (k < keys_.size() && keys_[k].name != key.name) ++k;
    if (k == keys_.size()) {
      longestName_ = std::max(longestName_, key.name.size());
      keys_.push_back(std::move(key));
      last.push_back(i);
    } else {
      next_[static_cast<std::size_t>(last[k])] = i;
      last[k] = i;
    }
  }
  std::size_t capacity = 8;
  while (capacity < 2 * keys_.size()) capacity *= 2;
  slots_.assign(capacity, -1);
  for (std::size_t k = 0; k < keys_.size(); ++k) {
    std::size_t s = keys_[k].hash & (capacity - 1);
    while (slots_[s] >= 0) s = (s + 1) & (capacity - 1);
    slots_[s] = static_cast<int>(k);
  }
  built_ = true;
}

int MemberTable::First(const char* name) const {
  if (name == nullptr) return -1;
  if (!built_) Build();
  char folded[kNameLimit];
  const std::size_t limit = std::min(longestName_, kNameLimit);
  uint32_t hash = kFnvOffset;
  std::size_t n = 0;
  for (; name[n] != '\0'; ++n) {
    if (n == limit) return -1;  // longer than every name here
    folded[n] = kutl::UpperAscii(name[n]);
    hash = Step(hash, folded[n]);
  }
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t s = hash & mask;; s = (s + 1) & mask) {
    const int k = slots_[s];
    if (k < 0) return -1;
    const Key& key = keys_[static_cast<std::size_t>(k)];
    if (key.hash == hash && key.name.size() == n && std::memcmp(key.name.data(), folded, n) == 0)
      return key.first;
  }
}

int MemberTable::FirstIndexed() const {
  if (!built_) Build();
  return firstIndexed_;
}

}  // namespace kfio
