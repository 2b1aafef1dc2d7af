// Parse-then-run of scripts and streams, the step loop, and the messages.
#include "tools/fumsh/runner.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <string>

#include "tools/fumsh/interrupt.h"
#include "tools/fumsh/parser.h"
#include "tools/fumsh/script_error.h"

namespace kfio::fumsh {

namespace {

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool Within(double value, const Step& loop) { return loop.by > 0 ? value <= loop.last : value >= loop.last; }

}  // namespace

void Runner::Message(const std::string& name, std::size_t number, const std::string& text) {
  out_.flush();
  err_ << name << ':' << number << ": " << text << '\n';
  err_.flush();
}

Runner::Ended Runner::Execute(const std::string& name, Program& program) {
  std::size_t pc = 0;
  while (pc < program.size()) {
    if (Interrupted()) {
      Message(name, program[pc].line, "interrupted");
      exitCode_ = kExitInterrupted;
      return Ended::kExited;
    }
    Step& s = program[pc];
    // The clock is read once in 64 steps: a status line costs nothing measurable.
    if ((++steps_ & 63U) == 0 && progress_ != nullptr && progress_->Due(started_))
      progress_->Show(ScriptStatus(name, progress_->Now() - started_, s.line));
    try {
      switch (s.kind) {
        case Step::Kind::kStatement:
          s.run();
          ++pc;
          break;
        case Step::Kind::kAssign:
          session_.Assign(s.slot, session_.Evaluate(s.value));
          ++pc;
          break;
        case Step::Kind::kJumpUnless:
          pc = session_.Evaluate(s.value) != 0.0 ? pc + 1 : s.target;
          break;
        case Step::Kind::kJump:
          pc = s.target;
          break;
        case Step::Kind::kForStart: {
          // The limit and step are taken once, when the loop starts.
          const double first = session_.Evaluate(s.value);
          s.last = session_.Evaluate(s.limit);
          s.by = s.step.Empty() ? 1.0 : session_.Evaluate(s.step);
          if (s.by == 0.0 || std::isnan(s.by)) throw ScriptError("the step of a for loop cannot be " + FormatValue(s.by));
          session_.Assign(s.slot, first);
          pc = Within(first, s) ? pc + 1 : s.target;
          break;
        }
        case Step::Kind::kForNext: {
          const Step& loop = program[s.target];
          const double next = session_.Value(s.slot) + loop.by;
          session_.Assign(s.slot, next);
          pc = Within(next, loop) ? s.target + 1 : pc + 1;
          break;
        }
        case Step::Kind::kExit: {
          const double code = s.value.Empty() ? 0.0 : session_.Evaluate(s.value);
          if (!(code >= 0 && code <= 255) || code != std::trunc(code))
            throw ScriptError("exit takes a status from 0 to 255, not " + FormatValue(code));
          exitCode_ = static_cast<int>(code);
          out_.flush();
          return Ended::kExited;
        }
      }
    } catch (const ScriptError& error) {
      Message(name, s.line, error.what());
      return Ended::kFailed;
    } catch (const std::exception& error) {
      Message(name, s.line, std::string("internal error: ") + error.what());
      return Ended::kFailed;
    }
  }
  out_.flush();
  return Ended::kDone;
}

int Runner::RunText(const std::string& name, std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  // A NUL never belongs in a script: refuse the file before running any of it.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    const auto newlines = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n');
    Message(name, 1 + static_cast<std::size_t>(newlines), "binary file, not a script");
    return kExitFailed;
  }
  Program program;
  Parser parser(session_, program, name);
  uint32_t number = 0;
  try {
    while (!text.empty()) {
      const std::size_t end = text.find('\n');
      ++number;
      parser.Line(number, WithoutCarriageReturn(text.substr(0, end)));
      if (end == std::string_view::npos) break;
      text.remove_prefix(end + 1);
    }
  } catch (const ScriptError& error) {
    Message(name, number, error.what());
    return kExitFailed;
  }
  try {
    parser.Finish();
  } catch (const ScriptError& error) {
    Message(name, parser.OpenLine(), error.what());
    return kExitFailed;
  }
  if (progress_ != nullptr && progress_->Terminal()) started_ = progress_->Now();
  switch (Execute(name, program)) {
    case Ended::kDone: return kExitOk;
    case Ended::kFailed: return kExitFailed;
    case Ended::kExited: return exitCode_;
  }
  return kExitFailed;
}

int Runner::RunStream(const std::string& name, std::istream& in, bool interactive) {
  int status = kExitOk;
  if (progress_ != nullptr && progress_->Terminal()) started_ = progress_->Now();
  Program program;
  auto parser = std::make_unique<Parser>(session_, program, name);
  std::string line;
  for (uint32_t number = 1;; ++number) {
    if (interactive) out_ << (parser->Open() ? "...> " : "fum> ") << std::flush;
    if (!std::getline(in, line)) break;
    bool failed = false;
    if (line.find('\0') != std::string::npos) {
      Message(name, number, "binary input, not a script");
      failed = true;
    } else {
      try {
        parser->Line(number, WithoutCarriageReturn(line));
      } catch (const ScriptError& error) {
        Message(name, number, error.what());
        failed = true;
      }
    }
    if (!failed && parser->Open()) continue;
    if (!failed) {
      const Ended ended = Execute(name, program);
      if (ended == Ended::kExited) return exitCode_;
      failed = ended == Ended::kFailed;
    }
    // What ran, or failed to parse, is done with: the next statement
    // starts afresh.
    program.clear();
    parser = std::make_unique<Parser>(session_, program, name);
    if (failed) {
      status = kExitFailed;
      if (!interactive) break;
    }
  }
  if (interactive) out_ << '\n';
  if (Interrupted()) return kExitInterrupted;
  if (status == kExitOk && parser->Open()) {
    try {
      parser->Finish();
    } catch (const ScriptError& error) {
      Message(name, parser->OpenLine(), error.what());
      status = kExitFailed;
    }
  }
  out_.flush();
  return status;
}

}  // namespace kfio::fumsh
