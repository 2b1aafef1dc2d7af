// A script parsed once: compiled expressions and texts, and the flat list of
// steps (statements and the jumps of if, while and for) that runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/evaluator.h"
#include "tools/fumsh/lexer.h"

namespace kfio::fumsh {

// A fum reference with the strings each access needs made once.
struct Member {
  FumRef ref;
  std::string spelling;  // fum.Open, fum.Open.Mode$: for messages
  std::string name;      // a property's or method's name: the first name, or all for a call
  std::string path;      // a method member's method path
  bool substitute = false;  // the argument text holds a '%'
};

// A text: items joined by '+'.
struct TextItem {
  enum class Kind { kLiteral, kSubstituted, kStringVar, kMember };
  Kind kind;
  std::string text;  // kLiteral, kSubstituted (the % forms replaced when run)
  char letter = 0;   // kStringVar
  std::shared_ptr<const Member> member;
};
using TextExpr = std::vector<TextItem>;

struct NumberExpr;

// What one operand of a compiled expression stands for.
struct Operand {
  enum class Kind { kVariable, kRead, kCall, kCompareTexts, kElement };
  Kind kind;
  uint32_t slot = 0;                      // kVariable
  std::shared_ptr<const Member> member;   // kRead, kCall
  TextExpr left, right;                   // kCompareTexts; left is the dataset name for kElement
  std::string compare;                    // kCompareTexts: == != < <= > >=
  std::shared_ptr<const NumberExpr> index;  // kElement
};

struct NumberExpr {
  refhost::Expression program;
  std::vector<Operand> operands;
  bool Empty() const { return program.Empty(); }
};

// One item of a print statement.
struct PrintItem {
  bool isText = false;
  NumberExpr number;
  TextExpr text;
};

struct Step {
  enum class Kind : uint8_t { kStatement, kAssign, kJumpUnless, kJump, kForStart, kForNext, kExit };
  explicit Step(Kind k) : kind(k) {}
  Kind kind;
  uint32_t line = 0;
  uint32_t target = 0;  // jumps; kForStart: the step after its loop; kForNext: its kForStart
  uint32_t slot = 0;    // kAssign and the for loops: the variable
  NumberExpr value, limit, step;  // the for loop's three; kAssign, kJumpUnless and kExit: value
  std::function<void()> run;      // kStatement
  double last = 0.0, by = 1.0;    // a running for loop's limit and step
};

using Program = std::vector<Step>;

}  // namespace kfio::fumsh
