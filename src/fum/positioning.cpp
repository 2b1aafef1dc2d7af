// Reading and moving the position of an open file.
#include "fum/positioning.h"

#include <new>
#include <string>

#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

int XoGetPos::Execute(double* result, XoDLL& /*module*/) {
  int32_t position = 0;
  if (const int s = ReadPosition(position)) {
    *result = -1.0;
    return s;
  }
  if (position < 0) {
    // Beyond 2 GiB the position does not fit the result.
    return NewErrorMode() ? 2 : Fail({err::kPositionTooLarge, 0});
  }
  *result = position;
  return 0;
}

XoSetPos::XoSetPos() : XoTracking("(pos[,hFile])"), pos_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoSetPos::Execute(double* result, XoDLL& /*module*/) {
  if (!Given(pos_)) return Fail(err::kMissingArgument);
  return MoveTo(IntArg(pos_), CFile::begin, result);
}

int XoRewind::Execute(double* result, XoDLL& /*module*/) {
  return MoveTo(0, CFile::begin, result);
}

int XoToEnd::Execute(double* result, XoDLL& /*module*/) {
  return MoveTo(0, CFile::end, result);
}

XoJump::XoJump() : XoTracking("(offset[,hFile])"), offset_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoJump::Execute(double* result, XoDLL& /*module*/) {
  if (!Given(offset_)) return FailAnsweringCode(err::kMissingOffset);
  return MoveTo(IntArg(offset_), CFile::current, result);
}

XoJumpChunk::XoJumpChunk()
    : XoTracking("(offset[,nBytes][,hFile])"),
      offset_(AddArgument<XoInt>()),
      nBytes_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoJumpChunk::Execute(double* result, XoDLL& /*module*/) {
  if (!Given(offset_)) return FailAnsweringCode(err::kMissingOffset);
  XoDiscrete* widths = TheState().nBytes.get();
  if (widths == nullptr) return OutOfMemoryFailure();
  int32_t chunk = 0;
  if (Given(nBytes_)) {
    chunk = IntArg(nBytes_);
    if (const int s = widths->CheckValue(chunk)) return FromArgument(s);
  } else {
    chunk = widths->Int();
    if (const int s = widths->CheckValue(chunk)) return s;
  }
  const auto offset = static_cast<int32_t>(static_cast<uint32_t>(IntArg(offset_)) *
                                           static_cast<uint32_t>(chunk));
  return MoveTo(offset, CFile::current, result);
}

XoSwitchMode::XoSwitchMode() : XoTracking("(mode[,hFile])"), mode_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoSwitchMode::Execute(double* result, XoDLL& /*module*/) {
  if (!Given(mode_)) return Fail(err::kMissingArgument);
  FumState& fum = TheState();
  MyCFile* entry = CurrentEntry();
  int32_t saved = 0;
  if (const int s = ReadPosition(saved)) {
    *result = -1.0;
    return s;
  }
  const std::string path = entry->GetFilePath();
  try {
    entry->Close();
  } catch (const CFileException& e) {
    *result = -1.0;
    if (NewErrorMode()) fum.hFile.ForgetCurrent();
    return FileExceptionFailure(e, err::kCloseFailed);
  }
  const int32_t mode = IntArg(mode_);
  if (mode < 0 || mode > 2) {
    *result = -1.0;
    return Fail(err::kOutOfRange);
  }
  static constexpr unsigned kAccess[3] = {CFile::modeRead, CFile::modeWrite, CFile::modeReadWrite};
  CFileException error;
  bool opened = false;
  try {
    opened = entry->Open(path.c_str(), kAccess[mode] | CFile::typeBinary, &error);
  } catch (const std::bad_alloc&) {
    // Closed and not reopened, as when the system refuses the reopen.
    *result = -1.0;
    fum.hFile.ResetValue();
    return OutOfMemoryFailure();
  }
  if (!opened) {
    *result = -1.0;
    fum.hFile.ResetValue();
    return FailSysErr(err::kCannotOpen, {0, error.m_cause});
  }
  entry->openMode = static_cast<uint8_t>(mode);
  int32_t position = 0;
  if (const int s = SeekTo(saved, CFile::begin, position)) {
    *result = -1.0;
    return s;
  }
  *result = entry->HandleNumber();
  return 0;
}

}  // namespace kfio
