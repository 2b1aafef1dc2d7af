// Error-mode helpers over the FUM object's Error, SysErr and NEWACTIONS.
#include "fum/errors.h"

#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

bool NewErrorMode() { return TheState().newActions.Int() != 0; }
void SetError(int code) { TheState().error.Store(code); }
void SetSysErr(int code) { TheState().sysErr.Store(code); }
int ErrorCode() { return TheState().error.Int(); }

int CauseTableValue(int cause) {
  switch (cause) {
    case CFileException::fileNotFound: return 23;
    case CFileException::tooManyOpenFiles: return 24;
    case CFileException::accessDenied: return 13;
    case CFileException::invalidFile: return 9;
    case CFileException::hardIO: return 5;
    case CFileException::sharingViolation: return 36;
    case CFileException::diskFull: return 28;
    default: return 0;
  }
}

int StoreError(int code) {
  SetError(code);
  return code;
}

int Fail(ErrorPair e) {
  if (NewErrorMode()) return StoreError(e.byNew);
  SetError(e.byDefault);
  return 2;
}

int FailAnsweringCode(ErrorPair e) { return StoreError(NewErrorMode() ? e.byNew : e.byDefault); }

int FailSysErr(ErrorPair e, ErrorPair sysErr) {
  SetSysErr(NewErrorMode() ? sysErr.byNew : sysErr.byDefault);
  return Fail(e);
}

int FileExceptionFailure(const CFileException& e, ErrorPair codes, SysErrRule rule) {
  if (rule != SysErrRule::kUnchanged) {
    if (NewErrorMode())
      SetSysErr(e.m_cause);
    else
      SetSysErr(rule == SysErrRule::kZero ? 0 : CauseTableValue(e.m_cause));
  }
  return Fail(codes);
}

int OutOfMemoryFailure() { return Fail(err::kOutOfMemory); }

bool NestedOutOfMemory(int status) {
  // A transfer answers 1 for it; every other method leaves the code in Error.
  return status == 1 || ErrorCode() == (NewErrorMode() ? err::kOutOfMemory.byNew : err::kOutOfMemory.byDefault);
}

int NestedCallFailed(int status) {
  return NewErrorMode() ? NestedFailure(status) : StoreError(err::kNestedCallFailed);
}

}  // namespace kfio
