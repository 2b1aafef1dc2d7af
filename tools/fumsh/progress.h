// Progress on standard error for long work: one line rewritten in place,
// shown only on a terminal, after a second of work, at most ten times a second.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

namespace kfio::fumsh {

class ProgressLine {
 public:
  using Clock = std::function<double()>;  // seconds from any fixed point
  static constexpr double kDelay = 1.0;     // work shorter than this shows nothing
  static constexpr double kInterval = 0.1;  // the least time between two lines
  // A longer line would wrap, and '\r' would then rewrite only its last row.
  static constexpr std::size_t kWidth = 79;

  // Nothing is ever written unless `terminal`. `output`, when given, is
  // flushed before a line is shown, so its text comes first.
  ProgressLine(std::ostream& err, bool terminal, Clock clock, std::ostream* output = nullptr);
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  bool Terminal() const { return terminal_; }
  double Now() const { return clock_(); }
  // Whether a line is due for work that began at `started`; reads the clock
  // only on a terminal.
  bool Due(double started);
  // Writes `text`, cut to kWidth, over the line shown, if any.
  void Show(const std::string& full);
  // Blanks the line shown, if any, and puts the cursor at its start.
  void Clear();

 private:
  std::ostream& err_;
  bool terminal_;
  Clock clock_;
  std::ostream* output_;
  std::size_t shown_ = 0;  // width of the line on screen; 0 when none
  double last_ = 0.0;
  bool everShown_ = false;
};

// Rows done of a known total: "exporting NAME: 1200 of 3000 rows, 600 rows/s, 3 s left".
// A null line, or one not on a terminal, costs a comparison a row.
class RowProgress {
 public:
  static constexpr int64_t kStride = 1024;  // rows between two looks at the clock
  RowProgress(ProgressLine* line, std::string what, int64_t total);
  ~RowProgress();
  void Update(int64_t done) {
    if (done >= next_) Look(done);
  }

 private:
  void Look(int64_t done);
  ProgressLine* line_;
  std::string what_;
  int64_t total_;
  int64_t next_;
  double started_ = 0.0;
};

// A stream buffer that blanks the progress line before it passes anything
// on, so that output and messages never land beside a progress line.
class ClearingBuffer : public std::streambuf {
 public:
  ClearingBuffer(std::streambuf* inner, ProgressLine& line) : inner_(inner), line_(line) {}
  std::streambuf* Inner() const { return inner_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override { return inner_->pubsync(); }

 private:
  std::streambuf* inner_;
  ProgressLine& line_;
};

// "running NAME: 12.3 s, line 42"
std::string ScriptStatus(const std::string& name, double seconds, std::size_t line);

}  // namespace kfio::fumsh
