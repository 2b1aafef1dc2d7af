// Tests of the reference host's expression evaluator (arithmetic, comparisons
// and logic, compiled expressions) and number formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <string>

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

}  // namespace
}  // namespace refhost
