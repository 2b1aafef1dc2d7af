// Running compiled expressions and texts: variables, fum references, text
// comparisons and dataset elements, and the printing of numbers.
#include <charconv>
#include <cmath>
#include <string>

#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

struct RunContext {
  Session* session;
  const NumberExpr* expression;
};

}  // namespace

std::string FormatValue(double value) {
  constexpr double kExact = 9007199254740992.0;  // 2^53: every integer below is a double
  if (std::fabs(value) < kExact && value == std::trunc(value) && !(value == 0.0 && std::signbit(value))) {
    char text[32];
    const auto [end, ec] = std::to_chars(text, text + sizeof text, static_cast<int64_t>(value));
    return std::string(text, end);
  }
  return refhost::RefHost::FormatNumber(value);
}

std::string Session::Substitute(std::string_view text) const {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] != '%' || !((next >= 'A' && next <= 'Z') || (next >= '0' && next <= '9') || next == '%')) {
      out += text[i];
      continue;
    }
    ++i;
    if (next == '%') {
      out += '%';
    } else if (next >= 'A') {
      out += host_.StringVar(next);
    } else if (next == '0') {
      out += scriptName_;
    } else if (static_cast<std::size_t>(next - '0') <= arguments_.size()) {
      out += arguments_[static_cast<std::size_t>(next - '1')];
    } else {
      throw ScriptError(std::string("no argument %") + next + ": the script was given " +
                        std::to_string(arguments_.size()));
    }
  }
  return out;
}

double* Session::Bound(uint32_t slot) {
  Variable& v = variables_[slot];
  if (v.value == nullptr) v.value = &host_.variables[v.name];
  return v.value;
}

double Session::Value(uint32_t slot) {
  Variable& v = variables_[slot];
  if (v.value == nullptr) {
    // Only the runner makes variables, so one that is not bound yet has
    // never been assigned.
    const auto found = host_.variables.find(v.name);
    if (found == host_.variables.end()) throw ScriptError("unknown variable '" + v.name + "'");
    v.value = &found->second;
  }
  return *v.value;
}

double Session::FetchOperand(void* context, uint32_t operand) {
  const auto* run = static_cast<RunContext*>(context);
  return run->session->Fetch(run->expression->operands[operand]);
}

double Session::Evaluate(const NumberExpr& expression) {
  RunContext context{this, &expression};
  return expression.program.Run(&FetchOperand, &context);
}

double Session::Fetch(const Operand& operand) {
  switch (operand.kind) {
    case Operand::Kind::kVariable:
      return Value(operand.slot);
    case Operand::Kind::kRead:
      return ReadNumber(*operand.member);
    case Operand::Kind::kCall:
      return Call(*operand.member);
    case Operand::Kind::kElement:
      return Element(operand.left, *operand.index);
    case Operand::Kind::kCompareTexts: {
      const int order = Evaluate(operand.left).compare(Evaluate(operand.right));
      const std::string& op = operand.compare;
      const bool holds = op == "==" ? order == 0 : op == "!=" ? order != 0 : op == "<" ? order < 0
                       : op == "<=" ? order <= 0 : op == ">" ? order > 0 : order >= 0;
      return holds ? 1.0 : 0.0;
    }
  }
  return 0.0;
}

std::string Session::Evaluate(const TextExpr& text) {
  if (text.size() == 1 && text[0].kind == TextItem::Kind::kLiteral) return text[0].text;
  std::string value;
  for (const TextItem& item : text) {
    switch (item.kind) {
      case TextItem::Kind::kLiteral: value += item.text; break;
      case TextItem::Kind::kSubstituted: value += Substitute(item.text); break;
      case TextItem::Kind::kStringVar: value += host_.StringVar(item.letter); break;
      case TextItem::Kind::kMember: value += ReadText(*item.member); break;
    }
  }
  return value;
}

void Session::Unknown(const Member& member) const {
  throw ScriptError("unknown member '" + member.spelling + "'");
}

void Session::Failed(const std::string& what, uint32_t status) {
  double error = 0.0;
  std::string detail = "status " + std::to_string(status);
  if (host_.GetNumber("Error", error) == 1) detail += ", fum.Error " + FormatValue(error);
  throw ScriptError(what + " failed: " + detail);
}

double Session::ReadNumber(const Member& member) {
  double value = 0.0;
  const uint32_t status =
      member.ref.names.size() == 1
          ? host_.GetNumber(member.name, value)
          : host_.AccessMethodMember(member.path, member.name, cmd::kGetNumber, &value, nullptr);
  if (status == 0) Unknown(member);
  if (status != 1) Failed("reading " + member.spelling, status);
  return value;
}

std::string Session::ReadText(const Member& member) {
  std::string value;
  const uint32_t status =
      member.ref.names.size() == 1
          ? host_.GetString(member.name, value)
          : host_.AccessMethodMember(member.path, member.name, cmd::kGetString, nullptr, &value);
  if (status == 0) Unknown(member);
  if (status != 1) Failed("reading " + member.spelling, status);
  return value;
}

// The argument text goes over in a buffer kept from call to call: the
// module may write into it, and a loop of calls allocates nothing.
double Session::Call(const Member& member) {
  if (member.substitute) {
    const std::string args = Substitute(member.ref.args);
    callBuffer_.assign(args.begin(), args.end());
  } else {
    callBuffer_.assign(member.ref.args.begin(), member.ref.args.end());
  }
  callBuffer_.push_back('\0');
  double result = 0.0;
  const uint32_t status = host_.Raw(member.name.c_str(), callBuffer_.data(), &result, cmd::kCallMethod);
  *status_ = status;
  *result_ = result;
  if (status == 0) Unknown(member);
  if (checking && status != 1) Failed(member.spelling, status);
  if (strict) {
    double error = 0.0;
    if (host_.GetNumber("Error", error) == 1 && error != 0.0) Failed(member.spelling, status);
  }
  return result;
}

}  // namespace kfio::fumsh
