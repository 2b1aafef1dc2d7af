// Recursive-descent compilation of host expressions and the postfix machine
// that runs them.
#include "host/evaluator.h"

#include <charconv>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "kutl/names.h"

namespace refhost {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c); }

// Most expressions need a handful of stack cells; only deeper ones pay for
// a heap block.
constexpr uint32_t kLocalStack = 32;

}  // namespace

class Compiler {
  using Op = Expression::Op;

 public:
  Compiler(std::string_view text, const NameResolver& resolve) : text_(text), resolve_(resolve) {}

  std::optional<Expression> Whole() {
    const bool ok = Or();
    SkipBlanks();
    if (!ok || pos_ != text_.size()) return std::nullopt;
    expression_.stackSize_ = maxDepth_;
    return std::move(expression_);
  }

 private:
  // Each level answers false when what it read is not an expression.

  // or := and ('||' and)*; and := equality ('&&' equality)*
  bool Or() { return Logic("||", Op::kOrJump, &Compiler::And); }
  bool And() { return Logic("&&", Op::kAndJump, &Compiler::Equality); }

  bool Logic(std::string_view token, Op jump, bool (Compiler::*operand)()) {
    if (!(this->*operand)()) return false;
    while (Take(token)) {
      // The jump leaves the settled 0 or 1 on the stack; otherwise the
      // right side's truth is the result.
      const std::size_t at = Emit(jump, 0, -1);
      if (!(this->*operand)()) return false;
      Emit(Op::kTruth);
      expression_.steps_[at].operand = static_cast<uint32_t>(expression_.steps_.size());
    }
    return true;
  }

  // equality := relation (('==' | '!=') relation)*
  // relation := sum (('<=' | '>=' | '<' | '>') sum)*
  // sum := product (('+' | '-') product)*; product := signed (('*' | '/') signed)*
  bool Equality() { return Chain({{"==", Op::kEqual}, {"!=", Op::kNotEqual}}, &Compiler::Relation); }
  bool Relation() {
    return Chain({{"<=", Op::kLessEqual}, {">=", Op::kGreaterEqual}, {"<", Op::kLess}, {">", Op::kGreater}},
                 &Compiler::Sum);
  }
  bool Sum() { return Chain({{"+", Op::kAdd}, {"-", Op::kSubtract}}, &Compiler::Product); }
  bool Product() { return Chain({{"*", Op::kMultiply}, {"/", Op::kDivide}}, &Compiler::Signed); }

  // Left-associative operators of one level; a longer token is listed
  // before its prefix.
  bool Chain(std::initializer_list<std::pair<std::string_view, Op>> ops, bool (Compiler::*operand)()) {
    if (!(this->*operand)()) return false;
    while (true) {
      const auto* taken = ops.begin();
      while (taken != ops.end() && !Take(taken->first)) ++taken;
      if (taken == ops.end()) return true;
      if (!(this->*operand)()) return false;
      Emit(taken->second, 0, -1);
    }
  }

  // signed := ('+' | '-' | '!') signed | power. Every recursion passes
  // through here, so this is where the depth is bounded.
  bool Signed() {
    if (++depth_ > kMaxExpressionDepth) return false;
    bool ok;
    const char c = Peek();
    if (c == '-' || c == '+' || (c == '!' && PeekAt(1) != '=')) {
      ++pos_;
      ok = Signed();
      if (ok && c == '-') Emit(Op::kNegate);
      if (ok && c == '!') Emit(Op::kNot);
    } else {
      ok = Power();
    }
    --depth_;
    return ok;
  }

  // power := primary ('^' signed)?; the exponent's own '^' makes it
  // right-associative.
  bool Power() {
    if (!Primary()) return false;
    if (Peek() != '^') return true;
    ++pos_;
    if (!Signed()) return false;
    Emit(Op::kPower, 0, -1);
    return true;
  }

  bool Primary() {
    const char c = Peek();
    if (c == '(') {
      ++pos_;
      if (!Or() || Peek() != ')') return false;
      ++pos_;
      return true;
    }
    if (IsDigit(c) || c == '.') return Number();
    if (IsNameStart(c)) return Name();
    return false;
  }

  // digits ['.' digits] | '.' digits, then an optional exponent; "2." is a
  // number, "." and "1e" are not.
  bool Number() {
    const std::size_t start = pos_;
    std::size_t p = pos_;
    std::size_t digits = 0;
    for (; p < text_.size() && IsDigit(text_[p]); ++p) ++digits;
    if (p < text_.size() && text_[p] == '.') {
      for (++p; p < text_.size() && IsDigit(text_[p]); ++p) ++digits;
    }
    if (digits == 0) return false;
    if (p < text_.size() && (text_[p] == 'e' || text_[p] == 'E')) {
      ++p;
      if (p < text_.size() && (text_[p] == '+' || text_[p] == '-')) ++p;
      if (p >= text_.size() || !IsDigit(text_[p])) return false;
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
      return false;
    }
    pos_ = p;
    Emit(Op::kConstant, 0, 1, value);
    return true;
  }

  bool Name() {
    const std::size_t start = pos_;
    while (pos_ < text_.size() && IsNameChar(text_[pos_])) ++pos_;
    const std::optional<uint32_t> operand = resolve_(text_.substr(start, pos_ - start));
    if (!operand) return false;
    Emit(Op::kFetch, *operand, 1);
    return true;
  }

  // Appends a step that changes the stack's depth by `change`; its index.
  std::size_t Emit(Op op, uint32_t operand = 0, int change = 0, double value = 0.0) {
    expression_.steps_.push_back({op, operand, value});
    stackNow_ += change;
    if (stackNow_ > static_cast<int>(maxDepth_)) maxDepth_ = static_cast<uint32_t>(stackNow_);
    return expression_.steps_.size() - 1;
  }

  // Takes `token` when it comes next; '<' is not taken from "<=", nor '!'
  // from "!=".
  bool Take(std::string_view token) {
    SkipBlanks();
    if (text_.substr(pos_, token.size()) != token) return false;
    pos_ += token.size();
    return true;
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
  }

  // The next character after blanks (or the one `ahead` of it), NUL at the end.
  char Peek() { return PeekAt(0); }
  char PeekAt(std::size_t ahead) {
    SkipBlanks();
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }

  std::string_view text_;
  const NameResolver& resolve_;
  std::size_t pos_ = 0;
  int depth_ = 0;
  int stackNow_ = 0;
  uint32_t maxDepth_ = 0;
  Expression expression_;
};

double Expression::Run(Fetch fetch, void* context) const {
  double local[kLocalStack];
  std::vector<double> heap;
  double* stack = local;
  if (stackSize_ > kLocalStack) {
    heap.resize(stackSize_);
    stack = heap.data();
  }
  double* top = stack - 1;
  const Step* const steps = steps_.data();
  const std::size_t count = steps_.size();
  for (std::size_t pc = 0; pc < count; ++pc) {
    const Step& s = steps[pc];
    switch (s.op) {
      case Op::kConstant: *++top = s.value; break;
      case Op::kFetch: *++top = fetch(context, s.operand); break;
      case Op::kNegate: *top = -*top; break;
      case Op::kNot: *top = *top == 0.0 ? 1.0 : 0.0; break;
      case Op::kTruth: *top = *top != 0.0 ? 1.0 : 0.0; break;
      case Op::kAdd: --top; *top += top[1]; break;
      case Op::kSubtract: --top; *top -= top[1]; break;
      case Op::kMultiply: --top; *top *= top[1]; break;
      case Op::kDivide: --top; *top /= top[1]; break;
      case Op::kPower: --top; *top = std::pow(*top, top[1]); break;
      case Op::kEqual: --top; *top = *top == top[1] ? 1.0 : 0.0; break;
      case Op::kNotEqual: --top; *top = *top != top[1] ? 1.0 : 0.0; break;
      case Op::kLess: --top; *top = *top < top[1] ? 1.0 : 0.0; break;
      case Op::kLessEqual: --top; *top = *top <= top[1] ? 1.0 : 0.0; break;
      case Op::kGreater: --top; *top = *top > top[1] ? 1.0 : 0.0; break;
      case Op::kGreaterEqual: --top; *top = *top >= top[1] ? 1.0 : 0.0; break;
      case Op::kAndJump:
        if (*top == 0.0) {
          *top = 0.0;
          pc = s.operand - 1;
        } else {
          --top;
        }
        break;
      case Op::kOrJump:
        if (*top != 0.0) {
          *top = 1.0;
          pc = s.operand - 1;
        } else {
          --top;
        }
        break;
    }
  }
  return *top;
}

std::optional<Expression> CompileExpression(std::string_view text, const NameResolver& resolve) {
  return Compiler(text, resolve).Whole();
}

std::optional<double> EvaluateExpression(std::string_view text,
                                         const std::map<std::string, double>& variables) {
  std::vector<double> values;
  const NameResolver lookup = [&](std::string_view name) -> std::optional<uint32_t> {
    auto found = variables.find(std::string(name));
    if (found == variables.end()) {
      found = variables.begin();
      while (found != variables.end() && !kfio::kutl::EqualNoCase(found->first, name)) ++found;
    }
    if (found == variables.end()) return std::nullopt;
    values.push_back(found->second);
    return static_cast<uint32_t>(values.size() - 1);
  };
  const std::optional<Expression> expression = CompileExpression(text, lookup);
  if (!expression) return std::nullopt;
  return expression->Run(
      [](void* context, uint32_t operand) { return (*static_cast<std::vector<double>*>(context))[operand]; },
      &values);
}

}  // namespace refhost
