// FUM_TypeConverter alone: type names, and the array coders against the per-value ones. What each type makes of a
// value, on disk and back, is in record_test.
#include "binary/type_converter.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace kfio {
namespace {

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

TEST(TypeConverterSelect, FindsTypeNamesWithoutRegardToCase) {
  // kind and size as left: -7 when not found.
  const struct { const char* name; int kind, size; } cases[] = {
      {"ldouble", F, 10}, {"Bcd", B, 10}, {"TBYTE", I, 3}, {"", -7, -7}, {"B", -7, -7}, {"LDOUBLEX", -7, -7},
      {"BYT", -7, -7}, {"SKIP", -7, -7}, {nullptr, -7, -7}};
  for (const auto& t : cases) {
    int kind = -7, size = -7;
    EXPECT_EQ(FUM_TypeConverter::FindTypeName(t.name, kind, size), t.kind != -7) << (t.name ? t.name : "(null)");
    EXPECT_EQ(std::pair(kind, size), std::pair(t.kind, t.size));
  }
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
      SCOPED_TRACE(::testing::Message() << kind << "/" << size << " order " << order << " signed " << isSigned
                                        << " new " << newMode);
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

TEST(TypeConverterArray, StopsAtTheFirstBadDigitAndRefusesUnknownPairs) {
  FUM_TypeConverter c;
  Bytes image(3 * 12, 0);
  image[0] = 0x42;
  image[12] = 0x17;
  image[12 + 9] = 0x80;
  image[24 + 4] = 0xF0;
  std::vector<double> out(3, 99);
  std::size_t stored = 7;
  EXPECT_EQ(c.DecodeArray(B, 10, image.data(), 12, 3, out.data(), &stored), 32);
  EXPECT_EQ(stored, 2u);
  EXPECT_EQ(out, (std::vector<double>{42, -17, 99}));

  EXPECT_EQ(c.DecodeArray(F, 2, image.data(), 2, 3, out.data(), &stored), 43);
  EXPECT_EQ(stored, 0u);
  Bytes untouched = image;
  EXPECT_EQ(c.EncodeArray(I, 8, out.data(), 3, image.data(), 8), 43);
  EXPECT_EQ(image, untouched);
  EXPECT_EQ(c.DecodeArray(I, 4, nullptr, 4, 0, nullptr, &stored), 0);
  EXPECT_EQ(stored, 0u);
}

}  // namespace
}  // namespace kfio
