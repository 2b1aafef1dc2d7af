// Terminal test on POSIX systems.
#include <unistd.h>

#include "tools/fumsh/terminal.h"

namespace kfio::fumsh {

bool StandardInputIsTerminal() { return isatty(STDIN_FILENO) == 1; }
bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace kfio::fumsh
