// The error-log ring.
#include "bridge/error_log.h"

namespace kfio {

void ErrorLog::Record(int32_t id, const char* text) {
  position_ = static_cast<uint16_t>((position_ + 1) % kSize);
  records_[position_].id = id;
  if (text != nullptr)
    records_[position_].text = text;
  else
    records_[position_].text.reset();
  lastErrorId_ = id;
  empty_ = false;
}

void ErrorLog::Clear() {
  if (empty_) return;  // every method call clears: most find nothing to do
  for (Entry& r : records_) r = {};
  position_ = 0;
  empty_ = true;
}

ErrorLog& TheErrorLog() {
  static ErrorLog log;
  return log;
}

}  // namespace kfio
