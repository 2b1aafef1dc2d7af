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

int Fail(int defaultCode, int newCode) { return FailWithStatus(defaultCode, 2, newCode, newCode); }

int FailWithStatus(int defaultCode, int defaultStatus, int newCode, int newStatus) {
  if (NewErrorMode()) {
    SetError(newCode);
    return newStatus;
  }
  SetError(defaultCode);
  return defaultStatus;
}

int FailSysErr(int defaultCode, int defaultSysErr, int newCode, int newSysErr) {
  SetSysErr(NewErrorMode() ? newSysErr : defaultSysErr);
  return Fail(defaultCode, newCode);
}

int FileExceptionFailure(const CFileException& e, int defaultCode, int newCode, SysErrRule rule) {
  if (rule != SysErrRule::kUnchanged) {
    if (NewErrorMode())
      SetSysErr(e.m_cause);
    else
      SetSysErr(rule == SysErrRule::kZero ? 0 : CauseTableValue(e.m_cause));
  }
  return Fail(defaultCode, newCode);
}

int OutOfMemoryFailure() { return Fail(5, 44); }

}  // namespace kfio
