// The two error modes: how a failing file method stores Error and SysErr and
// what status it answers. One helper per error pattern, so no method writes
// that logic twice.
#pragma once

namespace kfio {

class CFileException;

bool NewErrorMode();
void SetError(int code);
void SetSysErr(int code);
int ErrorCode();

// SysErr of the default error mode for a platform cause.
int CauseTableValue(int cause);

// A plain failure: default mode Error = defaultCode and status 2; new mode
// Error = newCode and status newCode. SysErr is left alone.
int Fail(int defaultCode, int newCode);

// As Fail, when the default mode answers a status other than 2.
int FailWithStatus(int defaultCode, int defaultStatus, int newCode, int newStatus);

// As Fail, and SysErr = sysErr in both modes.
int FailSysErr(int defaultCode, int defaultSysErr, int newCode, int newSysErr);

// What the default error mode stores in SysErr for a caught file exception;
// the new mode stores the cause itself unless kUnchanged.
enum class SysErrRule { kCauseTable, kZero, kUnchanged };

// A caught file exception: default mode Error = defaultCode, SysErr by
// `rule`, status 2; new mode Error = newCode, SysErr = cause, status newCode.
int FileExceptionFailure(const CFileException& e, int defaultCode, int newCode,
                         SysErrRule rule = SysErrRule::kCauseTable);

// An allocation that failed inside a method: 5/2 or 44/44.
int OutOfMemoryFailure();

}  // namespace kfio
