// Tests of the host's own objects: dataset storage and sizing, page columns,
// and the naming rules of the workspace.
#include <gtest/gtest.h>

#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "host/workspace.h"

namespace refhost {
namespace {

constexpr double kMissing = kfio::kMissingValue;

TEST(HostDatasetTest, WritesPastTheEndGrowButOnlyResizeSetsTheSize) {
  HostDataset d("d");
  const int32_t far = 3 * BlockStore::kBlockSize + 5;  // skips whole blocks
  for (int32_t i : {0, 17, BlockStore::kBlockSize, far}) EXPECT_TRUE(d.SetValue(i, i + 0.5));
  EXPECT_FALSE(d.SetValue(-1, 1.0));
  EXPECT_TRUE(d.SetText(HostDataset::kMaxSize - 1, "last"));  // the highest index there is
  EXPECT_EQ(d.Size(), 0);
  EXPECT_EQ(d.Value(0), kMissing);  // outside [0, size)

  ASSERT_TRUE(d.Resize(far + 1));
  const struct { int32_t index; double value; } cases[] = {
      {0, 0.5}, {1, kMissing}, {17, 17.5}, {18, kMissing}, {BlockStore::kBlockSize, BlockStore::kBlockSize + 0.5},
      {2 * BlockStore::kBlockSize, kMissing}, {far, far + 0.5}, {far + 1, kMissing}};
  for (const auto& c : cases) EXPECT_EQ(d.Value(c.index), c.value) << c.index;

  // Shrinking forgets, within a block and whole blocks: a write past the end
  // or growing again shows the missing value, never stale data.
  for (int32_t i = 0; i < 20; ++i) d.SetValue(i, i);
  ASSERT_TRUE(d.Resize(5));
  d.SetValue(12, 12.5);
  ASSERT_TRUE(d.Resize(far + 1));
  EXPECT_FALSE(d.Resize(-1));
  for (int32_t i : {4, 5, 11, 12, 13, 19, far})
    EXPECT_EQ(d.Value(i), i == 4 ? 4.0 : i == 12 ? 12.5 : kMissing) << i;
}

TEST(HostPageTest, AddedColumnsTakeTheFirstFreeLetterNameAndRowsSizeEveryColumn) {
  HostPage page("W", 3);
  // Each change, then the name the next unnamed column gets.
  const struct { std::function<bool(HostPage&)> change; const char* added; } steps[] = {
      {[](HostPage& p) { return p.RemoveColumn(2); }, "B"}, {[](HostPage& p) { return p.RenameColumn(1, "x"); }, "A"},
      {[](HostPage& p) { return p.AddColumn("d"); }, "E"},  // "d" takes D, whatever the case
      {[](HostPage& p) { return p.RenameColumn(p.FindColumn("d"), "y"); }, "D"},
      {[](HostPage& p) { return p.RenameColumn(p.FindColumn("E"), "AA"); }, "E"},
  };
  for (const auto& step : steps) {
    ASSERT_TRUE(step.change(page)) << step.added;
    ASSERT_TRUE(page.AddColumn());
    EXPECT_EQ(page.ColumnName(page.ColumnCount()), step.added);
  }
  EXPECT_TRUE(page.AddColumn());
  EXPECT_EQ(page.ColumnName(page.ColumnCount()), "F");
  EXPECT_TRUE(page.RenameColumn(1, "X"));  // its own name in another case

  page.Column(1)->SetValue(4, 1.0);
  page.Column(1)->Resize(5);
  page.Column(3)->Resize(7);  // the longest column sets the count, wherever it stands
  EXPECT_EQ(page.RowCount(), 7);
  EXPECT_TRUE(page.SetRowCount(2));
  for (int c = 1; c <= page.ColumnCount(); ++c) EXPECT_EQ(page.Column(c)->Size(), 2);
}

TEST(HostPageTest, AWidePageIsNamedInLinearTime) {
  ::alarm(30);  // naming once took hours for this many columns
  const HostPage page("Q", 20000);
  ::alarm(0);
  const std::pair<int, const char*> names[] = {
      {1, "A"}, {26, "Z"}, {27, "AA"}, {52, "AZ"}, {53, "BA"}, {702, "ZZ"}, {703, "AAA"}, {20000, "ACOF"}};
  for (const auto& [column, name] : names) EXPECT_EQ(page.ColumnName(column), name);
  EXPECT_EQ(page.Column(20000)->Name(), "Q_ACOF");
}

TEST(WorkspaceTest, NamesFindOrMakeDatasets) {
  Workspace ws;
  HostPage *w = ws.NewPage("W", 2), *wx = ws.NewPage("w_x", 1);
  ASSERT_TRUE(w && wx);
  EXPECT_TRUE(ws.NewPage("w", 1) == nullptr && ws.NewPage("", 1) == nullptr);
  EXPECT_EQ(ws.FindPage("W_X"), wx);

  EXPECT_EQ(ws.FindDataset("w_b"), w->Column(2));
  EXPECT_EQ(ws.FindDataset("W_X_A"), wx->Column(1));
  EXPECT_EQ(ws.FindDataset("W_Data"), nullptr);  // finding makes nothing
  EXPECT_EQ(w->ColumnCount(), 2);

  const struct { const char* name; const char* made; int wColumns, wxColumns; } cases[] = {
      {"W_Data", "W_Data", 3, 1},  // an existing page gets the column
      {"w_x_y", "w_x_y", 3, 2},    // the longest page name wins
      {"W_", "W_", 3, 2},          // no column name: free-standing
      {"free", "free", 3, 2}, {"FREE", "free", 3, 2}, {"Q_r", "Q_r", 3, 2}};  // found again; no page Q
  for (const auto& c : cases) {
    HostDataset* d = ws.FindOrMake(c.name);
    ASSERT_NE(d, nullptr) << c.name;
    EXPECT_EQ(d->Name(), c.made);
    EXPECT_EQ(w->ColumnCount(), c.wColumns) << c.name;
    EXPECT_EQ(wx->ColumnCount(), c.wxColumns) << c.name;
  }
  EXPECT_EQ(ws.FindOrMake(""), nullptr);
  EXPECT_TRUE(ws.NewDataset("w_a") == nullptr && ws.NewDataset("Free") == nullptr);  // a column's name; taken
  std::vector<std::string> names;
  for (const HostDataset* d : ws.Datasets()) names.push_back(d->Name());
  EXPECT_EQ(names, (std::vector<std::string>{"W_", "free", "Q_r"}));
}

}  // namespace
}  // namespace refhost
