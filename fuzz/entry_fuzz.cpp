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

// Reads the next byte, or 0 at the end.
struct Reader {
  const uint8_t* data;
  size_t size;
  bool More() const { return size > 0; }
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  // A length byte (0..63) then that many bytes; empty and refused when it holds '/'.
  bool Text(std::string& out) {
    const size_t n = Byte() & 63;
    out.clear();
    while (out.size() < n && size > 0) out.push_back(static_cast<char>(Byte()));
    return out.find('/') == std::string::npos;
  }
};

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
  Reader in{data, size};
  std::string text;
  for (int calls = 0; calls < 12 && in.More(); ++calls) {
    const uint8_t op = in.Byte();
    if (op & 0x80) {
      const std::string& name = properties[op % properties.size()];
      if (op & 0x40) {
        if (!in.Text(text)) break;
        host->SetString(name, text);
      } else {
        host->SetNumber(name, static_cast<int8_t>(in.Byte()));
      }
    } else {
      const std::string& name = methods[op % methods.size()];
      if (!in.Text(text)) break;
      double r = 0;
      host->Call(name, text, r);
    }
  }
  double r = 0;
  host->Call("CLOSEALL", "", r);
  host->Call("RESET", "", r);
  return 0;
}
