// The block reader: its sub-properties, its decisions and its call.
#include "text/block.h"

#include <algorithm>

#include "bridge/host_services.h"
#include "fum/errors.h"

namespace kfio {

namespace {
// A text longer than this is not kept between calls.
constexpr std::size_t kKeptTextCapacity = 64 * 1024;

void Mark(std::array<bool, 256>& table, const std::string& chars, bool value) {
  for (const char c : chars) table[static_cast<uint8_t>(c)] = value;
}
}  // namespace

XoASCII::XoASCII()
    : XoASCIIPiece("([strVarLetter][,wksname$][,hFile])\r\nNote: Heavily influenced by subproperties."),
      letter_(AddArgument<XoString>()),
      page_(AddArgument<XoWksName>()),
      members_{{&include, "INCLUDE"},   {&exclude, "EXCLUDE"},     {&readMode, "READMODE"},
               {&stopChar, "STOPCHAR"}, {&stopString, "STOPSTRING"}, {&nTokens, "NTOKENS"},
               {&nTokens, "TOKENS"},    {&nLines, "NLINES"},       {&nLines, "LINES"},
               {&stopMode, "STOPMODE"}} {
  AddArgument<XoInt>();
  ResetState();
}

void XoASCII::ResetState() {
  include.SetText("");
  exclude.SetText("");
  readMode.Store(0);
  stopChar.SetText("");
  stopString.SetText("");
  nTokens.Store(1);
  nLines.Store(1);
  stopMode.Store(0);
}

int XoASCII::ParseArguments(char* arguments, XoDLL& module) {
  row_.Release();
  if (const int s = XoASCIIPiece::ParseArguments(arguments, module)) return s;
  const char* letter = Given(letter_) ? TextArg(letter_) : nullptr;
  varLetter_ = letter != nullptr ? letter[0] : '\0';  // checked when it is stored
  if (Given(page_)) {
    if (const int s = row_.Open(TextArg(page_))) return s;
  }
  if (nTokens.Int() < 0 || nLines.Int() < 0) {
    row_.Release();
    return StoreError(err::kNegativeLimit);
  }
  stopFlag_ = 0;
  linesSeen_ = 0;
  varText_.clear();

  mode_ = stopMode.Int();
  tokensWanted_ = static_cast<uint32_t>(nTokens.Int());
  linesWanted_ = static_cast<uint32_t>(std::max(nLines.Int(), 1));
  // READMODE 1 takes the include list; any other value the exclude list.
  const bool including = readMode.Int() == 1;
  collects_.fill(!including);
  Mark(collects_, including ? include.Text() : exclude.Text(), including);
  stopsAt_.fill(false);
  if (mode_ & kStopChar) Mark(stopsAt_, stopChar.Text(), true);
  return 0;
}

int XoASCII::Execute(double* result, XoDLL& /*module*/) {
  if (const int s = ReadLoopAs(*this)) return s;
  if (varLetter_ != 0) {
    const int index = LetterIndex(varLetter_);
    if (index < 0 || !AssignStringVariable(index, varText_.c_str())) return Fail(err::kStringRefused);
  }
  *result = charsKept_;
  return 0;
}

bool XoASCII::AfterRun(XoDLL& /*module*/) {
  row_.Release();
  if (varText_.capacity() > kKeptTextCapacity) std::string().swap(varText_);
  return false;
}

bool XoASCII::KeepChar(uint8_t byte) {
  const bool collected = varLetter_ != 0 && collects_[byte];
  if (collected) varText_.push_back(static_cast<char>(byte));
  return row_.HasPage() ? IsNumericChar(byte, ListSep()) : collected;
}

bool XoASCII::StopReading(uint8_t byte, uint32_t fieldEnds) {
  return AtBound() || stopsAt_[byte] || ((mode_ & kStopTokens) && fieldEnds >= tokensWanted_) || stopFlag_ != 0 ||
         ((mode_ & kStopLines) && linesSeen_ >= linesWanted_);
}

// Asked once for each byte consumed: the place to count line ends.
bool XoASCII::PieceComplete(uint8_t byte, uint32_t pieceLength) {
  if (EndsLine(byte)) ++linesSeen_;
  return StopReading(byte, fieldEnds_) || ClosesField(byte, pieceLength);
}

int XoASCII::DeliverPiece(const PieceText& piece, uint32_t /*fieldEnds*/) {
  if ((mode_ & kStopString) && piece == stopString.Text()) stopFlag_ = 1;
  if (!row_.HasPage() || piece.empty()) return 0;
  return row_.StoreField(piece.c_str(), WksRow::Store::kAsNumber);
}

}  // namespace kfio
