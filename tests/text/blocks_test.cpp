// The block readers. ASCII and READASCII: each stop condition alone and combined, the variable, the row and the
// position after, failures in both error modes, the sub-properties. WksBlock: lines into a block of cells, the
// character table, Z on a stop, the current file kept in step, and failures in both error modes.
#include <sstream>

#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

using Lines = std::vector<std::string>;

class BlockTest : public TextTest {
 public:
  // "NAME=value|..." through `method` (NAME$: a string member); the entry's status of the last one.
  uint32_t Set(const std::string& settings, const char* method = "Ascii") {
    uint32_t status = 0;
    std::istringstream in(settings);
    for (std::string item; std::getline(in, item, '|');) {
      std::string member = item.substr(0, item.find('=')), value = item.substr(item.find('=') + 1);
      const bool text = member.back() == '$';
      double number = text ? 0 : std::stod(value);
      if (text) member.pop_back();
      status = host.AccessMethodMember(method, member, text ? cmd::kSetString : cmd::kSetNumber, &number, &value);
    }
    return status;
  }
};

TEST_F(BlockTest, StopsStoresAndFailsInBothModes) {
  const std::string f = "1,2\r\n3,4\r\n5\r\n";
  // args: W stands for a new page of one column; byNew: none, as the default mode; text: A$ after the call ("old"
  // before it); refuse: the host refuses the string variable.
  const struct {
    const char* settings; std::string file; int offset; const char* args; Expect byDefault;
    std::optional<Expect> byNew; std::string text; int position; Lines cells; bool refuse = false;
  } cases[] = {
      {"STOPMODE=8|NLINES=2", f, 0, "A", {0, 0, 0, 10}, {}, "1,2\r\n3,4\r\n", 10, {""}},
      {"stopmode=8|Lines=3", f, 0, "a$", {0, 0, 0, 13}, {}, f, 13, {""}},
      {"STOPMODE=8", f, 0, ",W", {0, 0, 0, 2}, {}, "old", 5, {"1", "2"}},
      {"STOPMODE=8|NLINES=0", "a\r\nb\r\n", 0, "A", {0, 0, 0, 3}, {}, "a\r\n", 3, {""}},  // as NLINES 1
      {"STOPMODE=1|STOPCHAR$=;", "12,34;56", 0, "A,W", {0, 0, 0, 4}, {}, "12,34;", 6, {"12", "34"}},
      {"STOPMODE=1|STOPCHAR$=;!", "ab!c;", 0, "A", {0, 0, 0, 3}, {}, "ab!", 3, {""}},
      {"STOPMODE=2|STOPSTRING$=END|READMODE=1|INCLUDE$=ENDT", "7,END,9", 0, "A", {0, 0, 0, 3}, {}, "END", 6, {""}},
      {"STOPMODE=2|STOPSTRING$=x,", "x,y", 0, "A", {0, 0, 0, 2}, {}, "x,", 2, {""}},  // the separator was kept
      {"STOPMODE=2|STOPSTRING$=5", "1,x5,9", 0, ",W", {0, 0, 0, 2}, {}, "old", 5, {"1", "5"}},  // as filtered
      {"STOPMODE=10|STOPSTRING$=x|NLINES=2|EXCLUDE$=,", "a,x,b\r\nc\r\n", 0, "A", {0, 0, 0, 2}, {}, "ax", 4, {""}},
      {"STOPMODE=10|STOPSTRING$=x", "a\r\nx,b", 0, "A", {0, 0, 0, 3}, {}, "a\r\n", 3, {""}},
      {"STOPMODE=4|NTOKENS=0", "1,2", 0, "A", {0, 0, 0, 0}, {}, "", 0, {""}},
      {"STOPMODE=4|Tokens=2", "1,2,3", 0, "A", {0, 0, 0, 4}, {}, "1,2,", 4, {""}},
      {"STOPMODE=13|STOPCHAR$=;|NTOKENS=3|NLINES=5", "1,2;3,4", 0, "A,W", {0, 0, 0, 2}, {}, "1,2;", 4, {"1", "2"}},
      {"STOPMODE=12|NTOKENS=9", "1 2,x,+5\r\n7", 0, "A,W", {0, 0, 0, 3}, {}, "1 2,x,+5\r\n", 10, {"12", "5"}},
      {"STOPMODE=8|NLINES=2|EXCLUDE$=,\r\n", "1,2\r\n3,4\r\n5", 0, "A", {0, 0, 0, 4}, {}, "1234", 10, {""}},
      {"READMODE=2|EXCLUDE$=b", "abc", 0, "A", {0, 0, 0, 2}, {}, "ac", 3, {""}},  // not 1: the exclude list
      {"READMODE=1", "abc", 0, "A", {0, 0, 0, 0}, {}, "", 3, {""}},  // STOPMODE 0: to the file's length
      {"STOPMODE=0", "xab\r\ncd", 0, "", {0, 0, 0, 0}, {}, "old", 7, {""}},  // no letter, no page: nothing kept
      {"STOPMODE=0", "x1,2", 1, "A,W", {33, 0, 33, miss}, {}, "old", 4, {"1"}},  // a later offset meets the end
      {"NLINES=-1", "1,2", 0, "A,W", {12, 0, 12, none}, {}, "old", 0, {""}},
      {"NTOKENS=-1", "1,2", 0, "A", {12, 0, 12, none}, {}, "old", 0, {""}},
      {"STOPMODE=0", "1,2", 0, "A,W,12345", {1156, 9, 2, none}, {{14, 0, 270, none}}, "old", 0, {""}},
      {"STOPMODE=0", "1,2", 0, "7,W", {6, 0, 2, miss}, {{20, 0, 20, miss}}, "old", 3, {"1", "2"}},  // after the read
      {"STOPMODE=0", "ab", 0, "A", {6, 0, 2, miss}, {{20, 0, 20, miss}}, "old", 2, {""}, true},
  };
  int pages = 0;
  for (const auto& c : cases) {
    std::string page;
    BothModes(std::string(c.settings) + ": ASCII(" + c.args + ") on " + c.file, "ASCII", [&] {
      host.NewPage(page = "W" + std::to_string(++pages), 1);
      std::string args = c.args;
      if (const auto w = args.find('W'); w != std::string::npos) args.replace(w, 1, page);
      Prepare(c.file, c.offset);
      EXPECT_EQ(Set(c.settings), 1u);
      if (c.refuse) Refuse(op::kSetStringVar);
      return args;
    }, c.byDefault, c.byNew.value_or(c.byDefault), [&] {
      EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kAfterMethod), 0);  // no after-method notice
      EXPECT_EQ(host.StringVar('A'), c.text);
      EXPECT_EQ(Position(), c.position);
      EXPECT_EQ(Row(page), c.cells);
    });
  }
}

// The listing and the reset of the sub-properties run as the text_block script.
TEST_F(BlockTest, SubPropertiesBoundedAndTextColumnsRefused) {
  NewMode(true);
  EXPECT_EQ(Set("READMODE=2"), 2u);  // refused as the bounded settings are
  EXPECT_EQ(TheFum().error.Int(), 12);
  EXPECT_EQ(Set("readmode=1", "ReadAscii"), 1u);
  Call("RESET");
  // Every field goes in as a number, whatever the column's kind: a text column refuses it.
  host.NewPage("T", 1)->Column(1)->SetText(0, "t");
  Prepare("1,2");
  ExpectOutcome(Invoke("ASCII", "A,T"), {6, 0, 2, kMissingValue});
  EXPECT_EQ(Position(), 2);
}

using E = CFileException;

class WksBlockTest : public TextTest {
 public:
  // Page w: 3 columns, rows 1 to 4 holding 9.
  void NewPage() {
    refhost::HostPage* page = host.Page("w") ? host.Page("w") : host.NewPage("w", 3);
    for (int c = 1; c <= 3; ++c) {
      page->Column(c)->Resize(4);
      for (int r = 0; r < 4; ++r) page->Column(c)->SetValue(r, 9);
    }
  }
  // Rows 1 to 4 as "A B C|...", without the rows after the last that changed.
  std::string Cells() const {
    std::string rows, kept;
    for (int r = 0; r < 4; ++r) {
      const Lines cells = Row("w", r);
      rows += (r > 0 ? "|" : "") + cells[0] + " " + cells[1] + " " + cells[2];
      if (!rows.ends_with("9 9 9")) kept = rows;
    }
    return kept;
  }
};

TEST_F(WksBlockTest, LinesStopsAndFailuresInBothModes) {
  const std::string f = "1,2,3\n4 5 6\n";
  const int hardIO = E::hardIO;
  // byNew: none, as the default mode; fault: "closed": no current file; "seek:N", "readAt:N": the (N+1)-th seek or
  // read fails (a call seeks for GetPos, the stream's start, after each line read, and for SetPos); "nofile": a
  // FILENAME that opens nothing.
  const struct {
    const char *label; std::string file; const char* args; Expect byDefault; std::optional<Expect> byNew;
    std::string cells; int position; std::string z = "old"; int offset = 0; int listSep = ','; std::string fault = "";
  } cases[] = {
      {"two lines", f, "w,1,3,1,2", {0, 0, 0, 2}, {}, "1 2 3|4 5 6", 12},
      {"lower-case e", "1\n1.5e3\n2\n", "w,1,1,1,3", {1031, 0, 0, 1}, {}, "1 9 9", 8, "e3"},
      {"upper-case E", "1.5E3\n", "w,1,1,1,1", {0, 0, 0, 1}, {}, "1500 9 9", 6},
      {"an empty line counts", "1\n\n2\n", "w,1,1,1,3", {0, 0, 0, 3}, {}, "1 9 9|9 9 9|2 9 9", 5},
      {"rowbegin after rowend", f, "w,1,3,3,2", {0, 0, 0, 0}, {}, "", 0},
      {"from the current file's position", "skip\n7,8\n", "w,1,2,1,1", {0, 0, 0, 1}, {}, "7 8 9", 9, "old", 5},
      {"tokens beyond colend", "1,2,3,4\n", "w,2,3,1,1", {0, 0, 0, 1}, {}, "9 1 2", 8},
      {"a trailing separator", "1,2,\n3\n", "w,1,3,1,2", {0, 0, 0, 2}, {}, "1 2 9|3 9 9", 7},
      {"another separator", "1;2\n3,4\n", "w,1,2,1,2", {1031, 0, 0, 1}, {}, "1 2 9", 8, ",4", 0, ';'},
      {"a NUL byte", std::string("1\0 2\n", 5), "w,1,2,1,1", {1031, 0, 0, 0}, {}, "", 5, ""},
      {"CR LF", "1\r\n2\r\n", "w,1,1,1,2", {0, 0, 0, 2}, {}, "1 9 9|2 9 9", 6},
      {"columns the page lacks", "1 2 3\n", "w,3,5,1,1", {0, 0, 0, 1}, {}, "9 9 1", 6},
      {"a row before the first", "5\n6\n", "w,1,1,0,1", {0, 0, 0, 2}, {}, "6 9 9", 4},
      {"a header line", "a,b\n1,2\n", "w,1,2,1,2", {1031, 0, 0, 0}, {}, "", 4, "a,b"},
      {"number characters that are no number", "1,2\n-,3\n", "w,1,2,1,2", {1031, 0, 0, 1}, {}, "1 2 9", 8, ""},
      {"the end of the file", "1\n2\n", "w,1,1,1,0", {1030, 0, 0, 2}, {{33, 0, 33, 2}}, "1 9 9|2 9 9", 4},
      {"a FILENAME that opens nothing", f, "w,1,3,1,2", {1026, 0, 0, 0}, {}, "", 0, "old", 0, ',',
       "nofile"},
      {"no current file", f, "w,1,3,1,2", {4, 9, 4, 0}, {{14, 0, 526, 0}}, "", -99, "old", 0, ',', "closed"},
      {"SetPos fails", f, "w,1,3,1,2", {4, 5, 4, 2}, {{27, hardIO, 539, 2}}, "1 2 3|4 5 6", 0, "old", 0, ',', "seek:4"},
      {"a read after two lines fails", "1\n2\n", "w,1,1,1,0", {1157, 5, 2, 2}, {{30, hardIO, 30, 2}}, "1 9 9|2 9 9", 4,
       "old", 0, ',', "readAt:1"},
  };
  for (const auto& c : cases) {
    double hFile = 0;
    BothModes(c.label + std::string(": WksBlock(") + c.args + ")", "WKSBLOCK", [&] {
      NewPage();
      OpenFile(MakeFile("other.txt", "x"));
      Prepare(c.file, c.offset, 0, c.listSep);
      host.SetStringVar('Z', "old");
      if (c.fault == "closed") Call("CLOSE");
      if (c.fault == "nofile") host.SetString("FILENAME", Path("no/such.csv"));
      hFile = Number("HFILE");
      host.SetNumber("NBYTES", 2);
      if (const auto colon = c.fault.find(':'); colon != std::string::npos)
        Arm(c.fault.substr(0, colon), std::stoi(c.fault.substr(colon + 1)));
      return std::string(c.args);
    }, c.byDefault, c.byNew.value_or(c.byDefault), [&] {
      EXPECT_FALSE(TheFum().nestedCall);
      EXPECT_EQ(Number("HFILE"), hFile);
      EXPECT_EQ(Number("NBYTES"), 2);
      EXPECT_EQ(Cells(), c.cells);
      EXPECT_EQ(host.StringVar('Z'), c.z);
      EXPECT_EQ(Position(), c.position);
    });
  }
}

TEST_F(WksBlockTest, ArgumentsNotGivenKeepTheirValues) {
  NewPage();
  Prepare("1,2,3\n4 5 6\n7\n");
  EXPECT_EQ(Invoke("WKSBLOCK", "w,2,3,2,3").result, 2);
  Invoke("SETPOS", "0");
  host.Page("w")->Column(2)->SetValue(1, 0);
  EXPECT_EQ(Invoke("WKSBLOCK", "w").result, 2);
  EXPECT_EQ(Cells(), "9 9 9|9 1 2|9 4 5");
}

}  // namespace
}  // namespace kfio::testing
