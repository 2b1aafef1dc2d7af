// WksBlock: lines into a block of cells, the character table, Z on a stop, the current file kept in step, and every failure in both error modes.
#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

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
    const refhost::HostPage* page = host.Page("w");
    std::string rows, kept;
    for (int r = 0; r < 4; ++r) {
      const std::string row =
          page->Column(1)->Text(r) + " " + page->Column(2)->Text(r) + " " + page->Column(3)->Text(r);
      rows += (r > 0 ? "|" : "") + row;
      if (row != "9 9 9") kept = rows;
    }
    return kept;
  }
};

TEST_F(WksBlockTest, LinesStopsAndFailuresInBothModes) {
  const std::string f = "1,2,3\n4 5 6\n";
  const int hardIO = E::hardIO;
  // byNew: none, as the default mode; fault: "closed": no current file; "seek:N", "readAt:N": the (N+1)-th seek or
  // read fails (a call seeks for GetPos, the stream's start, after each line read, and for SetPos). A token that
  // is no number, the end of the file and a FILENAME that opens nothing run as a script (tests/scripts/wks_block).
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
