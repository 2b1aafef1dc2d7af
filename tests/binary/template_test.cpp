// The record template parser alone: every type word, counts, skips, case and blanks, faults and limits.
#include <gtest/gtest.h>

#include <string>

#include "binary/template.h"
#include "binary/type_converter.h"

namespace kfio {
namespace {

// "-SHORT*2 skip4 =size/values/trailing skip", or the fault.
std::string Parsed(const std::string& text) {
  const char* faults[] = {"", "bad item", "zero count", "too large"};
  RecordTemplate t;
  if (const TemplateFault f = ParseTemplate(text, t); f != TemplateFault::kNone) return faults[static_cast<int>(f)];
  std::string s;
  for (const RecordField& f : t.fields) {
    const char* name = f.IsSkip() ? "skip" : FUM_TypeConverter::TypeName(f.kind, f.size);
    s += std::string(f.negative ? "-" : "") + (name ? name : "?") + "*" + std::to_string(f.count) + " ";
  }
  return s + "=" + std::to_string(t.recordSize) + "/" + std::to_string(t.valueCount) + "/" +
         std::to_string(t.trailingSkip);
}

std::string Repeat(const std::string& item, int n) {
  std::string s;
  for (int i = 0; i < n; ++i) s += item;
  return s;
}

TEST(Template, ItemsFaultsAndLimits) {
  const std::pair<std::string, std::string> cases[] = {
      // Only the start of a type word decides; "-" belongs to the word.
      {"BYTES|SH|TEN|LO|F|DBL|LD|BC", "BYTE*1 SHORT*1 TBYTE*1 LONG*1 FLOAT*1 DOUBLE*1 LDOUBLE*1 BCD*1 =42/8/0"},
      {"-T2|BY-X|DOUBLE3|BY0001", "-TBYTE*2 BYTE*1 DOUBLE*3 BYTE*1 =32/7/0"},
      {"LO|SH2|4|F", "LONG*1 SHORT*2 skip*4 FLOAT*1 =16/4/0"},
      {"SK|BY|SKIP7|SH|2|3", "skip*1 BYTE*1 skip*7 SHORT*1 skip*2 skip*3 =16/2/3"},
      // Upper case and no blanks, after the fact.
      {" lo | sh2\t| 4 | -f ", "LONG*1 SHORT*2 skip*4 -FLOAT*1 =16/4/0"}, {"LO 2", "LONG*2 =8/2/0"},
      {"LO0", "zero count"}, {"0|BY", "zero count"}, {"SK0|BY", "zero count"}, {"BY|000", "zero count"},
      {"", "bad item"}, {" ", "bad item"}, {"LO|", "bad item"}, {"|LO", "bad item"}, {"LO||SH", "bad item"},
      {"XY", "bad item"}, {"B", "bad item"}, {"S", "bad item"}, {"L", "bad item"}, {"BX", "bad item"},
      {"-", "bad item"}, {"--BY", "bad item"}, {"-5", "bad item"}, {"4X|BY", "bad item"}, {"LO2-", "bad item"},
      {"LO.5", "bad item"}, {"\"LO\"", "bad item"}, {"BY\xC4", "bad item"}, {std::string("BY\0", 3), "bad item"},
      {"4", "bad item"}, {"SK|1|2", "bad item"},  // nothing to read or write
      {"LO0|XY", "zero count"}, {"XY|LO0", "bad item"},  // the first fault stops the walk
      // Counts beyond 32 bits; records beyond 4096 values or 16 MiB.
      {"LO4294967295", "too large"}, {"4294967295|BY", "too large"}, {"BY4294967296", "too large"},
      {"BY99999999999999999999999", "too large"}, {"BY4097", "too large"}, {"16777216|BY", "too large"},
      {"BY4096", "BYTE*4096 =4096/4096/0"}, {"16777215|BY", "skip*16777215 BYTE*1 =16777216/1/0"},
      {Repeat("BY|", 9999) + "BY", "too large"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Parsed(text), expected) << text;

  // 10,000 items, mostly skips.
  RecordTemplate t;
  ASSERT_EQ(ParseTemplate(Repeat("1|", 9999) + "BY", t), TemplateFault::kNone);
  EXPECT_EQ(t.fields.size(), 10000u);
  EXPECT_EQ(t.recordSize, 10000u);
}

}  // namespace
}  // namespace kfio
