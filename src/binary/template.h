// The record template parser: a pure function from a template text to the
// list of fields of one record, or a fault.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace kfio {

// One item of a template: `count` values of `size` bytes each, or, with
// size 0, `count` bytes skipped.
struct RecordField {
  uint32_t count = 1;
  uint16_t size = 0;
  uint8_t kind = 0;        // the converter's kind of a value field
  bool negative = false;   // written with a leading "-": the integer is signed
  bool IsSkip() const { return size == 0; }
};

struct RecordTemplate {
  std::vector<RecordField> fields;
  uint32_t recordSize = 0;    // bytes of one record, skips included
  uint32_t valueCount = 0;    // values of one record: the worksheet columns
  uint32_t trailingSkip = 0;  // the count of a last skip field, else 0
  bool hasBcd = false;        // BCD is the one value a read can refuse
};

// A record is at most this large, so that a hostile template cannot ask for
// billions of columns, or a buffer of gigabytes for one record written.
inline constexpr uint32_t kMaxRecordValues = 4096;
inline constexpr uint32_t kMaxRecordBytes = uint32_t{1} << 24;

enum class TemplateFault {
  kNone,
  kBadItem,    // unknown type word, stray character, empty item, no value field
  kZeroCount,  // a repeat count or skip number of 0
  kTooLarge,   // a count beyond 32 bits, or a record beyond the limits above
};

// Parses `text` after dropping its blanks (spaces and tabs) and turning its
// letters to upper case. On kNone `out` holds the record; on a fault its
// content is unspecified. Memory grows with the text only; throws
// std::bad_alloc when even that cannot be had.
TemplateFault ParseTemplate(std::string_view text, RecordTemplate& out);

}  // namespace kfio
