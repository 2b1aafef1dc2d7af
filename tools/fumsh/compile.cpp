// Compiling a statement's tokens into numeric expressions (the host's
// evaluator with the script's operands) and texts, once, before any runs.
#include <algorithm>
#include <memory>
#include <string>

#include "tools/fumsh/script_error.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

namespace {

bool IsTextItem(const Token& token) {
  return token.kind == TokenKind::kText || token.kind == TokenKind::kStringVar ||
         token.kind == TokenKind::kWord || (token.kind == TokenKind::kFumRef && token.ref.text);
}

bool IsComparison(const Token& token) {
  return token.kind == TokenKind::kOperator &&
         (token.text == "==" || token.text == "!=" || token.text == "<" || token.text == "<=" ||
          token.text == ">" || token.text == ">=");
}

// One past the text that starts at `i`: item ('+' item)*.
std::size_t TextEnd(Tokens tokens, std::size_t i) {
  ++i;
  while (i + 1 < tokens.size() && tokens[i].Is("+") && IsTextItem(tokens[i + 1])) i += 2;
  return i;
}

// The ']' that closes the '[' at `open`, or npos.
std::size_t Closing(Tokens tokens, std::size_t open) {
  int depth = 0;
  for (std::size_t i = open; i < tokens.size(); ++i) {
    if (tokens[i].Is("[")) ++depth;
    if (tokens[i].Is("]") && --depth == 0) return i;
  }
  return std::string::npos;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

TextExpr DatasetName(const Token& name) { return {TextItem{TextItem::Kind::kLiteral, name.text, 0, nullptr}}; }

std::string Session::Source(Tokens tokens, std::string_view line) {
  constexpr std::size_t kShown = 60;
  if (tokens.empty()) return std::string();
  const std::size_t length = tokens.back().end - tokens.front().begin;
  std::string text(line.substr(tokens.front().begin, std::min(length, kShown)));
  if (length > kShown) text += "...";
  return text;
}

bool Session::IsText(Tokens tokens) {
  return !tokens.empty() && IsTextItem(tokens.front()) && std::none_of(tokens.begin(), tokens.end(), IsComparison);
}

uint32_t Session::Slot(const Token& name) {
  std::string key = Lower(name.text);
  if (key == "fum") throw ScriptError("'fum' is the module object, not a variable");
  const auto [it, added] = slots_.try_emplace(key, static_cast<uint32_t>(variables_.size()));
  if (added) variables_.push_back({std::move(key), nullptr});
  return it->second;
}

std::shared_ptr<const Member> Session::CompileMember(const FumRef& ref) const {
  auto member = std::make_shared<Member>();
  member->ref = ref;
  member->spelling = ref.Spelling();
  member->name = ref.call ? ref.FullName() : ref.names.back();
  member->path = ref.Path();
  member->substitute = ref.args.find('%') != std::string::npos;
  return member;
}

TextExpr Session::CompileText(Tokens tokens, std::string_view line) {
  if (tokens.empty()) throw ScriptError("missing text");
  TextExpr text;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const Token& token = tokens[i];
    if (i % 2 == 1) {
      if (!token.Is("+")) throw ScriptError("expected '+' between texts in '" + Source(tokens, line) + "'");
      if (i + 1 == tokens.size()) throw ScriptError("missing text after '+'");
      continue;
    }
    if (!IsTextItem(token)) throw ScriptError("expected a text, not '" + Source(tokens.subspan(i, 1), line) + "'");
    TextItem item{TextItem::Kind::kLiteral, token.text, 0, nullptr};
    if (token.kind == TokenKind::kStringVar) {
      item.kind = TextItem::Kind::kStringVar;
      item.letter = token.text[0];
    } else if (token.kind == TokenKind::kFumRef) {
      item.kind = TextItem::Kind::kMember;
      item.member = CompileMember(token.ref);
    } else if (token.text.find('%') != std::string::npos) {
      item.kind = TextItem::Kind::kSubstituted;
    }
    text.push_back(std::move(item));
  }
  return text;
}

// Appends the operand that starts at tokens[i] to the evaluator's text as
// a placeholder name (a leading '_', which no script name has), and moves
// `i` past it.
void Session::CompileOperand(Tokens tokens, std::size_t& i, std::string_view line, std::string& text,
                             std::vector<Operand>& operands) {
  const Token& token = tokens[i];
  Operand operand{};
  if (token.kind == TokenKind::kName && i + 1 < tokens.size() && tokens[i + 1].Is("[")) {
    const std::size_t close = Closing(tokens, i + 1);
    if (close == std::string::npos) throw ScriptError("missing ']' after '" + token.text + "['");
    if (close == i + 2) throw ScriptError("missing index in '" + token.text + "[]'");
    operand.kind = Operand::Kind::kElement;
    operand.left = DatasetName(token);
    operand.index = std::make_shared<NumberExpr>(CompileNumber(tokens.subspan(i + 2, close - i - 2), line));
    i = close + 1;
  } else if (token.kind == TokenKind::kName) {
    if (SameName(token.text, "fum")) throw ScriptError("'fum' is the module object, not a number");
    operand.kind = Operand::Kind::kVariable;
    operand.slot = Slot(token);
    ++i;
  } else if (token.kind == TokenKind::kFumRef && !token.ref.text) {
    operand.kind = token.ref.call ? Operand::Kind::kCall : Operand::Kind::kRead;
    operand.member = CompileMember(token.ref);
    ++i;
  } else {
    // A text may stand only on one side of a comparison with another text.
    const std::size_t end = TextEnd(tokens, i);
    const bool compared = end + 1 < tokens.size() && IsComparison(tokens[end]) && IsTextItem(tokens[end + 1]);
    if (!compared) {
      if ((end < tokens.size() && IsComparison(tokens[end])) || (i > 0 && IsComparison(tokens[i - 1])))
        throw ScriptError("cannot compare a text with a number in '" + Source(tokens, line) + "'");
      if (end == i + 1 && token.kind == TokenKind::kFumRef)
        throw ScriptError("'" + token.ref.Spelling() + "' is a text, not a number");
      throw ScriptError("expected a number, not a text, in '" + Source(tokens, line) + "'");
    }
    const std::size_t rightEnd = TextEnd(tokens, end + 1);
    operand.kind = Operand::Kind::kCompareTexts;
    operand.left = CompileText(tokens.subspan(i, end - i), line);
    operand.compare = tokens[end].text;
    operand.right = CompileText(tokens.subspan(end + 1, rightEnd - end - 1), line);
    i = rightEnd;
  }
  operands.push_back(std::move(operand));
  text += '_' + std::to_string(operands.size() - 1);
}

NumberExpr Session::CompileNumber(Tokens tokens, std::string_view line) {
  if (tokens.empty()) throw ScriptError("missing expression");
  NumberExpr expression;
  std::string text;
  for (std::size_t i = 0; i < tokens.size();) {
    const Token& token = tokens[i];
    if (!text.empty()) text += ' ';
    if (token.kind == TokenKind::kNumber) {
      text += token.text;
      ++i;
    } else if (token.kind == TokenKind::kOperator) {
      if (token.Is(",") || token.Is("=") || token.Is("[") || token.Is("]")) {
        std::string hint = token.Is("=") ? " (compare with '==')" : "";
        throw ScriptError("unexpected '" + token.text + "' in '" + Source(tokens, line) + "'" + hint);
      }
      text += token.text;
      ++i;
    } else {
      CompileOperand(tokens, i, line, text, expression.operands);
    }
  }
  std::optional<refhost::Expression> program = refhost::CompileExpression(
      text, [&](std::string_view name) -> std::optional<uint32_t> {
        if (name.size() < 2 || name[0] != '_') return std::nullopt;
        return static_cast<uint32_t>(std::stoul(std::string(name.substr(1))));
      });
  if (!program) throw ScriptError("bad expression '" + Source(tokens, line) + "'");
  expression.program = std::move(*program);
  return expression;
}

}  // namespace kfio::fumsh
