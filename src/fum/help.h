// Syntax, AltSpell and ListAll: help lines and the table of open files.
#pragma once

#include "fum/fumio.h"

namespace kfio {

class XoSyntax : public XoHelpIO {
  KFIO_DECLARE_DYNAMIC(XoSyntax, XoHelpIO)
 public:
  XoSyntax() : XoHelpIO("([method])"), name_(AddArgument<XoString>()) {}

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int name_ = -1;  // argument slot
};

class XoAltSpell : public XoHelpIO {
  KFIO_DECLARE_DYNAMIC(XoAltSpell, XoHelpIO)
 public:
  XoAltSpell() : XoHelpIO("([method/property])"), name_(AddArgument<XoString>()) {}

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int name_ = -1;  // argument slot
};

class XoListAll : public XoHelpIO {
  KFIO_DECLARE_DYNAMIC(XoListAll, XoHelpIO)
 public:
  XoListAll()
      : XoHelpIO("([mode][,path])"), mode_(AddArgument<XoString>()), path_(AddArgument<XoString>()) {}

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int mode_ = -1;  // argument slot
  int path_ = -1;  // argument slot
};

}  // namespace kfio
