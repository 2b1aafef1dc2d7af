// RefHost services for output, string variables, text checks and host
// commands (4096, 4108, 4114, 4110, 4100).
#include <algorithm>
#include <cstring>
#include <iostream>

#include "host/ref_host.h"

namespace refhost {

uint64_t RefHost::PrintLine(const char* line) {
  const char* text = line != nullptr ? line : "";
  // An echoed line is not kept as well: a long script would grow the list
  // without bound.
  if (echo) {
    std::cout << text << '\n';
  } else {
    output.emplace_back(text);
  }
  return 0;
}

uint64_t RefHost::RunCommand(const char* command) {
  if (command == nullptr) return 1;
  commands.emplace_back(command);
  return 0;
}

uint64_t RefHost::AssignStringVar(const char* text, uint64_t index) {
  if (index >= 26) return 1;
  stringVars_[index] = text != nullptr ? text : "";
  return 0;
}

// The caller's buffer is trusted to hold kHostStringBuffer bytes; a longer
// variable is cut to fit.
uint64_t RefHost::ReadStringVar(char* buffer, uint64_t index) const {
  if (index >= 26 || buffer == nullptr) return 1;
  const std::string& text = stringVars_[index];
  const std::size_t n = std::min(text.size(), kfio::kHostStringBuffer - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return 0;
}

uint64_t RefHost::CheckText(const char* text) const {
  if (refuseText && *refuseText == (text != nullptr ? text : "")) return ~uint64_t{0};
  return 0;
}

}  // namespace refhost
