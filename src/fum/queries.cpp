// File-system queries.
#include "fum/queries.h"

#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

namespace {
// A named file that the file system does not know.
int NamedFileMissing() { return FailSysErr(err::kNoSuchFile, {2, 0}); }
}  // namespace

int XoExists::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoDOS::ParseArguments(arguments, module)) return s;
  return FetchNameArgument(nameArg_);
}

int XoExists::Execute(double* result, XoDLL& /*module*/) {
  CFileStatus status;
  *result = CFile::GetStatus(name_.c_str(), status) ? 1.0 : 0.0;
  return 0;
}

int XoRemove::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoDOS::ParseArguments(arguments, module)) return s;
  return FetchNameArgument(nameArg_);
}

int XoRemove::Execute(double* result, XoDLL& /*module*/) {
  CFileStatus status;
  if (!CFile::GetStatus(name_.c_str(), status)) return NamedFileMissing();
  try {
    CFile::Remove(name_.c_str());
  } catch (const CFileException& e) {
    return FileExceptionFailure(e, err::kRemoveFailed, SysErrRule::kZero);
  }
  *result = 1.0;
  return 0;
}

XoSize::XoSize()
    : XoDOS("([[hFile][,filename$]])\r\nNote: only one argument-- hFile OR filename$."),
      fileArg_(AddArgument<XoInt>()),
      nameArg_(AddArgument<XoString>()) {}

int XoSize::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoDOS::ParseArguments(arguments, module)) return s;
  entry_ = nullptr;
  name_.clear();
  hasName_ = false;
  if (Given(fileArg_) && Given(nameArg_)) {
    // One file per call: both arguments name none.
    return FailSysErr(err::kHandleAndName, {0, 0});
  }
  if (Given(nameArg_)) {
    SetSysErr(0);
    return FetchNameArgument(nameArg_);
  }
  // The base resolved hFile, or checked the current file, already.
  entry_ = CurrentEntry();
  return 0;
}

int XoSize::Execute(double* result, XoDLL& /*module*/) {
  if (NewErrorMode()) *result = -1.0;
  uint64_t size = 0;
  if (entry_ != nullptr) {
    try {
      size = entry_->GetLength();
    } catch (const CFileException& e) {
      return FileExceptionFailure(e, err::kSizeFailed);
    }
  } else if (hasName_) {
    CFileStatus status;
    if (!CFile::GetStatus(name_.c_str(), status)) return NamedFileMissing();
    size = status.m_size;
  }
  *result = static_cast<int32_t>(static_cast<uint32_t>(size));
  return 0;
}

}  // namespace kfio
