// XoTWrite and XoLWrite: TWrite and LWrite, a quoted literal or a string
// variable written at the current position by one bulk transfer.
#pragma once

#include "text/char_read.h"

namespace kfio {

class XoTWrite : public XoASCIIBulk {
  KFIO_DECLARE_DYNAMIC(XoTWrite, XoASCIIBulk)
 public:
  XoTWrite();
  int ParseArguments(char* arguments, XoDLL& module) override;
  bool SplitsArguments() const override { return true; }

  // The longest text one call writes, line break not counted.
  static constexpr std::size_t kMaxText = 259;

 protected:
  explicit XoTWrite(const char* syntax);
  int Execute(double* result, XoDLL& module) override;
  int ToBuffer(uint32_t start, uint32_t count, unsigned char* buffer) override;
  // Writes the text whole; the result is its length.
  int WriteText(double* result);

 private:
  // The text an argument stands for: a literal, a variable or itself.
  int TakeText(const char* argument);

  int string_ = -1;  // argument slot
};

class XoLWrite : public XoTWrite {
  KFIO_DECLARE_DYNAMIC(XoLWrite, XoTWrite)
 public:
  XoLWrite();

 protected:
  int Execute(double* result, XoDLL& module) override;
};

}  // namespace kfio
