// Parser: turns a script's lines into a Program, blocks matched to their
// ends, before any of it runs.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "tools/fumsh/program.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

class Parser {
 public:
  // `source` names the script in the warnings its statements give.
  Parser(Session& session, Program& program, std::string source)
      : session_(session), program_(program), source_(std::move(source)) {}

  // Adds the steps of one line; ScriptError when it cannot be parsed.
  void Line(uint32_t number, std::string_view line);
  // Whether a block is still open.
  bool Open() const { return !blocks_.empty(); }
  // After the last line: ScriptError for the innermost block left open,
  // whose line is OpenLine().
  void Finish() const;
  uint32_t OpenLine() const { return blocks_.empty() ? 0 : blocks_.back().line; }

 private:
  struct Block {
    enum class Kind { kIf, kWhile, kFor };
    Block(Kind k, uint32_t opened, uint32_t first) : kind(k), line(opened), start(first) {}
    Kind kind;
    uint32_t line;
    uint32_t start;                     // the step that opened it
    uint32_t pending = 0;               // if: the test that jumps to the next branch
    bool hasPending = false;
    bool sawElse = false;
    std::vector<uint32_t> exits;        // jumps to just past the end (if branches, break)
    std::vector<uint32_t> continues;
  };

  void Statement(Tokens tokens, std::string_view line);
  bool Control(const std::string& word, Tokens rest, std::string_view line);
  void If(Tokens condition, std::string_view line);
  void Else(Tokens rest, std::string_view line);
  void For(Tokens rest, std::string_view line);
  void End();
  void LoopJump(const std::string& word);
  Block* InnermostLoop();

  uint32_t Emit(Step step);
  uint32_t Here() const { return static_cast<uint32_t>(program_.size()); }
  void Statement(std::function<void()> run);

  Session& session_;
  Program& program_;
  std::string source_;
  uint32_t line_ = 0;
  std::vector<Block> blocks_;
};

}  // namespace kfio::fumsh
