// Session: compiles statements' pieces and runs them against the module
// through the reference host. The script's numeric variables live in the
// host's variable map, so the module's own argument evaluation names them.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "host/ref_host.h"
#include "tools/fumsh/lexer.h"
#include "tools/fumsh/progress.h"
#include "tools/fumsh/program.h"

namespace kfio::fumsh {

using Tokens = std::span<const Token>;

// Integral values below 2^53 with all their digits, the rest in the
// shortest text that reads back as the same value.
std::string FormatValue(double value);

// The name before '[' in DATASET[I], as written.
TextExpr DatasetName(const Token& name);

class Session {
 public:
  Session(refhost::RefHost& host, std::ostream& out);

  // The script's name (%0) and arguments (%1 to %9, and `args`).
  void SetArguments(std::string name, std::vector<std::string> arguments);

  // ---- Compiling (compile.cpp); `line` is the source the tokens index ----
  NumberExpr CompileNumber(Tokens tokens, std::string_view line);
  TextExpr CompileText(Tokens tokens, std::string_view line);
  std::shared_ptr<const Member> CompileMember(const FumRef& ref) const;
  // True when the tokens read as a text rather than a number.
  static bool IsText(Tokens tokens);
  // The variable's slot, made on first sight; ScriptError for taken names.
  uint32_t Slot(const Token& name);
  // The source a run of tokens came from, cut short for a message.
  static std::string Source(Tokens tokens, std::string_view line);

  // ---- Running (expressions.cpp) ----
  double Evaluate(const NumberExpr& expression);
  std::string Evaluate(const TextExpr& text);
  void Assign(uint32_t slot, double value) { *Bound(slot) = value; }
  double Value(uint32_t slot);
  double Call(const Member& member);
  double ReadNumber(const Member& member);
  std::string ReadText(const Member& member);
  // %A..%Z become the string variables, %0..%9 the arguments, %% a single %.
  std::string Substitute(std::string_view text) const;

  // ---- Statements (statements.cpp, workspace_statements.cpp) ----
  void Print(const std::vector<PrintItem>& items);
  // `where` ("file:line: ") starts a warning.
  void List(const std::string& method, const std::string& where);
  void Help(const std::string& method);
  void AssignText(char letter, const TextExpr& text) { host_.SetStringVar(letter, Evaluate(text)); }
  void AssignMember(const Member& member, const NumberExpr* number, const TextExpr* text);
  void AssignElement(const TextExpr& dataset, const NumberExpr& index, double value);
  double Element(const TextExpr& dataset, const NumberExpr& index);
  void Shift();
  // One wks or dataset statement: parses the line, and gives what runs it.
  std::function<void()> WorkspaceStatement(std::string_view line);
  // Whether `name` is a method of fum, from the module's own listing.
  bool IsMethod(const std::string& name);

  // When on, a method call whose status is not 1 stops the script; with
  // `strict` too, so does a call that leaves fum.Error non-zero.
  bool checking = false;
  bool strict = false;
  // Where warnings go, after the output is flushed.
  std::ostream* warnings = nullptr;
  // Where long exports and shows report their rows; none when null.
  ProgressLine* progress = nullptr;

 private:
  struct Variable {
    std::string name;          // lower case
    double* value = nullptr;   // the host's map entry, once it exists
  };
  double* Bound(uint32_t slot);
  double Fetch(const Operand& operand);
  static double FetchOperand(void* context, uint32_t operand);
  void CompileOperand(Tokens tokens, std::size_t& i, std::string_view line, std::string& text,
                      std::vector<Operand>& operands);
  refhost::HostDataset& DatasetNamed(const std::string& name) const;
  int32_t ElementIndex(const refhost::HostDataset& dataset, const NumberExpr& index, bool growing);

  [[noreturn]] void Unknown(const Member& member) const;
  [[noreturn]] void Failed(const std::string& what, uint32_t status);

  // Worksheets and datasets (workspace_statements.cpp).
  const refhost::HostPage& PageNamed(const std::string& name) const;
  void ShowPage(const refhost::HostPage& page, int32_t rows);
  void ExportPage(const refhost::HostPage& page, const std::string& file);
  void ShowDataset(const std::string& name, int32_t rows);
  void NewDataset(const std::string& name, int32_t size);

  refhost::RefHost& host_;
  std::ostream& out_;
  std::vector<Variable> variables_;
  std::unordered_map<std::string, uint32_t> slots_;
  double* status_;
  double* result_;
  double* args_;
  std::string scriptName_;
  std::vector<std::string> arguments_;
  std::vector<char> callBuffer_;  // a call's argument text, which the module may edit
};

}  // namespace kfio::fumsh
