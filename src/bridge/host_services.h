// Calls into the host: the callback and context kept by the entry point, and
// one small wrapper per service the module uses.
#pragma once

#include <cstdint>
#include <string>

#include "bridge/host_blocks.h"

namespace kfio {

// The pair the entry point stores on every call; every service uses the
// most recent one.
struct HostLink {
  HostCallback callback = nullptr;
  uint64_t context = 0;
};
HostLink& TheHostLink();

inline bool HostKnown() { return TheHostLink().callback != nullptr; }

// One service call; 0 without a callback (callers decide what that means).
uint64_t HostCall(uint32_t opcode, uint64_t a, uint64_t b);

template <typename A, typename B>
uint64_t HostCall(uint32_t opcode, A* a, B* b) {
  return HostCall(opcode, reinterpret_cast<uint64_t>(a), reinterpret_cast<uint64_t>(b));
}

// 4096: one line to the host's output; skipped without a callback.
void PrintLine(const char* line);
inline void PrintLine(const std::string& line) { PrintLine(line.c_str()); }

// 4124: the host evaluates `text`; 0.0 when there is no host to ask.
double EvaluateExpression(const char* text);

// 4154 with format "*": the host's text for `value` (empty without a host).
std::string FormatNumber(double value);

// 4108 / 4114 on the string variable of `letter` (A-Z, either case; or an
// index 0-25). Without a callback both count as done.
int LetterIndex(char letter);  // -1 when not a letter
bool AssignStringVariable(int letterIndex, const char* text);
bool ReadStringVariable(int letterIndex, char* buffer);  // kHostStringBuffer bytes

// 4099: the host's handle for the worksheet `pageName`, for HandRow; false
// when the host has none.
bool FindWorksheetHandle(const char* pageName, uint64_t& handle);
// The callback with `handle` (from FindWorksheetHandle) in place of the host
// context, opcode 0: true when the host took the row.
bool HandRow(uint64_t handle, const RowBlock& row);
// 4100: runs a host command; the answer is not used.
void RunHostCommand(const char* command);

// 12300: after each method; true when the host answered non-zero.
bool NotifyAfterMethod();

}  // namespace kfio
