// The record template parser; the array coders against the per-value ones. What each type makes of a value is in
// values_test; a bad BCD digit and a width with no coder in the arrays, in transfers_test.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

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

TEST(Template, ItemsFaultsAndLimits) {
  std::string values, skips;  // 10,000 items
  for (int i = 0; i < 9999; ++i) values += "BY|", skips += "1|";
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
      {values + "BY", "too large"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(Parsed(text), expected) << text;

  RecordTemplate t;
  ASSERT_EQ(ParseTemplate(skips + "BY", t), TemplateFault::kNone);
  EXPECT_EQ(t.fields.size(), 10000u);
  EXPECT_EQ(t.recordSize, 10000u);
}

using Bytes = std::vector<unsigned char>;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int I = FUM_TypeConverter::kInteger;
constexpr int F = FUM_TypeConverter::kFloating;
constexpr int B = FUM_TypeConverter::kBcd;

FUM_TypeConverter Loaded(int order, bool isSigned, bool newMode = false) {
  FUM_TypeConverter c;
  c.SetByteOrder(order);
  c.SetSigned(isSigned);
  c.SetNewErrorMode(newMode);
  return c;
}

// Every (kind, size) with every byte order, signedness and error mode: the
// array helpers give the same values, bytes and soft error as the routines
// called per value, and leave the bytes between encoded values alone.
TEST(TypeConverterArray, AgreesWithTheRoutinesPerValue) {
  constexpr std::size_t kCount = 40;
  std::mt19937 rng(12345);
  std::uniform_real_distribution<double> wide(-3e9, 5e9);
  std::vector<double> values = {0, -0.0, 1, -1, 8388608, 16777216, -8388609, 1e19, -1e19, 1e300, kInf, -kInf, kNaN,
                                65535.9, -32768.5};
  while (values.size() < kCount) values.push_back(wide(rng));
  const std::pair<int, int> pairs[] = {{I, 1}, {I, 2}, {I, 3}, {I, 4}, {F, 4}, {F, 8}, {F, 10}, {B, 10}};
  for (const auto& [kind, size] : pairs) {
    for (int setting = 0; setting < 12; ++setting) {
      const int order = setting % 3;
      const bool isSigned = setting / 3 % 2, newMode = setting / 6;
      SCOPED_TRACE(::testing::Message() << kind << "/" << size << " order " << order << isSigned << newMode);
      const std::size_t stride = size + 3;
      Bytes image(stride * kCount);
      for (unsigned char& b : image) b = static_cast<unsigned char>(rng());
      for (std::size_t i = 0; i < kCount; ++i) {
        if (kind == B)  // valid digits, so the whole array decodes
          for (std::size_t j = 0; j < 9; ++j) image[i * stride + j] &= 0x99;
        if (kind == F && size == 10 && i % 2 == 0) image[i * stride + 9] = 0x3F;  // half in range
      }
      FUM_TypeConverter perItem = Loaded(order, isSigned, newMode), bulk = perItem;
      std::vector<double> expected(kCount), got(kCount);
      Bytes copy = image, written(stride * kCount, 0xAB), encoded(stride * kCount, 0xAB);
      for (std::size_t i = 0; i < kCount; ++i)
        ASSERT_EQ(perItem.Select(kind, size, true)(perItem, &copy[i * stride], &expected[i]), 0);
      std::size_t stored = 0;
      EXPECT_EQ(bulk.DecodeArray(kind, size, image.data(), stride, kCount, got.data(), &stored), 0);
      EXPECT_EQ(stored, kCount);
      for (std::size_t i = 0; i < kCount; ++i)
        ASSERT_EQ(std::bit_cast<uint64_t>(got[i]), std::bit_cast<uint64_t>(expected[i])) << i;
      EXPECT_EQ(bulk.softError, perItem.softError);

      perItem.ClearSoftError();
      bulk.ClearSoftError();
      for (std::size_t i = 0; i < kCount; ++i) {
        double v = values[i];
        ASSERT_EQ(perItem.Select(kind, size, false)(perItem, &written[i * stride], &v), 0);
      }
      EXPECT_EQ(bulk.EncodeArray(kind, size, values.data(), kCount, encoded.data(), stride), 0);
      EXPECT_EQ(encoded, written);
      EXPECT_EQ(bulk.softError, perItem.softError);
    }
  }
}

}  // namespace
}  // namespace kfio
