// The tokens of one script line: numbers, names, texts, fum references
// (with a method call's raw argument text) and operators.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kfio::fumsh {

// fum.NAME, fum.NAME$, fum.METHOD(args), fum.METHOD.MEMBER and so on.
struct FumRef {
  std::string object;              // "fum" as the script spelled it
  std::vector<std::string> names;  // the dotted names after the object
  bool text = false;               // written with a trailing '$'
  bool call = false;               // followed by a parenthesised argument text
  std::string args;                // that text, untouched

  // The reference as written, without the argument text: "fum.Open".
  std::string Spelling() const;
  // Everything but the last name, joined with '.': the method path.
  std::string Path() const;
  // All names joined with '.'.
  std::string FullName() const;
};

enum class TokenKind {
  kNumber,     // text: the literal as written
  kName,       // text: the name as written
  kStringVar,  // text: the letter, upper case
  kText,       // text: the literal's content, escapes resolved
  kFumRef,     // ref
  kOperator,   // text: one of + - * / ^ ( ) [ ] , = == != < <= > >= && || !
  kWord,       // text: a bare word of a wks or dataset statement, as written
};

struct Token {
  TokenKind kind;
  std::string text;
  FumRef ref;
  std::size_t begin = 0;  // byte offsets of the token in the line
  std::size_t end = 0;

  bool Is(std::string_view op) const { return kind == TokenKind::kOperator && text == op; }
  bool IsName(std::string_view word) const;
};

// Splits one line; a '#' outside a text or an argument list ends it.
// Throws ScriptError on a character or literal that cannot start a token.
// With `words`, anything that is not a text, a string variable, a fum
// reference or a lone '+' is a kWord running to the next blank: the file
// and dataset names of wks and dataset statements need no quotes.
std::vector<Token> Tokenize(std::string_view line, bool words = false);

// Case-insensitive comparison of ASCII names.
bool SameName(std::string_view a, std::string_view b);

}  // namespace kfio::fumsh
