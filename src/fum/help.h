// Syntax, AltSpell, ListAll and the ListSep method: help lines, the table of
// open files, and the list separator set from a character.
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

class XoListSep : public XoFUMIO {
  KFIO_DECLARE_DYNAMIC(XoListSep, XoFUMIO)
 public:
  XoListSep()
      : XoFUMIO("([\"char\"])\r\nNote: Lack of an argument will reset list seperator to \",\"."),
        char_(AddArgument<XoString>()) {}
  int Run(double* result, XoDLL& module) override;

 private:
  XoString* char_;
};

}  // namespace kfio
