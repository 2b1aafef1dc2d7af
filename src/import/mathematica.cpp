// Mathematica: a list or a list of lists into worksheet columns as texts.
#include "import/mathematica.h"

#include <cstdint>

#include "bridge/worksheet.h"
#include "fum/errors.h"
#include "fum/file_entry.h"
#include "platform/file_exception.h"

namespace kfio {

namespace {

// One element into `token` (at most kTokenMax characters and a NUL), byte
// by byte from the current file. True when more elements of the list follow:
// at a ',' or when the token is full. The end of the file ends the list as
// its '}' does. May throw CFileException.
bool ReadElement(MyCFile& file, char* token) {
  std::size_t length = 0;
  bool more = true;
  while (length < XoMathematica::kTokenMax) {
    const int byte = file.GetByte();
    if (byte < 0 || byte == '}') {
      more = false;
      break;
    }
    if (byte == ',') break;
    if (byte == '\n' || byte == '\r' || byte == ' ' || byte == '{' || byte == '^') continue;
    // 3*^-4 becomes 3E-4, which the host reads as a number.
    token[length++] = byte == '*' ? 'E' : static_cast<char>(byte);
  }
  token[length] = '\0';
  return more;
}

}  // namespace

int XoMathematica::CheckArguments() { return Given(PageArgument()) ? 0 : Fail(err::kMissingTextArgument); }

int XoMathematica::Execute(double* /*result*/, XoDLL& module) {
  ShowWaitCursor();
  const int s = Import(module);
  RestoreCursor();
  return s;
}

int XoMathematica::Import(XoDLL& module) {
  int depth = 0;
  if (const int s = CountBraces(module, depth)) return s;
  if (depth != 1 && depth != 2) return StoreError(err::kNotThisFormat);

  const XoKavlerWks page(TextArg(PageArgument()));
  if (!page.IsValid()) return StoreError(err::kNoWorksheet);
  // Every column takes texts before any cell is written.
  for (int column = page.ColumnCount(); column >= 1; --column) page.SetColumnValue(column, kTextColumnKind);
  return FillColumns(module, page, depth);
}

int XoMathematica::CountBraces(XoDLL& module, int& depth) {
  double byte = 0.0;
  for (;;) {
    if (const int s = CallNested(module, MethodIndex("READ"), &byte, int32_t{1})) return NestedCallFailed(s);
    if (byte != '{') break;
    // A third brace settles the answer: a file of braces is not read to
    // its end.
    if (++depth > 2) return 0;
  }
  double moved = 0.0;
  if (const int s = CallNested(module, MethodIndex("JUMP"), &moved, int32_t{-1})) return NestedCallFailed(s);
  return 0;
}

int XoMathematica::FillColumns(XoDLL& module, const XoKavlerWks& page, int depth) {
  MyCFile& file = *CurrentEntry();
  const int columns = page.ColumnCount();
  for (int column = 1;; ++column) {
    if (column > columns && (column > kMaxColumns || page.AddColumn() != 0)) return Fail(err::kColumnNotAdded);
    if (const int s = FillColumn(file, page, column)) return s;
    if (depth == 1) return 0;
    // The byte after an inner list's '}': a ',' (or anything else) starts
    // the next column, a '}' or the end of the file ends the import.
    double byte = 0.0;
    const int s = CallNested(module, MethodIndex("READ"), &byte, int32_t{1});
    if (s != 0 && NestedOutOfMemory(s)) return OutOfMemoryFailure();  // no end of the list
    if (s != 0 || byte == '}') return 0;
  }
}

int XoMathematica::FillColumn(MyCFile& file, const XoKavlerWks& page, int column) {
  XoTextData data(page, column);
  char token[kTokenMax + 1];
  bool more = true;
  try {
    for (int32_t row = 0; more; ++row) {
      more = ReadElement(file, token);
      // The host's refusal bounds the rows, and so the row count can never
      // wrap around.
      if (row == INT32_MAX || data.SetText(row, token) != 0) return Fail(err::kCellRefused);
    }
  } catch (const CFileException& e) {
    return FileExceptionFailure(e, err::kChunkReadFailed);
  }
  return 0;
}

}  // namespace kfio
