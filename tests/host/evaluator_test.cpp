// Tests of the reference host's expression evaluator and number formatting.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "host/evaluator.h"
#include "host/ref_host.h"

namespace refhost {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(Evaluator, ComputesWellFormedExpressions) {
  // Exact case wins over folded case ("ab" vs "AB").
  const std::map<std::string, double> vars = {{"x", 2.0}, {"Rate_2", 0.25}, {"_n", 10.0},
                                              {"Y", 5.0}, {"ab", 1.0}, {"AB", 8.0}};
  struct Case { const char* text; double expected; };
  const Case cases[] = {
      {"42", 42.0},          {" 1e-3 ", 0.001},      {".5", 0.5},         {"2.", 2.0},
      {"1E+2", 100.0},       {"1 + 2 * 3", 7.0},     {"(1 + 2) * 3", 9.0}, {"10 - 4 - 3", 3.0},
      {"12 / 3 / 2", 2.0},   {"2 ^ 3 ^ 2", 512.0},   {"-2^2", -4.0},      {"(-2)^2", 4.0},
      {"2^-1", 0.5},         {"-+-3", 3.0},          {"2*-3", -6.0},      {"3 * 2 ^ 2", 12.0},
      {"x * 3", 6.0},        {"rate_2 * 4", 1.0},    {"_N + y", 15.0},    {"\t1\t+\t1", 2.0},
      {"AB", 8.0},           {"ab", 1.0},
  };
  for (const Case& c : cases) {
    const std::optional<double> got = EvaluateExpression(c.text, vars);
    ASSERT_TRUE(got.has_value()) << c.text;
    EXPECT_DOUBLE_EQ(*got, c.expected) << c.text;
  }
}

TEST(Evaluator, RefusesWhatIsNotAnExpression) {
  const std::map<std::string, double> vars = {{"x", 2.0}};
  const char* cases[] = {
      "", "   ", "abc", "x y", "2x", "1 +", "* 2", "(1 + 2", "1 + 2)", "()", ".",
      "1e", "1e+", "1..2", "2 ^", "3 $", "A$", "\"1\"", "1,2", "9a", "x(1)",
  };
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

TEST(FormatNumber, WritesShortestRoundTripText) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case { double value; const char* text; };
  const Case cases[] = {
      {3.0, "3"},       {-12.0, "-12"},   {0.0, "0"},       {-0.0, "-0"},   {0.1, "0.1"},    {2.5, "2.5"},
      {1e20, "1e+20"},  {1e-7, "1e-07"},  {kInf, "inf"},    {-kInf, "-inf"}, {nan, "nan"},   {-nan, "nan"},
  };
  for (const Case& c : cases) EXPECT_EQ(RefHost::FormatNumber(c.value), c.text) << c.text;

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
