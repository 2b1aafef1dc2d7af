// The reference host's expression evaluator: numbers, + - * / ^, parentheses
// and named numeric variables.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace refhost {

// Nesting deeper than this (parentheses, signs, exponents) is refused rather
// than recursed into.
inline constexpr int kMaxExpressionDepth = 200;

// Evaluates `text`; nullopt when it is not a whole expression (empty text,
// unknown name, trailing junk, unbalanced parentheses, nesting too deep).
// Names are looked up without regard to case; an exact-case key wins over
// one that differs only in case. Arithmetic follows IEEE 754, so 1/0 is inf
// and 0/0 is nan: both are values, not failures. ^ is right-associative and
// binds tighter than a sign: -2^2 is -4, 2^-1 is 0.5.
std::optional<double> EvaluateExpression(std::string_view text,
                                         const std::map<std::string, double>& variables);

}  // namespace refhost
