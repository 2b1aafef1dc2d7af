// Whether standard input is an interactive terminal.
#pragma once

namespace kfio::fumsh {

bool StandardInputIsTerminal();

}  // namespace kfio::fumsh
