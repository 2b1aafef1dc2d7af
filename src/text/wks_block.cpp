// WksBlock: lines of numbers into a block of worksheet cells.
#include "text/wks_block.h"

#include <algorithm>

#include "bridge/host_services.h"
#include "bridge/truncate.h"
#include "bridge/worksheet.h"
#include "fum/errors.h"
#include "fum/settings.h"
#include "kutl/kutl.h"
#include "platform/stdio_file.h"

namespace kfio {

namespace {

// The token buffer is never shorter than this.
constexpr std::size_t kMinTokenBuffer = 120;

bool IsSeparator(uint8_t byte, int32_t listSep) {
  // A separator set from a character above 127 is stored as a negative
  // number; one set as a number is the byte itself.
  return listSep == byte || listSep == static_cast<signed char>(byte);
}

// The character table: blanks pass, the separator becomes a blank, number
// characters pass. Answers the position of the first other byte, or npos.
std::size_t ScanLine(std::string& line, int32_t listSep) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto byte = static_cast<uint8_t>(line[i]);
    if (byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r') continue;
    if (IsSeparator(byte, listSep)) {
      line[i] = ' ';
      continue;
    }
    if ((byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == 'E') continue;
    return i;
  }
  return std::string::npos;
}

// The FILENAME property's text, or null.
const char* FileNameProperty() {
  const MemberEntry* e = FindEntry(TheState().Properties(), "FILENAME");
  if (e == nullptr || !e->member->IsKindOf(&XoProperty::classXoProperty)) return nullptr;
  return static_cast<const XoProperty*>(e->member)->GetText();
}

}  // namespace

XoWksBlock::XoWksBlock()
    : XoHighLev("(wksname$, colbegin, colend, rowbegin, rowend)"),
      page_(AddArgument<XoWksName>()),
      colBegin_(AddArgument<XoInt>()),
      colEnd_(AddArgument<XoInt>()),
      rowBegin_(AddArgument<XoInt>()),
      rowEnd_(AddArgument<XoInt>()) {}

int XoWksBlock::CheckArguments() {
  return Given(page_) ? 0 : Fail(err::kMissingTextArgument);
}

int XoWksBlock::Execute(double* result, XoDLL& module) {
  *result = 0.0;
  const char* name = FileNameProperty();
  CStdioFile stream;
  if (name == nullptr || name[0] == '\0' ||
      !stream.Open(name, CFile::modeRead | CFile::shareDenyNone | CFile::typeText)) {
    SetError(err::kBlockFileNotOpened);
    return 0;
  }
  const XoKavlerWks page(TextArg(page_));
  const int64_t first = static_cast<int64_t>(IntArg(rowBegin_)) - 1;
  const int64_t last = IntArg(rowEnd_) == 0 ? INT32_MAX : IntArg(rowEnd_);
  listSep_ = TruncateToInt32(GetSetting(SettingIndex("LISTSEP")));

  double start = 0.0;
  if (const int s = CallNested(module, MethodIndex("GETPOS"), &start)) return NestedCallFailed(s);
  int64_t row = first;
  auto position = static_cast<uint64_t>(start);
  std::string rest;
  End end = End::kReadFailed;
  CFileException failure;
  try {
    stream.Seek(static_cast<int64_t>(position), CFile::begin);
    end = ReadLines(stream, page, last, row, position, rest);
  } catch (const CFileException& e) {
    failure = e;  // the lines before it stay consumed
  }
  *result = static_cast<double>(row - first);

  double moved = 0.0;
  const auto to = static_cast<int32_t>(static_cast<uint32_t>(position));
  if (const int s = CallNested(module, MethodIndex("SETPOS"), &moved, to)) return NestedCallFailed(s);
  switch (end) {
    case End::kLastRow:
      return 0;
    case End::kEndOfFile:
      if (NewErrorMode()) return StoreError(err::kBlockEndOfFile.byNew);
      SetError(err::kBlockEndOfFile.byDefault);
      return 0;
    case End::kStopped:
      AssignStringVariable(LetterIndex('Z'), rest.c_str());
      SetError(err::kBlockStopped);
      return 0;
    case End::kReadFailed:
      break;
  }
  return FileExceptionFailure(failure, err::kChunkReadFailed);
}

XoWksBlock::End XoWksBlock::ReadLines(CStdioFile& stream, const XoKavlerWks& page, int64_t last, int64_t& row,
                                      uint64_t& position, std::string& rest) {
  std::string line;
  std::vector<char> token;
  for (; row < last; ++row) {
    if (!stream.ReadString(line)) return End::kEndOfFile;
    position = stream.GetPosition();
    if (line.empty()) continue;
    if (const std::size_t stop = ScanLine(line, listSep_); stop != std::string::npos) {
      rest.assign(line, stop);
      return End::kStopped;
    }
    if (!StoreNumbers(line, page, row, token)) {
      rest.clear();
      return End::kStopped;
    }
  }
  return End::kLastRow;
}

bool XoWksBlock::StoreNumbers(const std::string& line, const XoKavlerWks& page, int64_t row,
                              std::vector<char>& token) {
  token.resize(std::max({token.size(), line.size() + 1, kMinTokenBuffer}));
  const char* next = line.c_str();
  for (int64_t column = IntArg(colBegin_); column <= IntArg(colEnd_); ++column) {
    // Blanks after the last number end the line; they are no token.
    if (kutl::NextToken(&next, token.data(), token.size()) == 0) break;
    const double value = kutl::TextToNumber(token.data());
    if (value == kMissingValue) return false;
    // A row before the first, or a column the page lacks, takes nothing.
    if (row >= 0) page.SetCellValue(static_cast<int>(column), static_cast<int32_t>(row), value);
  }
  return true;
}

}  // namespace kfio
