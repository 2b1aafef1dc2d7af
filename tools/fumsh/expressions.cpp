// Numeric and text expressions: fum references are resolved here, the
// arithmetic is left to the host's evaluator.
#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

// Values of fum references stand in the host's variable map under names a
// script cannot write (a leading '_'), and leave it when the expression is done.
class Temporaries {
 public:
  explicit Temporaries(std::map<std::string, double>& variables) : variables_(variables) {}
  Temporaries(const Temporaries&) = delete;
  Temporaries& operator=(const Temporaries&) = delete;
  ~Temporaries() {
    for (const std::string& name : names_) variables_.erase(name);
  }

  std::string Add(double value) {
    std::string name = "_" + std::to_string(names_.size());
    variables_[name] = value;
    names_.push_back(name);
    return name;
  }

 private:
  std::map<std::string, double>& variables_;
  std::vector<std::string> names_;
};

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

// Long enough to recognise the text, short enough for a one-line message.
std::string Session::Source(Tokens tokens) const {
  constexpr std::size_t kShown = 60;
  if (tokens.empty()) return std::string();
  const std::size_t length = tokens.back().end - tokens.front().begin;
  std::string text(line_.substr(tokens.front().begin, std::min(length, kShown)));
  if (length > kShown) text += "...";
  return text;
}

std::string Session::Substitute(std::string_view text) const {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '%' && next >= 'A' && next <= 'Z') {
      out += host_.StringVar(next);
      ++i;
    } else if (text[i] == '%' && next == '%') {
      out += '%';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

void Session::Unknown(const FumRef& ref) const {
  throw ScriptError("unknown member '" + ref.Spelling() + "'");
}

void Session::Failed(const std::string& what, uint32_t status) {
  double error = 0.0;
  std::string detail = "status " + std::to_string(status);
  if (host_.GetNumber("Error", error) == 1) {
    detail += ", fum.Error " + refhost::RefHost::FormatNumber(error);
  }
  throw ScriptError(what + " failed: " + detail);
}

double Session::ReadNumber(const FumRef& ref) {
  double value = 0.0;
  const uint32_t status =
      ref.names.size() == 1
          ? host_.GetNumber(ref.names[0], value)
          : host_.AccessMethodMember(ref.Path(), ref.names.back(), cmd::kGetNumber, &value, nullptr);
  if (status == 0) Unknown(ref);
  if (status != 1) Failed("reading " + ref.Spelling(), status);
  return value;
}

std::string Session::ReadText(const FumRef& ref) {
  std::string value;
  const uint32_t status =
      ref.names.size() == 1
          ? host_.GetString(ref.names[0], value)
          : host_.AccessMethodMember(ref.Path(), ref.names.back(), cmd::kGetString, nullptr, &value);
  if (status == 0) Unknown(ref);
  if (status != 1) Failed("reading " + ref.Spelling(), status);
  return value;
}

double Session::CallMethod(const FumRef& ref) {
  double result = 0.0;
  const uint32_t status = host_.Call(ref.FullName(), Substitute(ref.args), result);
  host_.variables["status"] = status;
  host_.variables["result"] = result;
  if (status == 0) Unknown(ref);
  if (checking && status != 1) Failed(ref.Spelling(), status);
  return result;
}

bool Session::StartsText(Tokens tokens) const {
  if (tokens.empty()) return false;
  const Token& first = tokens.front();
  return first.kind == TokenKind::kText || first.kind == TokenKind::kStringVar ||
         (first.kind == TokenKind::kFumRef && first.ref.text);
}

// The whole expression is checked with every fum reference standing at 0
// before any of them is resolved, so a malformed line calls no method.
double Session::Number(Tokens tokens) {
  if (tokens.empty()) throw ScriptError("missing expression");
  Temporaries temporaries(host_.variables);
  std::vector<std::pair<std::string, const FumRef*>> references;
  std::string text;
  for (const Token& token : tokens) {
    if (!text.empty()) text += ' ';
    switch (token.kind) {
      case TokenKind::kNumber:
        text += token.text;
        break;
      case TokenKind::kName: {
        const std::string name = Lower(token.text);
        if (name == "fum") throw ScriptError("'fum' is the module object, not a number");
        if (!host_.variables.contains(name)) {
          throw ScriptError("unknown variable '" + token.text + "'");
        }
        text += name;
        break;
      }
      case TokenKind::kOperator:
        if (token.IsOperator(',') || token.IsOperator('=')) {
          throw ScriptError("unexpected '" + token.text + "' in '" + Source(tokens) + "'");
        }
        text += token.text;
        break;
      case TokenKind::kFumRef:
        if (token.ref.text) {
          throw ScriptError("'" + token.ref.Spelling() + "' is a text, not a number");
        }
        references.emplace_back(temporaries.Add(0.0), &token.ref);
        text += references.back().first;
        break;
      case TokenKind::kText:
      case TokenKind::kStringVar:
        throw ScriptError("expected a number, not a text, in '" + Source(tokens) + "'");
    }
  }
  if (!host_.Evaluate(text)) throw ScriptError("bad expression '" + Source(tokens) + "'");
  for (const auto& [name, ref] : references) {
    host_.variables[name] = ref->call ? CallMethod(*ref) : ReadNumber(*ref);
  }
  const std::optional<double> value = host_.Evaluate(text);
  if (!value) throw ScriptError("bad expression '" + Source(tokens) + "'");
  return *value;
}

// text := item ('+' item)*; item := "literal" | A$ | fum.NAME$ | fum.M.MEMBER$
std::string Session::Text(Tokens tokens) {
  if (tokens.empty()) throw ScriptError("missing text");
  std::string text;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (i % 2 == 1) {
      if (!token.IsOperator('+')) {
        throw ScriptError("expected '+' between texts in '" + Source(tokens) + "'");
      }
      if (i + 1 == tokens.size()) throw ScriptError("missing text after '+'");
      continue;
    }
    if (token.kind == TokenKind::kText) {
      text += Substitute(token.text);
    } else if (token.kind == TokenKind::kStringVar) {
      text += host_.StringVar(token.text[0]);
    } else if (token.kind == TokenKind::kFumRef && token.ref.text) {
      text += ReadText(token.ref);
    } else {
      throw ScriptError("expected a text, not '" + Source(tokens.subspan(i, 1)) + "'");
    }
  }
  return text;
}

}  // namespace kfio::fumsh
