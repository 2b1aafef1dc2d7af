// Splitting a script line into tokens.
#include "tools/fumsh/lexer.h"

#include <cstdio>

#include "kutl/names.h"
#include "tools/fumsh/script_error.h"

namespace kfio::fumsh {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsNameChar(char c) { return IsLetter(c) || IsDigit(c) || c == '_'; }

// A character in a message: itself when printable, else its code, so a
// binary line cannot garble the terminal.
std::string Shown(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x20 && byte < 0x7F) return std::string(1, c);
  char code[8];
  std::snprintf(code, sizeof code, "\\x%02X", byte);
  return code;
}

class Lexer {
 public:
  Lexer(std::string_view line, bool words) : line_(line), words_(words) {}

  std::vector<Token> Run() {
    std::vector<Token> tokens;
    while (true) {
      SkipBlanks();
      if (AtEnd() || Peek() == '#') break;
      const std::size_t begin = pos_;
      Token token = Next();
      token.begin = begin;
      token.end = pos_;
      tokens.push_back(std::move(token));
    }
    return tokens;
  }

 private:
  Token Next() {
    const char c = Peek();
    if (c == '"') return Token{TokenKind::kText, QuotedText(), {}};
    if (words_) return WordOrName();
    if (IsDigit(c) || (c == '.' && IsDigit(PeekAt(1)))) return NumberToken();
    if (IsLetter(c)) return NameToken();
    for (std::string_view pair : {"==", "!=", "<=", ">=", "&&", "||"}) {
      if (c == pair[0] && PeekAt(1) == pair[1]) {
        pos_ += 2;
        return Token{TokenKind::kOperator, std::string(pair), {}};
      }
    }
    if (std::string_view("+-*/^()[],=<>!").find(c) != std::string_view::npos) {
      ++pos_;
      return Token{TokenKind::kOperator, std::string(1, c), {}};
    }
    throw ScriptError("unexpected character '" + Shown(c) + "'");
  }

  // In word mode a name that is not A$ or fum.X runs on to the next blank
  // as a word, as does anything else but a lone '+'.
  Token WordOrName() {
    const std::size_t start = pos_;
    if (Peek() == '+') {
      ++pos_;
      return Token{TokenKind::kOperator, "+", {}};
    }
    if (IsLetter(Peek())) {
      Name();
      const bool fum = SameName(line_.substr(start, pos_ - start), "fum") && Peek() == '.';
      if (Peek() == '$' || fum) {
        pos_ = start;
        return NameToken();
      }
    }
    while (!AtEnd() && Peek() != ' ' && Peek() != '\t' && Peek() != '#') ++pos_;
    return Token{TokenKind::kWord, std::string(line_.substr(start, pos_ - start)), {}};
  }

  // Digits with an optional fraction and exponent; the host's evaluator
  // decides what the literal is worth.
  Token NumberToken() {
    const std::size_t start = pos_;
    while (IsDigit(Peek()) || Peek() == '.') ++pos_;
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(PeekAt(1)) || ((PeekAt(1) == '+' || PeekAt(1) == '-') && IsDigit(PeekAt(2))))) {
      pos_ += 2;
      while (IsDigit(Peek())) ++pos_;
    }
    if (IsNameChar(Peek()) || Peek() == '$') {
      while (IsNameChar(Peek()) || Peek() == '$') ++pos_;
      throw ScriptError("bad number '" + std::string(line_.substr(start, pos_ - start)) + "'");
    }
    return Token{TokenKind::kNumber, std::string(line_.substr(start, pos_ - start)), {}};
  }

  std::string Name() {
    const std::size_t start = pos_;
    while (IsNameChar(Peek())) ++pos_;
    return std::string(line_.substr(start, pos_ - start));
  }

  Token NameToken() {
    std::string name = Name();
    if (Peek() == '$') {
      ++pos_;
      if (name.size() != 1) {
        throw ScriptError("string variables are A$ to Z$, not '" + name + "$'");
      }
      return Token{TokenKind::kStringVar, std::string(1, kfio::kutl::UpperAscii(name[0])), {}};
    }
    if (SameName(name, "fum") && Peek() == '.') return FumToken(std::move(name));
    return Token{TokenKind::kName, std::move(name), {}};
  }

  Token FumToken(std::string object) {
    Token token{TokenKind::kFumRef, {}, {}};
    FumRef& ref = token.ref;
    ref.object = std::move(object);
    while (Peek() == '.') {
      ++pos_;
      if (!IsLetter(Peek())) {
        const std::string written = ref.object + "." + (ref.names.empty() ? "" : ref.FullName() + ".");
        throw ScriptError("expected a member name after '" + written + "'");
      }
      ref.names.push_back(Name());
    }
    if (Peek() == '$') {
      ++pos_;
      ref.text = true;
    }
    SkipBlanks();
    if (Peek() == '(') {
      if (ref.text) throw ScriptError("a method call gives a number: '" + ref.Spelling() + "('");
      ref.call = true;
      ref.args = ArgumentText(ref);
    }
    return token;
  }

  // The text between the outer parentheses, as written. Parentheses nest;
  // inside double quotes they do not count, and \" does not end the quote.
  std::string ArgumentText(const FumRef& ref) {
    const std::size_t start = ++pos_;
    int depth = 1;
    bool quoted = false;
    for (; !AtEnd(); ++pos_) {
      const char c = Peek();
      if (quoted) {
        if (c == '\\' && pos_ + 1 < line_.size()) {
          ++pos_;
        } else if (c == '"') {
          quoted = false;
        }
      } else if (c == '"') {
        quoted = true;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        std::string args(line_.substr(start, pos_ - start));
        ++pos_;
        return args;
      }
    }
    if (quoted) throw ScriptError("unterminated string in the arguments of " + ref.Spelling());
    throw ScriptError("missing ')' after the arguments of " + ref.Spelling());
  }

  std::string QuotedText() {
    ++pos_;
    std::string text;
    while (!AtEnd()) {
      const char c = line_[pos_++];
      if (c == '"') return text;
      if (c != '\\') {
        text += c;
        continue;
      }
      if (AtEnd()) break;
      const char e = line_[pos_++];
      switch (e) {
        case '"': text += '"'; break;
        case '\\': text += '\\'; break;
        case 'n': text += '\n'; break;
        case 't': text += '\t'; break;
        case 'r': text += '\r'; break;
        default: throw ScriptError("unknown escape '\\" + Shown(e) + "' in a string");
      }
    }
    throw ScriptError("unterminated string");
  }

  void SkipBlanks() {
    while (!AtEnd() && (Peek() == ' ' || Peek() == '\t')) ++pos_;
  }
  bool AtEnd() const { return pos_ >= line_.size(); }
  char Peek() const { return PeekAt(0); }
  char PeekAt(std::size_t ahead) const {
    return pos_ + ahead < line_.size() ? line_[pos_ + ahead] : '\0';
  }

  std::string_view line_;
  bool words_;
  std::size_t pos_ = 0;
};

}  // namespace

bool SameName(std::string_view a, std::string_view b) { return kfio::kutl::EqualNoCase(a, b); }

std::string FumRef::Spelling() const {
  std::string text = object + "." + FullName();
  if (this->text) text += '$';
  return text;
}

std::string FumRef::Path() const {
  std::string path;
  for (std::size_t i = 0; i + 1 < names.size(); ++i) {
    if (i > 0) path += '.';
    path += names[i];
  }
  return path;
}

std::string FumRef::FullName() const {
  std::string name;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i > 0) name += '.';
    name += names[i];
  }
  return name;
}

bool Token::IsName(std::string_view word) const {
  return kind == TokenKind::kName && SameName(text, word);
}

std::vector<Token> Tokenize(std::string_view line, bool words) { return Lexer(line, words).Run(); }

}  // namespace kfio::fumsh
