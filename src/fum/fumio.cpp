// The file-method base and the shared steps of the management families.
#include "fum/fumio.h"

#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

XoFUMIO::XoFUMIO(const char* syntax) {
  if (syntax == nullptr) return;
  syntax_ = GuardedNew<XoString>();
  if (syntax_) syntax_->SetText(syntax);
}

int XoFUMIO::ParseArguments(char* arguments, XoDLL& module) {
  FumState& fum = TheState();
  if (!fum.nestedCall) {
    const int s = XoMethod::ParseArguments(arguments, module);
    if (s != 0) return s;
  }
  SetError(0);
  if (NewErrorMode()) SetSysErr(0);
  const int i = FileArgumentIndex();
  if (i != -1) {
    const int s = ResolveFileArgument(ValueArg(i), Given(i));
    if (s != 0) return s;
  }
  if (!NewErrorMode()) SetSysErr(0);
  return 0;
}

int XoFUMIO::ResolveFileArgument(double n, bool given) {
  XoHFILE& hFile = TheState().hFile;
  if (given) {
    const int s = hFile.SetFromNumber(n);
    if (s == 0) return 0;
    return NewErrorMode() ? FromArgument(s) : s;
  }
  const int s = hFile.CheckCurrent();
  if (s == 0) return 0;
  return FailAnsweringCode({err::kNoCurrentFile, s});
}

int XoFUMIO::RanOutOfMemory() { return OutOfMemoryFailure(); }

MyCFile* XoFUMIO::CurrentEntry() { return TheState().hFile.currentEntry; }

int XoTracking::ReadPosition(int32_t& position) {
  try {
    position = static_cast<int32_t>(static_cast<uint32_t>(CurrentEntry()->GetPosition()));
    return 0;
  } catch (const CFileException& e) {
    return FileExceptionFailure(e, err::kPositionFailed);
  }
}

int XoTracking::SeekTo(int32_t offset, unsigned from, int32_t& position) {
  try {
    position = static_cast<int32_t>(static_cast<uint32_t>(CurrentEntry()->Seek(offset, from)));
    return 0;
  } catch (const CFileException& e) {
    return FileExceptionFailure(e, err::kSeekFailed);
  }
}

int XoTracking::MoveTo(int32_t offset, unsigned from, double* result) {
  int32_t position = 0;
  const int s = SeekTo(offset, from, position);
  *result = s == 0 ? position : -1.0;
  return s;
}

int XoDOS::FetchNameArgument(int i) {
  name_.clear();
  hasName_ = false;
  if (!Given(i)) return Fail(err::kMissingFileName);
  const char* text = TextArg(i);
  if (text == nullptr || text[0] == '\0') {
    // A name argument that holds no text names nothing: never fall back on
    // a name of an earlier call.
    return Fail(err::kEmptyFileName);
  }
  name_ = text;
  hasName_ = true;
  return 0;
}

}  // namespace kfio
