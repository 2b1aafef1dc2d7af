// Fuzz target: the record template parser on the fuzzed text.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "binary/template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kfio::RecordTemplate out;
  const auto fault = kfio::ParseTemplate(std::string_view(reinterpret_cast<const char*>(data), size), out);
  if (fault == kfio::TemplateFault::kNone) {
    // What a good record promises: within the limits, and its values counted by its fields.
    uint64_t values = 0;
    for (const auto& f : out.fields)
      if (!f.IsSkip()) values += f.count;
    if (out.valueCount != values || out.valueCount > kfio::kMaxRecordValues ||
        out.recordSize > kfio::kMaxRecordBytes)
      __builtin_trap();
  }
  return 0;
}
