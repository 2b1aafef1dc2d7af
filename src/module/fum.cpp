// The FUM object: construction, tables, reset, and the one instance.
#include "module/fum.h"

#include <initializer_list>

#include "fum/errors.h"

namespace kfio {

namespace {
void AddRows(MemberTable& table, XoScript* member, std::initializer_list<const char*> names) {
  if (member == nullptr) return;  // its allocation failed: the name stays unknown
  for (const char* name : names) table.push_back({member, name});
}
}  // namespace

FUM::FUM() {
  BuildTables();
  SetOwnTables(&properties_, &methods_);
  Reset();
  if (TakeConstructionOutOfMemory()) OutOfMemoryFailure();
}

void FUM::BuildTables() {
  AddRows(properties_, &newActions, {"NEWACTIONS", "NEWACTION", "NEW"});
  AddRows(properties_, &open.fileName, {"FILENAME", "NAME"});
  AddRows(properties_, &open.wksName, {"WKSNAME", "WORKSHEETNAME"});
  AddRows(properties_, open.openMode.get(), {"MODE", "OPENMODE"});
  AddRows(properties_, &hFile, {"HFILE"});
  AddRows(properties_, nBytes.get(), {"NBYTES", "NBYTE"});
  AddRows(properties_, byteOrder.get(), {"BYTEORDER"});
  AddRows(properties_, signedValues.get(), {"SIGNED"});
  AddRows(properties_, &skip, {"SKIP"});
  AddRows(properties_, nLineMode.get(), {"NLINEMODE", "NLINESMODE"});
  AddRows(properties_, listSep.get(), {"LISTSEP"});
  AddRows(properties_, &error, {"ERROR"});
  AddRows(properties_, &sysErr, {"SYSERR"});

  AddRows(methods_, &reset, {"RESET"});
  AddRows(methods_, &listSepMethod, {"LISTSEP"});
  AddRows(methods_, &open, {"OPEN"});
  AddRows(methods_, &close, {"CLOSE"});
  AddRows(methods_, &closeAll, {"CLOSEALL", "CLOSEALLFILES"});
  AddRows(methods_, &exists, {"EXISTS", "EXIST"});
  AddRows(methods_, &remove, {"REMOVE", "DELETE"});
  AddRows(methods_, &size, {"SIZE"});
  AddRows(methods_, &getPos, {"GETPOS"});
  AddRows(methods_, &setPos, {"SETPOS"});
  AddRows(methods_, &rewind, {"REWIND", "TOSTART", "TOBEGIN", "TOBEGINNING"});
  AddRows(methods_, &toEnd, {"TOEND", "FFORWARD", "FASTFORWARD"});
  AddRows(methods_, &jump, {"JUMP"});
  AddRows(methods_, &jumpChunk, {"JUMPCHUNK", "JUMPCHUNKS"});
  AddRows(methods_, &switchMode, {"SWITCHMODE"});
  AddRows(methods_, &read, {"READ", "INTEGERREAD", "INTREAD"});
  AddRows(methods_, &write, {"WRITE", "INTEGERWRITE", "INTWRITE"});
  AddRows(methods_, &fRead, {"FREAD", "FLOATREAD"});
  AddRows(methods_, &fWrite, {"FWRITE", "FLOATWRITE"});
  AddRows(methods_, &dRead, {"DREAD", "DOUBLEREAD"});
  AddRows(methods_, &dWrite, {"DWRITE", "DOUBLEWRITE"});
  AddRows(methods_, &ldRead, {"LDREAD", "LONGDOUBLEREAD", "LDOUBLEREAD"});
  AddRows(methods_, &ldWrite, {"LDWRITE", "LONGDOUBLEWRITE", "LDOUBLEWRITE"});
  AddRows(methods_, &aRead, {"AREAD", "ARRAYREAD"});
  AddRows(methods_, &aWrite, {"AWRITE", "ARRAYWRITE"});
  AddRows(methods_, &readRowBin, {"READROWBIN"});
  AddRows(methods_, &readRecord, {"READRECORD", "RRECORD", "RECORDREAD", "RREAD"});
  AddRows(methods_, &writeRecord, {"WRITERECORD", "WRECORD", "RECORDWRITE", "RWRITE"});
  AddRows(methods_, &readRow, {"READROW"});
  AddRows(methods_, &lineRow, {"LINEROW"});
  AddRows(methods_, &tRead, {"TREAD"});
  AddRows(methods_, &lRead, {"LREAD"});
  AddRows(methods_, &readToken, {"READTOKEN"});
  AddRows(methods_, &readArray, {"READARRAY"});
  AddRows(methods_, &ascii, {"ASCII", "READASCII"});
  AddRows(methods_, &cRead, {"CREAD"});
  AddRows(methods_, &tWrite, {"TWRITE"});
  AddRows(methods_, &lWrite, {"LWRITE"});
  AddRows(methods_, &mathematica, {"MATHEMATICA"});
  AddRows(methods_, &sigmaDos, {"SIGMADOS"});
  AddRows(methods_, &sigmaWin, {"SIGMAWIN"});
  AddRows(methods_, &wav, {"WAV"});
  AddRows(methods_, &wksBlock, {"WKSBLOCK"});
  AddRows(methods_, &syntax, {"SYNTAX"});
  AddRows(methods_, &altSpell,
          {"ALTERNATESPELLINGS", "ALTERNATESPELLING", "ALTSPELLINGS", "ALTSPELLING", "ALTSPELL"});
  AddRows(methods_, &listAll, {"LISTALL", "LISTALLFILES"});
}

void FUM::Reset() {
  XoDLL::Reset();
  ResetTable(&properties_);  // NEWACTIONS first: the rest resets unchecked
  ResetTable(&methods_);
  hFile.ResetValue();
  if (nBytes) nBytes->Store(1);
  if (listSep) listSep->Store(',');
  FirstReal().SetNumber(4.132);
  SecondReal().SetNumber(5.0);
}

FUM& TheFum() {
  static FUM fum;
  return fum;
}

XoDLL& TheModule() { return TheFum(); }

namespace {
// Built while the library loads, so the first call finds it ready.
[[maybe_unused]] FUM& g_loaded = TheFum();
}  // namespace

}  // namespace kfio
