// Tests of the host services the module tests do not reach through XODLL:
// what a module should never send, the limits, failure answers, and the
// dataset services whose module side is tested against a recording host.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "host/ref_host.h"

namespace refhost {
namespace {

namespace op = kfio::op;
constexpr double kMissing = kfio::kMissingValue;
uint64_t Addr(const void* p) { return reinterpret_cast<uint64_t>(p); }

// A reference host without a module, called through its trampoline as a module would call it.
class Services : public ::testing::Test {
 protected:
  uint64_t Call(uint32_t opcode, uint64_t a, uint64_t b) { return RefHost::Trampoline(Addr(&host), opcode, a, b); }
  uint64_t Find(const char* name) { return Call(op::kFindDataset, Addr(name), Addr(&block)); }
  uint64_t Set(uint64_t h, int32_t i, double v, uint32_t opcode = op::kSetElement) {
    kfio::ElementBlock e{i, 0, v};
    return Call(opcode, h, Addr(&e));
  }
  double Get(uint64_t h, int32_t i) {
    kfio::ElementBlock e{i, 0, -99.0};
    return Call(op::kGetElement, h, Addr(&e)) == 0 ? e.value : -99.0;
  }
  uint64_t Resize(uint64_t h, int64_t to) {
    kfio::SizeBlock s{0, to, kfio::kResizeFormat};
    return Call(op::kResize, h, Addr(&s));
  }
  RefHost host{nullptr};
  kfio::DatasetBlock block{{-7, -7, -7, -7}};
};

TEST_F(Services, RefusalsOfStringVariablesNumbersAndUnknownOpcodes) {
  EXPECT_EQ(Call(op::kSetStringVar, Addr("x"), 26), 1u);
  host.SetStringVar('B', std::string(kfio::kHostStringBuffer + 10, 'x'));
  std::vector<char> buffer(kfio::kHostStringBuffer, '#');
  EXPECT_EQ(Call(op::kGetStringVar, Addr(buffer.data()), 1), 0u);
  EXPECT_EQ(std::strlen(buffer.data()), kfio::kHostStringBuffer - 1);  // cut to fit the host buffer
  EXPECT_EQ(Call(op::kGetStringVar, Addr(buffer.data()), 26), 1u);
  EXPECT_EQ(Call(op::kGetStringVar, 0, 0), 1u);
  double value = -99.0;
  EXPECT_EQ(Call(op::kEvaluate, Addr("unknown"), Addr(&value)), 1u);
  EXPECT_EQ(value, 0.0);
  EXPECT_EQ(Call(op::kEvaluate, 0, Addr(&value)) + Call(op::kEvaluate, Addr("1"), 0), 2u);
  kfio::FormatBlock nowhere{nullptr, "*"};
  EXPECT_EQ(Call(op::kFormatNumber, Addr(&value), Addr(&nowhere)), 1u);
  EXPECT_EQ(Call(5, 0, 0), 1u);
  EXPECT_EQ(host.unknownOpcodes, std::vector<uint32_t>{5});
}

// A service that throws (out of memory, anything) must not unwind through
// the module: it answers failure, 0 where the answer is a handle or count.
TEST_F(Services, AServiceThatThrowsAnswersFailure) {
  HostDataset* d = host.NewDataset("d");
  d->Resize(1);
  kfio::ElementBlock element{0, 0, 5.0};
  host.serviceProbe = [](uint32_t opcode) {
    if (opcode == op::kFindDataset) throw 42;
    throw std::bad_alloc();
  };
  const struct { uint32_t opcode; uint64_t a, b, answer; } cases[] = {
      {op::kSetElement, Addr(d), Addr(&element), 1}, {op::kPrintLine, Addr("x"), 0, 1},
      {op::kFindDataset, Addr("d"), Addr(&block), 0}, {op::kColumnCount, 1, 0, 0},
      {op::kCheckText, Addr(","), 0, ~uint64_t{0}}};
  for (const auto& c : cases) EXPECT_EQ(Call(c.opcode, c.a, c.b), c.answer) << c.opcode;
  host.serviceProbe = nullptr;
  EXPECT_EQ(d->Value(0), kMissing);
  EXPECT_TRUE(host.output.empty());
}

TEST_F(Services, LookupsOfWhatIsNotThereMakeNothing) {
  HostPage* w = host.NewPage("Wave", 2);
  for (int64_t cell0 : {int64_t{3}, int64_t{0}}) {
    block.cell[0] = cell0;
    EXPECT_EQ(Call(op::kFindColumnByNumber, Addr("Wave"), Addr(&block)), 0u) << cell0;
  }
  EXPECT_EQ(Call(op::kFindColumnByName, Addr("Wave"), Addr(&block)), 0u);  // cell 0 holds no name
  EXPECT_EQ(Find(""), 0u);
  EXPECT_EQ(Call(op::kFindDataset, 0, Addr(&block)), 0u);
  EXPECT_EQ(w->ColumnCount(), 2);
}

TEST_F(Services, TemporariesAreMadeAndReleased) {
  kfio::TempDatasetBlock request{5, 0, "scratch"};
  const uint64_t named = Call(op::kNewTempDataset, Addr(&request), Addr(request.name));
  ASSERT_NE(named, 0u);
  ASSERT_NE(Call(op::kNewUnnamedTemp, 0, 0), 0u);
  EXPECT_EQ(reinterpret_cast<HostDataset*>(named)->Size(), 5);
  EXPECT_EQ(reinterpret_cast<HostDataset*>(named)->Name(), "scratch");
  EXPECT_EQ(host.Dataset("scratch"), nullptr);
  EXPECT_EQ(host.LiveTemporaries(), 2u);
  EXPECT_EQ(Call(op::kReleaseTemp, named, 0), 0u);
  // Released twice, a user's dataset, none: refused.
  for (uint64_t h : {named, Find("kept"), uint64_t{0}}) EXPECT_EQ(Call(op::kReleaseTemp, h, 0), 1u) << h;
  EXPECT_EQ(host.LiveTemporaries(), 1u);
  EXPECT_EQ(Resize(named, 3), 1u);  // the module may still size a released one; the host refuses, safely
}

TEST_F(Services, RangeParameterAndNothingPastTheMaximumLength) {
  constexpr int32_t kMax = 134'217'728;  // the maximum docs/host.md gives
  const uint64_t h = Find("big");
  EXPECT_EQ(Resize(h, kMax), 0u);
  EXPECT_EQ(Set(h, kMax - 1, 2.0), 0u);
  EXPECT_EQ(Get(h, kMax - 1), 2.0);
  Set(h, 3, 1.5);
  Resize(h, 7);
  HostPage* page = host.NewPage("P", 1);
  page->SetRowCount(2);
  kfio::PairBlock pair{kMax, 0, 1.0, 2.0};
  kfio::TextBlock text{kMax, 0, "1"};
  kfio::TempDatasetBlock temp{static_cast<uint32_t>(kMax) + 1, 0, "t"};
  kfio::ElementBlock element{0, 0, 1.0};
  const std::pair<const char*, uint64_t> refused[] = {
      {"resize", Resize(h, int64_t{kMax} + 1)}, {"resize to 2^31 - 1", Resize(h, INT32_MAX)},
      {"size -1", Resize(h, -1)}, {"element", Set(h, kMax, 1.0)}, {"element -1", Set(h, -1, 1.0)},
      {"element at 2^31 - 1", Set(h, INT32_MAX, 1.0, op::kSetByte)}, {"no dataset", Set(0, 0, 1.0)},
      {"no block", Call(op::kSetElement, h, 0)}, {"no block for a read", Call(op::kGetElement, h, 0)},
      {"no element block", Call(op::kGetElement, 0, Addr(&element))},
      {"pair", Call(op::kSetPair, h, Addr(&pair))}, {"text", Call(op::kSetText, h, Addr(&text))},
      {"row count", Call(op::kSetRowCount, Addr(page), static_cast<uint64_t>(kMax) + 1)}};
  for (const auto& [what, answer] : refused) EXPECT_EQ(answer, 1u) << what;
  EXPECT_EQ(Call(op::kNewTempDataset, Addr(&temp), Addr(temp.name)), 0u);
  const HostDataset* d = host.Dataset("big");
  EXPECT_EQ(std::make_tuple(d->Size(), d->Value(3), d->IsText()), std::make_tuple(7, 1.5, false));
  EXPECT_EQ(page->Column(1)->Size(), 2);
  EXPECT_EQ(host.LiveTemporaries(), 0u);

  kfio::RangeBlock range{-1, -1, -1, -1};
  EXPECT_EQ(Call(op::kGetRange, h, Addr(&range)), 0u);
  EXPECT_EQ(std::vector<int32_t>({range.from, range.to, range.lower, range.upper}), (std::vector<int32_t>{0, 7, 0, 7}));
  const double parameter = 2.5;
  EXPECT_EQ(Call(op::kSetParameter, h, Addr(&parameter)), 0u);
  EXPECT_EQ(d->Parameter(), 2.5);
}

TEST_F(Services, PairsAndValueAt) {
  const uint64_t h = Find("p");
  kfio::PairBlock pair{3, 0, 1.5, -2.0};
  EXPECT_EQ(Call(op::kSetPair, h, Addr(&pair)), 0u);
  Set(h, 0, 10.0);
  Set(h, 1, 20.0);
  Resize(h, 4);
  // Kept as it came (the module crosses them); an index past the end refused.
  const struct { int32_t index; uint64_t answer; double first, second; } pairs[] = {
      {3, 0, 1.5, -2.0}, {0, 0, 10.0, kMissing}, {4, 1, 0.0, 0.0}};
  for (const auto& p : pairs) {
    kfio::PairBlock read{p.index, 0, 0.0, 0.0};
    EXPECT_EQ(Call(op::kGetPair, h, Addr(&read)), p.answer) << p.index;
    EXPECT_EQ(std::make_pair(read.first, read.second), std::make_pair(p.first, p.second)) << p.index;
  }
  EXPECT_EQ(host.Dataset("p")->Value(3), 1.5);

  const struct { double x; uint64_t answer; double result; } cases[] = {
      {0.0, 0, 10.0}, {0.25, 0, 12.5}, {1.0, 0, 20.0},  {1.5, 0, kMissing},
      {3.0, 0, 1.5},  {3.5, 1, -9.0},  {-0.1, 1, -9.0}, {std::nan(""), 1, -9.0}};
  for (const auto& c : cases) {
    kfio::ValueAtBlock at{0, 0, -9.0, c.x};
    EXPECT_EQ(Call(op::kValueAt, h, Addr(&at)), c.answer) << c.x;
    EXPECT_EQ(at.result, c.result) << c.x;
  }
}

TEST_F(Services, TextElements) {
  const uint64_t h = Find("txt");
  EXPECT_EQ(Call(op::kIsText, h, 0), 0u);
  const std::string longText(300, 'x');
  const struct { int32_t index; const char* text; uint64_t answer; } puts[] = {
      {0, "2.5", 0}, {1, longText.c_str(), 0}, {2, nullptr, 1}};
  for (const auto& p : puts) {
    kfio::TextBlock put{p.index, 0, p.text};
    EXPECT_EQ(Call(op::kSetText, h, Addr(&put)), p.answer) << p.index;
  }
  EXPECT_EQ(Call(op::kIsText, h, 0), 1u);
  Set(h, 2, 0.125);
  Resize(h, 3);
  EXPECT_EQ(Get(h, 0), 2.5);  // a text reads as the number it spells
  EXPECT_EQ(Get(h, 1), kMissing);
  Set(h, 0, 8.0);  // a number replaces the text
  EXPECT_FALSE(host.Dataset("txt")->HoldsText(0));
  Set(h, 0, 2.5);

  const struct { int32_t index; uint64_t answer; std::string text; } cases[] = {
      {0, 0, "2.5"}, {1, 0, std::string(kfio::kTextElementMax, 'x')}, {2, 0, "0.125"}, {3, 1, ""}, {-1, 1, ""}};
  for (const auto& c : cases) {
    char buffer[kfio::kTextElementMax + 1 + 8];
    std::memset(buffer, 0, sizeof buffer);
    kfio::TextBlock get{c.index, 0, buffer};
    EXPECT_EQ(Call(op::kGetText, h, Addr(&get)), c.answer) << c.index;
    EXPECT_EQ(std::string(buffer), c.text) << c.index;
    std::memset(buffer, 0, sizeof buffer);
    int32_t index = c.index;
    kfio::TextReadBlock byIndex{&index, buffer};
    EXPECT_EQ(Call(op::kGetTextByIndex, h, Addr(&byIndex)), c.answer) << c.index;
    EXPECT_EQ(std::string(buffer), c.text) << c.index;
  }
  kfio::TextReadBlock noIndex{nullptr, nullptr};
  EXPECT_EQ(Call(op::kGetTextByIndex, h, Addr(&noIndex)), 1u);
}

TEST_F(Services, ColumnServicesRefuseWhatIsNotThere) {
  HostPage* page = host.NewPage("Data1", 2);
  kfio::ColumnBlock kind{1, 0, 3, kfio::kTextColumnKind}, selector{2, 0, 1, kfio::kTextColumnKind};
  EXPECT_EQ(Call(op::kSetColumnKind, Addr(page), Addr(&kind)), 1u);
  EXPECT_EQ(Call(op::kSetColumnKind, Addr(page), Addr(&selector)), 1u);
  EXPECT_FALSE(page->Column(1)->IsText());
  kfio::ColumnQueryBlock none{-1, 3};
  EXPECT_EQ(Call(op::kQueryColumn, Addr(page), Addr(&none)), 1u);
  EXPECT_EQ(none.one, -1);
  for (uint32_t opcode : {op::kAddColumn, op::kRemoveColumn, op::kSetColumnName, op::kSetRowCount})
    EXPECT_EQ(Call(opcode, 0, 0), 1u) << opcode;
}

}  // namespace
}  // namespace refhost
