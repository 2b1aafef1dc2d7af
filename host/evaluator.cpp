// Recursive-descent evaluation of host expressions.
#include "host/evaluator.h"

#include <charconv>
#include <cmath>

#include "kutl/names.h"

namespace refhost {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

class Parser {
 public:
  Parser(std::string_view text, const std::map<std::string, double>& variables)
      : text_(text), variables_(variables) {}

  std::optional<double> Whole() {
    auto value = Sum();
    SkipBlanks();
    if (!value || pos_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  // sum := product (('+' | '-') product)*
  std::optional<double> Sum() {
    auto left = Product();
    while (left) {
      const char op = Peek();
      if (op != '+' && op != '-') break;
      ++pos_;
      auto right = Product();
      if (!right) return std::nullopt;
      left = op == '+' ? *left + *right : *left - *right;
    }
    return left;
  }

  // product := signed (('*' | '/') signed)*
  std::optional<double> Product() {
    auto left = Signed();
    while (left) {
      const char op = Peek();
      if (op != '*' && op != '/') break;
      ++pos_;
      auto right = Signed();
      if (!right) return std::nullopt;
      left = op == '*' ? *left * *right : *left / *right;
    }
    return left;
  }

  // signed := ('+' | '-') signed | power. Every recursion passes through
  // here, so this is where the depth is bounded.
  std::optional<double> Signed() {
    if (++depth_ > kMaxExpressionDepth) return std::nullopt;
    std::optional<double> value;
    const char c = Peek();
    if (c == '-' || c == '+') {
      ++pos_;
      value = Signed();
      if (value && c == '-') value = -*value;
    } else {
      value = Power();
    }
    --depth_;
    return value;
  }

  // power := primary ('^' signed)?; the exponent's own '^' makes it
  // right-associative.
  std::optional<double> Power() {
    auto base = Primary();
    if (!base || Peek() != '^') return base;
    ++pos_;
    auto exponent = Signed();
    if (!exponent) return std::nullopt;
    return std::pow(*base, *exponent);
  }

  std::optional<double> Primary() {
    const char c = Peek();
    if (c == '(') {
      ++pos_;
      auto value = Sum();
      if (!value || Peek() != ')') return std::nullopt;
      ++pos_;
      return value;
    }
    if (IsDigit(c) || c == '.') return Number();
    if (IsNameStart(c)) return Variable();
    return std::nullopt;
  }

  // digits ['.' digits] | '.' digits, then an optional exponent; "2." is a
  // number, "." and "1e" are not.
  std::optional<double> Number() {
    const std::size_t start = pos_;
    std::size_t p = pos_;
    std::size_t digits = 0;
    for (; p < text_.size() && IsDigit(text_[p]); ++p) ++digits;
    if (p < text_.size() && text_[p] == '.') {
      for (++p; p < text_.size() && IsDigit(text_[p]); ++p) ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (p < text_.size() && (text_[p] == 'e' || text_[p] == 'E')) {
      ++p;
      if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
      if (p >= text_.size() || !IsDigit(text_[p])) return std::nullopt;
      while (p < text_.size() && IsDigit(text_[p])) ++p;
    }
    double value = 0.0;
    const char* first = text_.data() + start;
    const char* last = text_.data() + p;
    const auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec == std::errc::result_out_of_range) {
      // Literals beyond the range of a double: 1e999 is too large, 1e-999
      // too small; the exponent's sign tells which.
      bool tiny = false;
      for (const char* q = first; q < last; ++q) {
        if ((*q == 'e' || *q == 'E') && q + 1 < last && q[1] == '-') tiny = true;
      }
      value = tiny ? 0.0 : HUGE_VAL;
    } else if (ec != std::errc() || ptr != last) {
      return std::nullopt;
    }
    pos_ = p;
    return value;
  }

  std::optional<double> Variable() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    const std::string name(text_.substr(start, pos_ - start));
    if (auto exact = variables_.find(name); exact != variables_.end()) return exact->second;
    for (const auto& [key, value] : variables_) {
      if (kfio::kutl::EqualNoCase(key, name)) return value;
    }
    return std::nullopt;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  // The next character after blanks, or NUL at the end.
  char Peek() {
    SkipBlanks();
    return pos_ < text_.size() ? text_[pos_] : '\0';
  }

  std::string_view text_;
  const std::map<std::string, double>& variables_;
  std::size_t pos_ = 0;
  int depth_ = 0;
};

}  // namespace

std::optional<double> EvaluateExpression(std::string_view text,
                                         const std::map<std::string, double>& variables) {
  return Parser(text, variables).Whole();
}

}  // namespace refhost
