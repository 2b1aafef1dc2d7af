// A fixture for the text methods: a file opened at an offset, A$ and B$ preset, what a call stored, where it left
// the file and how often it stored.
#pragma once

#include <algorithm>

#include "fum/fum_fixture.h"

namespace kfio::testing {

// Results a row expects: the missing value, and -99, which a refused parse leaves alone.
inline constexpr double miss = kMissingValue, none = -99;

class TextTest : public FumTest {
 public:
  // Opens `bytes` at `offset` under the line mode and separator; A$ = B$ = "old".
  void Prepare(const std::string& bytes, int offset = 0, int lineMode = 0, int listSep = ',') {
    OpenFile(MakeFile("t.txt", bytes));
    if (offset != 0) Invoke("SETPOS", std::to_string(offset));
    host.SetNumber("NLINEMODE", lineMode);
    host.SetNumber("LISTSEP", listSep);
    host.SetStringVar('A', "old");
    host.SetStringVar('B', "old");
    host.ClearCalls();
  }
  // Arms what a case asks for: "readAt", "statFd", "seek": the (value+1)-th such call fails with EIO; "refuse":
  // the host refuses service `value`; "pieces": transfers in 2-byte pieces; else the setting is given `value`.
  void Arm(const std::string& what, int value = 0) {
    using C = fault::Call;
    if (what == "readAt" || what == "statFd" || what == "seek")
      fault::Fail(what == "readAt" ? C::readAt : what == "seek" ? C::seek : C::statFd, EIO, value);
    else if (what == "refuse")
      Refuse(value);
    else if (what == "pieces")
      XoBulk::SetPieceBytes(2);
    else if (!what.empty())
      host.SetNumber(what, value);
  }
  int Position() { return static_cast<int>(Invoke("GETPOS", "").result); }
  // Every cell of one row of a page as text ("" where none was written).
  std::vector<std::string> Row(const std::string& page, int32_t row = 0) const {
    const refhost::HostPage* p = host.Page(page);
    std::vector<std::string> cells;
    for (int c = 1; p != nullptr && c <= p->ColumnCount(); ++c) cells.push_back(p->Column(c)->Text(row));
    return cells;
  }
  long Stores() const { return std::count(host.calls.begin(), host.calls.end(), op::kSetStringVar); }
};

}  // namespace kfio::testing
