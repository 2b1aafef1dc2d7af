// The module's side of the host services.
#include "bridge/host_services.h"

#include "kutl/names.h"

namespace kfio {

HostLink& TheHostLink() {
  static HostLink link;
  return link;
}

uint64_t HostCall(uint32_t opcode, uint64_t a, uint64_t b) {
  const HostLink& link = TheHostLink();
  if (link.callback == nullptr) return 0;
  return link.callback(link.context, opcode, a, b);
}

void PrintLine(const char* line) {
  if (!HostKnown()) return;
  HostCall(op::kPrintLine, reinterpret_cast<uint64_t>(line ? line : ""), 0);
}

double EvaluateExpression(const char* text) {
  double value = 0.0;
  if (HostKnown()) HostCall(op::kEvaluate, const_cast<char*>(text ? text : ""), &value);
  return value;
}

std::string FormatNumber(double value) {
  char buffer[128] = {};
  FormatBlock block{buffer, "*"};
  HostCall(op::kFormatNumber, &value, &block);
  buffer[sizeof buffer - 1] = '\0';
  return buffer;
}

int LetterIndex(char letter) {
  const char c = kutl::UpperAscii(letter);  // no locale: a letter is A to Z
  return (c >= 'A' && c <= 'Z') ? c - 'A' : -1;
}

bool AssignStringVariable(int letterIndex, const char* text) {
  if (!HostKnown()) return true;
  return HostCall(op::kSetStringVar, reinterpret_cast<uint64_t>(text ? text : ""),
                  static_cast<uint64_t>(letterIndex)) == 0;
}

bool ReadStringVariable(int letterIndex, char* buffer) {
  if (!HostKnown()) return true;
  return HostCall(op::kGetStringVar, reinterpret_cast<uint64_t>(buffer),
                  static_cast<uint64_t>(letterIndex)) == 0;
}

bool FindWorksheetHandle(const char* pageName, uint64_t& handle) {
  handle = 0;
  return HostCall(op::kWorksheetHandle, pageName ? pageName : "", &handle) == 0;
}

bool HandRow(uint64_t handle, const RowBlock& row) {
  const HostLink& link = TheHostLink();
  if (link.callback == nullptr) return false;
  return link.callback(handle, op::kTakeRow, reinterpret_cast<uint64_t>(&row), 0) == 0;
}

void RunHostCommand(const char* command) {
  HostCall(op::kRunCommand, reinterpret_cast<uint64_t>(command ? command : ""), 0);
}

bool NotifyAfterMethod() { return HostCall(op::kAfterMethod, 0, 0) != 0; }

}  // namespace kfio
