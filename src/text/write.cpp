// TWrite and LWrite: where the text comes from, the line break, the write.
#include "text/write.h"

#include <cstring>
#include <memory>
#include <new>
#include <string_view>

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "fum/settings.h"

namespace kfio {

namespace {
// A text of a few hundred bytes is never worth halving.
constexpr uint32_t kSplitBudget = 1;
// By nLineMode: CR LF, LF, CR.
constexpr std::string_view kBreaks[] = {"\r\n", "\n", "\r"};
}  // namespace

XoTWrite::XoTWrite() : XoTWrite("(\"string\"[,hFile])") {}

XoTWrite::XoTWrite(const char* syntax) : XoASCIIBulk(syntax), string_(AddArgument<XoString>()) {
  AddArgument<XoInt>();
}

int XoTWrite::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIIBulk::ParseArguments(arguments, module)) return s;
  if (!Given(string_)) return Fail(err::kMissingTextArgument);
  if (const int s = TakeText(TextArg(string_))) return s;
  // The host has run in between: the handle must still name an open file.
  const int file = FileArgumentIndex();
  return Given(file) ? ResolveFileArgument(ValueArg(file), true) : 0;
}

int XoTWrite::TakeText(const char* argument) {
  std::string_view text = argument != nullptr ? argument : "";
  text = text.substr(0, kMaxText);
  if (!text.empty() && text[0] == '"') {
    // A literal runs to the next quote, or to the end without one.
    text.remove_prefix(1);
    text_.assign(text.substr(0, text.find('"')));
    return 0;
  }
  const int letter = LetterIndex(text.empty() ? '\0' : text[0]);
  if (letter < 0) {
    text_.assign(text);
    return 0;
  }
  // The host fills a buffer of its own string size. Its answer is not
  // checked: a host that leaves the buffer alone leaves the argument there.
  const std::unique_ptr<char[]> buffer(new (std::nothrow) char[kHostStringBuffer]);
  if (!buffer) return OutOfMemoryFailure();
  std::memcpy(buffer.get(), text.data(), text.size());
  buffer[text.size()] = '\0';
  ReadStringVariable(letter, buffer.get());
  text_.assign(buffer.get(), strnlen(buffer.get(), kMaxText));
  return 0;
}

int XoTWrite::Execute(double* result, XoDLL& /*module*/) { return WriteText(result); }

int XoTWrite::WriteText(double* result) {
  const auto count = static_cast<uint32_t>(text_.size());
  // A failed write is in Error; the call still answers the count.
  if (BulkTransfer(CurrentEntry(), 1, count, kSplitBudget, false) != 0) return 1;
  *result = count;
  return 0;
}

int XoTWrite::ToBuffer(uint32_t start, uint32_t count, unsigned char* buffer) {
  std::memcpy(buffer, text_.data() + start, count);
  return 0;
}

XoLWrite::XoLWrite() : XoTWrite("(\"string\"[,hFile])\r\nNote: affected by .nLineMode!") {}

int XoLWrite::Execute(double* result, XoDLL& /*module*/) {
  XoBounded* mode = TheState().nLineMode.get();
  if (mode == nullptr) return OutOfMemoryFailure();
  if (const int s = mode->CheckValue(mode->Int())) return s;
  const int32_t n = mode->Int();
  if (n < 0 || n > 2) return StoreError(err::kBadLineMode);
  text_.append(kBreaks[n]);
  return WriteText(result);
}

}  // namespace kfio
