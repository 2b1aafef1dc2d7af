// XoScribe and the one-value binary methods: Read, Write, FRead, FWrite,
// DRead, DWrite, LDRead and LDWrite.
#pragma once

#include "binary/type_converter.h"
#include "fum/fumio.h"
#include "fum/limited.h"

namespace kfio {

class XoScribe : public XoFUMIO {
  KFIO_DECLARE_DYNAMIC(XoScribe, XoFUMIO)
 public:
  explicit XoScribe(const char* syntax);
  ~XoScribe() override;
  XoScribe(const XoScribe&) = delete;
  XoScribe& operator=(const XoScribe&) = delete;
  int FileArgumentIndex() const override { return LastArgumentIndex(); }

 protected:
  // The integer widths Read and Write accept; checking keeps the width.
  static XoDiscrete* Widths();
  // Loads signedness, byte order and error mode into the converter.
  static FUM_TypeConverter& LoadedConverter();
  // Checks the Signed and ByteOrder settings; 0 or the check's status.
  static int CheckSigned();
  static int CheckByteOrder();
  // Reads n bytes of the current file: 0, 33 (short) or 28, with Error and
  // SysErr set.
  static int RawRead(unsigned char* buffer, unsigned n);
  // Writes n bytes: 0 or the mode's status, with Error and SysErr set.
  static int RawWrite(const unsigned char* buffer, unsigned n);
  // Width from the argument in slot i (given) or the nBytes setting; 0 or
  // the status.
  int CheckWidth(int i, int32_t& width) const;
};

class XoPiecewise : public XoScribe {
  KFIO_DECLARE_DYNAMIC(XoPiecewise, XoScribe)
 public:
  using XoScribe::XoScribe;
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  // Decodes `size` bytes of the file with the reader of (kind, size).
  int ReadValue(int kind, int size, int defaultFailure, double* result);
  // Encodes value with the writer of (kind, size) and writes it.
  int WriteValue(int kind, int size, double value, double* result);
};

class XoIntIO : public XoPiecewise {
  KFIO_DECLARE_DYNAMIC(XoIntIO, XoPiecewise)
 public:
  using XoPiecewise::XoPiecewise;
};

class XoRealIO : public XoPiecewise {
  KFIO_DECLARE_DYNAMIC(XoRealIO, XoPiecewise)
 public:
  using XoPiecewise::XoPiecewise;
};

class XoRead : public XoIntIO {
  KFIO_DECLARE_DYNAMIC(XoRead, XoIntIO)
 public:
  XoRead();

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int width_ = -1;  // argument slot
};

class XoWrite : public XoIntIO {
  KFIO_DECLARE_DYNAMIC(XoWrite, XoIntIO)
 public:
  XoWrite();

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int value_ = -1;  // argument slot
  int width_ = -1;  // argument slot
};

// A floating read of a fixed size.
class XoFloatRead : public XoRealIO {
  KFIO_DECLARE_DYNAMIC(XoFloatRead, XoRealIO)
 public:
  explicit XoFloatRead(int size);

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int size_;
};

// A floating write of a fixed size.
class XoFloatWrite : public XoRealIO {
  KFIO_DECLARE_DYNAMIC(XoFloatWrite, XoRealIO)
 public:
  explicit XoFloatWrite(int size);

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int size_;
  int value_ = -1;  // argument slot
};

class XoFRead : public XoFloatRead {
  KFIO_DECLARE_DYNAMIC(XoFRead, XoFloatRead)
 public:
  XoFRead() : XoFloatRead(4) {}
};
class XoDRead : public XoFloatRead {
  KFIO_DECLARE_DYNAMIC(XoDRead, XoFloatRead)
 public:
  XoDRead() : XoFloatRead(8) {}
};
class XoLDRead : public XoFloatRead {
  KFIO_DECLARE_DYNAMIC(XoLDRead, XoFloatRead)
 public:
  XoLDRead() : XoFloatRead(10) {}
};
class XoFWrite : public XoFloatWrite {
  KFIO_DECLARE_DYNAMIC(XoFWrite, XoFloatWrite)
 public:
  XoFWrite() : XoFloatWrite(4) {}
};
class XoDWrite : public XoFloatWrite {
  KFIO_DECLARE_DYNAMIC(XoDWrite, XoFloatWrite)
 public:
  XoDWrite() : XoFloatWrite(8) {}
};
// Refuses to run: 80-bit values are read, never written.
class XoLDWrite : public XoFloatWrite {
  KFIO_DECLARE_DYNAMIC(XoLDWrite, XoFloatWrite)
 public:
  XoLDWrite() : XoFloatWrite(10) {}
  int ParseArguments(char* arguments, XoDLL& module) override;
};

}  // namespace kfio
