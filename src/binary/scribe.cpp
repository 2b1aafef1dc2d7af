// One-value binary reads and writes.
#include "binary/scribe.h"

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "fum/file_entry.h"
#include "fum/settings.h"
#include "platform/file_exception.h"

namespace kfio {

namespace {
constexpr const char* kAffected = "\r\nNote: Affected by .ByteOrder and .Signed!";
constexpr int32_t kIntegerWidths[] = {1, 2, 3, 4};

// Built on first use, so it outlives the module object that uses it.
SharedDiscrete& SharedWidths() {
  static SharedDiscrete widths(kIntegerWidths, 4u);
  return widths;
}

std::string Help(const char* arguments) { return std::string(arguments) + kAffected; }
}  // namespace

XoScribe::XoScribe(const char* syntax) : XoFUMIO(syntax) { SharedWidths().Acquire(); }

XoScribe::~XoScribe() { SharedWidths().Release(); }

XoDiscrete* XoScribe::Widths() { return SharedWidths().Get(); }

FUM_TypeConverter& XoScribe::LoadedConverter() {
  const FumState& fum = TheState();
  FUM_TypeConverter& c = TheConverter();
  c.SetSigned(fum.Signed() != 0);
  c.SetByteOrder(fum.ByteOrder());
  c.SetNewErrorMode(NewErrorMode());
  c.ClearSoftError();
  return c;
}

int XoScribe::CheckSigned() {
  XoBounded* s = TheState().signedValues.get();
  return s != nullptr ? s->CheckValue(s->Int()) : OutOfMemoryFailure();
}

int XoScribe::CheckByteOrder() {
  XoBounded* b = TheState().byteOrder.get();
  return b != nullptr ? b->CheckValue(b->Int()) : OutOfMemoryFailure();
}

int XoScribe::RawRead(unsigned char* buffer, unsigned n) {
  try {
    if (CurrentEntry()->Read(buffer, n) >= n) return 0;
    return StoreError(err::kEndOfFile);
  } catch (const CFileException& e) {
    const bool endOfFile = e.m_cause == CFileException::endOfFile;
    FileExceptionFailure(e, {0, 0});
    return StoreError(endOfFile ? err::kEndOfFile : err::kReadFailed);
  }
}

int XoScribe::RawWrite(const unsigned char* buffer, unsigned n) {
  try {
    CurrentEntry()->Write(buffer, n);
    return 0;
  } catch (const CFileException& e) {
    return FileExceptionFailure(e, err::kValueWriteFailed);
  }
}

int XoScribe::CheckWidth(int i, int32_t& width) const {
  XoDiscrete* widths = Widths();
  if (widths == nullptr) return OutOfMemoryFailure();
  const bool fromArgument = Given(i);
  width = fromArgument ? IntArg(i) : TheState().NBytes();
  const int s = widths->CheckAndKeep(width);
  if (s == 0) return 0;
  return Fail({err::kBadWidth.byDefault, fromArgument ? FromArgument(s) : s});
}

int XoPiecewise::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoScribe::ParseArguments(arguments, module)) return s;
  if (const int s = CheckSigned()) return s;
  return CheckByteOrder();
}

int XoPiecewise::ReadValue(int kind, int size, int defaultFailure, double* result) {
  unsigned char bytes[FUM_TypeConverter::kMaxSize] = {};
  if (const int s = RawRead(bytes, static_cast<unsigned>(size))) {
    if (NewErrorMode()) return s;
    *result = 0.0;
    return Fail({s == err::kEndOfFile ? defaultFailure : err::kValueReadFailed, 0});
  }
  // The widths were checked and the kinds are integer or floating: there is
  // always a routine, and those routines cannot fail (a value beyond range
  // is a soft error).
  FUM_TypeConverter& c = LoadedConverter();
  c.Select(kind, size, true)(c, bytes, result);
  if (c.softError) SetError(c.softError);
  return 0;
}

int XoPiecewise::WriteValue(int kind, int size, double value, double* result) {
  // As for ReadValue: a routine that cannot fail.
  FUM_TypeConverter& c = LoadedConverter();
  unsigned char bytes[FUM_TypeConverter::kMaxSize] = {};
  c.Select(kind, size, false)(c, bytes, &value);
  if (c.softError) SetError(c.softError);  // the value's low bytes are still written
  if (const int s = RawWrite(bytes, static_cast<unsigned>(size))) return s;
  *result = size;
  return 0;
}

XoRead::XoRead() : XoIntIO(Help("([nBytes[,hFile]])").c_str()), width_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoRead::Execute(double* result, XoDLL& /*module*/) {
  int32_t width = 0;
  if (const int s = CheckWidth(width_, width)) return s;
  return ReadValue(FUM_TypeConverter::kInteger, width, err::kIntegerShortRead, result);
}

XoWrite::XoWrite()
    : XoIntIO(Help("(value[,nBytes][,hFile])").c_str()),
      value_(AddArgument<XoReal>()),
      width_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoWrite::Execute(double* result, XoDLL& /*module*/) {
  if (NewErrorMode()) *result = 0.0;
  if (!Given(value_)) return Fail(err::kMissingArgument);
  int32_t width = 0;
  if (const int s = CheckWidth(width_, width)) return s;
  return WriteValue(FUM_TypeConverter::kInteger, width, ValueArg(value_), result);
}

XoFloatRead::XoFloatRead(int size) : XoRealIO(Help("([hFile])").c_str()), size_(size) {
  AddArgument<XoInt>();
}

int XoFloatRead::Execute(double* result, XoDLL& /*module*/) {
  return ReadValue(FUM_TypeConverter::kFloating, size_, err::kValueShortRead, result);
}

XoFloatWrite::XoFloatWrite(int size)
    : XoRealIO(Help("(value[,hFile])").c_str()), size_(size), value_(AddArgument<XoReal>()) {
  AddArgument<XoInt>();
}

int XoFloatWrite::Execute(double* result, XoDLL& /*module*/) {
  if (NewErrorMode()) *result = 0.0;
  if (!Given(value_)) return Fail(err::kMissingArgument);
  return WriteValue(FUM_TypeConverter::kFloating, size_, ValueArg(value_), result);
}

int XoLDWrite::ParseArguments(char* /*arguments*/, XoDLL& /*module*/) {
  PrintLine("file.LDWrite() is not supported in this version");
  return 1;
}

}  // namespace kfio
