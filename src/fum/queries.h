// Exists, Remove and Size: questions to the file system about a named file
// or an open one.
#pragma once

#include "fum/fumio.h"

namespace kfio {

class XoExists : public XoDOS {
  KFIO_DECLARE_DYNAMIC(XoExists, XoDOS)
 public:
  XoExists() : XoDOS("(filename$)"), nameArg_(AddArgument<XoString>()) {}
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int nameArg_ = -1;  // argument slot
};

class XoRemove : public XoDOS {
  KFIO_DECLARE_DYNAMIC(XoRemove, XoDOS)
 public:
  XoRemove() : XoDOS("(filename$)"), nameArg_(AddArgument<XoString>()) {}
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int nameArg_ = -1;  // argument slot
};

class XoSize : public XoDOS {
  KFIO_DECLARE_DYNAMIC(XoSize, XoDOS)
 public:
  XoSize();
  int FileArgumentIndex() const override { return 0; }
  int ParseArguments(char* arguments, XoDLL& module) override;

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int fileArg_ = -1;  // argument slot
  int nameArg_ = -1;  // argument slot
  MyCFile* entry_ = nullptr;
};

}  // namespace kfio
