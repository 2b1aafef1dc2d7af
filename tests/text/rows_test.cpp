// ReadRow, LineRow and ReadArray: which cells and elements each stores, the row below the longest column, the position after, and every failure in both error modes.
#include <cmath>

#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;
using Cells = std::vector<std::string>;

class RowsTest : public TextTest {
 public:
  Cells Elements(const std::string& name) const {
    const refhost::HostDataset* d = host.Dataset(name);
    Cells out;
    for (int32_t i = 0; d != nullptr && i < d->Size(); ++i) out.push_back(d->Text(i));
    return out;
  }
  // A name no case used before: a page of one column for the row readers.
  std::string NewTarget(const std::string& method) {
    const std::string name = (method == "READARRAY" ? "D" : "W") + std::to_string(++targets_);
    if (method != "READARRAY") host.NewPage(name, 1);
    return name;
  }
  // Row 0 of the page, or the dataset's elements.
  Cells Stored(const std::string& method, const std::string& name) const {
    return method == "READARRAY" ? Elements(name) : Row(name);
  }

 private:
  int targets_ = 0;
};

TEST_F(RowsTest, StoresFieldsAndLeavesThePosition) {
  // args: after the page or dataset name; stored: the new row of W, or the elements of D.
  const struct {
    std::string file; int offset, lineMode, listSep; const char *method, *args; double result; int position;
    Cells stored;
  } cases[] = {
      {"1,2,3\r\n4", 0, 0, 44, "LINEROW", "", 3, 7, {"1", "2", "3"}},
      {"1,,3\r\n", 0, 0, 44, "LINEROW", "", 3, 6, {"1", "3"}},  // the empty field takes no column
      {"1 2,x,+5\r\n", 0, 0, 44, "LINEROW", "", 3, 10, {"12", "5"}},
      {"1,2\n3\r\n", 0, 0, 44, "LINEROW", "", 2, 7, {"1", "23"}},  // a lone LF ends no line in mode 0
      {"1,2\n3", 0, 1, 44, "LINEROW", "", 2, 4, {"1", "2"}}, {"1,2\r3", 0, 2, 44, "LINEROW", "", 2, 4, {"1", "2"}},
      {"1;2,5;3", 0, 0, 59, "LINEROW", "", 3, 7, {"1", "25", "3"}},
      {"1\t2\t3e2", 0, 0, 9, "LINEROW", "", 3, 7, {"1", "2", "300"}},
      {"9,1\xC8" "2", 0, 0, 200, "LINEROW", "", 1, 5, {"912"}},  // a separator above 127 never matches
      {"-1.5E1,x", 0, 0, 44, "LINEROW", "", 2, 8, {"-15", ""}},  // the last field is stored even when empty
      {"a,b\r\nc,d\r\n", 0, 0, 44, "READROW", ",4", 4, 10, {"", "", "", ""}},  // letters give no number
      {"1,2\r\n3,4\r\n", 0, 0, 44, "READROW", ",3", 3, 7, {"1", "2", "3"}},
      {"1,2", 0, 0, 44, "READROW", ",5", 2, 3, {"1", "2"}},  // the last byte ends the last field
      {"1,,3\r\n", 0, 0, 44, "READARRAY", ",1,3", 3, 6, {"1", "", "3"}},
      {"1 2,x,+5\r\n", 0, 0, 44, "READARRAY", ",1,3", 3, 10, {"12", "", "5"}},
      {"1,2\r\n3,4", 0, 0, 44, "READARRAY", ",2,5", 4, 8, {"", "1", "2", "3", "4"}},
      {"1,2,3", 0, 0, 44, "READARRAY", ",5,4", 0, 0, {}}, {"7,8", 0, 0, 44, "READARRAY", ",1,9", 2, 3, {"7", "8"}},
      // hostile input: only separators, NUL bytes, the line-end bytes as separators
      {",,,,\r\n", 0, 0, 44, "LINEROW", "", 5, 6, {""}},
      {",,,,", 0, 0, 44, "READARRAY", ",1,3", 3, 3, {"", "", ""}},  // the last, empty, is stored
      {"1\0,2"s, 0, 0, 44, "LINEROW", "", 2, 4, {"1", "2"}},
      {"1\r\n2", 0, 0, 13, "LINEROW", "", 2, 3, {"1", ""}},  // the field open at the stop is stored empty
      {"1\n2\r\n", 0, 0, 10, "LINEROW", "", 2, 5, {"1", "2"}},  // an LF that is both counts once
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + "(" + c.args + ") on " + c.file);
    Fresh();
    const std::string name = NewTarget(c.method);
    Prepare(c.file, c.offset, c.lineMode, c.listSep);
    ExpectOutcome(Invoke(c.method, name + c.args), {0, 0, 0, c.result});
    EXPECT_EQ(Stored(c.method, name), c.stored);
    EXPECT_EQ(Position(), c.position);
  }
}

TEST_F(RowsTest, EachCallWritesTheRowBelowTheLongestColumn) {
  refhost::HostPage* page = host.NewPage("W", 2);
  page->Column(2)->Resize(3);  // column 1 is empty; column 2 reaches row 3
  page->Column(2)->SetText(0, "t");  // a text column gets the field's text
  Prepare("1,ab,3\r\n4,5\r\n");
  EXPECT_EQ(Invoke("READROW", "W,3").result, 3);
  EXPECT_EQ(Invoke("LINEROW", "W").result, 2);
  EXPECT_EQ(page->ColumnCount(), 3);  // one added for the third field
  EXPECT_EQ(Row("W", 3), (Cells{"1", "ab", "3"}));
  EXPECT_EQ(Row("W", 4), (Cells{"4", "5", ""}));
  EXPECT_TRUE(page->Column(2)->HoldsText(4));
  EXPECT_FALSE(page->Column(1)->HoldsText(3));
}

TEST_F(RowsTest, ReadRowKeepsItsCountBetweenCalls) {
  host.NewPage("W", 1);
  Prepare("1,2,3,4,5,6,7");
  XoReadRow unused;  // never given a count: reads nothing
  double result = -99;
  char noCount[] = "W";
  EXPECT_EQ(unused.Invoke(noCount, &result, TheFum()), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Position(), 0);
  EXPECT_EQ(Invoke("READROW", "W,2").result, 2);
  EXPECT_EQ(Invoke("READROW", "W").result, 2);
  EXPECT_EQ(Row("W", 1), (Cells{"3", "4"}));
  EXPECT_EQ(Position(), 8);
}

// Values are stored in runs: a long read crosses a run's end and a gap.
TEST_F(RowsTest, ReadArrayAcrossRunsAndGaps) {
  std::string file;
  for (int i = 0; i < 10000; ++i) file += (i == 5000 ? "" : std::to_string(i)) + (i % 7 == 6 ? "\r\n" : ",");
  Prepare(file);
  ExpectOutcome(Invoke("READARRAY", "D,1,10000"), {0, 0, 0, 10000});
  const refhost::HostDataset* d = host.Dataset("D");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->Size(), 10000);
  for (int i : {0, 4095, 4096, 4999, 5001, 9999}) EXPECT_EQ(d->Value(i), i) << i;
  EXPECT_EQ(d->Value(5000), kMissingValue);
}

TEST_F(RowsTest, FailuresInBothModes) {
  using E = CFileException;
  const std::string longName(300, 'W');
  // args: % stands for a new page's or dataset's name; stored: row 0 of W, or the elements of D; setting:
  // "statFd"/"readAt": that call fails with EIO; "NLINEMODE": set to 5; else a refused service.
  const struct {
    const char* label; std::string file; int offset; const char *method, *args; Expect byDefault, byNew;
    int position; Cells stored; const char* setting = "";
  } cases[] = {
      {"no page", "1", 0, "LINEROW", "", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {""}},
      {"no dataset", "1", 0, "READARRAY", ",1,2", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {}},
      {"no end", "1", 0, "READARRAY", "%,1", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {}},
      {"end before start - 1", "1", 0, "READARRAY", "%,5,3", {64, 0, 2, none}, {19, 0, 19, none}, 0, {}},
      {"no such page: no column to add", "1,2", 0, "LINEROW", "Nope", {6, 0, 2, miss}, {20, 0, 20, miss}, 2,
       {""}},
      {"a cell refused", "1,2", 0, "LINEROW", "%", {6, 0, 2, miss}, {20, 0, 20, miss}, 2, {""}, "element"},
      {"a column refused", "1,2", 0, "READROW", "%,2", {6, 0, 2, miss}, {20, 0, 20, miss}, 3, {"1"}, "column"},
      {"elements refused", "1,2", 0, "READARRAY", "%,1,2", {3, 0, 2, miss}, {12, 0, 12, miss}, 3, {}, "element"},
      {"index below 0 refused", "1,2", 0, "READARRAY", "%,0,2", {3, 0, 2, miss}, {12, 0, 12, miss}, 3, {}},
      {"end of file: earlier fields stay", "x1,2", 1, "LINEROW", "%", {33, 0, 33, miss}, {33, 0, 33, miss}, 4,
       {"1"}},
      {"end of file: earlier values stay", "x1,2", 1, "READARRAY", "%,1,5", {33, 0, 33, miss},
       {33, 0, 33, miss}, 4, {"1"}},
      {"empty file", "", 0, "READARRAY", "%,1,5", {0, 0, 0, 0}, {33, 0, 33, miss}, 0, {}},
      {"length query throws", "1", 0, "LINEROW", "%", {1028, 5, 2, miss}, {25, E::hardIO, 25, miss}, 0, {""},
       "statFd"},
      {"read throws", "1", 0, "READARRAY", "%,1,1", {28, 5, 28, miss}, {28, E::hardIO, 28, miss}, 0, {},
       "readAt"},
      {"nLineMode 5 set before", "1", 0, "LINEROW", "%", {3, 0, 2, none}, {12, 0, 12, none}, 0, {""},
       "NLINEMODE"},
      {"a page name of 300 characters", "1", 0, "LINEROW", longName.c_str(), {6, 0, 2, miss},
       {20, 0, 20, miss}, 1, {""}},
      {"a dataset name refused", "1,2", 0, "READARRAY", "%,1,2", {3, 0, 2, miss}, {12, 0, 12, miss}, 3, {},
       "dataset"},
  };
  for (const auto& c : cases) {
    const std::string setting = c.setting;
    std::string name;
    BothModes(c.label, c.method, [&] {
      name = NewTarget(c.method);
      Prepare(c.file, c.offset);
      if (setting == "statFd" || setting == "readAt")
        fault::Fail(setting == "statFd" ? fault::Call::statFd : fault::Call::readAt, EIO);
      if (setting == "NLINEMODE") host.SetNumber("NLINEMODE", 5);
      if (setting == "column") Refuse(op::kAddColumn);
      if (setting == "element") Refuse(op::kSetElement);
      if (setting == "dataset") Refuse(op::kFindDataset);
      std::string args = c.args;
      return args[0] == '%' ? args.replace(0, 1, name) : args;
    }, c.byDefault, c.byNew, [&] {
      EXPECT_EQ(Stored(c.method, name), c.stored);
      EXPECT_EQ(Position(), c.position);
    });
  }
}

// One field as long as the file: the piece holds it, nothing more.
TEST_F(RowsTest, OneLineWithoutBreaks) {
  host.NewPage("W", 1);
  Prepare(std::string(4 << 20, '7') + ",5");
  ExpectOutcome(Invoke("LINEROW", "W"), {0, 0, 0, 2});
  EXPECT_EQ(host.Page("W")->Column(1)->Value(0), HUGE_VAL);
  EXPECT_EQ(Row("W", 0)[1], "5");
}

TEST_F(RowsTest, NoAfterMethodNoticeFromRowAndDatasetReaders) {
  host.NewPage("W", 1);
  const std::pair<const char*, long> cases[] = {
      {"LINEROW", 0}, {"READROW", 0}, {"READARRAY", 0}, {"LREAD", 1},
  };
  for (auto [method, notices] : cases) {
    Prepare("1,2\r\n");
    double r = 0;
    const std::string args = method == "READARRAY"s ? "D,1,2" : method == "READROW"s ? "W,2" : "W";
    host.Call(method, method == "LREAD"s ? "A" : args, r);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kAfterMethod), notices) << method;
  }
}

}  // namespace
}  // namespace kfio::testing
