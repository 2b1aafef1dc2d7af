// Running a whole script, or a session read from a stream, with messages
// that name the source and the line.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <string_view>

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
      : session_(session), out_(out), err_(err) {}

  // Runs every line of `text`, stopping at the first that fails.
  int RunText(const std::string& name, std::string_view text);
  // Reads lines one at a time; with `interactive` it prompts and goes on
  // after a failure (the exit status still records it).
  int RunStream(const std::string& name, std::istream& in, bool interactive);

 private:
  // One line; false (after the message) when it failed.
  bool RunLine(const std::string& name, std::size_t number, std::string_view line);
  void Message(const std::string& name, std::size_t number, const std::string& text);

  Session& session_;
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace kfio::fumsh
