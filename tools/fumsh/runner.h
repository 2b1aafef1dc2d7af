// Running a whole script, or a session read from a stream, with messages
// that name the source and the line.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

#include "tools/fumsh/program.h"
#include "tools/fumsh/progress.h"
#include "tools/fumsh/session.h"

namespace kfio::fumsh {

// Exit statuses of fumsh.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

class Runner {
 public:
  // `out` is where the session prints; it is flushed before every message
  // so that both streams, sent to one place, keep their order.
  Runner(Session& session, std::ostream& out, std::ostream& err)
      : session_(session), out_(out), err_(err) {
    session_.warnings = &err_;
  }

  // Parses all of `text`, then runs it unless a line could not be parsed.
  int RunText(const std::string& name, std::string_view text);
  // Reads lines, running each statement (a block: once its 'end' is read)
  // as it is complete; with `interactive` it prompts and goes on after a
  // failure (the exit status still records it).
  int RunStream(const std::string& name, std::istream& in, bool interactive);
  // A script running longer than a second reports its time and line there.
  void ShowProgress(ProgressLine* line) { progress_ = line; }

 private:
  enum class Ended { kDone, kFailed, kExited };
  Ended Execute(const std::string& name, Program& program);
  void Message(const std::string& name, std::size_t number, const std::string& text);

  Session& session_;
  std::ostream& out_;
  std::ostream& err_;
  int exitCode_ = kExitOk;  // set when Execute ends with kExited
  ProgressLine* progress_ = nullptr;
  double started_ = 0.0;  // when the script began, by the progress line's clock
  uint32_t steps_ = 0;
};

}  // namespace kfio::fumsh
