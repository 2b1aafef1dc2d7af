// The reference host's expression evaluator: numbers, + - * / ^, comparisons,
// && || !, parentheses and names; compiled once, run as often as wanted.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace refhost {

// Nesting deeper than this (parentheses, signs, exponents) is refused rather
// than recursed into.
inline constexpr int kMaxExpressionDepth = 200;

// An expression parsed into a postfix program. Names were bound to operand
// numbers when it was compiled; Run asks `fetch` for their values, left to
// right, and only for those it needs: && and || stop at the first operand
// that settles the result.
class Expression {
 public:
  using Fetch = double (*)(void* context, uint32_t operand);
  double Run(Fetch fetch, void* context) const;
  bool Empty() const { return steps_.empty(); }

 private:
  friend class Compiler;
  enum class Op : uint8_t {
    kConstant, kFetch, kNegate, kNot, kTruth, kAdd, kSubtract, kMultiply, kDivide, kPower,
    kEqual, kNotEqual, kLess, kLessEqual, kGreater, kGreaterEqual, kAndJump, kOrJump,
  };
  struct Step {
    Op op;
    uint32_t operand;  // kFetch: the operand; the jumps: where to go
    double value;      // kConstant
  };
  std::vector<Step> steps_;
  uint32_t stackSize_ = 0;
};

// Gives a name's operand number, or nullopt when the name is unknown.
using NameResolver = std::function<std::optional<uint32_t>(std::string_view name)>;

// Compiles `text`; nullopt when it is not a whole expression (empty text,
// unknown name, trailing junk, unbalanced parentheses, nesting too deep).
//
// Precedence, loosest first: ||, &&, == !=, < <= > >=, + -, * /, the signs
// + - and !, then ^. Comparisons and logic give 1 or 0; a value is true when
// it is not 0 (so NaN is true). Arithmetic follows IEEE 754, so 1/0 is inf
// and 0/0 is nan: both are values, not failures. ^ is right-associative and
// binds tighter than a sign: -2^2 is -4, 2^-1 is 0.5.
std::optional<Expression> CompileExpression(std::string_view text, const NameResolver& resolve);

// Compiles and runs `text` once, with names looked up without regard to
// case; an exact-case key wins over one that differs only in case.
std::optional<double> EvaluateExpression(std::string_view text,
                                         const std::map<std::string, double>& variables);

}  // namespace refhost
