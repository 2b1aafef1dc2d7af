// Delimited fields into worksheet rows and dataset ranges.
#include "text/rows.h"

#include <algorithm>
#include <new>

#include "bridge/error_ids.h"
#include "bridge/error_log.h"
#include "fum/errors.h"
#include "kutl/kutl.h"

namespace kfio {

namespace {
// Values gathered before one host call stores them.
constexpr std::size_t kRunValues = 4096;
}  // namespace

int WksRow::Open(const char* pageName) {
  Release();
  column_ = row_ = 0;
  try {
    page_.emplace(pageName);
    // Every column counts, the first included: the row is the first below
    // the longest one.
    const int columns = page_->ColumnCount();
    pageColumns_ = static_cast<uint32_t>(std::max(columns, 0));
    for (int c = 1; c <= columns; ++c) {
      const XoResultData& column = columns_.emplace_back(*page_, c);
      row_ = std::max(row_, static_cast<uint32_t>(std::max(column.RangeEnd(), 0)));
    }
  } catch (const std::bad_alloc&) {
    Release();
    return OutOfMemoryFailure();
  }
  return 0;
}

XoResultData& WksRow::Data(uint32_t c) {
  while (columns_.size() < c) columns_.emplace_back(*page_, static_cast<int>(columns_.size() + 1));
  return columns_[c - 1];
}

int WksRow::StoreField(const char* text, Store how) {
  ++column_;
  // The count is known from Open: only a field past it asks the host.
  if (column_ > pageColumns_) {
    if (page_->EnsureColumns(column_) != 0) return Fail(err::kColumnNotAdded);
    pageColumns_ = column_;
  }
  const auto row = static_cast<int32_t>(row_);
  int status = 1;
  try {
    XoResultData& data = Data(column_);
    if (how == Store::kByColumnKind) {
      const int32_t kind = page_->QueryColumn(static_cast<int>(column_));
      status = kind == 0 ? data.SetValue(row, kutl::TextToNumber(text)) : data.SetText(row, text);
    } else if (data.IsAttached() && !data.IsTextData()) {
      status = data.SetValue(row, kutl::TextToNumber(text));
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFailure();
  }
  if (status == 0) return 0;
  TheErrorLog().Record(errid::kCellRefused, "XoKavlerWks");
  return Fail(err::kCellRefused);
}

XoASCIIRow::XoASCIIRow(const char* syntax) : XoASCIIPiece(syntax), page_(AddArgument<XoWksName>()) {}

int XoASCIIRow::ParseArguments(char* arguments, XoDLL& module) {
  row_.Release();
  if (const int s = XoASCIIPiece::ParseArguments(arguments, module)) return s;
  if (!Given(page_)) return Fail(err::kMissingTextArgument);
  return row_.Open(TextArg(page_));
}

int XoASCIIRow::Execute(double* result, XoDLL& /*module*/) {
  if (const int s = Loop()) return s;
  *result = fieldEnds_;
  return 0;
}

bool XoASCIIRow::AfterRun(XoDLL& /*module*/) {
  row_.Release();
  return false;
}

int XoASCIIRow::DeliverPiece(const PieceText& piece, uint32_t /*fieldEnds*/) {
  return row_.StoreField(piece.c_str(), WksRow::Store::kByColumnKind);
}

XoReadRow::XoReadRow() : XoASCIIRow("(wksname$,nToken[,hFile])\r\nNote: Affected by .ListSep!"), tokens_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoReadRow::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIIRow::ParseArguments(arguments, module)) return s;
  if (Given(tokens_)) wanted_ = static_cast<uint32_t>(IntArg(tokens_));
  return 0;
}

XoLineRow::XoLineRow() : XoASCIIRow("(wksname$[,hFile])\r\nNote: Affected by .ListSep and .nLineMode!") {
  AddArgument<XoInt>();
}

XoReadArray::XoReadArray()
    : XoASCIIPiece("(dataset$,start,end[,hFile])\r\nNote: Affected by .ListSep!"),
      dataset_(AddArgument<XoDataSetName>()),
      start_(AddArgument<XoInt>()),
      end_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoReadArray::ParseArguments(char* arguments, XoDLL& module) {
  data_.reset();
  if (const int s = XoASCIIPiece::ParseArguments(arguments, module)) return s;
  if (!Given(dataset_)) return Fail(err::kMissingTextArgument);
  try {
    data_.emplace(TextArg(dataset_));
    run_.reserve(kRunValues);
  } catch (const std::bad_alloc&) {
    data_.reset();
    return OutOfMemoryFailure();
  }
  if (!Given(start_) || !Given(end_)) return Fail(err::kMissingTextArgument);
  first_ = static_cast<int32_t>(static_cast<int64_t>(IntArg(start_)) - 1);
  last_ = IntArg(end_);
  if (last_ < first_) return Fail(err::kEndBeforeStart);
  wanted_ = static_cast<uint32_t>(static_cast<int64_t>(last_) - first_);
  run_.clear();
  return 0;
}

int XoReadArray::Execute(double* result, XoDLL& /*module*/) {
  const int loop = ReadLoopAs(*this);
  // What was read before a failure stays stored.
  const int flushed = Flush();
  if (loop != 0) return loop;
  if (flushed != 0) return flushed;
  *result = fieldEnds_;
  return 0;
}

bool XoReadArray::AfterRun(XoDLL& /*module*/) {
  data_.reset();
  return false;
}

int XoReadArray::DeliverPiece(const PieceText& piece, uint32_t fieldEnds) {
  if (fieldEnds == 0) return 0;
  // Below last_: the loop stops at wanted_ fields.
  const auto index = static_cast<int32_t>(static_cast<int64_t>(first_) + fieldEnds - 1);
  if (!run_.empty() && (index != runStart_ + static_cast<int32_t>(run_.size()) || run_.size() == kRunValues)) {
    if (const int s = Flush()) return s;
  }
  if (run_.empty()) runStart_ = index;
  run_.push_back(kutl::TextToNumber(piece.c_str()));
  return 0;
}

int XoReadArray::Flush() {
  if (run_.empty() || !data_) return 0;
  const auto count = static_cast<int32_t>(run_.size());
  const int32_t stored = data_->SetValues(runStart_, run_.data(), count);
  run_.clear();
  return stored != count ? Fail(err::kOutOfRange) : 0;
}

}  // namespace kfio
