// Builders of SigmaPlot worksheet files of both generations, byte by byte from their layouts, for the import tests.
#pragma once

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kfio::testing::sigma {

// `bytes` low-order bytes of `value`, least significant first unless `big`.
inline std::string Int(uint64_t value, int bytes, bool big = false) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * (big ? bytes - 1 - i : i)));
  return out;
}

// The x87 extended form of a normal double or zero: the integer bit made
// explicit, the exponent rebased from 1023 to 16383.
inline std::string Extended(double value) {
  const auto bits = std::bit_cast<uint64_t>(value);
  if ((bits << 1) == 0) return std::string(10, '\0');
  const uint64_t exponent = ((bits >> 52) & 0x7FF) - 1023 + 16383;
  return Int((uint64_t{1} << 63) | (bits << 11), 8) + Int(exponent | ((bits >> 63) << 15), 2);
}

// `text` over `file` at `at`, growing it with zero bytes.
inline void Place(std::string& file, std::size_t at, const std::string& text) {
  if (file.size() < at + text.size()) file.resize(at + text.size(), '\0');
  file.replace(at, text.size(), text);
}

// ---- Windows generation ----
struct WinCell {
  double value;
  bool filled = true;  // status byte 17, else 0 (the value still there)
};
struct WinColumn {
  uint32_t index;
  std::vector<WinCell> cells;
  std::optional<uint32_t> area = {};  // L; 16 bytes a cell when not given
};
// Where the base comes from: the marker at 16 (base 0), at 32 (base at 50),
// or neither (base at 80).
enum class BaseFrom { kMarkerAt16, kMarkerAt32, kOffset80 };

struct WinFile {
  BaseFrom from = BaseFrom::kMarkerAt16;
  uint32_t base = 96;  // unless the marker is at 16
  uint16_t lastColumn = 0;
  std::vector<WinColumn> columns;
  std::vector<std::pair<uint16_t, std::string>> titles;  // column index, title

  std::string Bytes() const {
    const std::string marker = std::string("JSDataWorksheet") + '\0';
    std::string file;
    Place(file, 16, from == BaseFrom::kMarkerAt16 ? marker : "Graph");
    if (from != BaseFrom::kMarkerAt16) Place(file, 32, from == BaseFrom::kMarkerAt32 ? marker : "Notes");
    if (from != BaseFrom::kMarkerAt16) Place(file, from == BaseFrom::kMarkerAt32 ? 50 : 80, Int(base, 4));
    Place(file, (from == BaseFrom::kMarkerAt16 ? 0 : base) + 44, Int(lastColumn, 2) + "uu");
    for (const WinColumn& c : columns) {
      file += "\x01" + std::string(19, 'u') + Int(c.index, 4) + "uuuu" + Int(c.area.value_or(16 * c.cells.size()), 4);
      for (const WinCell& cell : c.cells) file += Extended(cell.value) + "uuuuu" + (cell.filled ? '\x11' : '\0');
    }
    for (const auto& [column, title] : titles) {
      std::string record = "\x02" + std::string(55, 'u');
      Place(record, 24, title + '\0');
      Place(record, 48, Int(column, 2));
      file += record;
    }
    return file;
  }
};

// ---- DOS generation ----
struct DosColumn {
  uint32_t index;
  std::vector<double> values;
  int64_t lengthChange = 0;  // added to the block's true length L
};

// Markers at 6 and 49, q = 46 at 13, the first block at 178.
struct DosFile {
  bool big = false;          // every number most significant byte first
  bool markerFirst = false;  // a marker byte at offset 0 too, which does not count
  uint32_t gap = 0;          // bytes after each value
  std::vector<DosColumn> columns;

  std::string Bytes() const {
    std::string file = std::string(markerFirst ? "\x1A" : "H") + "eader\x1A";
    Place(file, 13, Int(46, 4, big));
    Place(file, 49, "\x1A");
    std::size_t block = 178;
    for (const DosColumn& c : columns) {
      const int64_t size = 20 + static_cast<int64_t>(c.values.size()) * (8 + gap);
      std::string bytes = Int(size - 6 + c.lengthChange, 4, big) + Int(c.index, 4, big) + std::string(10, 'u') +
                          Int(c.values.size(), 2, big);
      for (double v : c.values) bytes += Int(std::bit_cast<uint64_t>(v), 8, big) + std::string(gap, 'g');
      Place(file, block, bytes);
      block += size;
    }
    Place(file, block, Int(0, 4));
    return file;
  }
};

}  // namespace kfio::testing::sigma
