// Tests of CPtrList across several node blocks.
#include <gtest/gtest.h>

#include <vector>

#include "platform/ptr_list.h"

namespace kfio {
namespace {

std::vector<int> Walk(CPtrList& list, bool forward = true) {
  std::vector<int> out;
  for (POSITION pos = forward ? list.GetHeadPosition() : list.GetTailPosition(); pos != nullptr;)
    out.push_back(*static_cast<int*>(forward ? list.GetNext(pos) : list.GetPrev(pos)));
  return out;
}

TEST(CPtrList, AddRemoveFindAcrossBlocks) {
  int v[25];
  CPtrList list;
  EXPECT_EQ(list.RemoveHead(), nullptr);
  EXPECT_EQ(list.RemoveTail(), nullptr);
  std::vector<POSITION> at(25);
  for (int i = 1; i < 25; ++i) v[i] = i, at[i] = list.AddTail(&v[i]);
  v[0] = 0, at[0] = list.AddHead(&v[0]);
  EXPECT_EQ(list.GetCount(), 25);
  EXPECT_EQ(list.Find(&v[17]), at[17]);
  EXPECT_EQ(list.Find(&v[3], at[3]), nullptr);  // only after the start
  EXPECT_EQ(list.Find(&v[3], at[2]), at[3]);
  EXPECT_EQ(list.Find(&list), nullptr);

  list.RemoveAt(at[12]);
  EXPECT_EQ(list.RemoveHead(), &v[0]);
  EXPECT_EQ(list.RemoveTail(), &v[24]);
  // Freed nodes are reused without disturbing the order, either way.
  list.GetAt(at[13]) = &v[12];
  EXPECT_EQ(list.GetAt(list.AddTail(&v[0])), &v[0]);
  const std::vector<int> expect = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 0};
  EXPECT_EQ(Walk(list), expect);
  EXPECT_EQ(Walk(list, false), std::vector<int>(expect.rbegin(), expect.rend()));

  list.RemoveAll();
  EXPECT_TRUE(list.IsEmpty() && list.GetHeadPosition() == nullptr && list.GetTailPosition() == nullptr);
  list.AddHead(&v[5]);
  list.AddHead(&v[4]);
  EXPECT_EQ(Walk(list), (std::vector<int>{4, 5}));
}

}  // namespace
}  // namespace kfio
