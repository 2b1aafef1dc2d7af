// Parsing the command line of fumsh.
#include "tools/fumsh/options.h"

namespace kfio::fumsh {

const char* const kHelpText =
    "Usage: fumsh [-e] [SCRIPT]\n"
    "       fumsh [-e] -c STATEMENTS\n"
    "Run statements on the fum object of the kfio9_64 module: from the file\n"
    "SCRIPT, from the text given with -c, or from standard input (with a\n"
    "prompt when it is a terminal).\n"
    "\n"
    "  -c STATEMENTS  run STATEMENTS, one per line, instead of a file\n"
    "  -e             stop at the first method call that fails (as 'check')\n"
    "  --help         print this help and exit\n"
    "  --version      print the version and exit\n"
    "\n"
    "Besides fum statements, scripts can make and show the host's data:\n"
    "  wks new NAME [COLUMNS]    wks show NAME [ROWS]    wks export NAME FILE.csv|-\n"
    "  dataset show NAME [ROWS]\n"
    "\n"
    "Exit status: 0 when every statement ran, 1 when one failed, 2 for a\n"
    "usage error. The language is described in docs/scripting.md.\n";

bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error) {
  bool commandGiven = false;
  bool scriptGiven = false;
  bool optionsEnded = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        optionsEnded = true;
      } else if (arg == "--help" || arg == "-h") {
        options.help = true;
      } else if (arg == "--version") {
        options.version = true;
      } else if (arg == "-e") {
        options.check = true;
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
      continue;
    }
    if (scriptGiven) {
      error = "only one script can be run, got '" + options.script + "' and '" + arg + "'";
      return false;
    }
    scriptGiven = true;
    options.script = arg;
  }
  if (commandGiven && scriptGiven) {
    error = "give a script or -c, not both";
    return false;
  }
  if (commandGiven) {
    options.input = Options::Input::kCommand;
  } else if (scriptGiven && options.script != "-") {
    options.input = Options::Input::kScript;
  }
  return true;
}

}  // namespace kfio::fumsh
