// XoWksBlock: WksBlock, which reads lines of numbers from the file named by
// FILENAME into a block of worksheet cells, kept in step with the current
// file through nested GetPos and SetPos.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fum/high_level.h"

namespace kfio {

class CStdioFile;
class XoKavlerWks;

class XoWksBlock : public XoHighLev {
  KFIO_DECLARE_DYNAMIC(XoWksBlock, XoHighLev)
 public:
  XoWksBlock();

 protected:
  int CheckArguments() override;
  int Execute(double* result, XoDLL& module) override;

 private:
  // How the line loop ended.
  enum class End { kLastRow, kEndOfFile, kStopped, kReadFailed };
  // Reads lines into rows `row` up to (not including) `last`; leaves `row`
  // at the first row not consumed, `position` after the last line consumed
  // and, on a stop, the offending rest of the line in `rest`.
  End ReadLines(CStdioFile& stream, const XoKavlerWks& page, int64_t last, int64_t& row,
                uint64_t& position, std::string& rest);
  // Stores the numbers of a scanned line in row `row`, cutting tokens into
  // `token`; false at a token that is no number.
  bool StoreNumbers(const std::string& line, const XoKavlerWks& page, int64_t row, std::vector<char>& token);

  int page_ = -1;  // argument slots
  int colBegin_ = -1;
  int colEnd_ = -1;
  int rowBegin_ = -1;
  int rowEnd_ = -1;
  int32_t listSep_ = ',';  // for one call
};

}  // namespace kfio
