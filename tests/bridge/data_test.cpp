// The dataset wrappers the methods use, against a recording host: the services they call and the blocks they pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "bridge/data.h"
#include "bridge/error_log.h"
#include "bridge/host_services.h"
#include "bridge/worksheet.h"

namespace kfio {
namespace {

// Finds datasets of 5 elements (temporaries too), keeps one map of index -> value for every dataset and every
// element kind, fails the service failOp, and records every call with a lookup's name or a resize's block.
struct RecordingHost {
  struct Call { uint32_t op; uint64_t a; std::string name; SizeBlock size{}; };
  std::vector<Call> calls;
  std::map<int32_t, double> values;
  uint32_t failOp = 0;

  static uint64_t Serve(uint64_t context, uint32_t opcode, uint64_t a, uint64_t b) {
    auto& self = *reinterpret_cast<RecordingHost*>(context);
    Call& call = self.calls.emplace_back(Call{opcode, a, {}});
    if (opcode == self.failOp) return 1;
    auto* element = reinterpret_cast<ElementBlock*>(b);
    switch (opcode) {
      case op::kFindDataset:
        if (a != 0) call.name = reinterpret_cast<const char*>(a);
        [[fallthrough]];
      case op::kNewUnnamedTemp:
        if (auto* block = reinterpret_cast<DatasetBlock*>(b)) {
          block->cell[0] = block->cell[2] = 0;
          block->cell[1] = block->cell[3] = 5;
        }
        return 77;
      case op::kResize: call.size = *reinterpret_cast<SizeBlock*>(b); return 0;
      case op::kSetElement: case op::kSetElementAlt1: case op::kSetElementAlt2:
        self.values[element->index] = element->value;
        return 0;
      case op::kGetElement: case op::kGetElementAlt1: case op::kGetElementAlt2: {
        const auto it = self.values.find(element->index);
        if (it == self.values.end()) return 1;
        element->value = it->second;
        return 0;
      }
      case op::kValueAt:
        reinterpret_cast<ValueAtBlock*>(b)->result = reinterpret_cast<ValueAtBlock*>(b)->x * 10;
        return 0;
    }
    return 0;
  }
  long Count(uint32_t opcode) const {
    return std::count_if(calls.begin(), calls.end(), [=](const Call& c) { return c.op == opcode; });
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
  const struct { const char* label; int32_t writeFrom, writeTo; long resizes; int64_t to; } cases[] = {
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
  XoResultData cut(std::string(40, 'n').c_str());
  EXPECT_EQ(host.Last(op::kFindDataset).name, std::string(24, 'n'));  // cut to the host's limit

  // With no host a wrapper has no dataset, and records 1000 under its own class name.
  TheHostLink() = {};
  XoKavlerWks nowhere("Data1");
  XoTextData text(nowhere, 1);
  XoResultData result("r");
  EXPECT_EQ(std::make_pair(result.IsAttached(), result.GetValue(0)), std::make_pair(false, kMissingValue));
  const std::pair<XoData*, const char*> detached[] = {
      {&cut, nullptr}, {&text, "XoTextData"}, {&result, "XoResultData"}};
  for (const auto& [data, className] : detached) {
    TheErrorLog().Clear();
    EXPECT_EQ(data->HasError(), className != nullptr);
    EXPECT_EQ(TheErrorLog().At(TheErrorLog().Position()).text.value_or("-"), className ? className : "-");
  }
}

// Every arithmetic form, new and in place, over the elements {3, -2, 0.5, 0, 8}: the one map makes a form with a
// dataset argument meet x = y, and a new dataset's elements land in the same map.
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
      {"over 1e-9 (guarded)", &XoData::Divided, nullptr, &XoData::Shrink, nullptr, {3e9, -2e9, 5e8, 0, 8e9}}};
  for (const auto& c : cases) {
    for (bool inPlace : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (inPlace ? " in place" : " new"));
      host.values = {{0, 3.0}, {1, -2.0}, {2, 0.5}, {3, 0.0}, {4, 8.0}};
      host.calls.clear();
      const double by = std::string(c.label).ends_with("(guarded)") ? 1e-9 : 2.0;
      XoResultData d("d");
      std::unique_ptr<XoData> made;
      if (inPlace) {
        EXPECT_EQ(c.in ? (d.*c.in)(by) : (d.*c.inBy)(d), 0);
      } else {
        made = c.make ? (d.*c.make)(by) : (d.*c.makeBy)(d);
        EXPECT_TRUE(made->IsTemporary());
      }
      EXPECT_EQ(host.Count(op::kNewUnnamedTemp), inPlace ? 0 : 1);
      std::vector<double> out;
      for (const auto& [i, v] : host.values) out.push_back(v);
      for (std::size_t i = 0; i < out.size(); ++i) EXPECT_DOUBLE_EQ(out[i], c.out[i]) << i;
    }
  }
  const struct { double x, y, quotient; } guarded[] = {
      {1.0, 1e-309, m}, {1e-300, 1e-10, 1e-290}, {0.0, 0.0, m}, {-4.0, 0.5, -8.0}, {1e300, 1e-9, m}};
  for (const auto& g : guarded) EXPECT_DOUBLE_EQ(GuardedDivide(g.x, g.y), g.quotient) << g.x << "/" << g.y;
}

// The element kind picks the service; a failed read gives the missing value; ValueAt asks the host.
TEST_F(Data, ElementKindsAndValueAt) {
  XoResultData d("d");
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
    EXPECT_EQ(d.GetValueByKind(3), 2.0);
    EXPECT_EQ(host.calls.back().op, k.get);
    host.failOp = k.get;
    EXPECT_EQ(d.GetValueByKind(3), kMissingValue);
    host.failOp = k.set;
    EXPECT_EQ(d.SetValueByKind(9, &v), 1);
    EXPECT_EQ(d.HighestWritten(), 9);  // recorded before the host answers
  }
  const double x = 0.25;
  host.failOp = 0;
  EXPECT_EQ(d.ValueAt(&x), 2.5);
  host.failOp = op::kValueAt;
  EXPECT_EQ(d.ValueAt(&x), kMissingValue);
}

}  // namespace
}  // namespace kfio
