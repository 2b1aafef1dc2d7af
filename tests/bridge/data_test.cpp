// Dataset and worksheet wrappers against a recording host: the exact
// services they call, the blocks they pass and what they make of answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bridge/data.h"
#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/worksheet.h"

namespace kfio {
namespace {

// Answers the dataset services from one map of index -> value for every dataset, finds datasets of 5 elements
// and the page "Data1", and records every call: its first argument, a lookup's name, a resize's block.
struct RecordingHost {
  struct Call { uint32_t op; uint64_t a; std::string name; SizeBlock size{}; };
  std::vector<Call> calls;
  std::map<int32_t, double> values;
  bool text = false;
  uint32_t failOp = 0;

  static uint64_t Serve(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) {
    auto& self = *reinterpret_cast<RecordingHost*>(context);
    Call& call = self.calls.emplace_back(Call{opcode, a, {}, {}});
    if (opcode == self.failOp) return 1;
    switch (opcode) {
      case op::kFindDataset:
        if (a != 0) call.name = reinterpret_cast<const char*>(a);
        [[fallthrough]];
      case op::kFindColumnByNumber:
      case op::kNewUnnamedTemp:
        if (b != 0) {
          auto* block = reinterpret_cast<DatasetBlock*>(b);
          block->cell[0] = block->cell[2] = 0;
          block->cell[1] = block->cell[3] = 5;
        }
        return 77;
      case op::kSetElement:
        self.values[reinterpret_cast<ElementBlock*>(b)->index] = reinterpret_cast<ElementBlock*>(b)->value;
        return 0;
      case op::kGetElement: {
        auto* e = reinterpret_cast<ElementBlock*>(b);
        auto it = self.values.find(e->index);
        if (it == self.values.end()) return 1;
        e->value = it->second;
        return 0;
      }
      case op::kResize:
        call.size = *reinterpret_cast<SizeBlock*>(b);
        return 0;
      case op::kGetPair:
        reinterpret_cast<PairBlock*>(b)->first = 1.0;
        reinterpret_cast<PairBlock*>(b)->second = 2.0;
        return 0;
      case op::kIsText:
        return self.text ? 1 : 0;
      case op::kFindPage:
        return std::strcmp(reinterpret_cast<const char*>(b), "Data1") == 0 ? 500 : 0;
      case op::kColumnName:
        std::strcpy(reinterpret_cast<char*>(b), "B");
        return 0;
      case op::kQueryColumn:
        reinterpret_cast<ColumnQueryBlock*>(b)->one = 0;
        return 0;
    }
    return 0;
  }

  int Count(uint32_t opcode) const {
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [=](const Call& c) { return c.op == opcode; }));
  }
  const Call& Last(uint32_t opcode) const {
    return *std::find_if(calls.rbegin(), calls.rend(), [=](const Call& c) { return c.op == opcode; });
  }
};

class Data : public ::testing::Test {
 protected:
  Data() {
    TheHostLink().callback = &RecordingHost::Serve;
    TheHostLink().context = reinterpret_cast<uint64_t>(&host);
  }
  ~Data() override { TheHostLink() = {}; }
  RecordingHost host;
};

TEST_F(Data, FinishResizesOnceToCoverWhatWasWritten) {
  // The elements [writeFrom, writeTo) written; the resizes after, and the size asked.
  const struct { const char* label; int32_t writeFrom, writeTo; int resizes; int64_t to; } cases[] = {
      {"written past the end", 0, 10, 1, 10}, {"nothing written, nothing resized", 0, 0, 0, 0},
      {"written inside: the extent stays", 2, 3, 1, 5}, {"one just past the end", 5, 6, 1, 6}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    host.calls.clear();
    {
      XoResultData d("d");
      EXPECT_EQ(std::make_pair(d.RangeStart(), d.RangeEnd()), std::make_pair(0, 5));
      for (int32_t i = c.writeFrom; i < c.writeTo; ++i) EXPECT_EQ(d.SetValue(i, i * 1.5), 0);
      EXPECT_EQ(host.Count(op::kResize), 0);
    }
    ASSERT_EQ(host.Count(op::kResize), c.resizes);
    if (c.resizes == 0) continue;
    const SizeBlock& size = host.Last(op::kResize).size;
    EXPECT_EQ(std::make_tuple(size.from, size.to, size.format), std::make_tuple(int64_t{0}, c.to, 32770u));
  }
}

TEST_F(Data, LookupsAndDetachedWrappers) {
  XoSourceData empty("");
  EXPECT_TRUE(host.calls.empty());  // a source named "" is not looked up
  EXPECT_EQ((std::tuple{empty.IsAttached(), empty.SetValue(0, 1.0), empty.GetValue(0), empty.HasError()}),
            (std::tuple{false, 1, kMissingValue, true}));
  EXPECT_EQ(TheErrorLog().LastErrorId(), 1000);

  XoResultData unnamed(nullptr);
  EXPECT_EQ(host.Last(op::kFindDataset).a, 0u);  // without must-exist a null name asks with 0
  EXPECT_TRUE(unnamed.IsAttached());

  const std::string longName(40, 'n');
  XoResultData cut(longName.c_str());
  EXPECT_EQ(host.Last(op::kFindDataset).name, std::string(24, 'n'));  // cut to the host's limit
}

TEST_F(Data, ElementsPairsAndRanges) {
  XoResultData d("d");
  d.SetValue(1, 4.0);
  EXPECT_EQ(d.GetValue(1), 4.0);
  EXPECT_EQ(d.GetValue(3), kMissingValue);  // the host refuses: missing value

  double pair[2] = {0, 0};
  EXPECT_EQ(d.GetPair(9, pair), 0);
  EXPECT_EQ(std::make_pair(pair[0], pair[1]), std::make_pair(2.0, 1.0));  // the host's second double comes first
  EXPECT_EQ(d.GetPairInRange(5, pair), 1);  // range end is outside
  const int asked = host.Count(op::kGetPair);
  EXPECT_EQ(d.GetPairInRange(4, pair), 0);
  EXPECT_EQ(host.Count(op::kGetPair), asked + 1);

  host.failOp = op::kSetElement;
  EXPECT_EQ(d.SetValue(2, 1.0), 1);
}

TEST_F(Data, DivisionGuard) {
  const struct { double x, y, expected; } cases[] = {
      {1.0, 1e-309, kMissingValue}, {1e-300, 1e-10, 1e-290}, {6.0, 3.0, 2.0},
      {0.0, 0.0, kMissingValue},    {-4.0, 0.5, -8.0},       {1e300, 1e-9, kMissingValue}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(GuardedDivide(c.x, c.y), c.expected) << c.x << "/" << c.y;

  host.values = {{0, 2.0}, {1, 4.0}, {2, 1e300}, {3, 0.0}, {4, -6.0}};
  XoResultData d("d");
  EXPECT_EQ(d.Shrink(1e-9), 0);
  EXPECT_DOUBLE_EQ(host.values[0], 2e9);
  EXPECT_EQ(std::make_pair(host.values[2], host.values[3]), std::make_pair(kMissingValue, 0.0));
}

TEST_F(Data, ArithmeticMakesTemporaries) {
  host.values = {{0, 1.0}, {1, 2.0}, {2, 3.0}, {3, 4.0}, {4, 5.0}};
  XoResultData d("d");
  std::unique_ptr<XoData> twice = d.Multiplied(2.0);
  EXPECT_TRUE(twice->IsTemporary());
  EXPECT_EQ(host.Count(op::kNewUnnamedTemp), 1);
  EXPECT_EQ(host.values[4], 10.0);  // the recording host keeps one map for all
  d.Add(1.0);
  EXPECT_EQ(host.values[0], 3.0);
  twice->Release();
  EXPECT_EQ(host.Count(op::kReleaseTemp), 1);
}

TEST_F(Data, WorksheetPages) {
  XoKavlerWks missing("Nope");
  EXPECT_EQ(std::make_pair(missing.IsValid(), missing.ColumnCount()), std::make_pair(false, 0));
  EXPECT_EQ(TheErrorLog().LastErrorId(), 779);

  XoKavlerWks page("Data1");
  ASSERT_TRUE(page.IsValid());
  EXPECT_EQ(page.Handle(), 500u);
  EXPECT_STREQ(page.PageName(), "Data1");
  char name[64];
  EXPECT_EQ(page.ColumnDatasetName(name, sizeof name, 2), 0);
  EXPECT_STREQ(name, "Data1_B");
  // Column 0 never reaches the host.
  EXPECT_EQ((std::tuple{page.SetColumnValue(0, 9), page.QueryColumn(0), page.QueryColumn(2)}), (std::tuple{1, 1, 0}));

  host.text = true;
  EXPECT_EQ(page.SetCellValue(1, 0, 3.0), 1);  // a text column refuses numbers
  EXPECT_EQ(TheErrorLog().LastErrorId(), 777);
  host.text = false;
  EXPECT_EQ(page.SetCellValue(1, 7, 3.0), 0);
  EXPECT_EQ(host.values[7], 3.0);
  EXPECT_EQ(host.Last(op::kResize).size.to, 8);  // the cell's wrapper grew the column
}

TEST_F(Data, NoHostMeansNoDataset) {
  TheHostLink() = {};
  XoResultData d("d");
  EXPECT_EQ(std::make_pair(d.IsAttached(), d.GetValue(0)), std::make_pair(false, kMissingValue));
  char text[kTextElementMax + 1] = "left";
  EXPECT_EQ(d.GetText(0, text), 0);
  EXPECT_STREQ(text, "");
  const double v = 1.0;
  EXPECT_EQ(d.SetValueByKind(4, &v), 0);
  EXPECT_EQ(d.HighestWritten(), 4);  // recorded even without a host
}

}  // namespace
}  // namespace kfio
