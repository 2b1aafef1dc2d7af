// FUM_TypeConverter: the one place where file bytes become doubles and doubles become bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/cobject.h"

namespace kfio {

// Converts single values and whole arrays between a file image and doubles.
// The calling method loads the signed flag, the byte order and the error mode
// before every use; the byte-order rule lives here and nowhere else.
class FUM_TypeConverter : public CObject {
  KFIO_DECLARE_DYNAMIC(FUM_TypeConverter, CObject)

 public:
  // A reader reverses `bytes` in place where the byte order asks for it and
  // then decodes them into `*value`; a writer encodes `*value` into `bytes`
  // and then reverses them in place. Answers 0 or an error code.
  using Routine = int (*)(FUM_TypeConverter&, unsigned char* bytes, double* value);

  // Value kinds (the binType of the array and row methods).
  static constexpr int kInteger = 0;
  static constexpr int kFloating = 1;
  static constexpr int kBcd = 2;

  // Codes the routines and the selector answer.
  static constexpr int kBadDigit = 32;    // a BCD nibble above 9
  static constexpr int kOutOfRange = 34;  // soft: recorded in softError only
  static constexpr int kNoRoutine = 43;   // no routine for (kind, size)

  // Largest value size; callers' scratch buffers need this many bytes.
  static constexpr int kMaxSize = 10;

  FUM_TypeConverter() = default;

  void SetSigned(bool isSigned) { signed_ = isSigned ? 1 : 0; }
  // Values outside 0 to 2 are the caller's range error; they are stored as
  // given and then act like 0 (nothing reversed).
  void SetByteOrder(int order) { byteOrder_ = static_cast<uint8_t>(order); }
  // The new error mode also reverses 2-byte integers on writing.
  void SetNewErrorMode(bool on) { newErrorMode_ = on; }

  bool IsSigned() const { return signed_ != 0; }
  int ByteOrder() const { return byteOrder_; }
  bool NewErrorMode() const { return newErrorMode_; }

  void ClearSoftError() { softError = 0; }

  // The routine for (kind, size) in one direction, or null for any pair
  // without one.
  Routine Select(int kind, int size, bool reading) const;

  // Record type name of (kind, size), or null for a pair without a routine.
  static const char* TypeName(int kind, int size);
  // Reverse of TypeName over the whole name, without regard to case.
  static bool FindTypeName(const char* name, int& kind, int& size);

  // Decodes `count` values of `size` bytes from `image`, value i at
  // i * `stride`, into out[0..count). Same results and soft errors as the
  // reader called per value, but `image` is left untouched. Answers 0, or the
  // first failing code (kNoRoutine before anything, kBadDigit for BCD) with
  // the values before it stored. `*stored` (if given) gets the number stored.
  int DecodeArray(int kind, int size, const unsigned char* image, std::size_t stride,
                  std::size_t count, double* out, std::size_t* stored = nullptr);
  // Encodes in[0..count) into `image`, value i at i * `stride`; the bytes
  // between values are not touched. Same bytes and soft errors as the writer
  // called per value. Answers 0 or kNoRoutine (nothing written).
  int EncodeArray(int kind, int size, const double* in, std::size_t count, unsigned char* image,
                  std::size_t stride);

  // 0, or kOutOfRange once a 3-byte writer or an 80-bit reader met a value
  // out of range since the last ClearSoftError; those still answer 0.
  int softError = 0;

 private:
  bool ReversesOnRead(int kind, int size) const;
  bool ReversesOnWrite(int kind, int size) const;
  void Reverse(unsigned char* bytes, int size);

  // Integers of N bytes (1 to 4), IEEE floats of N bytes (4 or 8).
  template <int N>
  static int ReadInt(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  template <int N>
  static int ReadFloat(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  static int ReadExtended(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  static int ReadBcd(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  template <int N>
  static int WriteInt(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  template <int N>
  static int WriteFloat(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  static int WriteExtended(FUM_TypeConverter& c, unsigned char* bytes, double* value);
  static int WriteBcd(FUM_TypeConverter& c, unsigned char* bytes, double* value);

  unsigned char scratch_[4] = {};  // little-endian image of a 3-byte integer
  uint8_t index_ = 0;              // loop counter of the byte-wise routines
  uint8_t signed_ = 0;             // 0 unsigned, else two's complement
  uint8_t byteOrder_ = 0;          // 0, 1 or 2
  bool newErrorMode_ = false;
};

// The process-wide converter every binary method shares.
FUM_TypeConverter& TheConverter();

}  // namespace kfio
