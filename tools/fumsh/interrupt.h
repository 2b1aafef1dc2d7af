// Ctrl-C: a flag the runner polls between steps, so a script ends through
// the normal exit path and the module closes its files.
#pragma once

namespace kfio::fumsh {

// Installs the SIGINT handler; reads that block are interrupted, not resumed.
void WatchInterrupts();
bool Interrupted();

inline constexpr int kExitInterrupted = 130;  // 128 + SIGINT, as shells report it

}  // namespace kfio::fumsh
