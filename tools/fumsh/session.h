// Session: runs statements against the module through the reference host,
// keeping the script's numeric variables in the host's variable map so the
// host's evaluator (and the module's own argument evaluation) can name them.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <string_view>

#include "host/ref_host.h"
#include "tools/fumsh/lexer.h"

namespace kfio::fumsh {

class Session {
 public:
  Session(refhost::RefHost& host, std::ostream& out);

  // Runs one line; throws ScriptError when it cannot.
  void Run(std::string_view line);

  // When on, a method call whose status is not 1 stops the script.
  bool checking = false;

 private:
  using Tokens = std::span<const Token>;

  // Statements (statements.cpp).
  void Print(Tokens items);
  void List(Tokens target);
  void Check(Tokens rest);
  void AssignMember(const FumRef& ref, Tokens value);
  void AssignVariable(const Token& name, Tokens value);

  // Worksheets and datasets of the host (workspace_statements.cpp).
  void Worksheet();
  void ShowDataset();
  const refhost::HostPage& PageNamed(const std::string& name) const;
  void ShowPage(const refhost::HostPage& page, int32_t rows);
  void ExportPage(const refhost::HostPage& page, const std::string& file);

  // Expressions (expressions.cpp).
  double Number(Tokens tokens);
  std::string Text(Tokens tokens);
  bool StartsText(Tokens tokens) const;
  double ReadNumber(const FumRef& ref);
  std::string ReadText(const FumRef& ref);
  double CallMethod(const FumRef& ref);
  // %A..%Z become the string variables, %% a single %.
  std::string Substitute(std::string_view text) const;
  // The source text that a run of tokens came from.
  std::string Source(Tokens tokens) const;

  // Messages of a failed member access.
  [[noreturn]] void Unknown(const FumRef& ref) const;
  [[noreturn]] void Failed(const std::string& what, uint32_t status);

  refhost::RefHost& host_;
  std::ostream& out_;
  std::string_view line_;
};

}  // namespace kfio::fumsh
