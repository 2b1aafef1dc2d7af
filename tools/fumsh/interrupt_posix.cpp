// The SIGINT flag on POSIX systems.
#include <csignal>

#include "tools/fumsh/interrupt.h"

namespace kfio::fumsh {

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

void WatchInterrupts() {
  struct sigaction action {};
  action.sa_handler = &OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: a prompt waiting for a line gives up
  sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() { return interrupted != 0; }

}  // namespace kfio::fumsh
