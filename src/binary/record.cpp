// ReadRecord and WriteRecord: the template, the checks of the run, and the
// conversion of a buffer of records to and from worksheet columns.
#include "binary/record.h"

#include <new>

#include "fum/errors.h"
#include "fum/file_entry.h"

namespace kfio {

namespace {
// A run of records moves through one buffer: no halving when memory runs short.
constexpr uint32_t kRecordSplitBudget = 1;

constexpr const char* kHelp =
    "(wksname$,nRecords,templateString[,hFile])\r\n"
    "Template String:\r\n"
    "\"[-]type [times] | [-]type [times] | skipNumber | ...\"\r\n"
    "  Integral types:\r\n"
    "    by[te]       =  8 bits =  1 byte\r\n"
    "    sh[ort]      = 16 bits =  2 bytes\r\n"
    "    t[byte]      = 24 bits =  3 bytes\r\n"
    "    lo[ng]       = 32 bits =  4 bytes\r\n"
    "    BC[D]        = 80 bits = 10 bytes\r\n"
    "  Floating point types:\r\n"
    "    f[loat]      = 32 bits =  4 bytes\r\n"
    "    d[ouble]     = 64 bits =  8 bytes\r\n"
    "    ld[ouble]    = 80 bits = 10 bytes\r\n"
    "  Special types:\r\n"
    "    [skip]       skipNumber\r\n"
    "Note: Affected by .ByteOrder!";
}  // namespace

XoRecord::XoRecord()
    : XoBinIO(kHelp),
      pageArg_(AddArgument<XoWksName>()),
      recordsArg_(AddArgument<XoInt>()),
      templateArg_(AddArgument<XoString>()) {
  AddArgument<XoInt>();
}

int XoRecord::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoBinIO::ParseArguments(arguments, module)) return s;
  if (!Given(pageArg_) || !Given(recordsArg_) || !Given(templateArg_))
    return Fail(err::kMissingArrayArgument);
  TemplateFault fault = TemplateFault::kNone;
  try {
    const char* text = TextArg(templateArg_);
    fault = ParseTemplate(text != nullptr ? text : "", layout_);
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFailure();
  }
  switch (fault) {
    case TemplateFault::kNone: break;
    case TemplateFault::kBadItem: return StoreError(err::kBadTemplateItem);
    case TemplateFault::kZeroCount: return StoreError(err::kZeroRepeat);
    case TemplateFault::kTooLarge: return Fail(err::kOutOfRange);
  }
  // Refused before anything is allocated, as ARead refuses an image that
  // does not fit 32 bits.
  const int32_t records = IntArg(recordsArg_);
  if (records < 0 || static_cast<uint64_t>(records) * layout_.recordSize > UINT32_MAX)
    return Fail(err::kOutOfRange);
  records_ = static_cast<uint32_t>(records);
  return 0;
}

int XoRecord::Execute(double* result, XoDLL& /*module*/) {
  *result = -1.0;
  if (BulkTransfer(CurrentEntry(), layout_.recordSize, records_, kRecordSplitBudget, Reading()) != 0)
    return 1;
  *result = Reading() ? static_cast<double>(records_) : 0.0;
  return 0;
}

void XoRecord::SetFieldSigned(const RecordField& field) { TheConverter().SetSigned(field.negative); }

XoKavlerWks& XoRecord::OpenPage() {
  page_.emplace(TextArg(pageArg_));
  LoadedConverter();
  return *page_;
}

template <typename Data>
void XoRecord::OpenColumns() {
  columns_.reserve(ValueCount());
  for (uint32_t c = 1; c <= ValueCount(); ++c)
    columns_.push_back(std::make_unique<Data>(*page_, static_cast<int>(c)));
}

int XoRecord::FinishChunk(int result) {
  if (!page_) return result;
  bool refused = false;
  for (const auto& column : columns_) {
    column->Close();
    refused |= column->HostRefused();
  }
  columns_.clear();
  page_.reset();
  if (result != 0) return result;
  if (refused) return Fail(err::kOutOfRange);
  if (TheConverter().softError) SetError(TheConverter().softError);
  return 0;
}

int XoReadRecord::FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) {
  if (!PageOpen()) {
    // A column the host will not add is recorded in Error; the columns
    // there are filled all the same.
    if (OpenPage().EnsureColumns(static_cast<int>(ValueCount())) != 0) Fail(err::kColumnNotAdded);
    OpenColumns<XoResultData>();
  }
  FUM_TypeConverter& c = TheConverter();
  const std::size_t stride = ItemSize();
  double values[kRun];
  return ForEachRun(count, [&](uint32_t done, uint32_t n) {
    const unsigned char* run = buffer + std::size_t{done} * stride;
    uint32_t badRecord = n;
    uint32_t badColumn = 0;
    if (layout_.hasBcd) FindBadDigit(run, badRecord, badColumn);
    const auto row = static_cast<int32_t>(start + done);  // below nRecords: fits 31 bits
    const int r = ForEachValue([&](uint32_t column, const RecordField& field, uint32_t offset) {
      // What comes before a refused value in record order is stored: in its
      // record, the columns before it.
      const uint32_t take = badRecord < n && column < badColumn ? badRecord + 1 : badRecord;
      c.DecodeArray(field.kind, field.size, run + offset, stride, take, values);
      XoData& data = Column(column);
      if (!data.IsAttached()) return 0;  // a column the page could not add
      const auto stored = static_cast<int32_t>(take);
      return data.SetValues(row, values, stored) == stored ? 0 : Fail(err::kOutOfRange);
    });
    if (r != 0) return r;
    return badRecord < n ? StoreError(FUM_TypeConverter::kBadDigit) : 0;
  });
}

void XoReadRecord::FindBadDigit(const unsigned char* run, uint32_t& record, uint32_t& column) {
  FUM_TypeConverter& c = TheConverter();
  const std::size_t stride = ItemSize();
  double values[kRun];
  ForEachValue([&](uint32_t at, const RecordField& field, uint32_t offset) {
    if (field.kind != FUM_TypeConverter::kBcd) return 0;
    std::size_t good = 0;
    c.DecodeArray(field.kind, field.size, run + offset, stride, record, values, &good);
    if (good < record) {  // strictly: of two columns refusing one record, the first
      record = static_cast<uint32_t>(good);
      column = at;
    }
    return 0;
  });
}

int XoWriteRecord::ToBuffer(uint32_t start, uint32_t count, unsigned char* buffer) {
  if (!PageOpen()) {
    if (OpenPage().ColumnCount() < static_cast<int>(ValueCount())) return StoreError(err::kTooFewColumns);
    OpenColumns<XoSourceData>();
  }
  FUM_TypeConverter& c = TheConverter();
  const std::size_t stride = ItemSize();
  double values[kRun];
  return ForEachRun(count, [&](uint32_t done, uint32_t n) {
    unsigned char* run = buffer + std::size_t{done} * stride;
    const auto row = static_cast<int32_t>(start + done);
    return ForEachValue([&](uint32_t column, const RecordField& field, uint32_t offset) {
      // A row the column does not have gives the missing value, written as any other.
      Column(column).GetValues(row, values, static_cast<int32_t>(n));
      c.EncodeArray(field.kind, field.size, values, n, run + offset, stride);
      return 0;
    });
  });
}

}  // namespace kfio
