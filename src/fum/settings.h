// FumState: what the file methods may reach of the module object (the
// settings they obey, the error properties, the open-file table, the current
// file and the member tables), and XoListSep, the method that sets the list
// separator from a character.
#pragma once

#include <memory>

#include "bridge/member_table.h"
#include "bridge/properties.h"
#include "fum/file_entry.h"
#include "fum/fumio.h"
#include "fum/hfile.h"
#include "fum/limited.h"

namespace kfio {

class XoErrorInt : public XoInt {
  KFIO_DECLARE_DYNAMIC(XoErrorInt, XoInt)
};

// The module object derives from this; its constructor makes the one
// instance reachable through TheState() before any member needs it.
class FumState {
 public:
  FumState();
  ~FumState();
  FumState(const FumState&) = delete;
  FumState& operator=(const FumState&) = delete;

  // Settings as the methods read them.
  int32_t NBytes() const { return nBytes ? nBytes->Int() : 1; }
  int32_t ByteOrder() const { return byteOrder ? byteOrder->Int() : 0; }
  int32_t Signed() const { return signedValues ? signedValues->Int() : 0; }
  int32_t NLineMode() const { return nLineMode ? nLineMode->Int() : 0; }
  int32_t ListSep() const { return listSep ? listSep->Int() : ','; }
  int32_t Skip() const { return skip.Int(); }

  // The module object's own tables, as the help methods list them.
  const MemberTable& Properties() const { return properties_; }
  const MemberTable& Methods() const { return methods_; }

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

  // Set while a high-level method runs other methods by number.
  bool nestedCall = false;

 protected:
  MemberTable properties_;
  MemberTable methods_;

 private:
  friend FumState& TheState();
  static inline FumState* instance_ = nullptr;
};

// The one state, from anywhere in the file methods.
inline FumState& TheState() { return *FumState::instance_; }

class XoListSep : public XoFUMIO {
  KFIO_DECLARE_DYNAMIC(XoListSep, XoFUMIO)
 public:
  XoListSep()
      : XoFUMIO("([\"char\"])\r\nNote: Lack of an argument will reset list seperator to \",\"."),
        char_(AddArgument<XoString>()) {}

 protected:
  int Execute(double* result, XoDLL& module) override;

 private:
  int char_ = -1;  // argument slot
};

}  // namespace kfio
