// Shared pieces of the fuzz targets: a per-process scratch folder, a fresh reference host per input, and helpers.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "bridge/entry.h"
#include "host/ref_host.h"

namespace kfio::fuzz {

// Makes a fresh folder under the temp folder and works inside it for the rest of the process.
inline const std::filesystem::path& Scratch() {
  static const std::filesystem::path dir = [] {
    std::string tmpl = (std::filesystem::temp_directory_path() / "kfio-fuzz-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr || chdir(tmpl.c_str()) != 0) std::abort();
    return std::filesystem::path(tmpl);
  }();
  return dir;
}

// Empties the scratch folder, so that no input sees what an earlier one left.
inline void ClearScratch() {
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(Scratch(), ec)) std::filesystem::remove_all(e.path(), ec);
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

// Imports the bytes with `method` into a fresh page through the host. The first byte, when there is one,
// chooses the settings: bits 0-1 nBytes (1, 2, 4, 8), bit 2 ByteOrder, bit 3 Signed, bit 4 the error mode,
// bits 5-7 Skip (0..7); the rest is the file.
inline void ImportBytes(const char* method, const uint8_t* data, size_t size) {
  Scratch();
  ClearScratch();
  const uint8_t knobs = size > 0 ? data[0] : 0;
  if (size > 0) ++data, --size;
  WriteFile("in.bin", data, size);
  auto host = FreshHost();
  host->NewPage("w", 1);
  double h = 0;
  host->Call("OPEN", "in.bin,0", h);
  host->SetNumber("NBYTES", double(1 << (knobs & 3)));
  host->SetNumber("BYTEORDER", (knobs >> 2) & 1);
  host->SetNumber("SIGNED", (knobs >> 3) & 1);
  host->SetNumber("NEWACTIONS", (knobs >> 4) & 1);
  host->SetNumber("SKIP", knobs >> 5);
  double r = 0;
  host->Call(method, "w," + std::to_string(static_cast<int>(h)), r);
  host->Call("CLOSEALL", "", r);
  host->Call("RESET", "", r);
}

}  // namespace kfio::fuzz
