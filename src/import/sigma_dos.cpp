// SigmaDos: a worksheet file of the DOS generation into worksheet columns:
// two markers lead to the first column block, and each block to the next.
#include "import/sigma_dos.h"

#include <algorithm>

#include "fum/errors.h"
#include "fum/settings.h"

namespace kfio {

namespace {

constexpr int kMarkerByte = 26;
// From the first marker: where the offset q is; from the marker at or after
// q: where the first column block starts.
constexpr int64_t kOffsetAfterMarker = 7;
constexpr int64_t kBlocksAfterMarker = 129;
// Column block: its length L (4), the column index (4), 4 and 6 unused
// bytes, the row count (2), the doubles. The next block starts L + 6 bytes
// after this one.
constexpr int64_t kLengthExtra = 6;
constexpr int32_t kColumnIndexAt = 4;
constexpr int32_t kRowCountAt = 18;
constexpr int32_t kValuesAt = 20;
constexpr int32_t kValueBytes = 8;

static_assert(kColumnIndexAt + 4 + 4 + 6 == kRowCountAt, "Jump(6) after the unused 4 bytes lands on the row count");
static_assert(kRowCountAt + 2 == kValuesAt, "the doubles follow the row count");
static_assert(sizeof(double) == kValueBytes, "the values are 8-byte doubles");

// Reads byte by byte up to a marker byte; `at` is where it lies. A read
// that fails answers its status as it came.
int ScanMarker(NestedCalls& call, int64_t& at) {
  do {
    if (const int s = call(MethodIndex("READ"), 1)) return s;
  } while (call.value != kMarkerByte);
  if (const int s = call(MethodIndex("GETPOS"))) return NestedCallFailed(s);
  at = call.Whole() - 1;
  return 0;
}

// Where the block after the one at `block` starts, or -1 when it would not
// start after this block's values (a block that does not move on, or whose
// values run into the next one, would make the import read the same bytes
// again and again) or lies beyond what SetPos reaches.
int64_t NextBlock(int64_t block, int64_t length, int64_t rows, int32_t skip) {
  const int64_t next = block + length + kLengthExtra;
  const int64_t gap = std::max(skip, 0);
  const int64_t values = rows > 0 ? rows * (kValueBytes + gap) - gap : 0;
  return next >= block + kValuesAt + values && next <= INT32_MAX ? next : -1;
}

}  // namespace

int XoSigmaDos::Execute(double* /*result*/, XoDLL& module) {
  return RunImport(module, [this](NestedCalls& call, const XoKavlerWks& page, char* name) {
    return Import(call, page, name);
  });
}

int XoSigmaDos::Import(NestedCalls& call, const XoKavlerWks& page, char* name) {
  int64_t marker = 0;
  if (const int s = ScanMarker(call, marker)) return s;
  if (marker == 0) {
    // A marker in the first byte does not count: scan on.
    if (const int s = ScanMarker(call, marker)) return s;
  }
  if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(marker + kOffsetAfterMarker)))
    return NestedCallFailed(s);
  if (const int s = call(MethodIndex("READ"), 4)) return NestedCallFailed(s);
  if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(call.Whole()))) return NestedCallFailed(s);
  if (const int s = ScanMarker(call, marker)) return s;
  return Blocks(call, page, marker + kBlocksAfterMarker, name);
}

int XoSigmaDos::Blocks(NestedCalls& call, const XoKavlerWks& page, int64_t block, char* name) {
  if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(block))) return NestedCallFailed(s);
  if (const int s = call(MethodIndex("READ"), 4)) return NestedCallFailed(s);
  for (int64_t length = call.Whole(); length != 0; length = call.Whole()) {
    if (const int s = call(MethodIndex("READ"), 4)) return NestedCallFailed(s);
    const int64_t column = call.Whole() + 1;
    if (const int s = call(MethodIndex("READ"), 4)) return NestedCallFailed(s);
    // Checked before any column is added: a page holds no more.
    if (column < 1 || column > kMaxColumns) return StoreError(err::kImportRefused);
    if (page.EnsureColumns(static_cast<uint32_t>(column)) != 0) return Fail(err::kColumnNotAdded);
    if (const int s = call(MethodIndex("JUMP"), kRowCountAt - kColumnIndexAt - 8)) return NestedCallFailed(s);
    if (const int s = call(MethodIndex("READ"), 2)) return NestedCallFailed(s);
    const int64_t rows = call.Whole();
    const int32_t skip = TheState().Skip();
    const int64_t next = NextBlock(block, length, rows, skip);
    if (next < 0) return StoreError(err::kImportRefused);
    if (!NameColumn(page, column, name)) return Fail(err::kImportNameRefused);
    SetSetting(SettingIndex("NBYTES"), kValueBytes);
    if (const int s = call(MethodIndex("AREAD"), name, 1, static_cast<int32_t>(rows), 1))
      return NestedCallFailed(s);
    if (const int s = NestedCalls::TransferFailure()) return NestedCallFailed(s);
    if (const int s = call(MethodIndex("JUMP"), skip)) return NestedCallFailed(s);
    block = next;
    if (const int s = call(MethodIndex("SETPOS"), NestedCalls::At(block))) return NestedCallFailed(s);
    if (const int s = call(MethodIndex("READ"), 4)) return NestedCallFailed(s);
  }
  return 0;
}

}  // namespace kfio
