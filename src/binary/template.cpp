// The record template parser: items cut at "|", each a type word with a
// repeat count or a number of bytes to skip.
#include "binary/template.h"

#include <climits>
#include <string>

#include "binary/type_converter.h"

namespace kfio {

namespace {

static_assert(kMaxRecordValues <= INT_MAX, "worksheet columns are numbered with an int");
static_assert(kMaxRecordBytes <= UINT32_MAX, "a record's size is the bulk transfer's 32-bit item size");
static_assert(uint64_t{kMaxRecordBytes} + uint64_t{UINT32_MAX} * FUM_TypeConverter::kMaxSize < UINT64_MAX,
              "a record within the limit plus one more field of any count adds up in 64 bits");
static_assert(FUM_TypeConverter::kMaxSize <= UINT16_MAX, "a field's value size fits its 16 bits");

// Only the first `match` characters of a type word decide its type, and
// the words are tried in this order: so B, S, L and BX are unknown, while
// BYTES, TEN and DBL are a byte, a 24-bit integer and a double.
struct TypeWord {
  const char* name;
  std::size_t match;
  uint8_t kind;
  uint16_t size;  // 0: the skip field
};
constexpr TypeWord kTypeWords[] = {
    {"BYTE", 2, FUM_TypeConverter::kInteger, 1},     {"SHORT", 2, FUM_TypeConverter::kInteger, 2},
    {"TBYTE", 1, FUM_TypeConverter::kInteger, 3},    {"LONG", 2, FUM_TypeConverter::kInteger, 4},
    {"FLOAT", 1, FUM_TypeConverter::kFloating, 4},   {"DOUBLE", 1, FUM_TypeConverter::kFloating, 8},
    {"LDOUBLE", 2, FUM_TypeConverter::kFloating, 10}, {"BCD", 2, FUM_TypeConverter::kBcd, 10},
    {"SKIP", 2, 0, 0},
};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool InTypeWord(char c) { return (c >= 'A' && c <= 'Z') || c == '-'; }

// The whole of `digits` as an unsigned 32-bit count of at least 1.
TemplateFault ReadCount(std::string_view digits, uint32_t& count) {
  uint64_t value = 0;
  for (const char c : digits) {
    if (!IsDigit(c)) return TemplateFault::kBadItem;
    // Saturates: any value past 32 bits is refused the same way.
    value = value > UINT32_MAX ? value : value * 10 + static_cast<unsigned>(c - '0');
  }
  if (value > UINT32_MAX) return TemplateFault::kTooLarge;
  if (value == 0) return TemplateFault::kZeroCount;
  count = static_cast<uint32_t>(value);
  return TemplateFault::kNone;
}

TemplateFault ParseItem(std::string_view item, RecordField& field) {
  if (item.empty()) return TemplateFault::kBadItem;
  if (IsDigit(item[0])) return ReadCount(item, field.count);  // a bare skip number
  if (!InTypeWord(item[0])) return TemplateFault::kBadItem;
  field.negative = item[0] == '-';
  const std::string_view word = item.substr(field.negative ? 1 : 0);
  const TypeWord* type = nullptr;
  for (const TypeWord& t : kTypeWords) {
    if (word.substr(0, t.match) == std::string_view(t.name, t.match)) {
      type = &t;
      break;
    }
  }
  if (type == nullptr) return TemplateFault::kBadItem;
  field.kind = type->kind;
  field.size = type->size;
  std::size_t end = 0;
  while (end < item.size() && InTypeWord(item[end])) ++end;
  return end == item.size() ? TemplateFault::kNone : ReadCount(item.substr(end), field.count);
}

}  // namespace

TemplateFault ParseTemplate(std::string_view text, RecordTemplate& out) {
  out = RecordTemplate{};
  std::string work;
  work.reserve(text.size());
  for (const char c : text) {
    if (c == ' ' || c == '\t') continue;
    work.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
  }
  uint64_t bytes = 0;
  uint64_t values = 0;
  for (std::size_t from = 0;;) {
    const std::size_t bar = work.find('|', from);
    const std::string_view item =
        std::string_view(work).substr(from, bar == std::string::npos ? std::string::npos : bar - from);
    RecordField field;
    if (const TemplateFault f = ParseItem(item, field); f != TemplateFault::kNone) return f;
    if (field.IsSkip()) {
      bytes += field.count;
    } else {
      bytes += uint64_t{field.count} * field.size;
      values += field.count;
      out.hasBcd |= field.kind == FUM_TypeConverter::kBcd;
    }
    if (bytes > kMaxRecordBytes || values > kMaxRecordValues) return TemplateFault::kTooLarge;
    out.fields.push_back(field);
    if (bar == std::string::npos) break;
    from = bar + 1;
  }
  // Nothing to read into a worksheet or write from one.
  if (values == 0) return TemplateFault::kBadItem;
  out.recordSize = static_cast<uint32_t>(bytes);
  out.valueCount = static_cast<uint32_t>(values);
  out.trailingSkip = out.fields.back().IsSkip() ? out.fields.back().count : 0;
  return TemplateFault::kNone;
}

}  // namespace kfio
