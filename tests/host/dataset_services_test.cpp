// Tests of the dataset services as a module calls them: lookups and the
// blocks they fill, temporaries, elements, pairs, texts, sizing.
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "tests/host/service_fixture.h"

namespace refhost::testing {
namespace {

constexpr double kMissing = kfio::kMissingValue;

class DatasetServices : public HostServices {
 protected:
  // 12288 as the module asks it; `block` keeps what the host filled.
  uint64_t Find(const char* name) { return Call(op::kFindDataset, name, &block); }
  std::vector<int64_t> Cells() const { return {block.cell, block.cell + 4}; }
  uint64_t Set(uint64_t h, int32_t i, double v, uint32_t opcode = op::kSetElement) {
    kfio::ElementBlock e{i, 0, v};
    return Call(opcode, h, Addr(&e));
  }
  double Get(uint64_t h, int32_t i, uint32_t opcode = op::kGetElement) {
    kfio::ElementBlock e{i, 0, -99.0};
    return Call(opcode, h, Addr(&e)) == 0 ? e.value : -99.0;
  }
  uint64_t Resize(uint64_t h, int64_t from, int64_t to) {
    kfio::SizeBlock s{from, to, kfio::kResizeFormat};
    return Call(op::kResize, h, Addr(&s));
  }
  kfio::DatasetBlock block{{-7, -7, -7, -7}};
};

TEST_F(DatasetServices, LookupsFillTheBlockAndMakeWhatIsMissing) {
  HostDataset* d = host.NewDataset("Sig");
  d->Resize(6);
  EXPECT_EQ(Find("SIG"), Addr(d));
  EXPECT_EQ(Cells(), (std::vector<int64_t>{0, 6, 0, 6}));
  const uint64_t made = Find("new");
  ASSERT_NE(made, 0u);
  EXPECT_EQ(host.Dataset("new"), reinterpret_cast<HostDataset*>(made));
  EXPECT_EQ(Cells(), (std::vector<int64_t>{0, 0, 0, 0}));
  EXPECT_EQ(Find(""), 0u);
  EXPECT_EQ(Call(op::kFindDataset, 0, Addr(&block)), 0u);

  HostPage* w = host.NewPage("Wave", 2);
  w->Column(2)->Resize(3);
  const char* name = "b";
  const struct { uint32_t opcode; int64_t cell0; const char* page; HostDataset* expected; } cases[] = {
      {op::kFindColumnByNumber, 2, "wave", w->Column(2)},
      {op::kFindColumnByNumber, 3, "Wave", nullptr},  // no column 3, and none is made
      {op::kFindColumnByNumber, 0, "Wave", nullptr}, {op::kFindColumnByNumber, 1, "Nope", nullptr},
      {op::kFindColumnByName, static_cast<int64_t>(Addr(name)), "Wave", w->Column(2)},
      {op::kFindColumnByName, 0, "Wave", nullptr}};
  for (const auto& c : cases) {
    block.cell[0] = c.cell0;
    EXPECT_EQ(Call(c.opcode, c.page, &block), Addr(c.expected)) << c.opcode << " " << c.cell0;
  }
  block.cell[0] = 2;
  Call(op::kFindColumnByNumber, "Wave", &block);
  EXPECT_EQ(Cells(), (std::vector<int64_t>{0, 3, 0, 3}));
  EXPECT_EQ(w->ColumnCount(), 2);
}

TEST_F(DatasetServices, TemporariesAreMadeAndReleased) {
  kfio::TempDatasetBlock request{5, 0, "scratch"};
  const uint64_t named = Call(op::kNewTempDataset, &request, request.name);
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
  EXPECT_EQ(Resize(named, 0, 3), 1u);  // the module may still size a released one; the host refuses, safely
}

TEST_F(DatasetServices, ElementsEveryServiceAndFailure) {
  const uint64_t h = Find("e");
  const uint32_t setters[] = {op::kSetElement, op::kSetElementAlt1, op::kSetElementAlt2, op::kSetByte};
  for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(Set(h, i, setters[i], setters[i]), 0u) << setters[i];
  EXPECT_EQ(Set(h, 40, 4.5), 0u);  // past the end: stored, size unchanged
  EXPECT_EQ(Get(h, 0), -99.0);
  EXPECT_EQ(Resize(h, 0, 41), 0u);
  for (uint32_t opcode : {op::kGetElement, op::kGetElementAlt1, op::kGetElementAlt2}) {
    for (int32_t i = 0; i < 4; ++i) EXPECT_EQ(Get(h, i, opcode), double(setters[i])) << opcode;
    EXPECT_EQ(Get(h, 40, opcode), 4.5) << opcode;
    EXPECT_EQ(Get(h, 20, opcode), kMissing) << opcode;
  }
  EXPECT_EQ(Get(h, 41), -99.0);
  EXPECT_EQ(Get(h, -1), -99.0);
  const std::pair<const char*, uint64_t> refused[] = {
      {"index -1", Set(h, -1, 1.0)}, {"no dataset", Set(0, 0, 1.0)}, {"no block", Call(op::kSetElement, h, 0)},
      {"neither", Call(op::kGetElement, 0, 0)}, {"size -1", Resize(h, 0, -1)}, {"size 2^32", Resize(h, 0, 1LL << 32)}};
  for (const auto& [what, answer] : refused) EXPECT_EQ(answer, 1u) << what;

  EXPECT_EQ(Resize(h, 3, 10), 0u);  // `from` is the module's; the size is `to`
  EXPECT_EQ(host.Dataset("e")->Size(), 10);
  kfio::RangeBlock range{-1, -1, -1, -1};
  EXPECT_EQ(Call(op::kGetRange, h, Addr(&range)), 0u);
  EXPECT_EQ(std::vector<int32_t>({range.from, range.to, range.lower, range.upper}),
            (std::vector<int32_t>{0, 10, 0, 10}));
  const double parameter = 2.5;
  EXPECT_EQ(Call(op::kSetParameter, h, Addr(&parameter)), 0u);
  EXPECT_EQ(host.Dataset("e")->Parameter(), 2.5);
}

TEST_F(DatasetServices, NothingGrowsPastTheMaximumLength) {
  constexpr int32_t kMax = 134'217'728;  // the maximum docs/host.md gives
  const uint64_t h = Find("big");
  EXPECT_EQ(Resize(h, 0, kMax), 0u);
  EXPECT_EQ(Set(h, kMax - 1, 2.0), 0u);
  EXPECT_EQ(Get(h, kMax - 1), 2.0);
  Set(h, 3, 1.5);
  Resize(h, 0, 7);
  HostPage* page = host.NewPage("P", 1);
  page->SetRowCount(2);
  kfio::PairBlock pair{kMax, 0, 1.0, 2.0};
  kfio::TextBlock text{kMax, 0, "1"};
  kfio::TempDatasetBlock temp{static_cast<uint32_t>(kMax) + 1, 0, "t"};
  const std::pair<const char*, uint64_t> refused[] = {
      {"resize", Resize(h, 0, int64_t{kMax} + 1)}, {"resize to 2^31 - 1", Resize(h, 0, INT32_MAX)},
      {"element", Set(h, kMax, 1.0)}, {"element at 2^31 - 1", Set(h, INT32_MAX, 1.0, op::kSetByte)},
      {"pair", Call(op::kSetPair, h, Addr(&pair))}, {"text", Call(op::kSetText, h, Addr(&text))},
      {"row count", Call(op::kSetRowCount, Addr(page), static_cast<uint64_t>(kMax) + 1)}};
  for (const auto& [what, answer] : refused) EXPECT_EQ(answer, 1u) << what;
  EXPECT_EQ(Call(op::kNewTempDataset, &temp, temp.name), 0u);
  const HostDataset* d = host.Dataset("big");
  EXPECT_EQ(d->Size(), 7);
  EXPECT_EQ(d->Value(3), 1.5);
  EXPECT_FALSE(d->IsText());
  EXPECT_EQ(page->Column(1)->Size(), 2);
  EXPECT_EQ(host.LiveTemporaries(), 0u);
}

TEST_F(DatasetServices, PairsAndValueAt) {
  const uint64_t h = Find("p");
  kfio::PairBlock pair{3, 0, 1.5, -2.0};
  EXPECT_EQ(Call(op::kSetPair, h, Addr(&pair)), 0u);
  Set(h, 0, 10.0);
  Set(h, 1, 20.0);
  Resize(h, 0, 4);
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

TEST_F(DatasetServices, TextElements) {
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
  Resize(h, 0, 3);
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

TEST_F(DatasetServices, ElementCallsAreCountedNotListed) {
  const uint64_t h = Find("c");
  for (int i = 0; i < 5; ++i) Set(h, i, i);
  Get(h, 0);
  Resize(h, 0, 5);
  EXPECT_EQ(host.calls, (std::vector<uint32_t>{op::kFindDataset, op::kResize}));
  EXPECT_EQ(host.elementCalls, 6u);
  host.recordCalls = false;
  Resize(h, 0, 5);
  EXPECT_EQ(host.calls.size(), 2u);
  EXPECT_TRUE(host.unknownOpcodes.empty());
}

}  // namespace
}  // namespace refhost::testing
