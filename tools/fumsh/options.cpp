// Parsing the command line of fumsh.
#include "tools/fumsh/options.h"

namespace kfio::fumsh {

const char* const kHelpText =
    "Usage: fumsh [-e|-E] [SCRIPT [ARGUMENT...]]\n"
    "       fumsh [-e|-E] -c STATEMENTS [ARGUMENT...]\n"
    "Run statements on the fum object of the kfio9_64 module: from the file\n"
    "SCRIPT, from the text given with -c, or from standard input (SCRIPT\n"
    "omitted or '-'; with a prompt when it is a terminal). The script sees\n"
    "its arguments as %1 to %9 and their number as 'args'.\n"
    "\n"
    "  -c STATEMENTS  run STATEMENTS, one per line, instead of a file\n"
    "  -e             stop at the first method call that fails (as 'check')\n"
    "  -E             stop too when a call leaves fum.Error set (as 'check strict')\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Options come before SCRIPT; every word after it is an argument.\n"
    "The statement 'help' lists the language; docs/scripting.md describes it.\n"
    "\n"
    "Exit status: 0 when every statement ran, 1 when one failed or the\n"
    "script could not be parsed, 2 for a usage error, N for 'exit N', 130\n"
    "when interrupted.\n"
    "\n"
    "When standard error is a terminal, an export, a dataset show or a script\n"
    "running longer than a second reports its progress there in one line,\n"
    "blanked when done; otherwise nothing is written for it.\n";

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  bool commandGiven = false;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') break;
    if (arg == "--") {
      ++i;
      break;
    }
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--version") {
      options.version = true;
    } else if (arg == "-e") {
      options.check = true;
    } else if (arg == "-E") {
      options.check = options.strict = true;
    } else if (arg == "-c") {
      if (i + 1 >= args.size()) {
        error = "option -c needs the statements to run";
        return false;
      }
      if (commandGiven) {
        error = "option -c given twice";
        return false;
      }
      commandGiven = true;
      options.command = args[++i];
    } else {
      error = "unknown option '" + arg + "'";
      return false;
    }
  }
  if (commandGiven) {
    options.input = Options::Input::kCommand;
  } else if (i < args.size()) {
    options.script = args[i++];
    if (options.script != "-") options.input = Options::Input::kScript;
  }
  options.arguments.assign(args.begin() + static_cast<std::ptrdiff_t>(i), args.end());
  return true;
}

}  // namespace kfio::fumsh
