// RefHost services for expressions and number formatting (4124, 4154).
#include <charconv>
#include <cmath>
#include <cstring>

#include "host/evaluator.h"
#include "host/ref_host.h"

namespace refhost {

std::optional<double> RefHost::Evaluate(const std::string& text) const {
  return EvaluateExpression(text, variables);
}

// A text the host cannot evaluate still yields a number, 0.0, as a script
// host would leave a failed expression; the answer 1 says so, though the
// module does not look at it.
uint64_t RefHost::EvaluateInto(const char* text, double* result) const {
  if (result == nullptr) return 1;
  const std::optional<double> value =
      text != nullptr ? EvaluateExpression(text, variables) : std::nullopt;
  *result = value.value_or(0.0);
  return value ? 0 : 1;
}

// Shortest round-trip text; integers carry no ".0", -0 keeps its sign,
// infinities read "inf"/"-inf" and every NaN reads "nan" whatever its sign.
std::string RefHost::FormatNumber(double value) {
  if (std::isnan(value)) return "nan";
  char text[64];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  if (ec != std::errc()) return "nan";
  return std::string(text, end);
}

// Every format is served as "*": this host has one way to write a number.
// The module's buffer is taken to hold at least 64 bytes.
uint64_t RefHost::FormatInto(const double* value, kfio::FormatBlock* block) {
  if (value == nullptr || block == nullptr || block->buffer == nullptr) return 1;
  const std::string text = FormatNumber(*value);
  std::memcpy(block->buffer, text.c_str(), text.size() + 1);
  return 0;
}

}  // namespace refhost
