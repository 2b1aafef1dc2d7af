// Fuzz target: a short sequence of XODLL calls decoded from the input, made through the reference host in a scratch folder.
#include <string>
#include <vector>

#include "fuzz/fuzz_host.h"
#include "module/fum.h"

namespace {

// The names of the FUM methods and properties, in table order, alternate spellings included.
std::vector<std::string> Names(const kfio::MemberTable& table) {
  std::vector<std::string> names;
  for (const auto& e : table) names.emplace_back(e.name);
  return names;
}

// A script that asks for billions of characters or values gets them (CRead(Z, 2147483647) builds 2 GiB of
// spaces), which is no fault but outgrows the fuzzer's memory limit. Method arguments keep their numbers below
// ten million: no run of more than six digits, no exponent, no '*' or '^' ('/' ends the input anyway).
bool SmallNumbers(const std::string& text) {
  int digits = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '*' || c == '^') return false;
    if (c >= '0' && c <= '9') {
      if (++digits > 6) return false;
      continue;
    }
    if (digits != 0 && (c == 'e' || c == 'E')) return false;
    digits = 0;
  }
  return true;
}

}  // namespace

// Each call: a byte whose top bit chooses a method (the rest of it indexes the method table) or a
// property (bit 6: a text, else the next byte as a signed number), then the text if any. At most 12 calls.
// A text with '/' ends the input there, so no call names a path outside the scratch folder.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::vector<std::string> methods = Names(kfio::TheFum().Methods());
  static const std::vector<std::string> properties = Names(kfio::TheFum().Properties());
  kfio::fuzz::Scratch();
  kfio::fuzz::ClearScratch();
  const uint8_t seed[] = {'1', ',', '2', ',', '3', '\n', '4', ',', '5', ',', '6', '\n'};
  kfio::fuzz::WriteFile("a", seed, sizeof seed);
  kfio::fuzz::WriteFile("b", seed, 0);
  auto host = kfio::fuzz::FreshHost();
  host->NewPage("w", 3);
  kfio::fuzz::Input in{data, size};
  std::string text;
  // A length byte (0..63) then that many bytes; refused when it holds '/'.
  const auto nextText = [&in, &text] {
    text = in.Text(63);
    return text.find('/') == std::string::npos;
  };
  for (int calls = 0; calls < 12 && in.More(); ++calls) {
    const uint8_t op = in.Byte();
    if (op & 0x80) {
      const std::string& name = properties[op % properties.size()];
      if (op & 0x40) {
        if (!nextText()) break;
        kfio::fuzz::Set(*host, name, text);
      } else {
        kfio::fuzz::Set(*host, name, in.Signed());
      }
    } else {
      const std::string& name = methods[op % methods.size()];
      if (!nextText()) break;
      if (SmallNumbers(text)) kfio::fuzz::Call(*host, name, text);
    }
  }
  kfio::fuzz::Finish(*host);
  return 0;
}
