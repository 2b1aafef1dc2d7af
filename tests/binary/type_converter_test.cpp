// Tests of FUM_TypeConverter: byte orders, every encoding, soft errors, selector and array helpers.
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
constexpr double kMissing = -1.23456789e-300;
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

// Runs the routine for (kind, size) on `bytes` and `value` in place; answers its code.
int Convert(FUM_TypeConverter& c, int kind, int size, bool reading, Bytes& bytes, double& value) {
  const FUM_TypeConverter::Routine r = c.Select(kind, size, reading);
  return r == nullptr ? -1 : r(c, bytes.data(), &value);
}

TEST(TypeConverterRead, DecodesEveryPairInEveryByteOrder) {
  const struct { int kind, size, order; bool isSigned; Bytes bytes; double expected; bool reversedInPlace; } cases[] = {
      {I, 1, 2, true, {0xFF}, -1, false}, {I, 1, 2, false, {0xFF}, 255, false},
      {I, 1, 0, true, {0x80}, -128, false}, {I, 2, 0, false, {0x12, 0x34}, 0x3412, false},
      {I, 2, 1, false, {0x12, 0x34}, 4660, true}, {I, 2, 2, false, {0x12, 0x34}, 4660, true},
      {I, 2, 1, true, {0xFF, 0xFE}, -2, true}, {I, 2, 0, false, {0xFF, 0xFF}, 65535, false},
      {I, 3, 2, true, {0xFF, 0xFF, 0xFE}, -2, true}, {I, 3, 2, false, {0xFF, 0xFF, 0xFE}, 16777214, true},
      {I, 3, 1, true, {0xFF, 0xFF, 0xFE}, -65537, false}, {I, 3, 0, true, {0xFF, 0xFF, 0x7F}, 8388607, false},
      {I, 3, 0, true, {0x00, 0x00, 0x80}, -8388608, false},
      {I, 4, 1, false, {0x12, 0x34, 0x56, 0x78}, 2018915346, false},
      {I, 4, 2, false, {0x12, 0x34, 0x56, 0x78}, 0x12345678, true},
      {I, 4, 0, true, {0xFF, 0xFF, 0xFF, 0xFF}, -1, false},
      {I, 4, 0, false, {0xFF, 0xFF, 0xFF, 0xFF}, 4294967295.0, false},
      {F, 4, 1, false, {0x00, 0x00, 0x80, 0x3F}, 1.0, false}, {F, 4, 2, true, {0x3F, 0x80, 0x00, 0x00}, 1.0, true},
      {F, 4, 0, false, {0x01, 0x00, 0x00, 0x00}, 0x1p-149, false},
      {F, 8, 1, false, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, 1.5, false},
      {F, 8, 2, false, {0xC0, 0, 0, 0, 0, 0, 0, 0}, -2.0, true},
      {F, 10, 2, false, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, 1.0, false},
      {B, 10, 2, false, {0x21, 0x43, 0, 0, 0, 0, 0, 0, 0, 0x80}, -4321, false},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(::testing::Message() << t.kind << "/" << t.size << " order " << t.order);
    FUM_TypeConverter c = Loaded(t.order, t.isSigned);
    Bytes b = t.bytes;
    double v = 0;
    EXPECT_EQ(Convert(c, t.kind, t.size, true, b, v), 0);
    EXPECT_EQ(v, t.expected);
    EXPECT_EQ(b, t.reversedInPlace ? Bytes(t.bytes.rbegin(), t.bytes.rend()) : t.bytes);
    EXPECT_EQ(c.softError, 0);
  }
}

TEST(TypeConverterWrite, EncodesEveryPairInEveryByteOrder) {
  auto nines = [](unsigned char sign) {
    Bytes b(9, 0x99);
    b.push_back(sign);
    return b;
  };
  const struct { int kind, size, order; bool isSigned, newMode; double value; Bytes expected; int softError; }
  cases[] = {
      // 2-byte integers are reversed on writing only in the new error mode.
      {I, 2, 2, false, false, 300, {0x2C, 0x01}, 0}, {I, 2, 2, false, true, 300, {0x01, 0x2C}, 0},
      {I, 2, 1, false, false, 300, {0x2C, 0x01}, 0}, {I, 2, 1, false, true, 300, {0x01, 0x2C}, 0},
      {I, 2, 0, false, true, 300, {0x2C, 0x01}, 0}, {I, 2, 0, false, false, 70000, {0x70, 0x11}, 0},
      {I, 2, 0, true, false, -2.9, {0xFE, 0xFF}, 0}, {I, 2, 0, true, false, 1e30, {0xFF, 0xFF}, 0},
      {I, 1, 2, false, true, 2.9, {0x02}, 0}, {I, 1, 0, false, false, kNaN, {0x00}, 0},
      {I, 4, 0, false, false, -1, {0xFF, 0xFF, 0xFF, 0xFF}, 0},
      {I, 4, 0, false, false, 4294967295.0, {0xFF, 0xFF, 0xFF, 0xFF}, 0},
      {I, 4, 0, true, false, 4294967295.0, {0xFF, 0xFF, 0xFF, 0x7F}, 0},
      {I, 4, 0, true, false, -kInf, {0x00, 0x00, 0x00, 0x80}, 0},
      {I, 4, 0, false, false, kInf, {0xFF, 0xFF, 0xFF, 0xFF}, 0},
      {I, 4, 1, false, false, 0x12345678, {0x78, 0x56, 0x34, 0x12}, 0},
      {I, 4, 2, false, false, 0x12345678, {0x12, 0x34, 0x56, 0x78}, 0},
      // The 24-bit range check: out of range still stores the low bytes.
      {I, 3, 0, true, false, -8388608, {0x00, 0x00, 0x80}, 0}, {I, 3, 0, true, false, 8388607, {0xFF, 0xFF, 0x7F}, 0},
      {I, 3, 0, true, false, 8388608, {0x00, 0x00, 0x80}, 34},
      {I, 3, 0, true, false, -8388609, {0xFF, 0xFF, 0x7F}, 34},
      {I, 3, 0, false, false, 16777215, {0xFF, 0xFF, 0xFF}, 0},
      {I, 3, 0, false, false, 16777216, {0x00, 0x00, 0x00}, 34}, {I, 3, 0, false, false, -1, {0xFF, 0xFF, 0xFF}, 34},
      {I, 3, 0, false, false, 4294967296.0 + 5, {0x05, 0x00, 0x00}, 34},
      {I, 3, 1, false, true, 0x123456, {0x56, 0x34, 0x12}, 0},
      {I, 3, 2, false, false, 0x123456, {0x12, 0x34, 0x56}, 0},
      {F, 4, 2, false, false, 1.0, {0x3F, 0x80, 0x00, 0x00}, 0},
      {F, 4, 1, false, true, 1.0 + 0x1p-24, {0x00, 0x00, 0x80, 0x3F}, 0},
      {F, 4, 0, false, false, 1.0 + 3 * 0x1p-24, {0x02, 0x00, 0x80, 0x3F}, 0},
      {F, 4, 0, false, false, 1e300, {0x00, 0x00, 0x80, 0x7F}, 0},
      {F, 8, 2, false, false, -2.0, {0xC0, 0, 0, 0, 0, 0, 0, 0}, 0},
      {F, 8, 1, false, true, 1.5, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F}, 0},
      {F, 10, 2, false, true, 1.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, 0},
      {F, 10, 0, false, false, -2.5, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}, 0},
      {F, 10, 0, false, false, 0.0, Bytes(10, 0), 0},
      {F, 10, 0, false, false, -0.0, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xBC}, 0},
      {F, 10, 0, false, false, 0x1p-1022, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x3C}, 0},
      {F, 10, 0, false, false, 0x1p-1074, {0x00, 0x08, 0, 0, 0, 0, 0, 0x80, 0x00, 0x3C}, 0},
      {B, 10, 2, false, false, 0, Bytes(10, 0), 0}, {B, 10, 2, false, true, 1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0},
      {B, 10, 0, true, false, -1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, 0},
      {B, 10, 0, false, false, -12.7, {0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0x80}, 0},
      {B, 10, 0, false, false, -0.5, Bytes(10, 0), 0},
      {B, 10, 0, false, false, 123456789012345678.0,
       {0x80, 0x56, 0x34, 0x12, 0x90, 0x78, 0x56, 0x34, 0x12, 0x00}, 0},
      {B, 10, 0, false, false, 1e18, nines(0x00), 34}, {B, 10, 0, false, false, -kInf, nines(0x80), 34},
      {B, 10, 0, false, false, kNaN, Bytes(10, 0), 34},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(::testing::Message() << t.kind << "/" << t.size << " order " << t.order
                                      << " value " << t.value);
    FUM_TypeConverter c = Loaded(t.order, t.isSigned, t.newMode);
    Bytes b(t.expected.size(), 0xAB);
    double v = t.value;
    EXPECT_EQ(Convert(c, t.kind, t.size, false, b, v), 0);
    EXPECT_EQ(b, t.expected);
    EXPECT_EQ(c.softError, t.softError);
  }
  // The soft error stays through later good values until cleared.
  FUM_TypeConverter c = Loaded(0, true);
  Bytes b(3);
  for (double v : {9000000.0, 1.0}) Convert(c, I, 3, false, b, v);
  EXPECT_EQ(c.softError, 34);
  c.ClearSoftError();
  EXPECT_EQ(c.softError, 0);
}

// The 80-bit extended and packed BCD readers, which ignore the byte order.
TEST(TypeConverterTenBytes, ExtendedMapsBitsAndBcdRejectsBadNibbles) {
  const struct { int kind; Bytes bytes; int code; double expected; int softError; } cases[] = {
      {F, Bytes(10, 0), 0, 0.0, 0}, {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0xBF}, 0, -1.0, 0},
      {F, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x00, 0xC0}, 0, -2.5, 0},
      // The low 11 fraction bits are dropped, not rounded.
      {F, {0xFF, 0x07, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}, 0, 1.0, 0},
      {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x01, 0x3C}, 0, 0x1p-1022, 0},
      {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x3C}, 0, 0.0, 0},
      {F, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0x43}, 0,
       std::numeric_limits<double>::max(), 0},
      {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x43}, 0, kInf, 0},
      // Exponents a double cannot hold: the missing value and a soft error.
      {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3B}, 0, kMissing, 34},
      {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0x44}, 0, kMissing, 34},
      {F, {0x9C, 0x5A, 0x3E, 0x66, 0x8C, 0xE6, 0x7A, 0xF2, 0x2F, 0x45}, 0, kMissing, 34},  // 1E400
      {F, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 0, kMissing, 34},
      {F, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x7F}, 0, kMissing, 34},
      // A BCD nibble above 9 is refused and nothing stored.
      {B, {0x0A, 0, 0, 0, 0, 0, 0, 0, 0, 0}, 32, 7, 0}, {B, {0, 0, 0, 0, 0, 0, 0, 0, 0xA0, 0}, 32, 7, 0},
      {B, {0x07, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF}, 0, -7, 0},  // only bit 7 of the sign byte counts
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(::testing::PrintToString(t.bytes));
    FUM_TypeConverter c = Loaded(2, true);
    Bytes b = t.bytes;
    double v = 7;
    EXPECT_EQ(Convert(c, t.kind, 10, true, b, v), t.code);
    EXPECT_EQ(v, t.expected);
    EXPECT_EQ(c.softError, t.softError);
  }
}

TEST(TypeConverterTenBytes, RoundTripBitForBit) {
  const std::pair<int, std::vector<double>> cases[] = {
      {F, {-0.0, 1.0, -2.5, 0x1p-1074, -0x1p-1022, 1e308, -kInf, kNaN, 3.14159}},  // every double
      {B, {0.0, 1.0, -1.0, 99.0, -987654321.0, 123456789012345678.0, 999999999999999872.0}},
  };
  for (const auto& t : cases) {
    SCOPED_TRACE(t.first);
    FUM_TypeConverter c = Loaded(2, false);
    for (double value : t.second) {
      Bytes b(10);
      double in = value, out = 0;
      EXPECT_EQ(Convert(c, t.first, 10, false, b, in), 0);
      EXPECT_EQ(Convert(c, t.first, 10, true, b, out), 0);
      EXPECT_EQ(std::bit_cast<uint64_t>(out), std::bit_cast<uint64_t>(value)) << value;
    }
    EXPECT_EQ(c.softError, 0);
  }
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
