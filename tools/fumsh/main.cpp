// fumsh: runs scripts on the kfio9_64 module, loaded as a shared library
// behind the reference host.
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "bridge/entry.h"
#include "host/ref_host.h"
#include "tools/fumsh/interrupt.h"
#include "tools/fumsh/options.h"
#include "tools/fumsh/progress.h"
#include "tools/fumsh/runner.h"
#include "tools/fumsh/session.h"
#include "tools/fumsh/terminal.h"

namespace {

using kfio::fumsh::kExitFailed;
using kfio::fumsh::kExitOk;
using kfio::fumsh::kExitUsage;

int UsageError(const std::string& text, bool hint) {
  std::cerr << "fumsh: " << text << '\n';
  if (hint) std::cerr << "Try 'fumsh --help'.\n";
  return kExitUsage;
}

// The script's bytes, or false with the reason.
bool ReadScript(const std::string& path, std::string& text, std::string& error) {
  std::error_code code;
  if (std::filesystem::is_directory(path, code)) {
    error = "'" + path + "' is a directory";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot open '" + path + "': " + std::strerror(errno);
    return false;
  }
  std::ostringstream content;
  content << in.rdbuf();
  if (in.bad()) {
    error = "cannot read '" + path + "'";
    return false;
  }
  text = content.str();
  return true;
}

double SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// While it lives, everything written to stdout and stderr first blanks the
// progress line; the line itself goes straight to stderr.
class ProgressOnStandardError {
 public:
  explicit ProgressOnStandardError(bool terminal)
      : err_(std::cerr.rdbuf()),
        line_(err_, terminal, &SteadySeconds, &std::cout),
        outBuffer_(std::cout.rdbuf(), line_),
        errBuffer_(std::cerr.rdbuf(), line_) {
    if (!terminal) return;
    std::cout.rdbuf(&outBuffer_);
    std::cerr.rdbuf(&errBuffer_);
  }
  ~ProgressOnStandardError() {
    line_.Clear();
    std::cout.flush();
    if (std::cout.rdbuf() == &outBuffer_) std::cout.rdbuf(outBuffer_.Inner());
    if (std::cerr.rdbuf() == &errBuffer_) std::cerr.rdbuf(errBuffer_.Inner());
  }
  ProgressOnStandardError(const ProgressOnStandardError&) = delete;
  ProgressOnStandardError& operator=(const ProgressOnStandardError&) = delete;
  kfio::fumsh::ProgressLine* Line() { return &line_; }

 private:
  std::ostream err_;
  kfio::fumsh::ProgressLine line_;
  kfio::fumsh::ClearingBuffer outBuffer_;
  kfio::fumsh::ClearingBuffer errBuffer_;
};

int Run(const kfio::fumsh::Options& options) {
  std::string script;
  if (options.input == kfio::fumsh::Options::Input::kScript) {
    std::string error;
    if (!ReadScript(options.script, script, error)) return UsageError(error, false);
  }

  refhost::RefHost host(&XODLL);
  host.echo = true;  // the module's lines go to stdout as they are printed
  host.recordCalls = false;  // the record serves tests; a long loop would grow it without bound
  kfio::fumsh::Session session(host, std::cout);
  session.checking = options.check;
  session.strict = options.strict;
  const bool fromCommand = options.input == kfio::fumsh::Options::Input::kCommand;
  session.SetArguments(fromCommand ? "-c" : options.script.empty() ? "-" : options.script, options.arguments);
  kfio::fumsh::Runner runner(session, std::cout, std::cerr);
  ProgressOnStandardError progress(kfio::fumsh::StandardErrorIsTerminal());
  session.progress = progress.Line();
  // At a prompt the time since the session began says nothing.
  const bool prompting =
      options.input == kfio::fumsh::Options::Input::kStandardInput && kfio::fumsh::StandardInputIsTerminal();
  if (!prompting) runner.ShowProgress(progress.Line());
  kfio::fumsh::WatchInterrupts();

  switch (options.input) {
    case kfio::fumsh::Options::Input::kScript:
      if (script.empty()) {
        // Most often a file truncated or never written: worth a word.
        std::cerr << options.script << ":1: warning: empty script\n";
        return kExitOk;
      }
      return runner.RunText(options.script, script);
    case kfio::fumsh::Options::Input::kCommand:
      return runner.RunText("-c", options.command);
    case kfio::fumsh::Options::Input::kStandardInput:
      return runner.RunStream("<stdin>", std::cin, kfio::fumsh::StandardInputIsTerminal());
  }
  return kExitFailed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  kfio::fumsh::Options options;
  std::string error;
  if (!kfio::fumsh::ParseOptions(args, options, error)) return UsageError(error, true);
  if (options.help) {
    std::cout << kfio::fumsh::kHelpText;
    return kExitOk;
  }
  if (options.version) {
    std::cout << "fumsh " << FUMSH_VERSION << '\n';
    return kExitOk;
  }
  return Run(options);
}
