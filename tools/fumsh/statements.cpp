// The statements of the script language, one per line.
#include <string>
#include <vector>

#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

bool IsKeyword(const Token& token, std::string_view word) {
  return token.kind == TokenKind::kName && SameName(token.text, word);
}

}  // namespace

Session::Session(refhost::RefHost& host, std::ostream& out) : host_(host), out_(out) {
  host_.variables["status"] = 0.0;
  host_.variables["result"] = 0.0;
}

void Session::Run(std::string_view line) {
  line_ = line;
  // wks and dataset take file and dataset names as written, so they are
  // dispatched before the line is cut into tokens.
  const std::size_t start = line.find_first_not_of(" \t");
  if (start != std::string_view::npos) {
    const std::string_view rest = line.substr(start);
    const std::string_view word = rest.substr(0, rest.find_first_of(" \t"));
    if (SameName(word, "wks")) return Worksheet();
    if (SameName(word, "dataset")) return ShowDataset();
  }
  const std::vector<Token> tokens = Tokenize(line);
  if (tokens.empty()) return;
  const Tokens all(tokens);
  const Token& first = tokens.front();
  const bool assignment = tokens.size() > 1 && tokens[1].IsOperator('=');

  if (IsKeyword(first, "print")) return Print(all.subspan(1));
  if (IsKeyword(first, "list")) return List(all.subspan(1));
  if (IsKeyword(first, "check")) return Check(all.subspan(1));
  if (first.kind == TokenKind::kFumRef) {
    if (assignment) return AssignMember(first.ref, all.subspan(2));
    // Anything else that starts with a fum reference is an expression run
    // for its effect, most often a lone method call.
    Number(all);
    return;
  }
  if (assignment && first.kind == TokenKind::kName) return AssignVariable(first, all.subspan(2));
  if (assignment && first.kind == TokenKind::kStringVar) {
    host_.SetStringVar(first.text[0], Text(all.subspan(2)));
    return;
  }
  const std::string word = first.kind == TokenKind::kName ? first.text : Source(all);
  throw ScriptError("unknown statement '" + word + "'");
}

// Items are separated by top-level commas and printed with one space
// between them; a method call's own commas sit inside its reference token.
void Session::Print(Tokens items) {
  std::vector<Tokens> parts;
  std::size_t start = 0;
  int depth = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].IsOperator('(')) ++depth;
    if (items[i].IsOperator(')')) --depth;
    if (depth == 0 && items[i].IsOperator(',')) {
      parts.push_back(items.subspan(start, i - start));
      start = i + 1;
    }
  }
  if (!items.empty()) parts.push_back(items.subspan(start));

  std::string line;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty()) throw ScriptError("missing item in print");
    if (i > 0) line += ' ';
    line += StartsText(parts[i]) ? Text(parts[i]) : refhost::RefHost::FormatNumber(Number(parts[i]));
  }
  out_ << line << '\n';
}

void Session::List(Tokens target) {
  if (target.size() == 1 && IsKeyword(target[0], "fum")) {
    host_.List(nullptr);
    return;
  }
  if (target.size() == 1 && target[0].kind == TokenKind::kFumRef && !target[0].ref.call &&
      !target[0].ref.text) {
    host_.List(target[0].ref.FullName().c_str());
    return;
  }
  throw ScriptError("list takes 'fum' or 'fum.METHOD'");
}

void Session::Check(Tokens rest) {
  if (rest.empty() || (rest.size() == 1 && IsKeyword(rest[0], "on"))) {
    checking = true;
  } else if (rest.size() == 1 && IsKeyword(rest[0], "off")) {
    checking = false;
  } else {
    throw ScriptError("check takes 'on', 'off' or nothing");
  }
}

void Session::AssignMember(const FumRef& ref, Tokens value) {
  if (ref.call) throw ScriptError("cannot assign to a method call: '" + ref.Spelling() + "(...)'");
  uint32_t status = 0;
  if (ref.text) {
    std::string text = Text(value);
    status = ref.names.size() == 1 ? host_.SetString(ref.names[0], text)
                                   : host_.AccessMethodMember(ref.Path(), ref.names.back(),
                                                              cmd::kSetString, nullptr, &text);
  } else {
    double number = Number(value);
    status = ref.names.size() == 1 ? host_.SetNumber(ref.names[0], number)
                                   : host_.AccessMethodMember(ref.Path(), ref.names.back(),
                                                              cmd::kSetNumber, &number, nullptr);
  }
  if (status == 0) Unknown(ref);
  if (status != 1) Failed("assigning " + ref.Spelling(), status);
}

void Session::AssignVariable(const Token& name, Tokens value) {
  const std::string key = Lower(name.text);
  if (key == "fum") throw ScriptError("'fum' is the module object, not a variable");
  host_.variables[key] = Number(value);
}

}  // namespace kfio::fumsh
