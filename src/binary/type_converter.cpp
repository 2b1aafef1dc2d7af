// FUM_TypeConverter: byte-order rule, integer, IEEE, 80-bit extended and packed BCD routines.
#include "binary/type_converter.h"

#include <bit>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "bridge/host_blocks.h"
#include "bridge/truncate.h"
#include "kutl/names.h"

namespace kfio {

namespace {

// Every encoding below is assembled from bytes by shifts, so the host's own
// byte order never matters; the float types must still be IEEE 754.
static_assert(CHAR_BIT == 8, "file images are sequences of 8-bit bytes");
static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559,
              "4-byte floats are copied bit for bit: float must be IEEE 754 single");
static_assert(sizeof(double) == 8 && std::numeric_limits<double>::is_iec559,
              "8-byte floats are copied bit for bit: double must be IEEE 754 double");
static_assert(std::numeric_limits<double>::digits == 53,
              "the 80-bit mapping moves a 52-bit fraction field");

// The x87 extended layout: 64-bit significand with explicit integer bit, then
// a 16-bit word of 15-bit exponent and sign.
constexpr int kExtendedSignificandBytes = 8;
constexpr int kExtendedSize = kExtendedSignificandBytes + 2;
static_assert(kExtendedSize == FUM_TypeConverter::kMaxSize && 64 + 15 + 1 == kExtendedSize * 8,
              "an 80-bit extended value is 64 significand + 15 exponent + 1 sign bits");
constexpr uint64_t kFraction52 = (uint64_t{1} << 52) - 1;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;
constexpr int kDroppedFractionBits = 63 - 52;  // extended fraction bits below the double's

// Packed BCD (the x87 layout): bytes 0 to 8 hold 18 digits, two per byte, low
// nibble the less significant, byte 0 the least significant; byte 9 bit 7 is
// the sign and its other bits are ignored on reading, zero on writing.
constexpr int kBcdSize = 10;
constexpr int kBcdDigitBytes = 9;
constexpr uint64_t kBcdLimit = 1000000000000000000ULL;  // 10^18: one past 18 digits
static_assert(kBcdDigitBytes * 2 == 18 && kBcdDigitBytes + 1 == kBcdSize,
              "packed BCD is 18 digits in 9 bytes plus a sign byte");
static_assert(kBcdLimit - 1 <= std::numeric_limits<uint64_t>::max() / 10,
              "18 decimal digits accumulate in 64 bits without overflow");
static_assert(static_cast<double>(kBcdLimit) == 1e18, "10^18 is exact as a double");

// Little-endian load of N bytes, or big-endian when Rev.
template <int N, bool Rev>
inline uint64_t Load(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 0; i < N; ++i) v |= uint64_t{p[Rev ? N - 1 - i : i]} << (8 * i);
  return v;
}

template <int N, bool Rev>
inline void Store(unsigned char* p, uint64_t v) {
  for (int i = 0; i < N; ++i) p[Rev ? N - 1 - i : i] = static_cast<unsigned char>(v >> (8 * i));
}

template <int N>
inline int64_t SignExtend(uint64_t v) {
  constexpr int shift = 64 - 8 * N;
  return static_cast<int64_t>(v << shift) >> shift;
}

template <int N, bool Rev, bool Signed>
inline double DecodeInt(const unsigned char* p) {
  const uint64_t v = Load<N, Rev>(p);
  return Signed ? static_cast<double>(SignExtend<N>(v)) : static_cast<double>(v);
}

// Signed values go through 32 bits, unsigned ones through 64 so that 4-byte
// values up to 4294967295 survive; NaN gives 0 and anything beyond those
// ranges (infinities included) saturates.
inline int64_t TruncateForWrite(double v, bool isSigned) {
  return isSigned ? TruncateToInt32(v) : TruncateToInt64(v);
}

// The low N bytes of the truncated value; only the 3-byte width is checked.
template <int N, bool Rev>
inline bool EncodeInt(unsigned char* p, double v, bool isSigned) {
  const int64_t t = TruncateForWrite(v, isSigned);
  Store<N, Rev>(p, static_cast<uint64_t>(t));
  if (N != 3) return true;
  return isSigned ? (t >= -8388608 && t <= 8388607) : (t >= 0 && t <= 16777215);
}

template <bool Rev>
inline double DecodeFloat4(const unsigned char* p) {
  return static_cast<double>(std::bit_cast<float>(static_cast<uint32_t>(Load<4, Rev>(p))));
}

template <bool Rev>
inline double DecodeFloat8(const unsigned char* p) {
  return std::bit_cast<double>(Load<8, Rev>(p));
}

template <bool Rev>
inline void EncodeFloat4(unsigned char* p, double v) {
  // IEEE narrowing: round to nearest even, overflow to infinity.
  Store<4, Rev>(p, std::bit_cast<uint32_t>(static_cast<float>(v)));
}

template <bool Rev>
inline void EncodeFloat8(unsigned char* p, double v) {
  Store<8, Rev>(p, std::bit_cast<uint64_t>(v));
}

// A bit mapping, not arithmetic: the exponent's top bit and low 10 bits move
// over unchanged, which is only faithful when bits 10 to 13 are the copies a
// double's exponent range implies. Answers false (value = missing) otherwise.
inline bool DecodeExtended(const unsigned char* p, double& value) {
  const uint64_t significand = Load<kExtendedSignificandBytes, false>(p);
  const uint64_t signExp = Load<2, false>(p + kExtendedSignificandBytes);
  if (significand == 0 && signExp == 0) {
    value = 0.0;
    return true;
  }
  const uint64_t topExponentBits = (signExp >> 10) & 0x1F;  // exponent bit 14, then 13..10
  if (topExponentBits != 0x10 && topExponentBits != 0x0F) {
    value = kMissingValue;
    return false;
  }
  const uint64_t bits = ((significand >> kDroppedFractionBits) & kFraction52) |
                        ((signExp & 0x3FF) << 52) | (((signExp >> 14) & 1) << 62) |
                        ((signExp >> 15) << 63);
  value = std::bit_cast<double>(bits);
  return true;
}

inline void EncodeExtended(unsigned char* p, double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  uint64_t significand = 0;
  uint64_t signExp = 0;
  if (bits != 0) {  // -0.0 is not all-zero and gets the integer bit too
    const uint64_t exponentTop = (bits >> 62) & 1;
    significand = ((bits & kFraction52) << kDroppedFractionBits) | kIntegerBit;
    signExp = ((bits >> 52) & 0x3FF) | (exponentTop == 0 ? 0x3C00 : 0) | (exponentTop << 14) |
              ((bits >> 63) << 15);
  }
  Store<kExtendedSignificandBytes, false>(p, significand);
  Store<2, false>(p + kExtendedSignificandBytes, signExp);
}

inline int DecodeBcd(const unsigned char* p, double& value) {
  uint64_t magnitude = 0;
  for (int i = kBcdDigitBytes - 1; i >= 0; --i) {
    const unsigned high = p[i] >> 4;
    const unsigned low = p[i] & 0x0F;
    if (high > 9 || low > 9) return FUM_TypeConverter::kBadDigit;
    magnitude = magnitude * 100 + high * 10 + low;
  }
  const double d = static_cast<double>(magnitude);
  value = (p[kBcdDigitBytes] & 0x80) ? -d : d;
  return 0;
}

// Truncates toward zero. Out of range (|value| >= 10^18, infinities) stores
// eighteen nines with the value's sign and NaN stores +0; both answer false.
inline bool EncodeBcd(unsigned char* p, double v) {
  bool inRange = true;
  bool negative = false;
  uint64_t magnitude = 0;
  if (std::isnan(v)) {
    inRange = false;
  } else {
    const double t = std::trunc(v);
    negative = t < 0;
    if (std::fabs(t) >= static_cast<double>(kBcdLimit)) {
      inRange = false;
      magnitude = kBcdLimit - 1;
    } else {
      magnitude = static_cast<uint64_t>(std::fabs(t));
    }
  }
  for (int i = 0; i < kBcdDigitBytes; ++i) {
    const unsigned low = static_cast<unsigned>(magnitude % 10);
    magnitude /= 10;
    const unsigned high = static_cast<unsigned>(magnitude % 10);
    magnitude /= 10;
    p[i] = static_cast<unsigned char>(high << 4 | low);
  }
  p[kBcdDigitBytes] = negative ? 0x80 : 0x00;
  return inRange;
}

// Array loops: one instantiation per (width, order, signedness), so the
// per-value work is a load and a conversion with no call or branch.
template <int N, bool Rev, bool Signed>
void DecodeInts(const unsigned char* image, std::size_t stride, std::size_t count, double* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = DecodeInt<N, Rev, Signed>(image + i * stride);
}

template <int N>
void DecodeIntsDispatch(bool rev, bool isSigned, const unsigned char* image, std::size_t stride,
                        std::size_t count, double* out) {
  if (rev)
    isSigned ? DecodeInts<N, true, true>(image, stride, count, out)
             : DecodeInts<N, true, false>(image, stride, count, out);
  else
    isSigned ? DecodeInts<N, false, true>(image, stride, count, out)
             : DecodeInts<N, false, false>(image, stride, count, out);
}

template <int N, bool Rev>
bool EncodeInts(const double* in, std::size_t count, unsigned char* image, std::size_t stride,
                bool isSigned) {
  bool allInRange = true;
  for (std::size_t i = 0; i < count; ++i)
    allInRange &= EncodeInt<N, Rev>(image + i * stride, in[i], isSigned);
  return allInRange;
}

template <int N>
bool EncodeIntsDispatch(bool rev, bool isSigned, const double* in, std::size_t count,
                        unsigned char* image, std::size_t stride) {
  return rev ? EncodeInts<N, true>(in, count, image, stride, isSigned)
             : EncodeInts<N, false>(in, count, image, stride, isSigned);
}

// The routine is a template argument, so the call in the loop is direct and
// inlined.
template <auto Decode>
void DecodeEach(const unsigned char* image, std::size_t stride, std::size_t count, double* out) {
  for (std::size_t i = 0; i < count; ++i) out[i] = Decode(image + i * stride);
}

template <auto Encode>
void EncodeEach(const double* in, std::size_t count, unsigned char* image, std::size_t stride) {
  for (std::size_t i = 0; i < count; ++i) Encode(image + i * stride, in[i]);
}

struct TypeEntry {
  int kind;
  int size;
  const char* name;
};

constexpr TypeEntry kTypes[] = {
    {FUM_TypeConverter::kInteger, 1, "BYTE"},     {FUM_TypeConverter::kInteger, 2, "SHORT"},
    {FUM_TypeConverter::kInteger, 3, "TBYTE"},    {FUM_TypeConverter::kInteger, 4, "LONG"},
    {FUM_TypeConverter::kFloating, 4, "FLOAT"},   {FUM_TypeConverter::kFloating, 8, "DOUBLE"},
    {FUM_TypeConverter::kFloating, 10, "LDOUBLE"}, {FUM_TypeConverter::kBcd, 10, "BCD"},
};

}  // namespace

// 2-byte integers have their own rule (order 1 reverses them, and on writing
// only in the new error mode); the 1- and 10-byte types ignore the order.
bool FUM_TypeConverter::ReversesOnRead(int kind, int size) const {
  if (size == 1 || size == 10) return false;
  if (kind == kInteger && size == 2) return byteOrder_ == 1 || byteOrder_ == 2;
  return byteOrder_ == 2;
}

bool FUM_TypeConverter::ReversesOnWrite(int kind, int size) const {
  if (kind == kInteger && size == 2) return newErrorMode_ && (byteOrder_ == 1 || byteOrder_ == 2);
  return ReversesOnRead(kind, size);
}

void FUM_TypeConverter::Reverse(unsigned char* bytes, int size) {
  for (index_ = 0; index_ < size / 2; ++index_) {
    const unsigned char b = bytes[index_];
    bytes[index_] = bytes[size - 1 - index_];
    bytes[size - 1 - index_] = b;
  }
}

template <int N>
int FUM_TypeConverter::ReadInt(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  if (N > 1 && c.ReversesOnRead(kInteger, N)) c.Reverse(bytes, N);
  *value = c.signed_ ? DecodeInt<N, false, true>(bytes) : DecodeInt<N, false, false>(bytes);
  return 0;
}

// The sign byte is added in the scratch image, so the 24-bit value reads as a
// 32-bit one.
template <>
int FUM_TypeConverter::ReadInt<3>(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  if (c.ReversesOnRead(kInteger, 3)) c.Reverse(bytes, 3);
  std::memcpy(c.scratch_, bytes, 3);
  c.scratch_[3] = (c.signed_ && (bytes[2] & 0x80)) ? 0xFF : 0x00;
  *value = c.signed_ ? DecodeInt<4, false, true>(c.scratch_) : DecodeInt<4, false, false>(c.scratch_);
  return 0;
}

template <int N>
int FUM_TypeConverter::ReadFloat(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  static_assert(N == 4 || N == 8, "IEEE single or double");
  if (c.ReversesOnRead(kFloating, N)) c.Reverse(bytes, N);
  *value = N == 4 ? DecodeFloat4<false>(bytes) : DecodeFloat8<false>(bytes);
  return 0;
}

int FUM_TypeConverter::ReadExtended(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  if (!DecodeExtended(bytes, *value)) c.softError = kOutOfRange;
  return 0;
}

int FUM_TypeConverter::ReadBcd(FUM_TypeConverter&, unsigned char* bytes, double* value) {
  return DecodeBcd(bytes, *value);
}

// Out of range (checked for 3 bytes only) is recorded but the low bytes are
// still stored, so the caller's call goes on.
template <int N>
int FUM_TypeConverter::WriteInt(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  if (!EncodeInt<N, false>(bytes, *value, c.signed_ != 0)) c.softError = kOutOfRange;
  if (N > 1 && c.ReversesOnWrite(kInteger, N)) c.Reverse(bytes, N);
  return 0;
}

template <int N>
int FUM_TypeConverter::WriteFloat(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  static_assert(N == 4 || N == 8, "IEEE single or double");
  if constexpr (N == 4)
    EncodeFloat4<false>(bytes, *value);
  else
    EncodeFloat8<false>(bytes, *value);
  if (c.ReversesOnWrite(kFloating, N)) c.Reverse(bytes, N);
  return 0;
}

int FUM_TypeConverter::WriteExtended(FUM_TypeConverter&, unsigned char* bytes, double* value) {
  EncodeExtended(bytes, *value);
  return 0;
}

// Like the other writers, an unrepresentable value is recorded, not refused.
int FUM_TypeConverter::WriteBcd(FUM_TypeConverter& c, unsigned char* bytes, double* value) {
  if (!EncodeBcd(bytes, *value)) c.softError = kOutOfRange;
  return 0;
}

FUM_TypeConverter::Routine FUM_TypeConverter::Select(int kind, int size, bool reading) const {
  switch (kind) {
    case kInteger:
      switch (size) {
        case 1: return reading ? ReadInt<1> : WriteInt<1>;
        case 2: return reading ? ReadInt<2> : WriteInt<2>;
        case 3: return reading ? ReadInt<3> : WriteInt<3>;
        case 4: return reading ? ReadInt<4> : WriteInt<4>;
      }
      break;
    case kFloating:
      switch (size) {
        case 4: return reading ? ReadFloat<4> : WriteFloat<4>;
        case 8: return reading ? ReadFloat<8> : WriteFloat<8>;
        case 10: return reading ? ReadExtended : WriteExtended;
      }
      break;
    case kBcd:
      if (size == kBcdSize) return reading ? ReadBcd : WriteBcd;
      break;
  }
  return nullptr;
}

const char* FUM_TypeConverter::TypeName(int kind, int size) {
  for (const TypeEntry& t : kTypes)
    if (t.kind == kind && t.size == size) return t.name;
  return nullptr;
}

bool FUM_TypeConverter::FindTypeName(const char* name, int& kind, int& size) {
  if (name == nullptr) return false;
  for (const TypeEntry& t : kTypes) {
    if (kutl::EqualNoCase(name, t.name)) {
      kind = t.kind;
      size = t.size;
      return true;
    }
  }
  return false;
}

int FUM_TypeConverter::DecodeArray(int kind, int size, const unsigned char* image,
                                   std::size_t stride, std::size_t count, double* out,
                                   std::size_t* stored) {
  if (stored != nullptr) *stored = 0;
  if (Select(kind, size, true) == nullptr) return kNoRoutine;
  const bool rev = ReversesOnRead(kind, size);
  const bool isSigned = signed_ != 0;
  std::size_t done = count;
  int code = 0;
  if (kind == kInteger) {
    switch (size) {
      case 1: DecodeIntsDispatch<1>(false, isSigned, image, stride, count, out); break;
      case 2: DecodeIntsDispatch<2>(rev, isSigned, image, stride, count, out); break;
      case 3: DecodeIntsDispatch<3>(rev, isSigned, image, stride, count, out); break;
      default: DecodeIntsDispatch<4>(rev, isSigned, image, stride, count, out); break;
    }
  } else if (kind == kFloating && size == 4) {
    rev ? DecodeEach<DecodeFloat4<true>>(image, stride, count, out)
        : DecodeEach<DecodeFloat4<false>>(image, stride, count, out);
  } else if (kind == kFloating && size == 8) {
    rev ? DecodeEach<DecodeFloat8<true>>(image, stride, count, out)
        : DecodeEach<DecodeFloat8<false>>(image, stride, count, out);
  } else if (kind == kFloating) {
    bool allInRange = true;
    for (std::size_t i = 0; i < count; ++i)
      allInRange &= DecodeExtended(image + i * stride, out[i]);
    if (!allInRange) softError = kOutOfRange;
  } else {
    for (done = 0; done < count; ++done) {
      code = DecodeBcd(image + done * stride, out[done]);
      if (code != 0) break;
    }
  }
  if (stored != nullptr) *stored = done;
  return code;
}

int FUM_TypeConverter::EncodeArray(int kind, int size, const double* in, std::size_t count,
                                   unsigned char* image, std::size_t stride) {
  if (Select(kind, size, false) == nullptr) return kNoRoutine;
  const bool rev = ReversesOnWrite(kind, size);
  const bool isSigned = signed_ != 0;
  bool allInRange = true;
  if (kind == kInteger) {
    switch (size) {
      case 1: EncodeIntsDispatch<1>(false, isSigned, in, count, image, stride); break;
      case 2: EncodeIntsDispatch<2>(rev, isSigned, in, count, image, stride); break;
      case 3: allInRange = EncodeIntsDispatch<3>(rev, isSigned, in, count, image, stride); break;
      default: EncodeIntsDispatch<4>(rev, isSigned, in, count, image, stride); break;
    }
  } else if (kind == kFloating && size == 4) {
    rev ? EncodeEach<EncodeFloat4<true>>(in, count, image, stride)
        : EncodeEach<EncodeFloat4<false>>(in, count, image, stride);
  } else if (kind == kFloating && size == 8) {
    rev ? EncodeEach<EncodeFloat8<true>>(in, count, image, stride)
        : EncodeEach<EncodeFloat8<false>>(in, count, image, stride);
  } else if (kind == kFloating) {
    EncodeEach<EncodeExtended>(in, count, image, stride);
  } else {
    for (std::size_t i = 0; i < count; ++i) allInRange &= EncodeBcd(image + i * stride, in[i]);
  }
  if (!allInRange) softError = kOutOfRange;
  return 0;
}

FUM_TypeConverter& TheConverter() {
  static FUM_TypeConverter instance;
  return instance;
}

}  // namespace kfio
