// Failing system calls for the tests: wrappers put into sys::g_calls make a
// chosen call fail with an OS error, so an injected failure takes the path of
// a real one, through the one errno-to-cause map.
#pragma once

#include <cerrno>
#include <vector>

#include "platform/file_exception.h"
#include "platform/sys_calls.h"

namespace kfio::fault {

// The entries of sys::SystemCalls; `any` stands for every one of them.
enum class Call { open, setBlocking, close, readAt, writeAt, truncate, seek, statFd, statPath, unlink, fullPath, any };

namespace detail {

struct Arm {
  bool armed = false;
  int osError = 0;
  int cause = 0;  // when set, the call throws this cause instead
  int skip = 0;
};

inline Arm g_arms[static_cast<int>(Call::any) + 1];
inline sys::SystemCalls g_under = sys::kOsCalls;
inline std::vector<Call> g_log;

// Counts one call against its own arm, then against `any`; answers the arm
// that fires, or null.
inline const Arm* Take(Call call) {
  g_log.push_back(call);
  for (Call c : {call, Call::any}) {
    Arm& a = g_arms[static_cast<int>(c)];
    if (!a.armed) continue;
    if (a.skip > 0) {
      --a.skip;
      continue;
    }
    a.armed = false;
    return &a;
  }
  return nullptr;
}

template <Call C, auto Entry>
struct Hook;
template <Call C, class... A, int (*sys::SystemCalls::*Entry)(A...)>
struct Hook<C, Entry> {
  static int Run(A... a) {
    const Arm* fired = Take(C);
    if (fired == nullptr) return (g_under.*Entry)(a...);
    // A failed close still frees the descriptor, as on Linux.
    if (C == Call::close) (g_under.*Entry)(a...);
    if (fired->cause != 0) throw CFileException(fired->cause, 0, "");
    return fired->osError;
  }
};

inline void Install() {
  using S = sys::SystemCalls;
  if (sys::g_calls.open == Hook<Call::open, &S::open>::Run) return;
  g_under = sys::g_calls;
  sys::g_calls = {Hook<Call::open, &S::open>::Run,         Hook<Call::setBlocking, &S::setBlocking>::Run,
                  Hook<Call::close, &S::close>::Run,       Hook<Call::readAt, &S::readAt>::Run,
                  Hook<Call::writeAt, &S::writeAt>::Run,   Hook<Call::truncate, &S::truncate>::Run,
                  Hook<Call::seek, &S::seek>::Run,         Hook<Call::statFd, &S::statFd>::Run,
                  Hook<Call::statPath, &S::statPath>::Run, Hook<Call::unlink, &S::unlink>::Run,
                  Hook<Call::fullPath, &S::fullPath>::Run};
}

}  // namespace detail

// The (skip+1)-th next call of `call` fails with osError and does nothing
// (a close still closes); the calls after it go through. A new Fail or
// Throw for the same call replaces the old one.
inline void Fail(Call call, int osError, int skip = 0) {
  detail::Install();
  detail::g_arms[static_cast<int>(call)] = {true, osError, 0, skip < 0 ? 0 : skip};
}

// As Fail, but the call throws `cause` (OS error 0): for the causes that no
// OS error maps to, which only the layers above can meet. Only for a call
// whose caller may throw: a close from Close, not from a destructor.
inline void Throw(Call call, int cause, int skip = 0) {
  detail::Install();
  detail::g_arms[static_cast<int>(call)] = {true, 0, cause, skip < 0 ? 0 : skip};
}

// Puts the system's own calls back, disarmed, with an empty log.
inline void Clear() {
  for (detail::Arm& a : detail::g_arms) a = {};
  detail::g_log.clear();
  sys::g_calls = sys::kOsCalls;
}

// The calls made since the last Record or Clear, once Record has put the
// wrappers in.
inline void Record() {
  detail::Install();
  detail::g_log.clear();
}
inline const std::vector<Call>& Calls() { return detail::g_log; }

// Tests read as a script that pauses between calls: every look at a buffered
// file asks the OS, so each system call above comes where it would without
// the quick-succession rule. A test of that rule sets sys::g_clockNs itself.
inline uint64_t PausingClockNs() {
  static uint64_t now = 0;
  return now += 1'000'000'000;
}
inline const bool kPausingClock = (sys::g_clockNs = &PausingClockNs, true);

}  // namespace kfio::fault
