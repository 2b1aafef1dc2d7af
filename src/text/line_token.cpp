// Lines and tokens into a string variable.
#include "text/line_token.h"

#include "bridge/host_services.h"
#include "fum/errors.h"
#include "fum/settings.h"

namespace kfio {

namespace {
constexpr const char* kAffected = "\r\nNote: Affected by .nLineMode and .ListSep!";

std::string Help(const char* arguments) { return std::string(arguments) + kAffected; }
}  // namespace

int CheckCount(uint32_t count, double* result) {
  if (count != 0) return 0;
  if (!NewErrorMode()) *result = 0.0;
  return Fail(err::kZeroCount);
}

XoASCIILT::XoASCIILT(const char* syntax) : XoASCIIPiece(syntax), letter_(AddArgument<XoString>()) {}

int XoASCIILT::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIIPiece::ParseArguments(arguments, module)) return s;
  if (Given(letter_)) {
    const char* text = TextArg(letter_);
    varLetter_ = text != nullptr ? text[0] : '\0';
  }
  return LetterIndex(varLetter_) < 0 ? Fail(err::kNotALetter) : 0;
}

int XoASCIILT::DeliverPiece(const PieceText& piece, uint32_t /*fieldEnds*/) {
  if (AssignStringVariable(LetterIndex(varLetter_), piece.c_str())) return 0;
  return Fail(err::kStringRefused);
}

int XoASCIILT::TakeCount(int i, uint32_t& wanted) const {
  if (!Given(i)) return Fail(err::kMissingTextArgument);
  wanted = static_cast<uint32_t>(IntArg(i));
  return 0;
}

XoTRead::XoTRead()
    : XoASCIILT(Help("(strVarLetter,nLine[,hFile])").c_str()), lines_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoTRead::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIILT::ParseArguments(arguments, module)) return s;
  if (const int s = TakeCount(lines_, wanted_)) return s;  // -1: every line there is
  linesSeen_ = 0;
  return 0;
}

int XoTRead::Execute(double* result, XoDLL& /*module*/) {
  if (const int s = CheckCount(wanted_, result)) return s;
  if (const int s = Loop()) return s;
  *result = charsKept_;
  const int32_t mode = TheState().NLineMode();
  return mode < 0 || mode > 2 ? StoreError(err::kBadLineMode) : 0;
}

bool XoTRead::KeepChar(uint8_t byte) {
  switch (LineMode()) {
    case 0:
      // The breaks between the lines stay; the last line's break does not.
      return (byte != kCR && byte != kLF) || linesSeen_ + 1 != wanted_;
    case 1: return byte != kLF;
    default: return byte != kCR;
  }
}

XoLRead::XoLRead() : XoTRead(Help("(strVarLetter[,hFile])").c_str()) { AddArgument<XoInt>(); }

int XoLRead::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIILT::ParseArguments(arguments, module)) return s;
  wanted_ = 1;
  linesSeen_ = 0;
  return 0;
}

int XoLRead::Execute(double* result, XoDLL& /*module*/) {
  if (const int s = Loop()) return s;
  *result = charsKept_;
  return 0;
}

XoReadToken::XoReadToken()
    : XoASCIILT(Help("(strVarLetter,nToken[,hFile])").c_str()), tokens_(AddArgument<XoInt>()) {
  AddArgument<XoInt>();
}

int XoReadToken::ParseArguments(char* arguments, XoDLL& module) {
  if (const int s = XoASCIILT::ParseArguments(arguments, module)) return s;
  if (const int s = TakeCount(tokens_, wanted_)) return s;
  keepBreaks_ = NewErrorMode();
  return 0;
}

int XoReadToken::Execute(double* result, XoDLL& /*module*/) {
  if (const int s = CheckCount(wanted_, result)) return s;
  if (const int s = ReadLoopAs(*this)) return s;
  *result = charsKept_;
  return 0;
}


}  // namespace kfio
