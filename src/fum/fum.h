// FUM: the file utilities object. Owns every member, the settings that file
// methods obey, the open-file table and the current file, and publishes the
// property and method tables with every alternate spelling.
#pragma once

#include <memory>

#include "binary/bulk.h"
#include "binary/scribe.h"
#include "bridge/module_object.h"
#include "fum/file_entry.h"
#include "fum/help.h"
#include "fum/hfile.h"
#include "fum/limited.h"
#include "fum/open_close.h"
#include "fum/positioning.h"
#include "fum/queries.h"

namespace kfio {

class XoErrorInt : public XoInt {
  KFIO_DECLARE_DYNAMIC(XoErrorInt, XoInt)
};

class FUM : public XoDLL {
  KFIO_DECLARE_DYNAMIC(FUM, XoDLL)
 public:
  FUM();
  ~FUM() override;

  void Reset() override;

  const MemberTable& Properties() const { return properties_; }
  const MemberTable& Methods() const { return methods_; }

  // Settings as the methods read them.
  int32_t NBytes() const { return nBytes ? nBytes->Int() : 1; }
  int32_t ByteOrder() const { return byteOrder ? byteOrder->Int() : 0; }
  int32_t Signed() const { return signedValues ? signedValues->Int() : 0; }
  int32_t NLineMode() const { return nLineMode ? nLineMode->Int() : 0; }
  int32_t ListSep() const { return listSep ? listSep->Int() : ','; }
  int32_t Skip() const { return skip.Int(); }

  XoReset reset;
  XoErrorInt error;
  XoErrorInt sysErr;
  FileRefList files;
  XoInt newActions;
  XoHFILE hFile;
  std::unique_ptr<XoDiscrete> nBytes;
  std::unique_ptr<XoBounded> byteOrder;
  std::unique_ptr<XoBounded> signedValues;
  XoInt skip;
  std::unique_ptr<XoBounded> nLineMode;
  std::unique_ptr<XoBounded> listSep;

  XoListSep listSepMethod;
  XoOpen open;
  XoClose close;
  XoCloseAll closeAll;
  XoExists exists;
  XoRemove remove;
  XoSize size;
  XoGetPos getPos;
  XoSetPos setPos;
  XoRewind rewind;
  XoToEnd toEnd;
  XoJump jump;
  XoJumpChunk jumpChunk;
  XoSwitchMode switchMode;
  XoRead read;
  XoWrite write;
  XoFRead fRead;
  XoFWrite fWrite;
  XoDRead dRead;
  XoDWrite dWrite;
  XoLDRead ldRead;
  XoLDWrite ldWrite;
  XoARead aRead;
  XoAWrite aWrite;
  XoSyntax syntax;
  XoAltSpell altSpell;
  XoListAll listAll;

  // Set while a high-level method runs other methods by number.
  bool nestedCall = false;

 private:
  void BuildTables();

  MemberTable properties_;
  MemberTable methods_;
};

// The one FUM instance, from anywhere in the module.
FUM& TheFum();

}  // namespace kfio
