// The record template parser alone: every type word, counts, skips, case and blanks, faults and limits.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "binary/template.h"
#include "binary/type_converter.h"

namespace kfio {
namespace {

using F = TemplateFault;

// "-SHORT*2 skip4 ..." for the fields, then "=size/values/trailing".
std::string Describe(const RecordTemplate& t) {
  std::string s;
  for (const RecordField& f : t.fields) {
    if (f.IsSkip()) {
      s += "skip" + std::to_string(f.count) + " ";
      continue;
    }
    const char* name = FUM_TypeConverter::TypeName(f.kind, f.size);
    s += std::string(f.negative ? "-" : "") + (name ? name : "?") + "*" + std::to_string(f.count) + " ";
  }
  return s + "=" + std::to_string(t.recordSize) + "/" + std::to_string(t.valueCount) + "/" +
         std::to_string(t.trailingSkip);
}

TEST(Template, ValidTemplates) {
  const std::pair<const char*, const char*> cases[] = {
      {"BY", "BYTE*1 =1/1/0"},          {"BYTES", "BYTE*1 =1/1/0"},    {"SH", "SHORT*1 =2/1/0"},
      {"SHORT", "SHORT*1 =2/1/0"},      {"T", "TBYTE*1 =3/1/0"},       {"TEN", "TBYTE*1 =3/1/0"},
      {"LO", "LONG*1 =4/1/0"},          {"LONG", "LONG*1 =4/1/0"},     {"F", "FLOAT*1 =4/1/0"},
      {"D", "DOUBLE*1 =8/1/0"},         {"DBL", "DOUBLE*1 =8/1/0"},    {"DOUBLE3", "DOUBLE*3 =24/3/0"},
      {"D3", "DOUBLE*3 =24/3/0"},       {"LD", "LDOUBLE*1 =10/1/0"},   {"BC", "BCD*1 =10/1/0"},
      {"BCD2", "BCD*2 =20/2/0"},        {"-BY", "-BYTE*1 =1/1/0"},     {"-T2", "-TBYTE*2 =6/2/0"},
      // Every character A to Z and "-" belongs to the type word; only its start decides.
      {"BY-X", "BYTE*1 =1/1/0"},        {"SHORTEST7", "SHORT*7 =14/7/0"},
      {"BY0001", "BYTE*1 =1/1/0"},
      {"LO|SH2|4|F", "LONG*1 SHORT*2 skip4 FLOAT*1 =16/4/0"},
      {"-SH|BY3", "-SHORT*1 BYTE*3 =5/4/0"},
      // Skip fields: a word starting SK with an optional count, or a bare number.
      {"SK|BY", "skip1 BYTE*1 =2/1/0"}, {"SKIP7|BY", "skip7 BYTE*1 =8/1/0"},
      {"BY|SK", "BYTE*1 skip1 =2/1/1"}, {"SH|2", "SHORT*1 skip2 =4/1/2"},
      {"SH|2|3", "SHORT*1 skip2 skip3 =7/1/3"},  // the trailing skip is the last field's alone
      // Upper case and no blanks, after the fact.
      {"lo | sh2 | 4 | f", "LONG*1 SHORT*2 skip4 FLOAT*1 =16/4/0"},
      {" -by\t3 ", "-BYTE*3 =3/3/0"},     {"LO 2", "LONG*2 =8/2/0"},
      // The limits themselves.
      {"BY4096", "BYTE*4096 =4096/4096/0"},
      {"16777215|BY", "skip16777215 BYTE*1 =16777216/1/0"},
  };
  for (const auto& [text, expected] : cases) {
    RecordTemplate t;
    EXPECT_EQ(ParseTemplate(text, t), F::kNone) << text;
    EXPECT_EQ(Describe(t), expected) << text;
  }
}

TEST(Template, Faults) {
  const std::pair<std::string, F> cases[] = {
      {"LO0", F::kZeroCount},   {"0|BY", F::kZeroCount}, {"SK0|BY", F::kZeroCount}, {"BY|000", F::kZeroCount},
      {"", F::kBadItem},        {" ", F::kBadItem},      {"LO|", F::kBadItem},      {"|LO", F::kBadItem},
      {"LO||SH", F::kBadItem},  {"XY", F::kBadItem},     {"B", F::kBadItem},        {"S", F::kBadItem},
      {"L", F::kBadItem},       {"BX", F::kBadItem},     {"-", F::kBadItem},        {"--BY", F::kBadItem},
      {"-5", F::kBadItem},      {"4X|BY", F::kBadItem},  {"LO2X", F::kBadItem},     {"LO2-", F::kBadItem},
      {"*", F::kBadItem},       {"LO.5", F::kBadItem},   {"\"LO\"", F::kBadItem},   {"LO,2", F::kBadItem},
      {"BY\xC4", F::kBadItem},  {std::string("BY\0", 3), F::kBadItem},
      // Nothing to read or write: only skips.
      {"4", F::kBadItem},       {"SK", F::kBadItem},     {"1|2|3", F::kBadItem},
      // A count beyond 32 bits, or a record beyond 16 MiB or 4096 values.
      {"LO4294967295", F::kTooLarge},  {"4294967295|BY", F::kTooLarge},     {"BY4294967296", F::kTooLarge},
      {"BY99999999999999999999999", F::kTooLarge},  {"16777216|BY", F::kTooLarge},
      {"BY4097", F::kTooLarge},        {"BY4096|F", F::kTooLarge},
      // The first fault stops the walk.
      {"LO0|XY", F::kZeroCount},       {"XY|LO0", F::kBadItem},
  };
  for (const auto& [text, fault] : cases) {
    RecordTemplate t;
    EXPECT_EQ(ParseTemplate(text, t), fault) << text;
  }
}

// 10,000 items: values past the limit are refused, skips between values are not.
TEST(Template, TenThousandItems) {
  std::string values = "BY", skips;
  for (int i = 1; i < 10000; ++i) values += "|BY";
  for (int i = 0; i < 9999; ++i) skips += "1|";
  RecordTemplate t;
  EXPECT_EQ(ParseTemplate(values, t), F::kTooLarge);
  ASSERT_EQ(ParseTemplate(skips + "BY", t), F::kNone);
  EXPECT_EQ(t.fields.size(), 10000u);
  EXPECT_EQ(t.recordSize, 10000u);
  EXPECT_EQ(t.valueCount, 1u);
}

// Random texts over the template alphabet: whatever is accepted adds up and
// stays within the limits.
TEST(Template, RandomTextsAddUp) {
  const std::string alphabet = "BYSHTLOFDCK-|0123456789 xb";
  std::mt19937 rng(7);
  int accepted = 0;
  for (int i = 0; i < 100000; ++i) {
    std::string text(rng() % 12, ' ');
    for (char& c : text) c = alphabet[rng() % alphabet.size()];
    RecordTemplate t;
    if (ParseTemplate(text, t) != F::kNone) continue;
    ++accepted;
    uint64_t bytes = 0, values = 0;
    for (const RecordField& f : t.fields) {
      ASSERT_GE(f.count, 1u) << text;
      bytes += uint64_t{f.count} * (f.IsSkip() ? 1 : f.size);
      values += f.IsSkip() ? 0 : f.count;
    }
    ASSERT_EQ(bytes, t.recordSize) << text;
    ASSERT_EQ(values, t.valueCount) << text;
    ASSERT_TRUE(values >= 1 && values <= kMaxRecordValues && bytes <= kMaxRecordBytes) << text;
    ASSERT_EQ(t.trailingSkip, t.fields.back().IsSkip() ? t.fields.back().count : 0u) << text;
  }
  EXPECT_GT(accepted, 1000);
}

}  // namespace
}  // namespace kfio
