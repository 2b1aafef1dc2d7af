// ReadRowBin through the reference host: the rows it hands over and the host calls that carry them, the host
// refusing each call, and failures in both error modes.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "binary/binary_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;
const std::string kShorts = "\x01\x00\x02\x00\x03\x00"s;

class RowBin : public BinaryTest {
 public:
  RowBin() { page = host.NewPage("W", 2); }
  // Settings as given and in.bin holding `bytes` open, no calls recorded yet; answers the file's handle.
  int Prepare(const std::string& bytes, int nBytes = 2, int skip = 0, int isSigned = 0) {
    Fresh();
    host.SetNumber("NBYTES", nBytes);
    host.SetNumber("SKIP", skip);
    host.SetNumber("SIGNED", isSigned);
    const int h = OpenFile(MakeFile("in.bin", bytes));
    host.ClearCalls();
    host.commands.clear();
    return h;
  }
  refhost::HostPage* page = nullptr;
};

// A row handed over: the numeric arguments evaluated, the page found, a column added or not, the row, the command.
std::vector<uint32_t> RowCalls(int numbers, bool addsColumn) {
  std::vector<uint32_t> calls(numbers, op::kEvaluate);
  calls.insert(calls.end(), {op::kFindPage, op::kColumnCount});
  if (addsColumn) calls.push_back(op::kAddColumn);
  calls.insert(calls.end(), {op::kWorksheetHandle, op::kTakeRow, op::kRunCommand, op::kAfterMethod});
  return calls;
}

TEST_F(RowBin, EachCallAppendsOneRowBelowTheLast) {
  // bytes, nBytes, Skip, Signed, arguments (the file's handle appended when `named`), the row, the position after
  const std::tuple<std::string, int, int, int, std::string, bool, std::vector<double>, double> cases[] = {
      {kShorts, 2, 0, 0, "W,3,0", false, {1, 2, 3}, 6},  // the page gets a third column
      {"\xFF\0\0\x02\0\0\x80\x09"s, 1, 2, 1, "w,3,0", false, {-1, 2, -128}, 7},  // no gap read after the last
      {"\0\0\xC0\x3F\0\0\x10\xC1"s, 4, 0, 0, "W,2,1", true, {1.5, -9}, 8},
  };
  int32_t rows = 0;
  for (const auto& [bytes, nBytes, skip, isSigned, args, named, row, position] : cases) {
    SCOPED_TRACE(args);
    const int h = Prepare(bytes, nBytes, skip, isSigned);
    ExpectOutcome(Invoke("READROWBIN", named ? args + "," + std::to_string(h) : args),
                  {0, -1, 0, static_cast<double>(row.size())});
    EXPECT_EQ(host.calls, RowCalls(named ? 3 : 2, rows == 0));
    EXPECT_EQ(host.commands, std::vector<std::string>{"doc -uw"});
    ASSERT_EQ(page->RowCount(), ++rows);
    for (std::size_t c = 0; c < row.size(); ++c) EXPECT_EQ(page->Column(c + 1)->Value(rows - 1), row[c]) << c;
    EXPECT_EQ(Position(), position);
  }
}

TEST_F(RowBin, TheHostRefusingAnyCallButTheCommandLeavesNoRow) {
  const std::vector<uint32_t> all = RowCalls(2, true);
  for (const uint32_t refused : {op::kAddColumn, op::kWorksheetHandle, op::kTakeRow, op::kRunCommand}) {
    const bool taken = refused == op::kRunCommand;  // its answer is not looked at
    std::vector<uint32_t> made(all.begin(), std::find(all.begin(), all.end(), refused));
    made.push_back(op::kAfterMethod);
    const refhost::HostPage* target = nullptr;
    BothModes(std::to_string(refused), "READROWBIN", [&] {
      const std::string name = "R" + std::to_string(refused) + (target ? "new" : "");
      target = host.NewPage(name, 2);
      Prepare(kShorts);
      Refuse(refused);
      return name + ",3,0";
    }, {taken ? 0 : 6, -1, 0, 3.0}, {taken ? 0 : 20, -1, 0, 3.0}, [&] {
      EXPECT_EQ(host.calls, made);
      EXPECT_EQ(target->RowCount(), taken ? 1 : 0);
      EXPECT_EQ(Position(), 6);
    });
  }
}

TEST_F(RowBin, FailedRowsInBothModes) {
  const struct {
    std::string bytes; int nBytes; const char* args; Expect byDefault, byNew; double position; int isSigned = 0;
  } cases[] = {
      {kShorts, 2, "W,2", {1024, -1, 2}, {10, -1, 10}, 0}, {kShorts, 2, "W,2,3", {3, -1, 2}, {12, -1, 12}, 0},
      {kShorts, 2, "W,-1,0", {3, -1, 2}, {12, -1, 12}, 0}, {kShorts, 2, "W,1,0", {3, -1, 2}, {12, -1, 12}, 0, 2},
      {kShorts, 2, "W,65536,0", {3, -1, 2}, {12, -1, 12}, 0},  // beyond the row block's 16-bit count
      {kShorts, 2, "W,3,1", {43, -1, 0, 3}, {43, -1, 0, 3}, 6},
      {std::string(10, '\xAA'), 10, "W,1,2", {32, -1, 0, 1}, {32, -1, 0, 1}, 10},
      {kShorts, 2, "Nope,3,0", {6, -1, 0, 3}, {20, -1, 0, 3}, 6},
      {kShorts.substr(0, 5), 2, "W,3,0", {33, -1, 0, 3}, {33, -1, 0, 3}, 5},
      {"", 2, "W,3,0", {33, -1, 0, 3}, {33, -1, 0, 3}, 0},
  };
  for (const auto& c : cases) {
    const auto setup = [&] { Prepare(c.bytes, c.nBytes, 0, c.isSigned); return c.args; };
    BothModes(c.args, "READROWBIN", setup, c.byDefault, c.byNew, [&] {
      EXPECT_TRUE(host.commands.empty());
      EXPECT_EQ(page->RowCount(), 0);
      EXPECT_EQ(Position(), c.position);
    });
  }
}

}  // namespace
}  // namespace kfio::testing
