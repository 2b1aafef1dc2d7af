// Syntax, AltSpell and ListAll: help lines and the table of open files.
#pragma once

#include "fum/fumio.h"

namespace kfio {

class XoSyntax : public XoHelpIO {
  KFIO_DECLARE_DYNAMIC(XoSyntax, XoHelpIO)
 public:
  XoSyntax() : XoHelpIO("([method])"), name_(AddArgument<XoString>()) {}
  int Run(double* result, XoDLL& module) override;

 private:
  XoString* name_;
};

class XoAltSpell : public XoHelpIO {
  KFIO_DECLARE_DYNAMIC(XoAltSpell, XoHelpIO)
 public:
  XoAltSpell() : XoHelpIO("([method/property])"), name_(AddArgument<XoString>()) {}
  int Run(double* result, XoDLL& module) override;

 private:
  XoString* name_;
};

class XoListAll : public XoHelpIO {
  KFIO_DECLARE_DYNAMIC(XoListAll, XoHelpIO)
 public:
  XoListAll()
      : XoHelpIO("([mode][,path])"), mode_(AddArgument<XoString>()), path_(AddArgument<XoString>()) {}
  int Run(double* result, XoDLL& module) override;

 private:
  XoString* mode_;
  XoString* path_;
};

}  // namespace kfio
