// The module-wide ring of the last ten framework errors and the last error id.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "bridge/error_ids.h"

namespace kfio {

class ErrorLog {
 public:
  static constexpr int kSize = 10;

  struct Entry {
    int32_t id = 0;
    std::optional<std::string> text;
  };

  // The record goes to the slot after the newest; the last id becomes `id`.
  void Record(int32_t id, const char* text);
  // Empties every record; the last error id stays.
  void Clear();

  int32_t LastErrorId() const { return lastErrorId_; }
  uint16_t Position() const { return position_; }
  const Entry& At(int slot) const { return records_[slot]; }

 private:
  Entry records_[kSize];
  uint16_t position_ = 0;
  int32_t lastErrorId_ = 0;
  bool empty_ = true;
};

ErrorLog& TheErrorLog();


}  // namespace kfio
