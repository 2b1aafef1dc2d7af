// Parsing a script's lines into steps: statements become compiled closures,
// blocks become jumps whose targets are filled in at their 'end'.
#include "tools/fumsh/parser.h"

#include <algorithm>
#include <array>
#include <memory>

#include "tools/fumsh/script_error.h"

namespace kfio::fumsh {

namespace {

constexpr std::array<std::string_view, 15> kKeywords = {
    "if", "else", "while", "for", "end", "break", "continue", "exit",
    "print", "list", "check", "help", "shift", "wks", "dataset"};

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}

bool Opens(const Token& t) { return t.Is("(") || t.Is("["); }
bool Closes(const Token& t) { return t.Is(")") || t.Is("]"); }

// The first token at or after `from`, outside parentheses and brackets, for
// which `match` holds; tokens.size() when none.
template <typename Match>
std::size_t FindTopLevel(Tokens tokens, std::size_t from, Match match) {
  int depth = 0;
  for (std::size_t i = from; i < tokens.size(); ++i) {
    if (depth == 0 && match(tokens[i])) return i;
    if (Opens(tokens[i])) ++depth;
    if (Closes(tokens[i])) --depth;
  }
  return tokens.size();
}

void Alone(const std::string& word, Tokens rest) {
  if (!rest.empty()) throw ScriptError("'" + word + "' takes nothing after it");
}

}  // namespace

uint32_t Parser::Emit(Step step) {
  step.line = line_;
  program_.push_back(std::move(step));
  return Here() - 1;
}

void Parser::Statement(std::function<void()> run) {
  Step step(Step::Kind::kStatement);
  step.run = std::move(run);
  Emit(std::move(step));
}

void Parser::Line(uint32_t number, std::string_view line) {
  line_ = number;
  const std::size_t start = line.find_first_not_of(" \t");
  if (start == std::string_view::npos) return;
  // wks and dataset take bare file and dataset names, so their lines are
  // cut into tokens in word mode.
  const std::string_view rest = line.substr(start);
  const std::string_view word = rest.substr(0, rest.find_first_of(" \t#"));
  if (SameName(word, "wks") || SameName(word, "dataset")) return Statement(session_.WorkspaceStatement(line));
  const std::vector<Token> tokens = Tokenize(line);
  if (!tokens.empty()) Statement(Tokens(tokens), line);
}

void Parser::Statement(Tokens tokens, std::string_view line) {
  const Token& first = tokens.front();
  const bool assign = tokens.size() > 1 && tokens[1].Is("=");
  const bool indexed = tokens.size() > 1 && tokens[1].Is("[");
  if (first.kind == TokenKind::kName && !assign && !indexed && Control(Lower(first.text), tokens.subspan(1), line))
    return;
  Session& s = session_;
  if (first.kind == TokenKind::kFumRef) {
    auto member = s.CompileMember(first.ref);
    if (!assign) {
      // Anything else that starts with a fum reference is an expression run
      // for its effect, most often a lone method call.
      return Statement([&s, e = s.CompileNumber(tokens, line)] { s.Evaluate(e); });
    }
    if (first.ref.call) throw ScriptError("cannot assign to a method call: '" + first.ref.Spelling() + "(...)'");
    if (first.ref.text)
      return Statement([&s, member, t = s.CompileText(tokens.subspan(2), line)] { s.AssignMember(*member, nullptr, &t); });
    return Statement([&s, member, e = s.CompileNumber(tokens.subspan(2), line)] { s.AssignMember(*member, &e, nullptr); });
  }
  if (assign && first.kind == TokenKind::kName) {
    if (std::find(kKeywords.begin(), kKeywords.end(), Lower(first.text)) != kKeywords.end())
      throw ScriptError("'" + first.text + "' is a keyword, not a variable");
    Step step(Step::Kind::kAssign);
    step.slot = s.Slot(first);
    step.value = s.CompileNumber(tokens.subspan(2), line);
    Emit(std::move(step));
    return;
  }
  if (assign && first.kind == TokenKind::kStringVar) {
    return Statement([&s, letter = first.text[0], t = s.CompileText(tokens.subspan(2), line)] {
      s.AssignText(letter, t);
    });
  }
  if (indexed && first.kind == TokenKind::kName) {
    const std::size_t equals = FindTopLevel(tokens, 1, [](const Token& t) { return t.Is("="); });
    if (equals == tokens.size() || !tokens[equals - 1].Is("]") || equals == 3)
      throw ScriptError("an element is set as NAME[INDEX] = EXPRESSION");
    return Statement([&s, name = DatasetName(first), index = s.CompileNumber(tokens.subspan(2, equals - 3), line),
                      e = s.CompileNumber(tokens.subspan(equals + 1), line)] {
      s.AssignElement(name, index, s.Evaluate(e));
    });
  }
  const std::string word = first.kind == TokenKind::kName ? first.text : Session::Source(tokens, line);
  throw ScriptError("unknown statement '" + word + "'");
}

bool Parser::Control(const std::string& word, Tokens rest, std::string_view line) {
  Session& s = session_;
  const std::string where = source_ + ":" + std::to_string(line_) + ": ";
  if (word == "if") {
    If(rest, line);
  } else if (word == "else") {
    Else(rest, line);
  } else if (word == "while") {
    if (rest.empty()) throw ScriptError("'while' needs a condition");
    Step test(Step::Kind::kJumpUnless);
    test.value = s.CompileNumber(rest, line);
    blocks_.emplace_back(Block::Kind::kWhile, line_, Emit(std::move(test)));
  } else if (word == "for") {
    For(rest, line);
  } else if (word == "end") {
    Alone(word, rest);
    End();
  } else if (word == "break" || word == "continue") {
    Alone(word, rest);
    LoopJump(word);
  } else if (word == "exit") {
    Step step(Step::Kind::kExit);
    if (!rest.empty()) step.value = s.CompileNumber(rest, line);
    Emit(std::move(step));
  } else if (word == "print") {
    std::vector<PrintItem> items;
    for (std::size_t start = 0; !rest.empty();) {
      const std::size_t comma = FindTopLevel(rest, start, [](const Token& t) { return t.Is(","); });
      const Tokens part = rest.subspan(start, comma - start);
      if (part.empty()) throw ScriptError("missing item in print");
      PrintItem item;
      item.isText = Session::IsText(part);
      if (item.isText) item.text = s.CompileText(part, line);
      else item.number = s.CompileNumber(part, line);
      items.push_back(std::move(item));
      if (comma == rest.size()) break;
      start = comma + 1;
    }
    Statement([&s, items] { s.Print(items); });
  } else if (word == "list") {
    if (rest.size() == 1 && rest[0].IsName("fum")) return Statement([&s, where] { s.List("", where); }), true;
    if (rest.size() != 1 || rest[0].kind != TokenKind::kFumRef || rest[0].ref.call || rest[0].ref.text)
      throw ScriptError("list takes 'fum' or 'fum.METHOD'");
    Statement([&s, where, name = rest[0].ref.FullName()] { s.List(name, where); });
  } else if (word == "help") {
    if (!rest.empty() && (rest.size() != 1 || rest[0].kind != TokenKind::kFumRef || rest[0].ref.call || rest[0].ref.text))
      throw ScriptError("help takes nothing or 'fum.METHOD'");
    Statement([&s, name = rest.empty() ? std::string() : rest[0].ref.FullName()] { s.Help(name); });
  } else if (word == "check") {
    const bool on = rest.empty() || (rest.size() == 1 && rest[0].IsName("on"));
    const bool strict = rest.size() == 1 && rest[0].IsName("strict");
    if (!on && !strict && !(rest.size() == 1 && rest[0].IsName("off")))
      throw ScriptError("check takes 'on', 'off', 'strict' or nothing");
    Statement([&s, on, strict] {
      s.checking = on || strict;
      s.strict = strict;
    });
  } else if (word == "shift") {
    Alone(word, rest);
    Statement([&s] { s.Shift(); });
  } else {
    return false;
  }
  return true;
}

void Parser::If(Tokens condition, std::string_view line) {
  if (condition.empty()) throw ScriptError("'if' needs a condition");
  Step test(Step::Kind::kJumpUnless);
  test.value = session_.CompileNumber(condition, line);
  const uint32_t at = Emit(std::move(test));
  Block block{Block::Kind::kIf, line_, at};
  block.pending = at;
  block.hasPending = true;
  blocks_.push_back(std::move(block));
}

void Parser::Else(Tokens rest, std::string_view line) {
  if (blocks_.empty() || blocks_.back().kind != Block::Kind::kIf) throw ScriptError("'else' without 'if'");
  Block& block = blocks_.back();
  if (block.sawElse) throw ScriptError("'else' after the 'else' of this 'if'");
  const bool elseIf = !rest.empty() && rest[0].IsName("if");
  if (!rest.empty() && !elseIf) throw ScriptError("'else' takes nothing after it but 'if'");
  // A condition that cannot be compiled is reported before any jump is made.
  NumberExpr condition;
  if (elseIf) {
    if (rest.size() == 1) throw ScriptError("'else if' needs a condition");
    condition = session_.CompileNumber(rest.subspan(1), line);
  }
  block.exits.push_back(Emit(Step(Step::Kind::kJump)));
  program_[block.pending].target = Here();
  block.hasPending = elseIf;
  block.sawElse = !elseIf;
  if (elseIf) {
    Step test(Step::Kind::kJumpUnless);
    test.value = std::move(condition);
    block.pending = Emit(std::move(test));
  }
}

void Parser::For(Tokens rest, std::string_view line) {
  const char* usage = "for takes: for VAR = FIRST to LAST [step STEP]";
  if (rest.size() < 2 || rest[0].kind != TokenKind::kName || !rest[1].Is("=")) throw ScriptError(usage);
  const std::size_t to = FindTopLevel(rest, 2, [](const Token& t) { return t.IsName("to"); });
  const std::size_t by = FindTopLevel(rest, to, [](const Token& t) { return t.IsName("step"); });
  if (to == 2 || to == rest.size() || by == to + 1 || by + 1 == rest.size()) throw ScriptError(usage);
  if (std::find(kKeywords.begin(), kKeywords.end(), Lower(rest[0].text)) != kKeywords.end())
    throw ScriptError("'" + rest[0].text + "' is a keyword, not a variable");
  Step step(Step::Kind::kForStart);
  step.slot = session_.Slot(rest[0]);
  step.value = session_.CompileNumber(rest.subspan(2, to - 2), line);
  step.limit = session_.CompileNumber(rest.subspan(to + 1, by - to - 1), line);
  if (by < rest.size()) step.step = session_.CompileNumber(rest.subspan(by + 1), line);
  blocks_.emplace_back(Block::Kind::kFor, line_, Emit(std::move(step)));
}

void Parser::End() {
  if (blocks_.empty()) throw ScriptError("'end' without a block to close");
  const Block block = std::move(blocks_.back());
  blocks_.pop_back();
  uint32_t again = block.start;  // where 'continue' goes
  if (block.kind == Block::Kind::kIf) {
    if (block.hasPending) program_[block.pending].target = Here();
  } else if (block.kind == Block::Kind::kWhile) {
    Step back(Step::Kind::kJump);
    back.target = block.start;
    program_[Emit(std::move(back))].line = block.line;  // a loop is named by its first line
  } else {
    Step next(Step::Kind::kForNext);
    next.target = block.start;
    next.slot = program_[block.start].slot;
    again = Emit(std::move(next));
    program_[again].line = block.line;
  }
  if (block.kind != Block::Kind::kIf) program_[block.start].target = Here();
  for (uint32_t at : block.exits) program_[at].target = Here();
  for (uint32_t at : block.continues) program_[at].target = again;
}

Parser::Block* Parser::InnermostLoop() {
  for (auto it = blocks_.rbegin(); it != blocks_.rend(); ++it) {
    if (it->kind != Block::Kind::kIf) return &*it;
  }
  return nullptr;
}

void Parser::LoopJump(const std::string& word) {
  Block* loop = InnermostLoop();
  if (loop == nullptr) throw ScriptError("'" + word + "' outside a loop");
  const uint32_t at = Emit(Step(Step::Kind::kJump));
  (word == "break" ? loop->exits : loop->continues).push_back(at);
}

void Parser::Finish() const {
  if (blocks_.empty()) return;
  static constexpr const char* kOpeners[] = {"if", "while", "for"};
  throw ScriptError("'" + std::string(kOpeners[static_cast<int>(blocks_.back().kind)]) +
                    "' is never closed by 'end'");
}

}  // namespace kfio::fumsh
