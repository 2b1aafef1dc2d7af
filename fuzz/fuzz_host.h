// Shared pieces of the fuzz targets: a per-process scratch folder, a fresh reference host per input, and helpers.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bridge/entry.h"
#include "bridge/host_blocks.h"
#include "host/ref_host.h"

namespace kfio::fuzz {

// Scratch folders are named kfio-fuzz-<pid>-XXXXXX, so that one left by a
// process that is gone can be told from one in use.
inline constexpr char kScratchPrefix[] = "kfio-fuzz-";

// Removes the scratch folders of processes that no longer run: a crash, a
// timeout or the RSS limit ends a target with _Exit, past any exit handler.
inline void SweepStaleScratch(const std::filesystem::path& tmp) {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(tmp, ec)) {
    const std::string name = e.path().filename().string();
    if (name.rfind(kScratchPrefix, 0) != 0) continue;
    const std::size_t digits = sizeof kScratchPrefix - 1, dash = name.find('-', digits);
    if (dash == std::string::npos || dash == digits ||
        name.find_first_not_of("0123456789", digits) != dash)
      continue;  // another naming: not ours to judge
    const long pid = std::strtol(name.c_str() + digits, nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      std::filesystem::remove_all(e.path(), ec);
  }
}

// Makes a fresh folder under the temp folder and works inside it for the rest of the process; the folder is
// removed when the process exits normally.
inline const std::filesystem::path& Scratch() {
  // Never destroyed, so the exit handler can still read it.
  static const std::filesystem::path* dir = [] {
    const std::filesystem::path tmp = std::filesystem::temp_directory_path();
    SweepStaleScratch(tmp);
    std::string tmpl = (tmp / (kScratchPrefix + std::to_string(getpid()) + "-XXXXXX")).string();
    if (mkdtemp(tmpl.data()) == nullptr || chdir(tmpl.c_str()) != 0) std::abort();
    auto* made = new std::filesystem::path(tmpl);
    std::atexit([] {
      std::error_code ec;
      std::filesystem::remove_all(*dir, ec);
    });
    return made;
  }();
  return *dir;
}

// Empties the scratch folder, so that no input sees what an earlier one left.
inline void ClearScratch() {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(Scratch(), ec)) std::filesystem::remove_all(e.path(), ec);
}

// Set by the replay's --trace: each Call below prints what it did.
inline bool g_trace = false;

// fum.METHOD(args) through the host; answers the status, the result in `result` when given.
inline uint32_t Call(refhost::RefHost& host, const std::string& method, const std::string& args,
                     double* result = nullptr) {
  double r = 0, error = 0;
  const uint32_t status = host.Call(method, args, r);
  if (g_trace) {
    host.GetNumber("ERROR", error);
    std::fprintf(stderr, "  %s(%s): status %u, result %.17g, Error %g\n", method.c_str(), args.c_str(),
                 static_cast<unsigned>(status), r, error);
  }
  if (result != nullptr) *result = r;
  return status;
}

// A reference host bound to the linked-in module, with every file closed and the settings reset.
inline std::unique_ptr<refhost::RefHost> FreshHost() {
  auto host = std::make_unique<refhost::RefHost>(&XODLL);
  double r = 0;
  host->Call("CLOSEALL", "", r);
  host->Call("RESET", "", r);
  return host;
}

inline void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  std::ofstream(Scratch() / name, std::ios::binary).write(reinterpret_cast<const char*>(data),
                                                          static_cast<std::streamsize>(size));
}

// The input taken from the front: bytes, signed bytes and short texts, each 0 once it is used up.
struct Input {
  const uint8_t* data;
  size_t size;
  bool More() const { return size > 0; }
  uint8_t Byte() {
    if (size == 0) return 0;
    --size;
    return *data++;
  }
  int Signed() { return static_cast<int8_t>(Byte()); }
  // A length byte (its bits under `mask`) then that many bytes.
  std::string Text(uint8_t mask) {
    const size_t n = Byte() & mask;
    std::string out;
    while (out.size() < n && size > 0) out.push_back(static_cast<char>(Byte()));
    return out;
  }
};

// What is left of `in`, `times` times over but never past 72 KiB: lines longer than a string variable holds
// (65535 bytes), and many rows, from short inputs. Every byte costs the instrumented readers about a
// microsecond, so a larger file would only slow the run.
inline std::vector<uint8_t> Repeated(const Input& in, size_t times) {
  constexpr size_t kMostBytes = size_t{72} << 10;
  times = std::min(times, std::max<size_t>(1, kMostBytes / std::max<size_t>(in.size, 1)));
  std::vector<uint8_t> out;
  out.reserve(in.size * times);
  for (size_t i = 0; i < times; ++i) out.insert(out.end(), in.data, in.data + in.size);
  return out;
}

// Empties the scratch folder, writes what is left of `in` as `name`, and opens it (read-only) in a fresh host;
// `handle` takes what OPEN answered.
inline std::unique_ptr<refhost::RefHost> HostWithFile(const std::string& name, const Input& in, double& handle) {
  Scratch();
  ClearScratch();
  WriteFile(name, in.data, in.size);
  auto host = FreshHost();
  Call(*host, "OPEN", name + ",0", &handle);
  return host;
}

// fum.PROPERTY = number, and fum.METHOD.MEMBER = a number or a text, traced as Call is.
inline void Set(refhost::RefHost& host, const std::string& property, double number) {
  const uint32_t status = host.SetNumber(property, number);
  if (g_trace) std::fprintf(stderr, "  %s = %g: status %u\n", property.c_str(), number, static_cast<unsigned>(status));
}
inline void Set(refhost::RefHost& host, const std::string& property, const std::string& text) {
  const uint32_t status = host.SetString(property, text);
  if (g_trace)
    std::fprintf(stderr, "  %s$ = \"%s\": status %u\n", property.c_str(), text.c_str(), static_cast<unsigned>(status));
}
inline void SetMember(refhost::RefHost& host, const char* method, const char* member, double number) {
  const uint32_t status = host.AccessMethodMember(method, member, cmd::kSetNumber, &number, nullptr);
  if (g_trace) std::fprintf(stderr, "  %s.%s = %g: status %u\n", method, member, number, static_cast<unsigned>(status));
}
inline void SetMember(refhost::RefHost& host, const char* method, const char* member, std::string text) {
  const std::string shown = text;
  const uint32_t status = host.AccessMethodMember(method, member, cmd::kSetString, nullptr, &text);
  if (g_trace)
    std::fprintf(stderr, "  %s.%s$ = \"%s\": status %u\n", method, member, shown.c_str(), static_cast<unsigned>(status));
}

// Closes every file and resets the settings, so the module keeps nothing of one input for the next.
inline void Finish(refhost::RefHost& host) {
  double r = 0;
  host.Call("CLOSEALL", "", r);
  host.Call("RESET", "", r);
}

// Imports the bytes with `method` into a fresh page through the host. The first byte, when there is one,
// chooses the settings: bits 0-1 nBytes (1, 2, 4, 8), bit 2 ByteOrder, bit 3 Signed, bit 4 the error mode,
// bits 5-7 Skip (0..7); the rest is the file.
inline void ImportBytes(const char* method, const uint8_t* data, size_t size) {
  Input in{data, size};
  const uint8_t knobs = in.Byte();
  double h = 0;
  auto host = HostWithFile("in.bin", in, h);
  host->NewPage("w", 1);
  Set(*host, "NBYTES", double(1 << (knobs & 3)));
  Set(*host, "BYTEORDER", (knobs >> 2) & 1);
  Set(*host, "SIGNED", (knobs >> 3) & 1);
  Set(*host, "NEWACTIONS", (knobs >> 4) & 1);
  Set(*host, "SKIP", knobs >> 5);
  Call(*host, method, "w," + std::to_string(static_cast<int>(h)));
  Finish(*host);
}

}  // namespace kfio::fuzz
