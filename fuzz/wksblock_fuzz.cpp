// Fuzz target: WksBlock on the fuzzed bytes as the open file, its block and the separator drawn from the input.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_host.h"

using kfio::fuzz::Input;

// byte 0: bit 0 NEWACTIONS, bits 1-2 the number of calls less one, bit 3 later calls leave the four numbers
//         out (they keep the last call's), bit 4 FILENAME names another file (`b`, the same bytes from byte 1
//         on) while the current file stays `in.txt`, bit 5 an LREAD between calls, bit 6 ListSep set by the
//         LISTSEP method with the character (one above 127 is kept as a negative number) rather than the property,
//         bit 7 the file is the rest of the input 1024 times over, up to 72 KiB (long lines, many rows);
// byte 1: the ListSep byte;
// bytes 2-5: colbegin, colend, rowbegin, rowend (signed);
// byte 6: where the file stands before the first call;
// the rest is the file (repeated as bit 7 says).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const uint8_t knobs = in.Byte(), sep = in.Byte();
  int block[4];
  for (int& b : block) b = in.Signed();
  const uint8_t start = in.Byte();

  const auto bytes = kfio::fuzz::Repeated(in, knobs & 128 ? 1024 : 1);
  double h = 0;
  auto host = kfio::fuzz::HostWithFile("in.txt", Input{bytes.data(), bytes.size()}, h);
  if (knobs & 16) {
    const auto shift = std::min<size_t>(bytes.size(), 1);
    kfio::fuzz::WriteFile("b", bytes.data() + shift, bytes.size() - shift);
    kfio::fuzz::Call(*host, "OPEN", "b,0");
    kfio::fuzz::Set(*host, "HFILE", h);
  }
  host->NewPage("w", 3);
  kfio::fuzz::Set(*host, "NEWACTIONS", knobs & 1);
  if (knobs & 64)
    kfio::fuzz::Call(*host, "LISTSEP", std::string(1, static_cast<char>(sep)));
  else
    kfio::fuzz::Set(*host, "LISTSEP", sep);
  kfio::fuzz::Call(*host, "SETPOS", std::to_string(start));

  const std::string numbers = "," + std::to_string(block[0]) + "," + std::to_string(block[1]) + "," +
                              std::to_string(block[2]) + "," + std::to_string(block[3]);
  const int calls = ((knobs >> 1) & 3) + 1;
  for (int i = 0; i < calls; ++i) {
    kfio::fuzz::Call(*host, "WKSBLOCK", i > 0 && (knobs & 8) ? "w" : "w" + numbers);
    if (knobs & 32) kfio::fuzz::Call(*host, "LREAD", "A");
  }
  kfio::fuzz::Finish(*host);
  return 0;
}
