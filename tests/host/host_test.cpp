// Tests of the reference host: its expression evaluator and number text, how it calls into a module, and the
// services the module tests do not reach through XODLL: what a module should never send, the limits, failure
// answers, and the dataset services whose module side is tested against a recording host.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "host/evaluator.h"
#include "host/ref_host.h"

namespace refhost {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
struct Case { const char* text; double expected; };

void ExpectValues(const std::map<std::string, double>& vars, std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const std::optional<double> got = EvaluateExpression(c.text, vars);
    ASSERT_TRUE(got.has_value()) << c.text;
    EXPECT_DOUBLE_EQ(*got, c.expected) << c.text;
  }
}

TEST(Evaluator, ComputesComparesAndCombinesWithPrecedence) {
  // Exact case wins over folded case ("ab" vs "AB").
  ExpectValues({{"x", 2.0}, {"Rate_2", 0.25}, {"_n", 10.0}, {"Y", 5.0}, {"ab", 1.0}, {"AB", 8.0}, {"n", 4.0},
                {"z", 0.0}, {"nan", std::nan("")}}, {
      {"42", 42.0},          {" 1e-3 ", 0.001},      {".5", 0.5},          {"2.", 2.0},
      {"1E+2", 100.0},       {"1 + 2 * 3", 7.0},     {"(1 + 2) * 3", 9.0}, {"10 - 4 - 3", 3.0},
      {"12 / 3 / 2", 2.0},   {"2 ^ 3 ^ 2", 512.0},   {"-2^2", -4.0},       {"(-2)^2", 4.0},
      {"2^-1", 0.5},         {"-+-3", 3.0},          {"2*-3", -6.0},       {"3 * 2 ^ 2", 12.0},
      {"x * 3", 6.0},        {"rate_2 * 4", 1.0},    {"_N + y", 15.0},     {"\t1\t+\t1", 2.0},
      {"AB", 8.0},           {"ab", 1.0},
      {"1 + 2 < 4 && !0", 1.0}, {"1 + 2 < 3", 0.0}, {"2 * 3 == 6", 1.0}, {"n != 4", 0.0},
      {"n <= 4", 1.0}, {"n >= 5", 0.0}, {"n > 3", 1.0}, {"n < 4", 0.0},
      {"1 || 0 && 0", 1.0}, {"(1 || 0) && 0", 0.0},  // && binds tighter than ||
      {"1 < 2 == 1", 1.0},                            // relations bind tighter than equality
      {"3 > 2 > 1", 0.0},                             // left to right: (3 > 2) > 1
      {"!n", 0.0}, {"!z", 1.0}, {"!!n", 1.0},
      {"!0 + 1", 2.0}, {"-!0", -1.0}, {"!2^2 == 0", 1.0},  // ! is a sign: it binds tighter than +
      {"5 && 7", 1.0}, {"0 || -3", 1.0},                   // logic gives 1, not the operand
      {"nan == nan", 0.0}, {"nan != nan", 1.0}, {"!nan", 0.0}, {"nan && 1", 1.0},
      {"1/0 > 1e308", 1.0}, {"z == -0", 1.0}});
}

TEST(Evaluator, RefusesWhatIsNotAnExpression) {
  const std::map<std::string, double> vars = {{"x", 2.0}};
  const char* cases[] = {
      "", "   ", "abc", "x y", "2x", "1 +", "* 2", "(1 + 2", "1 + 2)", "()", ".", "1e", "1e+", "1..2", "2 ^",
      "3 $", "A$", "\"1\"", "1,2", "9a", "x(1)", "1 = 2", "1 & 2", "1 | 2", "1 =< 2", "1 <", "!", "1 ! 2",
      "&& 1", "1 ==", "(1 < 2", "1 <> 2"};
  for (const char* text : cases) EXPECT_EQ(EvaluateExpression(text, vars), std::nullopt) << text;
}

TEST(Evaluator, FollowsIeeeAndBoundsNestingOnHostileInput) {
  const std::map<std::string, double> none;
  EXPECT_EQ(EvaluateExpression("1/0", none), kInf);
  EXPECT_EQ(EvaluateExpression("-1/0", none), -kInf);
  EXPECT_TRUE(std::isnan(*EvaluateExpression("0/0", none)));
  EXPECT_EQ(EvaluateExpression("1e999", none), kInf);
  EXPECT_EQ(EvaluateExpression("1e-999", none), 0.0);

  auto nested = [](int depth) { return std::string(depth, '(') + "1" + std::string(depth, ')'); };
  EXPECT_EQ(EvaluateExpression(nested(150), none), 1.0);
  EXPECT_EQ(EvaluateExpression(nested(100000), none), std::nullopt);
  EXPECT_EQ(EvaluateExpression(std::string(100000, '-') + "1", none), std::nullopt);
  std::string tower = "1", sum = "1";
  for (int i = 0; i < 100000; ++i) tower += "^1", sum += "+1";
  EXPECT_EQ(EvaluateExpression(tower, none), std::nullopt);
  EXPECT_EQ(EvaluateExpression(sum, none), 100001.0);  // long but flat: no depth limit
  EXPECT_EQ(EvaluateExpression(std::string("1\0+1", 4), none), std::nullopt);
}

// Operands are fetched left to right, each when it is reached, and && and
// || fetch nothing past the operand that settles them.
TEST(Evaluator, FetchesOnlyWhatTheResultNeeds) {
  const struct { const char* text; double expected; const char* fetched; } cases[] = {
      {"a && b", 0.0, "a"},   {"b && a", 0.0, "ba"}, {"b || a", 1.0, "b"}, {"a || b", 1.0, "ab"},
      {"a || a && b", 0.0, "aa"}, {"a + b * c", 2.0, "abc"}, {"(a || c) && b", 1.0, "acb"}};
  const NameResolver resolve = [](std::string_view name) -> std::optional<uint32_t> {
    if (name.size() != 1 || name[0] < 'a' || name[0] > 'c') return std::nullopt;
    return static_cast<uint32_t>(name[0] - 'a');
  };
  const auto fetch = [](void* p, uint32_t operand) {  // a, b and c are worth 0, 1 and 2
    *static_cast<std::string*>(p) += static_cast<char>('a' + operand);
    return static_cast<double>(operand);
  };
  for (const auto& c : cases) {
    const std::optional<Expression> e = CompileExpression(c.text, resolve);
    ASSERT_TRUE(e.has_value()) << c.text;
    std::string fetched;
    EXPECT_EQ(e->Run(fetch, &fetched), c.expected) << c.text;
    EXPECT_EQ(fetched, c.fetched) << c.text;
  }
}

TEST(FormatNumber, WritesShortestRoundTripText) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct { double value; const char* text; } cases[] = {
      {3.0, "3"},       {-12.0, "-12"},   {0.0, "0"},       {-0.0, "-0"},   {0.1, "0.1"},    {2.5, "2.5"},
      {1e20, "1e+20"},  {1e-7, "1e-07"},  {kInf, "inf"},    {-kInf, "-inf"}, {nan, "nan"},   {-nan, "nan"}};
  for (const auto& c : cases) EXPECT_EQ(RefHost::FormatNumber(c.value), c.text) << c.text;

  const double samples[] = {1.0 / 3.0, 123456.789e-300, std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::denorm_min(), -1.23456789e-300, 0.1 + 0.2};
  for (double v : samples) {
    const std::string text = RefHost::FormatNumber(v);
    EXPECT_EQ(std::strtod(text.c_str(), nullptr), v) << text;
    EXPECT_LT(text.size(), 64u);
  }
}

// What the stand-in for a module's XODLL saw on its last call; it takes a count in, gives 6.5 or
// fakeStringOut out, prints through the host and answers 2 when flagged.
struct Seen { uint16_t command = 0; bool objectNull = true; std::string object, member; double numberIn = 0.0; } seen;
std::string fakeStringOut;
uint32_t FakeXodll(uint64_t context, const char* objectName, char* memberName, void* value,
                   kfio::HostCallback callback, uint16_t command) {
  seen = Seen{command, objectName == nullptr, objectName ? objectName : "", memberName, 0.0};
  if ((command & 0x7FFF) == kfio::cmd::kSetCount) {
    seen.numberIn = *static_cast<double*>(value);
  } else if ((command & 0x7FFF) == kfio::cmd::kGetString) {
    std::memcpy(value, fakeStringOut.c_str(), fakeStringOut.size() + 1);
  } else {
    *static_cast<double*>(value) = 6.5;
  }
  callback(context, kfio::op::kPrintLine, reinterpret_cast<uint64_t>("from module"), 0);
  return (command & 0x8000) ? 2 : 1;
}

// The module tests reach every helper but the count pair; the flag bit and a missing object name are what a
// module cannot tell apart by its answers.
TEST(ModuleCalls, CountsFlagObjectNamesAndAFullStringBuffer) {
  RefHost host(&FakeXodll);
  double number = 0.0;
  EXPECT_EQ(host.SetCount("X", 4.25, true), 2u);
  EXPECT_EQ(std::make_tuple(seen.command, seen.objectNull, seen.member, seen.numberIn),
            std::make_tuple(uint16_t(kfio::cmd::kSetCount | 0x8000), true, std::string("X"), 4.25));
  EXPECT_EQ(host.GetCount("X", number), 1u);
  EXPECT_EQ(std::make_tuple(seen.command, number), std::make_tuple(uint16_t{kfio::cmd::kGetCount}, 6.5));
  EXPECT_EQ(host.Call("READTOKEN", "A, 2", number, true), 2u);
  EXPECT_EQ(std::make_tuple(seen.command, seen.objectNull, seen.object, seen.member),
            std::make_tuple(uint16_t(kfio::cmd::kCallMethod | 0x8000), false, std::string("READTOKEN"),
                            std::string("A, 2")));
  EXPECT_EQ(host.output, std::vector<std::string>(3, "from module"));
  host.echo = true;  // an echoed line goes to stdout and is not kept
  host.recordCalls = false;
  host.ClearCalls();
  ::testing::internal::CaptureStdout();
  EXPECT_EQ(host.GetCount("X", number), 1u);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "from module\n");
  EXPECT_EQ(std::make_pair(host.output.size(), host.calls.size()), std::make_pair(std::size_t{3}, std::size_t{0}));
  fakeStringOut.assign(kfio::kMaxStringValue, 'z');  // a module may fill the whole host string buffer
  std::string text;
  EXPECT_EQ(host.GetString("FileName", text), 1u);
  EXPECT_EQ(text, fakeStringOut);
  // No entry and no context answer safely.
  RefHost none(nullptr);
  EXPECT_EQ(std::make_pair(none.GetNumber("x", number), none.CallState()), std::make_pair(0u, 0));
  EXPECT_EQ(RefHost::Trampoline(0, kfio::op::kPrintLine, 0, 0), 1u);
}

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
  host.serviceProbe = [](uint32_t opcode) {
    if (opcode == op::kFindDataset) throw 42;
    throw std::bad_alloc();
  };
  const struct { uint32_t opcode; uint64_t a, b, answer; } cases[] = {
      {op::kPrintLine, Addr("x"), 0, 1}, {op::kFindDataset, Addr("d"), Addr(&block), 0}, {op::kColumnCount, 1, 0, 0},
      {op::kCheckText, Addr(","), 0, ~uint64_t{0}}};
  for (const auto& c : cases) EXPECT_EQ(Call(c.opcode, c.a, c.b), c.answer) << c.opcode;
  host.serviceProbe = nullptr;
  EXPECT_TRUE(host.output.empty());
  EXPECT_EQ(host.Dataset("d"), nullptr);
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
