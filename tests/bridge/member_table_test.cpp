// The member table's name index: any case finds a name, alternate entries of
// one name come in table order, and nothing else is found.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/member_table.h"
#include "bridge/properties.h"

namespace kfio {
namespace {

std::vector<int> Chain(const MemberTable& t, const char* name) {
  std::vector<int> found;
  for (int i = t.First(name); i >= 0; i = t.Next(i)) found.push_back(i);
  return found;
}

TEST(MemberTable, FindsEveryEntryOfANameInAnyCase) {
  XoInt a, b;
  XoString c;
  MemberTable t{{&a, "NBYTES"}, {&b, "SKIP"}, {&c, "NBYTES"}, {&a, "NBYTE"}, {&b, "A1"}};
  const std::pair<const char*, std::vector<int>> cases[] = {
      {"NBYTES", {0, 2}}, {"nBytes", {0, 2}}, {"nbyte", {3}},  {"skip", {1}},
      {"a1", {4}},        {"NBYTESX", {}},    {"NBYTE ", {}},  {"", {}},
      {"\xE9", {}},       {"SKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIPSKIP", {}},
  };
  for (const auto& [name, positions] : cases) EXPECT_EQ(Chain(t, name), positions) << name;
  EXPECT_EQ(t.First(nullptr), -1);

  // Many names: each found once.
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("NAME" + std::to_string(i));
  MemberTable many;
  for (const std::string& n : names) many.push_back({&a, n.c_str()});
  for (int i = 0; i < 300; ++i) EXPECT_EQ(Chain(many, names[static_cast<std::size_t>(i)].c_str()), std::vector<int>{i});
}

}  // namespace
}  // namespace kfio
