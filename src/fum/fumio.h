// XoFUMIO: the base of every file method (the optional hFile argument, the
// start of a call, the help text), and the family bases of file management.
#pragma once

#include <memory>
#include <string>

#include "bridge/method.h"

namespace kfio {

class MyCFile;

class XoFUMIO : public XoMethod {
  KFIO_DECLARE_DYNAMIC(XoFUMIO, XoMethod)
 public:
  explicit XoFUMIO(const char* syntax);
  int ParseArguments(char* arguments, XoDLL& module) override;
  // The argument slot that holds hFile, or -1.
  virtual int FileArgumentIndex() const { return -1; }

  // Makes a given hFile current, or checks the current file.
  static int ResolveFileArgument(double n, bool given);

  // The help text; null when it could not be allocated.
  const char* Syntax() const { return syntax_ ? syntax_->GetText() : nullptr; }

 protected:
  // A file method's result starts as the missing value.
  void PresetResult(double* result) const override { *result = kMissingValue; }
  // Error 5 and status 2, or 44 and 44.
  int RanOutOfMemory() override;
  // The entry resolved by ParseArguments.
  static MyCFile* CurrentEntry();
  int LastArgumentIndex() const { return ArgumentCount() - 1; }

 private:
  std::unique_ptr<XoString> syntax_;
};

class XoGeneralIO : public XoFUMIO {
  KFIO_DECLARE_DYNAMIC(XoGeneralIO, XoFUMIO)
 public:
  using XoFUMIO::XoFUMIO;
};

class XoTracking : public XoGeneralIO {
  KFIO_DECLARE_DYNAMIC(XoTracking, XoGeneralIO)
 public:
  using XoGeneralIO::XoGeneralIO;
  int FileArgumentIndex() const override { return LastArgumentIndex(); }

 protected:
  // The two shared steps on the current entry; positions as their low 32 bits.
  static int ReadPosition(int32_t& position);
  static int SeekTo(int32_t offset, unsigned from, int32_t& position);
  // A seek whose new position becomes the result, -1 when it fails.
  static int MoveTo(int32_t offset, unsigned from, double* result);
};

class XoDOS : public XoGeneralIO {
  KFIO_DECLARE_DYNAMIC(XoDOS, XoGeneralIO)
 public:
  using XoGeneralIO::XoGeneralIO;
  bool SplitsArguments() const override { return true; }

 protected:
  // Keeps the text of the file-name argument in slot i for Run.
  int FetchNameArgument(int i);
  std::string name_;
  bool hasName_ = false;
};

class XoHelpIO : public XoFUMIO {
  KFIO_DECLARE_DYNAMIC(XoHelpIO, XoFUMIO)
 public:
  using XoFUMIO::XoFUMIO;
};

}  // namespace kfio
