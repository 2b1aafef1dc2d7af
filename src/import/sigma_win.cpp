// SigmaWin: a worksheet file of the Windows generation into worksheet
// columns: the base, the column records with their cells, the title records.
#include "import/sigma_win.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "bridge/data.h"
#include "bridge/host_services.h"
#include "fum/errors.h"
#include "kutl/missing_value.h"

namespace kfio {

namespace {

// The texts that tell where the base is, and where the base is read.
constexpr const char* kMarker = "JSDataWorksheet";
constexpr int32_t kFirstTextAt = 16;
constexpr int32_t kSecondTextAt = 32;
constexpr int32_t kBaseAfterMarker = 50;
constexpr int32_t kBaseOtherwise = 80;
// From the base: the last column index (2 bytes), 2 unused bytes, the records.
constexpr int64_t kLastColumnAt = 44;

// Column record: kind, 19 unused bytes, column index (4), 4 unused, the
// length of the cell area (4), the cells.
constexpr int kColumnKind = 1;
constexpr int32_t kColumnIndexAt = 20;
constexpr int32_t kAreaLengthAt = 28;
constexpr int32_t kCellsAt = 32;
// Cell: an extended value, 5 unused bytes, a status byte.
constexpr int32_t kCellBytes = 16;
constexpr int32_t kValueBytes = 10;
constexpr int32_t kStatusAt = 15;
constexpr int kHasValue = 17;
// Title record: kind, 23 unused bytes, the title (24 bytes with its NUL),
// the column index (2), 6 unused.
constexpr int kTitleKind = 2;
constexpr int32_t kTitleAt = 24;
constexpr int32_t kTitleColumnAt = 48;
constexpr int32_t kTitleRecordBytes = 56;

static_assert(1 + 19 == kColumnIndexAt, "Jump(19) after the kind byte lands on the column index");
static_assert(kColumnIndexAt + 4 + 4 == kAreaLengthAt, "Jump(4) after the column index lands on the area length");
static_assert(kAreaLengthAt + 4 == kCellsAt, "the cells follow the area length");
static_assert(kValueBytes + 5 == kStatusAt, "5 unused bytes lie between a cell's value and its status byte");
static_assert(kStatusAt + 1 == kCellBytes, "the status byte ends its cell, so Jump(15) and Read(1) step one cell");
static_assert(1 + 23 == kTitleAt, "Jump(23) after the kind byte lands on the title");
static_assert(kTitleAt + 24 == kTitleColumnAt, "the column index follows the 24-byte title");
static_assert(kTitleColumnAt + 2 + 6 == kTitleRecordBytes, "6 unused bytes end a title record");
// A title text longer than this ran past the end of its record: the file
// has no NUL where one belongs, and every further title would be read as
// far, so the import stops there.
constexpr double kLongestTitle = kTitleRecordBytes - kTitleAt;

// A kind byte that could not be read: the end of the file ends those records
// quietly; any other failure is answered as it came.
int SectionEnd(int status) {
  if (status != err::kEndOfFile) return status;
  SetError(0);
  return 0;
}

// ReadToken into Z, fetched back into `text`; `length` is what ReadToken
// kept.
int ReadZ(NestedCalls& call, char* text, double& length) {
  if (const int s = call(MethodIndex("READTOKEN"), "Z", 1)) return NestedFailure(s);
  length = call.value;
  text[0] = '\0';
  return ReadStringVariable(LetterIndex('Z'), text) ? 0 : Fail(err::kImportTextRefused);
}

// The zero-terminated text at `at` into Z and `text`.
int ReadTextAt(NestedCalls& call, int32_t at, char* text) {
  if (const int s = call(MethodIndex("SETPOS"), at)) return NestedFailure(s);
  XoHighLev::SetSetting(SettingIndex("LISTSEP"), 0);
  double length = 0;
  return ReadZ(call, text, length);
}

}  // namespace

int XoSigmaWin::Execute(double* /*result*/, XoDLL& module) {
  return RunImport(module, [this](NestedCalls& call, const XoKavlerWks& page, char* name) {
    const std::unique_ptr<char[]> text(new (std::nothrow) char[kHostStringBuffer]);
    return text ? Import(call, page, name, text.get()) : OutOfMemoryFailure();
  });
}

int XoSigmaWin::Import(NestedCalls& call, const XoKavlerWks& page, char* name, char* text) {
  // Every nested call reports its own code; AfterRun puts the script's mode back.
  SetSetting(SettingIndex("NEWACTIONS"), 1);
  int64_t base = 0;
  if (const int s = FindBase(call, text, base)) return s;
  if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(base + kLastColumnAt))) return NestedFailure(s);
  if (const int s = call(MethodIndex("READ"), 2)) return NestedFailure(s);
  const int64_t last = call.Whole();
  // More columns than a page holds is refused before any is added: the host
  // would take 32766 of them before it refused one.
  if (last + 1 > kMaxColumns) return Fail(err::kColumnNotAdded);
  if (last >= 0 && page.EnsureColumns(static_cast<uint32_t>(last + 1)) != 0) return Fail(err::kColumnNotAdded);
  if (const int s = call(MethodIndex("READ"), 2)) return NestedFailure(s);
  if (const int s = Columns(call, page, last, name)) return s;
  return Titles(call, page, last, text);
}

int XoSigmaWin::FindBase(NestedCalls& call, char* text, int64_t& base) {
  base = 0;
  if (const int s = ReadTextAt(call, kFirstTextAt, text)) return s;
  if (std::strcmp(text, kMarker) == 0) return 0;
  if (const int s = ReadTextAt(call, kSecondTextAt, text)) return s;
  const int32_t at = std::strcmp(text, kMarker) == 0 ? kBaseAfterMarker : kBaseOtherwise;
  if (const int s = call(MethodIndex("SETPOS"), at)) return NestedFailure(s);
  if (const int s = call(MethodIndex("READ"), 4)) return NestedFailure(s);
  base = call.Whole();
  return 0;
}

int XoSigmaWin::Columns(NestedCalls& call, const XoKavlerWks& page, int64_t last, char* name) {
  for (;;) {
    if (const int s = call(MethodIndex("READ"), 1)) return SectionEnd(s);
    if (call.value != kColumnKind) return 0;
    if (const int s = call(MethodIndex("JUMP"), kColumnIndexAt - 1)) return NestedFailure(s);
    if (const int s = call(MethodIndex("READ"), 4)) return NestedFailure(s);
    const int64_t column = call.Whole() + 1;
    if (!NameColumn(page, column, name)) return Fail(err::kImportNameRefused);
    if (const int s = call(MethodIndex("JUMP"), kAreaLengthAt - kColumnIndexAt - 4)) return NestedFailure(s);
    if (const int s = call(MethodIndex("READ"), 4)) return NestedFailure(s);
    // Rounded toward minus infinity; ARead refuses a negative count.
    const int64_t length = call.Whole();
    const auto rows = static_cast<int32_t>(length / kCellBytes - (length % kCellBytes < 0 ? 1 : 0));
    if (const int s = call(MethodIndex("GETPOS"))) return NestedFailure(s);
    const auto cells = static_cast<int32_t>(call.value);
    SetSetting(SettingIndex("NBYTES"), kValueBytes);
    SetSetting(SettingIndex("SKIP"), kCellBytes - kValueBytes);
    SetSetting(SettingIndex("BYTEORDER"), 0);
    if (const int s = call(MethodIndex("AREAD"), name, 1, rows, 1)) return NestedFailure(s);
    if (const int s = NestedCalls::TransferFailure()) return NestedFailure(s);
    if (const int s = call(MethodIndex("SETPOS"), cells)) return NestedFailure(s);
    if (const int s = Cells(call, page, column, rows)) return s;
    if (column > last) return 0;
  }
}

int XoSigmaWin::Cells(NestedCalls& call, const XoKavlerWks& page, int64_t column, int32_t rows) {
  // Opened after ARead, so its extent covers the values ARead stored:
  // opened before, closing it would cut the column back to where the last
  // empty cell lies.
  XoResultData data(page, static_cast<int>(column));
  int32_t cell = 0;
  bool ended = false;
  for (; cell < rows && !ended; ++cell) {
    int s = call(MethodIndex("JUMP"), kStatusAt);
    if (s == 0) s = call(MethodIndex("READ"), 1);
    if (s == err::kEndOfFile) break;
    if (s != 0) return s;
    if (call.value != kHasValue) data.SetValue(cell, kMissingValue);
    s = call(MethodIndex("GETPOS"));
    ended = s == err::kEndOfFile;
    if (s != 0 && !ended) return NestedFailure(s);
  }
  if (cell < rows || ended) {
    SetError(0);
    const int64_t end = std::min<int64_t>(rows, int64_t{cell} + kMaxCellsPastEnd);
    for (int32_t j = cell; j < end; ++j) data.SetValue(j, kMissingValue);
  }
  data.Close();
  return 0;
}

int XoSigmaWin::Titles(NestedCalls& call, const XoKavlerWks& page, int64_t last, char* text) {
  if (const int s = call(MethodIndex("GETPOS"))) return NestedFailure(s);
  int64_t q = call.Whole();
  if (const int s = call(MethodIndex("SIZE"))) return NestedFailure(s);
  const int64_t size = call.Whole();
  for (int64_t k = 0; k <= last && q < size; ++k) {
    if (const int s = call(MethodIndex("READ"), 1)) return SectionEnd(s);
    if (call.value != kTitleKind) return 0;
    if (const int s = call(MethodIndex("JUMP"), kTitleAt - 1)) return NestedFailure(s);
    double length = 0;
    if (const int s = ReadZ(call, text, length)) return s;
    if (length > kLongestTitle) return StoreError(err::kImportRefused);
    if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(q + kTitleColumnAt))) return NestedFailure(s);
    if (const int s = call(MethodIndex("READ"), 2)) return NestedFailure(s);
    if (page.SetColumnText2(static_cast<int>(call.Whole()) + 1, text) != 0)
      return Fail(err::kImportTextRefused);
    q += kTitleRecordBytes;
    if (q >= size) return 0;
    if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(q))) return NestedFailure(s);
  }
  return 0;
}

}  // namespace kfio
