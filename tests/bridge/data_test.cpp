// Dataset and worksheet wrappers against a recording host: the exact
// services they call, the blocks they pass and what they make of answers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "bridge/arrays.h"
#include "bridge/data.h"
#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/worksheet.h"

namespace kfio {
namespace {

using namespace std::string_literals;

// Answers the dataset services from one map of index -> value for every dataset, finds datasets of 5 elements
// (but "none") and the page "Data1", and records every call: its first argument, a lookup's name, a resize's
// block, the doubles of a pair or a parameter.
struct RecordingHost {
  struct Call { uint32_t op; uint64_t a; std::string name; SizeBlock size{}; double first = 0, second = 0; };
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
      case op::kFindColumnByName:
        if (a != 0) call.name = reinterpret_cast<const char*>(a);
        if (call.name == "none") return 0;
        if (opcode == op::kFindColumnByName)
          call.name += std::string("/") + reinterpret_cast<const char*>(reinterpret_cast<DatasetBlock*>(b)->cell[0]);
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
      case op::kNewTempDataset:
        call.name = reinterpret_cast<const char*>(b);
        call.first = reinterpret_cast<TempDatasetBlock*>(a)->size;
        return 88;
      case op::kGetPair:
        reinterpret_cast<PairBlock*>(b)->first = 1.0;
        reinterpret_cast<PairBlock*>(b)->second = 2.0;
        return 0;
      case op::kSetPair:
        call.first = reinterpret_cast<PairBlock*>(b)->first;
        call.second = reinterpret_cast<PairBlock*>(b)->second;
        return 0;
      case op::kSetText:
        call.name = reinterpret_cast<TextBlock*>(b)->text;
        call.first = reinterpret_cast<TextBlock*>(b)->index;
        return 0;
      case op::kSetParameter:
        call.first = *reinterpret_cast<double*>(b);
        return 0;
      case op::kValueAt:
        reinterpret_cast<ValueAtBlock*>(b)->result = reinterpret_cast<ValueAtBlock*>(b)->x * 10;
        return 0;
      case op::kGetRange:  // the host's extent is [1, 4)
        reinterpret_cast<RangeBlock*>(b)->from = 1;
        reinterpret_cast<RangeBlock*>(b)->to = 4;
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

  // A column by page and column name; either name empty asks nothing.
  XoData byName("Data1", "B");
  EXPECT_EQ(std::make_pair(host.Last(op::kFindColumnByName).name, byName.Handle()),
            std::make_pair(std::string("Data1/B"), uint64_t{77}));
  const int asked = host.Count(op::kFindColumnByName);
  XoData noColumn("Data1", ""), noPage("", "B");
  EXPECT_EQ(host.Count(op::kFindColumnByName), asked);

  XoData sized(XoData::TemporaryBySize{7, longName.c_str()});
  EXPECT_EQ(std::make_tuple(host.Last(op::kNewTempDataset).name, host.Last(op::kNewTempDataset).first,
                            sized.Handle(), sized.IsTemporary()),
            std::make_tuple(std::string(24, 'n'), 7.0, uint64_t{88}, true));

  // A wrapper with no dataset records 1000 under its own class name.
  TheHostLink() = {};
  XoKavlerWks nowhere("Data1");
  XoData temporary(XoData::TemporaryByRange{0, 2});
  XoTextData text(nowhere, 1);
  XoResultData result("r");
  const std::pair<XoData*, const char*> detached[] = {{&noColumn, "XoData"},       {&cut, nullptr},
                                                      {&temporary, "XoData"},      {&text, "XoTextData"},
                                                      {&result, "XoResultData"}};
  for (const auto& [data, className] : detached) {
    TheErrorLog().Clear();
    EXPECT_EQ(data->HasError(), className != nullptr);
    EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).text.value_or("-"), className ? className : "-");
  }
}

// Every arithmetic form over elements {3, -2, 0.5, 0, 8}; the recording host keeps one map for every dataset,
// so a form with a dataset argument meets x = y, and a new dataset's elements land in the same map.
TEST_F(Data, ArithmeticFormsNewAndInPlace) {
  using New = std::unique_ptr<XoData> (XoData::*)(double);
  using NewBy = std::unique_ptr<XoData> (XoData::*)(XoData&);
  using In = int (XoData::*)(double);
  using InBy = int (XoData::*)(XoData&);
  const double m = kMissingValue;
  const struct { const char* label; New make; NewBy makeBy; In in; InBy inBy; std::vector<double> out; } cases[] = {
      {"times 2", &XoData::Multiplied, nullptr, &XoData::Scale, nullptr, {6, -4, 1, 0, 16}},
      {"times itself", nullptr, &XoData::MultipliedBy, nullptr, &XoData::ScaleBy, {9, 4, 0.25, 0, 64}},
      {"plus 2", &XoData::Plus, nullptr, &XoData::Add, nullptr, {5, 0, 2.5, 2, 10}},
      {"plus itself", nullptr, &XoData::PlusData, nullptr, &XoData::AddData, {6, -4, 1, 0, 16}},
      {"minus 2", &XoData::Minus, nullptr, &XoData::Subtract, nullptr, {1, -4, -1.5, -2, 6}},
      {"minus itself", nullptr, &XoData::MinusData, nullptr, &XoData::SubtractData, {0, 0, 0, 0, 0}},
      {"over 2", &XoData::Divided, nullptr, &XoData::Shrink, nullptr, {1.5, -1, 0.25, 0, 4}},
      {"over itself", nullptr, &XoData::DividedBy, nullptr, &XoData::ShrinkBy, {1, 1, 1, m, 1}},
  };
  for (const auto& c : cases) {
    for (bool inPlace : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (inPlace ? " in place" : " new"));
      host.values = {{0, 3.0}, {1, -2.0}, {2, 0.5}, {3, 0.0}, {4, 8.0}};
      host.calls.clear();
      XoResultData d("d");
      std::unique_ptr<XoData> made;
      if (inPlace) {
        EXPECT_EQ(c.in ? (d.*c.in)(2.0) : (d.*c.inBy)(d), 0);
      } else {
        made = c.make ? (d.*c.make)(2.0) : (d.*c.makeBy)(d);
        EXPECT_TRUE(made->IsTemporary());
      }
      EXPECT_EQ(host.Count(op::kNewUnnamedTemp), inPlace ? 0 : 1);
      std::vector<double> out;
      for (const auto& [i, v] : host.values) out.push_back(v);
      EXPECT_EQ(out, c.out);
    }
  }

  host.values = {{0, 3.0}, {1, -2.0}};
  XoResultData d("d");
  EXPECT_EQ(d.Fill(7.0), 0);
  EXPECT_EQ(host.values, (std::map<int32_t, double>{{0, 7}, {1, 7}, {2, 7}, {3, 7}, {4, 7}}));

  // Assign takes the argument's range and values, and gives a temporary argument back to the host.
  host.values = {{1, 4.0}, {2, 5.0}};
  XoData source(XoData::TemporaryByRange{1, 3});
  host.calls.clear();
  EXPECT_EQ(d.Assign(source), 0);
  EXPECT_EQ(std::make_pair(d.RangeStart(), d.RangeEnd()), std::make_pair(1, 3));
  EXPECT_EQ(host.Last(op::kResize).size.from, 1);
  EXPECT_EQ(std::make_pair(host.Count(op::kSetElement), host.Count(op::kReleaseTemp)), std::make_pair(2, 1));
  host.failOp = op::kSetElement;
  EXPECT_EQ(d.Assign(source), 1);
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
  EXPECT_TRUE(d.HostRefused());

  // A pair goes to the host crossed, as it comes back.
  const double two[2] = {5.0, 6.0};
  EXPECT_EQ(d.SetPair(7, two), 0);
  EXPECT_EQ(std::make_pair(host.Last(op::kSetPair).first, host.Last(op::kSetPair).second), std::make_pair(6.0, 5.0));
  EXPECT_EQ(d.HighestWritten(), 7);
  host.failOp = op::kSetPair;
  EXPECT_EQ(d.SetPair(8, two), 1);
  host.failOp = op::kGetPair;
  EXPECT_EQ(d.GetPair(1, pair), 1);

  // The range the host reports clips the working range.
  EXPECT_TRUE(d.ClipRange(3));
  EXPECT_EQ(std::make_pair(d.RangeStart(), d.RangeEnd()), std::make_pair(1, 4));
  EXPECT_FALSE(d.ClipRange(4));
  d.SetRange(3, 3);
  EXPECT_TRUE(d.IsEmpty());
  d.SetParameter(2.5);
  EXPECT_EQ(host.Last(op::kSetParameter).first, 2.5);
  d.SetParameter2(-1.0);
  EXPECT_EQ(host.Last(op::kSetParameter).first, -1.0);
  d.Clear();
  EXPECT_EQ(std::make_tuple(host.Last(op::kResize).size.to, d.IsEmpty(), d.HighestWritten()),
            std::make_tuple(int64_t{0}, true, -1));
}

TEST_F(Data, ElementKindsTextsAndValueAt) {
  XoResultData d("d");
  // The element kind picks the service; a failed read gives the missing value.
  const struct { uint16_t kind; uint32_t get, set; } kinds[] = {
      {0, op::kGetElement, op::kSetElement}, {2, op::kGetElementAlt1, op::kSetElementAlt1},
      {4, op::kGetElementAlt2, op::kSetElementAlt2}, {6, op::kGetElementAlt1, op::kSetElementAlt1}};
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.kind);
    d.SetKind(k.kind);
    const double v = 2.0;
    host.failOp = 0;
    EXPECT_EQ(d.SetValueByKind(3, &v), 0);
    EXPECT_EQ(host.calls.back().op, k.set);
    d.GetValueByKind(3);
    EXPECT_EQ(host.calls.back().op, k.get);
    host.failOp = k.get;
    EXPECT_EQ(d.GetValueByKind(3), kMissingValue);
    host.failOp = k.set;
    EXPECT_EQ(d.SetValueByKind(9, &v), 1);
    EXPECT_EQ(d.HighestWritten(), 9);  // recorded before the host answers
  }

  host.failOp = 0;
  char buffer[kTextElementMax + 1] = "old";
  EXPECT_EQ(std::make_tuple(d.SetText(0, nullptr), d.GetText(0, nullptr), d.SetText(12, "t"), d.GetText(0, buffer)),
            std::make_tuple(1, 1, 0, 0));
  EXPECT_STREQ(buffer, "");  // emptied before the host is asked
  EXPECT_EQ(d.HighestWritten(), 12);
  host.failOp = op::kSetText;
  EXPECT_EQ(d.SetText(13, "t"), 1);
  host.failOp = op::kGetText;
  EXPECT_EQ(d.GetText(0, buffer), 1);

  const double x = 0.25;
  host.failOp = 0;
  EXPECT_EQ(d.ValueAt(&x), 2.5);
  host.failOp = op::kValueAt;
  EXPECT_EQ(d.ValueAt(&x), kMissingValue);
  TheHostLink() = {};
  EXPECT_EQ(d.ValueAt(&x), kMissingValue);
  double out[2] = {1, 1};
  d.GetValues(0, out, 2);
  EXPECT_EQ(std::make_pair(out[0], out[1]), std::make_pair(kMissingValue, kMissingValue));
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

// One source dataset per name; a name the host does not know, or an element with no name, leaves a gap.
TEST_F(Data, SourceVectorFromNames) {
  XoDataNameVec names;
  names.SetElementString("a", 0);
  names.SetElementString("b", 1);
  XoDataVec found(names);
  EXPECT_EQ(std::make_tuple(found.Count(), host.calls.size(), host.calls[1].name, found.Data(1)->Handle(),
                            found.Data(2), found.HasError()),
            std::make_tuple(2, size_t{2}, std::string("b"), uint64_t{77}, nullptr, false));

  names.SetElementString("none", 1);
  XoDataVec unknown(names);
  names.SetCount(3, access::kAssignCount);
  XoDataVec unnamed(names);
  for (XoDataVec* v : {&unknown, &unnamed}) {
    TheErrorLog().Clear();
    EXPECT_TRUE(v->HasError());
    EXPECT_EQ(std::make_pair(TheErrorLog().LastErrorId(), TheErrorLog().At(TheErrorLog().Position()).text.value_or("")),
              std::make_pair(105, std::string("XoDataVec")));
  }

  struct Overfull : XoDataNameVec {
    Overfull() { count_ = kCapacity + 1; }
  } overfull;
  XoDataVec none(overfull);
  EXPECT_EQ(std::make_pair(none.Count(), TheErrorLog().LastErrorId()), std::make_pair(0, 100));
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
  EXPECT_EQ(page.SetCellText(2, 4, "t"), 0);
  EXPECT_EQ(std::make_pair(host.Last(op::kSetText).name, host.Last(op::kSetText).first), std::make_pair("t"s, 4.0));

  TheHostLink() = {};  // no dataset for the column
  TheErrorLog().Record(0, nullptr);
  EXPECT_EQ(page.SetCellText(2, 4, "t"), 1);
  EXPECT_EQ(TheErrorLog().LastErrorId(), 777);
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
