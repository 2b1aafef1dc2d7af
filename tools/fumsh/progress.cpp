// The progress line: throttling, rewriting in place, rows and rates.
#include "tools/fumsh/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <utility>

namespace kfio::fumsh {

ProgressLine::ProgressLine(std::ostream& err, bool terminal, Clock clock, std::ostream* output)
    : err_(err), terminal_(terminal), clock_(std::move(clock)), output_(output) {}

bool ProgressLine::Due(double started) {
  if (!terminal_) return false;
  const double now = clock_();
  return now - started >= kDelay && (!everShown_ || now - last_ >= kInterval);
}

void ProgressLine::Show(const std::string& full) {
  if (!terminal_) return;
  const std::string text = full.substr(0, kWidth);
  if (output_ != nullptr) output_->flush();
  const std::size_t pad = shown_ > text.size() ? shown_ - text.size() : 0;
  err_ << '\r' << text << std::string(pad, ' ');
  err_.flush();
  shown_ = std::max<std::size_t>({shown_, text.size(), 1});  // the padding is on screen too
  last_ = clock_();
  everShown_ = true;
}

void ProgressLine::Clear() {
  if (shown_ == 0) return;
  const std::size_t width = shown_;
  shown_ = 0;  // first, as err_ may pass through a ClearingBuffer
  err_ << '\r' << std::string(width, ' ') << '\r';
  err_.flush();
}

RowProgress::RowProgress(ProgressLine* line, std::string what, int64_t total)
    : line_(line != nullptr && line->Terminal() ? line : nullptr),
      what_(std::move(what)),
      total_(total),
      next_(line_ != nullptr ? kStride : INT64_MAX) {
  if (line_ != nullptr) started_ = line_->Now();
}

RowProgress::~RowProgress() {
  if (line_ != nullptr) line_->Clear();
}

void RowProgress::Look(int64_t done) {
  next_ = done + kStride;
  if (!line_->Due(started_)) return;
  const double seconds = line_->Now() - started_;
  const double rate = done / seconds;
  std::string text = what_ + ": " + std::to_string(done) + " of " + std::to_string(total_) + " rows, " +
                     std::to_string(static_cast<int64_t>(rate)) + " rows/s";
  if (rate > 0) text += ", " + std::to_string(static_cast<int64_t>(std::ceil((total_ - done) / rate))) + " s left";
  line_->Show(text);
}

ClearingBuffer::int_type ClearingBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
  line_.Clear();
  return inner_->sputc(traits_type::to_char_type(c));
}

std::streamsize ClearingBuffer::xsputn(const char* s, std::streamsize n) {
  line_.Clear();
  return inner_->sputn(s, n);
}

std::string ScriptStatus(const std::string& name, double seconds, std::size_t line) {
  char elapsed[32];
  std::snprintf(elapsed, sizeof elapsed, "%.1f", seconds);
  return "running " + name + ": " + elapsed + " s, line " + std::to_string(line);
}

}  // namespace kfio::fumsh
