// The two error modes: how a failing file method stores Error and SysErr and
// what status it answers. One helper per error pattern, so no method writes
// that logic twice; the codes themselves are named in fum/error_codes.h.
#pragma once

#include "fum/error_codes.h"

namespace kfio {

class CFileException;

bool NewErrorMode();
void SetError(int code);
void SetSysErr(int code);
int ErrorCode();

// Stores a code that both modes share and answers it as the status.
int StoreError(int code);

// SysErr of the default error mode for a platform cause.
int CauseTableValue(int cause);

// A plain failure: default mode Error = e.byDefault and status 2; new mode
// Error = e.byNew and status e.byNew. SysErr is left alone.
int Fail(ErrorPair e);

// As Fail, but the status is the code stored, in both modes.
int FailAnsweringCode(ErrorPair e);

// As Fail, and SysErr = sysErr.byDefault or sysErr.byNew.
int FailSysErr(ErrorPair e, ErrorPair sysErr);

// What the default error mode stores in SysErr for a caught file exception;
// the new mode stores the cause itself unless kUnchanged.
enum class SysErrRule { kCauseTable, kZero, kUnchanged };

// A caught file exception: default mode Error = e.byDefault, SysErr by
// `rule`, status 2; new mode Error = e.byNew, SysErr = cause, status e.byNew.
int FileExceptionFailure(const CFileException& e, ErrorPair codes,
                         SysErrRule rule = SysErrRule::kCauseTable);

// An allocation that failed inside a method: 5/2 or 44/44.
int OutOfMemoryFailure();

// A value that came from an argument, rather than from a property, failed
// its check: the check's status moves up by 256, so a script can tell the
// two apart.
constexpr int FromArgument(int status) { return status + 256; }

// A nested call of a high-level method failed: its status with bit 9 set,
// so a script can tell it from a failure of the method itself.
constexpr int NestedFailure(int status) { return status | 512; }

// True when the nested call that answered `status` (not 0) ran out of memory.
bool NestedOutOfMemory(int status);

// A high-level method gives up after a nested call failed with `status`:
// the new mode answers NestedFailure(status) with Error as the nested call
// left it; the default mode stores err::kNestedCallFailed and answers it.
int NestedCallFailed(int status);

}  // namespace kfio
