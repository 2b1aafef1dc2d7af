// XoASCIIBulk, text moved by one bulk transfer, and CRead, which reads a
// number of bytes into a string variable.
#pragma once

#include <string>

#include "binary/bulk.h"

namespace kfio {

class XoASCIIBulk : public XoBulk {
  KFIO_DECLARE_DYNAMIC(XoASCIIBulk, XoBulk)
 public:
  using XoBulk::XoBulk;
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  std::string text_;  // emptied by every call
};

class XoCRead : public XoASCIIBulk {
  KFIO_DECLARE_DYNAMIC(XoCRead, XoASCIIBulk)
 public:
  XoCRead();
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;
  int FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) override;

 private:
  int letter_ = -1;  // argument slot
  int chars_ = -1;  // argument slot
  char varLetter_ = 0;
  uint32_t nChar_ = 0;
};

}  // namespace kfio
