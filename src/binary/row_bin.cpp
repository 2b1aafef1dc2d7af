// ReadRowBin: binary values into one new worksheet row.
#include "binary/row_bin.h"

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "fum/file_entry.h"

namespace kfio {

namespace {
// A row is read in one chunk: memory that runs short fails the call.
constexpr uint32_t kRowSplitBudget = 1;
// The host command run once the host has taken a row.
constexpr char kAfterRowCommand[] = "doc -uw";
}  // namespace

XoReadRowBin::XoReadRowBin()
    : XoBinIO("(wksname$,nToken,binType[,hFile])\r\nNote: Affected by .nBytes, .ByteOrder, .Signed and "
              ".Skip!"),
      page_(AddArgument<XoWksName>()),
      tokens_(AddArgument<XoInt>()),
      binType_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoReadRowBin::ParseArguments(char* arguments, XoDLL& module) {
  // Nothing of a call that was cut short may reach this one's row.
  wks_.reset();
  values_ = std::vector<double>();
  if (const int s = XoBinIO::ParseArguments(arguments, module)) return s;
  if (!Given(page_) || !Given(tokens_) || !Given(binType_)) return Fail(err::kMissingArrayArgument);
  count_ = static_cast<uint32_t>(IntArg(tokens_));
  // The row block counts in 16 bits; a negative count is a huge one.
  if (count_ > kMaxRowValues) return Fail(err::kOutOfRange);
  return CheckValueLayout(IntArg(binType_), count_);
}

int XoReadRowBin::Execute(double* result, XoDLL& /*module*/) {
  // Fits: CheckImageSize refused any item size above 32 bits.
  const auto itemSize = static_cast<uint32_t>(ItemSizeSetting());
  if (BulkTransfer(CurrentEntry(), itemSize, count_, kRowSplitBudget, true) != 0) return 1;
  *result = count_;
  return 0;
}

int XoReadRowBin::Begin() {
  stored_ = 0;
  wks_.emplace(TextArg(page_));
  if (wks_->EnsureColumns(count_) != 0) return Fail(err::kColumnNotAdded);
  values_.assign(count_, kMissingValue);
  return SelectRoutine(true);
}

int XoReadRowBin::FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) {
  if (!wks_) {
    if (const int s = Begin()) return s;
  }
  std::size_t stored = 0;
  // start + count <= count_: the transfer is count_ items long.
  const int bad = TheConverter().DecodeArray(kind_, width_, buffer, ItemSize(), count, values_.data() + start,
                                             &stored);
  stored_ += static_cast<uint32_t>(stored);
  return bad != 0 ? StoreError(bad) : 0;
}

int XoReadRowBin::FinishChunk(int result) {
  if (!wks_) return result;
  // Only a whole row is handed over; for a file that ended early the
  // transfer stores 33 once this answers.
  if (result == 0 && stored_ == count_) {
    if (TheConverter().softError) SetError(TheConverter().softError);
    result = HandOver();
  }
  wks_.reset();
  values_ = std::vector<double>();
  return result;
}

int XoReadRowBin::HandOver() {
  if (!HostKnown()) return 0;
  uint64_t handle = 0;
  const RowBlock row{kRowBlockType, static_cast<uint16_t>(count_), 1, 0, {}, values_.data()};
  if (!FindWorksheetHandle(TextArg(page_), handle) || !HandRow(handle, row)) return Fail(err::kRowRefused);
  RunHostCommand(kAfterRowCommand);
  return 0;
}

}  // namespace kfio
