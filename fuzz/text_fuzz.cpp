// Fuzz target: the text readers, a short sequence of them on one open file, with settings and ASCII's sub-properties drawn from the input.
#include <algorithm>
#include <string>

#include "fuzz/fuzz_host.h"

namespace {

using kfio::fuzz::Input;

// Where the current file stands; -1 when GETPOS fails.
double Position(refhost::RefHost& host) {
  double at = -1;
  return host.Call("GETPOS", "", at) == 1 ? at : -1;  // untraced: asked around every call
}

// One call: the low 4 bits (modulo 9) pick the reader, the high 4 bits give its count (15: -1).
void RunCall(refhost::RefHost& host, uint8_t op) {
  const int n = (op >> 4) == 15 ? -1 : op >> 4;
  const std::string count = std::to_string(n);
  using kfio::fuzz::Call;
  switch ((op & 15) % 9) {
    case 0: Call(host, "TREAD", "A," + count); break;
    case 1: Call(host, "LREAD", "A"); break;
    case 2: Call(host, "READTOKEN", "A," + count); break;
    case 3: Call(host, "CREAD", "A," + count); break;
    case 4: Call(host, "READARRAY", "d,1," + count); break;
    case 5: Call(host, "READROW", "w," + count); break;
    case 6: Call(host, "LINEROW", "w"); break;
    // Count bit 0: the string variable, bit 1: the worksheet.
    case 7: Call(host, "ASCII", std::string(n & 1 ? "A" : "") + (n & 2 ? ",w" : "")); break;
    case 8: Call(host, "SETPOS", count); break;
  }
}

}  // namespace

// byte 0: bits 0-1 nLineMode (3 is out of range), bit 2 NEWACTIONS, bit 3 ListSep set through the LISTSEP
//         method (the character) rather than the property, bits 4-7 ASCII.STOPMODE;
// byte 1: the ListSep byte;
// byte 2: bits 0-1 ASCII.READMODE, bits 2-4 the number of calls less one, bits 5-7 the file is the rest of the
//         input 16 (5), 256 (6) or 4096 (7) times over, up to 72 KiB, else once;
// bytes 3, 4: ASCII.NTOKENS and ASCII.NLINES (signed);
// then ASCII.INCLUDE$, EXCLUDE$, STOPCHAR$ and STOPSTRING$: each a length byte (low 3 bits) and its bytes;
// then the calls, a byte each (RunCall); the rest is the file (repeated as byte 2 says).
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in{data, size};
  const uint8_t knobs = in.Byte(), sep = in.Byte(), more = in.Byte();
  const int tokens = in.Signed(), lines = in.Signed();
  std::string texts[4];
  for (auto& t : texts) t = in.Text(7);
  uint8_t calls[8] = {};
  const int callCount = ((more >> 2) & 7) + 1;
  for (int i = 0; i < callCount; ++i) calls[i] = in.Byte();

  const auto bytes = kfio::fuzz::Repeated(in, more >> 5 < 5 ? 1 : size_t{1} << (4 * ((more >> 5) - 4)));
  double h = 0;
  auto host = kfio::fuzz::HostWithFile("in.txt", Input{bytes.data(), bytes.size()}, h);
  host->NewPage("w", 3);
  host->SetStringVar('A', "old");
  kfio::fuzz::Set(*host, "NEWACTIONS", (knobs >> 2) & 1);
  kfio::fuzz::Set(*host, "NLINEMODE", knobs & 3);
  if (knobs & 8)
    kfio::fuzz::Call(*host, "LISTSEP", std::string(1, static_cast<char>(sep)));
  else
    kfio::fuzz::Set(*host, "LISTSEP", sep);
  kfio::fuzz::SetMember(*host, "ASCII", "STOPMODE", knobs >> 4);
  kfio::fuzz::SetMember(*host, "ASCII", "READMODE", more & 3);
  kfio::fuzz::SetMember(*host, "ASCII", "NTOKENS", tokens);
  kfio::fuzz::SetMember(*host, "ASCII", "NLINES", lines);
  const char* names[4] = {"INCLUDE", "EXCLUDE", "STOPCHAR", "STOPSTRING"};
  for (int i = 0; i < 4; ++i) kfio::fuzz::SetMember(*host, "ASCII", names[i], texts[i]);

  // A reader moves the file forward, never past its end (a SETPOS may have put it there already).
  const auto length = static_cast<double>(bytes.size());
  for (int i = 0; i < callCount; ++i) {
    const double before = Position(*host);
    RunCall(*host, calls[i]);
    const double after = Position(*host);
    if ((calls[i] & 15) % 9 != 8 && before >= 0 && (after < before || after > std::max(before, length)))
      __builtin_trap();
  }
  kfio::fuzz::Finish(*host);
  return 0;
}
