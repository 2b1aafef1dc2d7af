// The piece reader's checks and read loop.
#include "text/piece.h"

#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

namespace {
int CheckSetting(XoBounded* setting) {
  return setting != nullptr ? setting->CheckValue(setting->Int()) : OutOfMemoryFailure();
}
}  // namespace

int XoASCIIPiece::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoScribe::ParseArguments(arguments, module)) return s;
  FumState& fum = TheState();
  if (const int s = CheckSetting(fum.nLineMode.get())) return s;
  if (const int s = CheckSetting(fum.listSep.get())) return s;
  lineMode_ = fum.NLineMode();
  listSep_ = fum.ListSep();
  eofSeen_ = bytesRead_ = charsKept_ = fieldEnds_ = 0;
  piece_.clear();
  return 0;
}

int XoASCIIPiece::StartLoop(MyCFile* file) {
  try {
    byteBound_ = static_cast<uint32_t>(file->GetLength());
  } catch (const CFileException& e) {
    return FileExceptionFailure(e, err::kTextLengthFailed);
  }
  // An empty file: the default mode reads nothing and succeeds.
  if (AtBound() && NewErrorMode()) return StoreError(err::kEndOfFile);
  return 0;
}

int XoASCIIPiece::ReadFailure(const CFileException* exception) {
  if (exception == nullptr) {
    eofSeen_ = 1;
    return StoreError(err::kEndOfFile);
  }
  const bool atEnd = exception->m_cause == CFileException::endOfFile;
  FileExceptionFailure(*exception, {0, 0});  // SysErr by the mode; Error follows
  if (atEnd) eofSeen_ = 1;
  return StoreError(atEnd ? err::kEndOfFile : err::kReadFailed);
}

}  // namespace kfio
