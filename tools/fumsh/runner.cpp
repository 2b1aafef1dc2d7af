// Line loop, message format and the checks made before a script runs.
#include "tools/fumsh/runner.h"

#include <algorithm>
#include <exception>
#include <string>

#include "tools/fumsh/script_error.h"

namespace kfio::fumsh {

namespace {

std::string_view WithoutCarriageReturn(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

void Runner::Message(const std::string& name, std::size_t number, const std::string& text) {
  out_.flush();
  err_ << name << ':' << number << ": " << text << '\n';
  err_.flush();
}

bool Runner::RunLine(const std::string& name, std::size_t number, std::string_view line) {
  try {
    session_.Run(WithoutCarriageReturn(line));
    return true;
  } catch (const ScriptError& error) {
    Message(name, number, error.what());
  } catch (const std::exception& error) {
    Message(name, number, std::string("internal error: ") + error.what());
  }
  return false;
}

int Runner::RunText(const std::string& name, std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  // A NUL never belongs in a script: refuse the file before running any of it.
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    const auto newlines = std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(nul), '\n');
    const std::size_t line = 1 + static_cast<std::size_t>(newlines);
    Message(name, line, "binary file, not a script");
    return kExitFailed;
  }
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    ++number;
    if (!RunLine(name, number, line)) return kExitFailed;
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  out_.flush();
  return kExitOk;
}

int Runner::RunStream(const std::string& name, std::istream& in, bool interactive) {
  int status = kExitOk;
  std::string line;
  for (std::size_t number = 1;; ++number) {
    if (interactive) out_ << "fum> " << std::flush;
    if (!std::getline(in, line)) break;
    if (line.find('\0') != std::string::npos) {
      Message(name, number, "binary input, not a script");
      status = kExitFailed;
    } else if (!RunLine(name, number, line)) {
      status = kExitFailed;
    } else {
      continue;
    }
    if (!interactive) break;
  }
  if (interactive) out_ << '\n';
  out_.flush();
  return status;
}

}  // namespace kfio::fumsh
