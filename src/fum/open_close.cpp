// Opening and closing files.
#include "fum/open_close.h"

#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

XoOpen::XoOpen()
    : XoGeneralIO("([filename$][,mode])"),
      openMode(GuardedNew<XoBounded>(0, 2, 0)),
      nameArg_(AddArgument<XoString>()),
      modeArg_(AddArgument<XoInt>()) {
  fileName.SetText("");
  if (openMode) {
    members_.push_back({openMode.get(), "MODE"});
  }
  members_.push_back({&fileName, "FILENAME"});
  members_.push_back({&fileName, "NAME"});
  members_.push_back({&wksName, "WKSNAME"});
  members_.push_back({&wksName, "WORKSHEETNAME"});
}

void XoOpen::ResetState() {
  if (openMode) openMode->SetChecked(0);
  fileName.SetText("");
}

unsigned XoOpen::FlagsOfMode(int mode) {
  switch (mode) {
    case 1: return CFile::modeWrite | CFile::shareDenyWrite | CFile::typeBinary;
    case 2: return CFile::modeReadWrite | CFile::shareDenyWrite | CFile::typeBinary;
    default: return CFile::modeRead | CFile::shareDenyNone | CFile::typeBinary;
  }
}

int XoOpen::Execute(double* result, XoDLL& /*module*/) {
  *result = -1.0;
  FumState& fum = TheState();
  if (!openMode) return OutOfMemoryFailure();

  const int32_t requested = Given(modeArg_) ? IntArg(modeArg_) : openMode->Int();
  const int mode = requested & 0xFF;  // only the low byte counts: 256 acts as 0
  if (const int s = openMode->CheckValue(mode)) return s;

  if (Given(nameArg_)) fileName.SetText(TextArg(nameArg_));
  const char* name = fileName.GetText();
  if (name == nullptr || name[0] == '\0') {
    fum.hFile.ResetValue();
    return FailSysErr(err::kEmptyFileName, {0, 0});
  }

  std::unique_ptr<MyCFile> entry = GuardedNew<MyCFile>(static_cast<uint8_t>(mode));
  if (!entry) return OutOfMemoryFailure();
  CFileException error;
  const unsigned flags = FlagsOfMode(mode);
  bool opened = entry->Open(name, flags, &error);
  bool createTried = false;
  if (!opened && error.m_cause == CFileException::fileNotFound) {
    createTried = true;
    error = CFileException();
    opened = entry->Open(name, flags | CFile::modeCreate | CFile::modeNoTruncate, &error);
  }
  if (!opened) {
    fum.hFile.ResetValue();
    return FailSysErr(createTried ? err::kCannotCreate : err::kCannotOpen, {0, error.m_cause});
  }
  entry->openMode = static_cast<uint8_t>(mode);
  fum.files.Append(entry.get());  // may run out of memory: the entry is still ours to close
  MyCFile* raw = entry.release();
  fum.hFile.MakeCurrent(raw);
  *result = raw->HandleNumber();
  return 0;
}

XoClose::XoClose() : XoGeneralIO("([hFile])") { AddArgument<XoInt>(); }

int XoClose::Execute(double* result, XoDLL& /*module*/) {
  FumState& fum = TheState();
  MyCFile* entry = CurrentEntry();
  try {
    entry->Close();
  } catch (const CFileException& e) {
    *result = -1.0;
    if (NewErrorMode()) fum.hFile.ForgetCurrent();
    return FileExceptionFailure(e, err::kCloseFailed);
  }
  fum.files.RemoveEntry(entry);
  delete entry;
  fum.hFile.ForgetCurrent();
  *result = 0.0;
  return 0;
}

int XoCloseAll::Execute(double* result, XoDLL& /*module*/) {
  FumState& fum = TheState();
  const int s = fum.files.CloseAllEntries(NewErrorMode());
  if (s != 0) {
    *result = -1.0;
    if (fum.hFile.currentEntry != nullptr && !fum.files.Contains(fum.hFile.currentEntry))
      fum.hFile.ResetValue();
    return s;
  }
  fum.hFile.ForgetCurrent();
  *result = 0.0;
  return 0;
}

}  // namespace kfio
