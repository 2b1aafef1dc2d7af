// Fuzz target: ReadRecord (and ReadRowBin) on the fuzzed bytes as the open file, into a worksheet, the template and counts drawn from the input.
#include <string>

#include "fuzz/fuzz_host.h"

using kfio::fuzz::Input;

// byte 0: bit 0 NEWACTIONS, bits 1-2 ByteOrder (3 is out of range), bits 3-4 the number of rounds less one,
//         bit 5 nRecords counts in 65536s, bit 6 each round ends with a ReadRowBin;
// byte 1: nRecords (signed);
// byte 2: ReadRowBin's layout: bits 0-2 nBytes (1, 2, 3, 4, 8, 10, and the refused 5 and 0), bit 3 Signed,
//         bits 4-5 binType (3 is refused), bits 6-7 Skip;
// byte 3: ReadRowBin's nToken (signed);
// then the template: a length byte (low 6 bits) and its text;
// the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const uint8_t knobs = in.Byte();
  const int records = in.Signed() * (knobs & 32 ? 65536 : 1);
  const uint8_t layout = in.Byte();
  const int tokens = in.Signed();
  const std::string layoutText = in.Text(63);

  double h = 0;
  auto host = kfio::fuzz::HostWithFile("in.bin", in, h);
  host->NewPage("w", 1);
  kfio::fuzz::Set(*host, "NEWACTIONS", knobs & 1);
  kfio::fuzz::Set(*host, "BYTEORDER", (knobs >> 1) & 3);
  static constexpr int kWidths[8] = {1, 2, 3, 4, 8, 10, 5, 0};
  kfio::fuzz::Set(*host, "NBYTES", kWidths[layout & 7]);
  kfio::fuzz::Set(*host, "SIGNED", (layout >> 3) & 1);
  kfio::fuzz::Set(*host, "SKIP", layout >> 6);

  const std::string recordArgs = "w," + std::to_string(records) + "," + layoutText;
  const std::string rowArgs = "w," + std::to_string(tokens) + "," + std::to_string((layout >> 4) & 3);
  const int rounds = ((knobs >> 3) & 3) + 1;
  for (int i = 0; i < rounds; ++i) {
    kfio::fuzz::Call(*host, "READRECORD", recordArgs);
    if (knobs & 64) kfio::fuzz::Call(*host, "READROWBIN", rowArgs);
  }
  kfio::fuzz::Finish(*host);
  return 0;
}
