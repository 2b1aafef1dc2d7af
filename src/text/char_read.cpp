// Bytes into a string variable through the bulk transfer.
#include "text/char_read.h"

#include <new>

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "text/line_token.h"

namespace kfio {

namespace {
// As ARead: the halvings a transfer may make when memory runs short.
constexpr uint32_t kSplitBudget = 256;
}  // namespace

int XoASCIIBulk::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoBulk::ParseArguments(arguments, module)) return s;
  text_.clear();
  return 0;
}

XoCRead::XoCRead()
    : XoASCIIBulk("(strVarLetter,nChar[,hFile])"),
      letter_(AddArgument<XoString>()),
      chars_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoCRead::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIIBulk::ParseArguments(arguments, module)) return s;
  if (!Given(letter_)) return Fail(err::kMissingTextArgument);
  const char* text = TextArg(letter_);
  varLetter_ = text != nullptr ? text[0] : '\0';
  if (!Given(chars_)) return Fail(err::kMissingTextArgument);
  nChar_ = static_cast<uint32_t>(IntArg(chars_));
  // A negative count would ask for 4 GiB of spaces before reading a byte.
  if (IntArg(chars_) < 0) return Fail(err::kOutOfRange);
  try {
    // Bytes the file does not deliver read as spaces.
    text_.assign(nChar_, ' ');
  } catch (const std::bad_alloc&) {
    return OutOfMemoryFailure();
  }
  return LetterIndex(varLetter_) < 0 ? Fail(err::kNotALetter) : 0;
}

int XoCRead::Execute(double* result, XoDLL& /*module*/) {
  if (const int s = CheckCount(nChar_, result)) return s;
  // End of file and read failures are in Error; the text is stored anyway.
  if (BulkTransfer(CurrentEntry(), 1, nChar_, kSplitBudget, true) != 0) return 1;
  if (!AssignStringVariable(LetterIndex(varLetter_), text_.c_str())) return Fail(err::kStringRefused);
  *result = nChar_;
  return 0;
}

int XoCRead::FromBuffer(uint32_t start, uint32_t count, const unsigned char* buffer) {
  text_.replace(start, count, reinterpret_cast<const char*>(buffer), count);
  return 0;
}

}  // namespace kfio
