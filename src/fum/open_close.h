// Open, Close and CloseAll: the methods that make and end open-file entries.
#pragma once

#include <memory>

#include "fum/fumio.h"
#include "fum/limited.h"

namespace kfio {

class XoOpen : public XoGeneralIO {
  KFIO_DECLARE_DYNAMIC(XoOpen, XoGeneralIO)
 public:
  XoOpen();
  bool SplitsArguments() const override { return true; }
  void ResetState() override;
  const MemberTable* SubTable() const override { return &members_; }

  // Platform open flags of an access mode (0 read, 1 write, 2 both).
  static unsigned FlagsOfMode(int mode);

  std::unique_ptr<XoBounded> openMode;
  XoString fileName;
  XoString wksName;

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int nameArg_ = -1;  // argument slot
  int modeArg_ = -1;  // argument slot
  MemberTable members_;
};

class XoClose : public XoGeneralIO {
  KFIO_DECLARE_DYNAMIC(XoClose, XoGeneralIO)
 public:
  XoClose();
  int FileArgumentIndex() const override { return LastArgumentIndex(); }

 protected:
  int Execute(double* result, XoDLL& module) override;
};

class XoCloseAll : public XoGeneralIO {
  KFIO_DECLARE_DYNAMIC(XoCloseAll, XoGeneralIO)
 public:
  XoCloseAll() : XoGeneralIO("()") {}

 protected:
  int Execute(double* result, XoDLL& module) override;
};

}  // namespace kfio
