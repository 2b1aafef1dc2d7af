// The command line of fumsh.
#pragma once

#include <string>
#include <vector>

namespace kfio::fumsh {

struct Options {
  enum class Input { kScript, kCommand, kStandardInput };
  Input input = Input::kStandardInput;
  std::string script;   // the file, for kScript
  std::string command;  // the statements, for kCommand
  std::vector<std::string> arguments;  // the script's own: %1, %2, ...
  bool check = false;   // -e
  bool strict = false;  // -E
  bool help = false;
  bool version = false;
};

// Fills `options` from the arguments after the program name; on a usage
// error returns false with the reason in `error`.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

// The text of --help.
extern const char* const kHelpText;

}  // namespace kfio::fumsh
