// Tests of the evaluator's comparisons and logic, and of compiled expressions.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/evaluator.h"

namespace refhost {
namespace {

TEST(EvaluatorLogic, ComparesAndCombinesWithPrecedence) {
  const std::map<std::string, double> vars = {{"n", 4.0}, {"z", 0.0}, {"nan", std::nan("")}};
  struct Case { const char* text; double expected; };
  const Case cases[] = {
      {"1 + 2 < 4 && !0", 1.0}, {"1 + 2 < 3", 0.0}, {"2 * 3 == 6", 1.0}, {"n != 4", 0.0},
      {"n <= 4", 1.0}, {"n >= 5", 0.0}, {"n > 3", 1.0}, {"n < 4", 0.0},
      {"1 || 0 && 0", 1.0},       // && binds tighter than ||
      {"(1 || 0) && 0", 0.0},
      {"1 < 2 == 1", 1.0},        // relations bind tighter than equality
      {"3 > 2 > 1", 0.0},         // left to right: (3 > 2) > 1
      {"!n", 0.0}, {"!z", 1.0}, {"!!n", 1.0},
      {"!0 + 1", 2.0},            // ! is a sign: it binds tighter than +
      {"-!0", -1.0}, {"!2^2 == 0", 1.0},
      {"5 && 7", 1.0},            // logic gives 1, not the operand
      {"0 || -3", 1.0},
      {"nan == nan", 0.0}, {"nan != nan", 1.0}, {"!nan", 0.0}, {"nan && 1", 1.0},
      {"1/0 > 1e308", 1.0}, {"z == -0", 1.0},
  };
  for (const Case& c : cases) {
    const std::optional<double> got = EvaluateExpression(c.text, vars);
    ASSERT_TRUE(got.has_value()) << c.text;
    EXPECT_EQ(*got, c.expected) << c.text;
  }
  for (const char* bad : {"1 = 2", "1 & 2", "1 | 2", "1 =< 2", "1 <", "!", "1 ! 2", "&& 1", "1 ==", "(1 < 2", "1 <> 2"}) {
    EXPECT_EQ(EvaluateExpression(bad, vars), std::nullopt) << bad;
  }
}

// Operands are fetched left to right, each when it is reached, and && and
// || fetch nothing past the operand that settles them.
TEST(EvaluatorLogic, FetchesOnlyWhatTheResultNeeds) {
  struct Case { const char* text; double expected; const char* fetched; };
  const Case cases[] = {
      {"a && b", 0.0, "a"},   {"b && a", 0.0, "ba"}, {"b || a", 1.0, "b"}, {"a || b", 1.0, "ab"},
      {"a || a && b", 0.0, "aa"}, {"a + b * c", 2.0, "abc"}, {"(a || c) && b", 1.0, "acb"},
  };
  for (const Case& c : cases) {
    struct Context { std::string fetched; } context;
    const NameResolver resolve = [](std::string_view name) -> std::optional<uint32_t> {
      if (name.size() != 1 || name[0] < 'a' || name[0] > 'c') return std::nullopt;
      return static_cast<uint32_t>(name[0] - 'a');
    };
    const std::optional<Expression> e = CompileExpression(c.text, resolve);
    ASSERT_TRUE(e.has_value()) << c.text;
    // a, b and c are worth 0, 1 and 2.
    const auto fetch = [](void* p, uint32_t operand) {
      static_cast<Context*>(p)->fetched += static_cast<char>('a' + operand);
      return static_cast<double>(operand);
    };
    EXPECT_EQ(e->Run(fetch, &context), c.expected) << c.text;
    EXPECT_EQ(context.fetched, c.fetched) << c.text;
  }
}

}  // namespace
}  // namespace refhost
