// Whether standard input, or standard error, is an interactive terminal.
#pragma once

namespace kfio::fumsh {

bool StandardInputIsTerminal();
bool StandardErrorIsTerminal();

}  // namespace kfio::fumsh
