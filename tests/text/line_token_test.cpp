// TRead, LRead and ReadToken: what each stores under every nLineMode and ListSep, the position after it, and every failure in both error modes.
#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;

TEST_F(TextTest, StoresAndLeavesThePosition) {
  // stored: as the host holds it, a NUL ends it.
  const struct {
    std::string file; int offset, lineMode, listSep; bool newMode; const char *method, *args; std::string stored;
    double result; int position;
  } cases[] = {
      // rule T: mode 0 keeps the breaks between the lines, not the last one
      {"ab\r\ncd\r\nef", 0, 0, ',', false, "TREAD", "A,2", "ab\r\ncd", 6, 8},
      {"ab\r\ncd\r\n", 0, 0, ',', false, "TREAD", "A,1", "ab", 2, 4},
      {"ab\r\ncd", 0, 0, ',', false, "TREAD", "A,-1", "ab\r\ncd", 6, 6},
      {"ab\r\n", 0, 0, ',', false, "TREAD", "A,5", "ab\r\n", 4, 4},
      {"a,b\rc\r\nd", 0, 0, 44, false, "TREAD", "A,1", "a,bc", 4, 7},
      {"ab\r\ncd\r\nef", 0, 1, ',', false, "TREAD", "a$,2", "ab\rcd\r", 6, 8},
      {"ab\r\ncd\rx", 0, 2, ',', false, "TREAD", "A,2", "ab\ncd", 5, 7},
      // rule L
      {"ab\r\ncd\r\n", 0, 0, ',', false, "LREAD", "A", "ab", 2, 4},
      {"ab\ncd\r\nx", 0, 0, ',', false, "LREAD", "A", "abcd", 4, 7},
      {"a\0b\r\n"s, 0, 0, ',', false, "LREAD", "a", "ab", 2, 5},
      {"a,b\r\nc", 2, 0, ',', false, "LREAD", "A", "b", 1, 5},
      {"ab\r\n", 0, 1, ',', false, "LREAD", "A", "ab\r", 3, 4},
      {"a\0b\nc"s, 0, 1, ',', false, "LREAD", "A", "ab", 2, 4},
      {"a\nb\rc", 0, 2, ',', false, "LREAD", "A", "a\nb", 3, 4},
      {"abc", 0, 0, ',', false, "LREAD", "A", "abc", 3, 3},  // the last line, no break, from the start
      {std::string(300000, 'x'), 0, 0, ',', false, "TREAD", "A,-1", std::string(300000, 'x'), 300000,
       300000},  // a variable holds any length
      // rule K and the separators
      {"1,2,3\r\n", 0, 0, 44, false, "READTOKEN", "A,2", "1,2,", 4, 4},
      {"x\r\ny", 0, 0, 44, false, "READTOKEN", "A,1", "x", 1, 3},
      {"x\r\ny", 0, 0, 44, true, "READTOKEN", "A,1", "x\r\n", 3, 3},
      {"x\ny,z", 0, 1, 44, false, "READTOKEN", "A,2", "xy,", 3, 4},
      {"a\tb\tc", 0, 0, 9, false, "READTOKEN", "A,2", "a\tb\t", 4, 4},
      {"a;b,c;d", 0, 0, 59, false, "READTOKEN", "A,2", "a;b,c;", 6, 6},
      {"a\0b,c"s, 0, 0, 0, false, "READTOKEN", "A,1", "a", 2, 2},
      {"a\xC8" "b\r\nc", 0, 0, 200, false, "READTOKEN", "A,1", "a\xC8" "b", 3, 5},
      {"a,b", 0, 0, 44, false, "READTOKEN", "A,9", "a,b", 3, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + "(" + c.args + ") on " + c.file);
    Fresh();
    Prepare(c.file, c.offset, c.lineMode, c.listSep);
    NewMode(c.newMode);
    ExpectOutcome(Invoke(c.method, c.args), {0, 0, 0, c.result});
    EXPECT_EQ(Stores(), 1);  // once, with every line read
    EXPECT_EQ(host.StringVar('A'), c.stored);
    EXPECT_EQ(Position(), c.position);
  }
}

TEST_F(TextTest, FailuresInBothModes) {
  using E = CFileException;
  // setting: set to `value`; "statFd"/"readAt": that call fails with EIO; "refuse": 4108 fails; "LREAD": an
  // LRead with `value` before.
  const struct {
    const char* label; std::string file; int offset; const char *method, *args; Expect byDefault, byNew;
    int position; const char* setting = ""; int value = 0;
  } cases[] = {
      {"no nLine", "ab", 0, "TREAD", "A", {1024, 0, 2, none}, {10, 0, 10, none}, 0},
      {"no nToken", "ab", 0, "READTOKEN", "A,,", {1024, 0, 2, none}, {10, 0, 10, none}, 0},
      {"nLine 0", "ab", 0, "TREAD", "A,0", {0, 0, 2, 0}, {12, 0, 12, miss}, 0},
      {"nToken 0", "ab", 0, "READTOKEN", "A,0", {0, 0, 2, 0}, {12, 0, 12, miss}, 0},
      {"not a letter", "ab", 0, "TREAD", "9,1", {65, 0, 2, none}, {18, 0, 18, none}, 0},
      {"not a letter, kept", "ab", 0, "LREAD", "", {65, 0, 2, none}, {18, 0, 18, none}, 0, "LREAD", 9},
      {"host refuses", "ab\r\nc", 0, "LREAD", "A", {6, 0, 2, miss}, {20, 0, 20, miss}, 4, "refuse"},
      {"length query throws", "ab", 0, "TREAD", "A,1", {1028, 5, 2, miss}, {25, E::hardIO, 25, miss}, 0,
       "statFd"},
      {"read throws", "ab", 1, "READTOKEN", "A,1", {28, 5, 28, miss}, {28, E::hardIO, 28, miss}, 1, "readAt"},
      {"TRead, empty file", "", 0, "TREAD", "A,1", {0, 0, 0, 0}, {33, 0, 33, miss}, 0},
      {"LRead, empty file", "", 0, "LREAD", "A", {0, 0, 0, 0}, {33, 0, 33, miss}, 0},
      {"ReadToken, empty file", "", 0, "READTOKEN", "A,1", {0, 0, 0, 0}, {33, 0, 33, miss}, 0},
      {"last line from a later offset", "xyabc", 2, "LREAD", "A", {33, 0, 33, miss}, {33, 0, 33, miss}, 5},
      {"lines short of nLine", "ab\r\ncd", 2, "TREAD", "A,2", {33, 0, 33, miss}, {33, 0, 33, miss}, 6},
      {"nLineMode 3", "ab", 0, "LREAD", "A", {3, 0, 2, none}, {12, 0, 12, none}, 0, "NLINEMODE", 3},
      {"ListSep 256", "ab", 0, "READTOKEN", "A,1", {3, 0, 2, none}, {12, 0, 12, none}, 0, "LISTSEP", 256},
      {"hFile not open", "ab", 0, "TREAD", "A,1,12345", {1156, 9, 2, none}, {14, 0, 270, none}, 0},
  };
  for (const auto& c : cases) {
    const std::string setting = c.setting;
    BothModes(c.label, c.method, [&] {
      Prepare(c.file, c.offset);
      if (setting == "statFd" || setting == "readAt")
        fault::Fail(setting == "statFd" ? fault::Call::statFd : fault::Call::readAt, EIO);
      else if (setting == "refuse")
        Refuse(op::kSetStringVar);
      else if (setting == "LREAD")
        Invoke("LREAD", std::to_string(c.value));
      else if (!setting.empty())
        host.SetNumber(c.setting, c.value);
      return std::string(c.args);
    }, c.byDefault, c.byNew, [&] {
      EXPECT_EQ(host.StringVar('A'), "old");
      EXPECT_EQ(Position(), c.position);
    });
  }
}

TEST_F(TextTest, LetterKeptBetweenCalls) {
  Prepare("l1\r\nl2\r\nl3,x\r\n");
  EXPECT_EQ(Invoke("LREAD", "b").status, 0);
  EXPECT_EQ(Invoke("LREAD", "").status, 0);
  EXPECT_EQ(host.StringVar('B'), "l2");
  EXPECT_EQ(Invoke("READTOKEN", "C,1").status, 0);
  EXPECT_EQ(Invoke("LREAD", ",").status, 0);  // the token reader's letter is its own
  EXPECT_EQ(host.StringVar('B'), "x");
  EXPECT_EQ(host.StringVar('C'), "l3,");
  EXPECT_EQ(host.StringVar('A'), "old");
}

// The help line of every text reader, in the case it was asked in.
TEST_F(TextTest, HelpTexts) {
  const char* const kAffected = "\r\nNote: Affected by .nLineMode and .ListSep!";
  const std::pair<const char*, std::string> cases[] = {
      {"tread", "fum.tread(strVarLetter,nLine[,hFile])" + std::string(kAffected)},
      {"LRead", "fum.LRead(strVarLetter[,hFile])" + std::string(kAffected)},
      {"readtoken", "fum.readtoken(strVarLetter,nToken[,hFile])" + std::string(kAffected)},
      {"cread", "fum.cread(strVarLetter,nChar[,hFile])"},
      {"readarray", "fum.readarray(dataset$,start,end[,hFile])\r\nNote: Affected by .ListSep!"},
      {"ReadRow", "fum.ReadRow(wksname$,nToken[,hFile])\r\nNote: Affected by .ListSep!"},
      {"LINEROW", "fum.LINEROW(wksname$[,hFile])\r\nNote: Affected by .ListSep and .nLineMode!"},
      {"wksblock", "fum.wksblock(wksname$, colbegin, colend, rowbegin, rowend)"},
      {"ascii", "fum.ascii([strVarLetter][,wksname$][,hFile])\r\nNote: Heavily influenced by subproperties."},
  };
  for (auto [name, line] : cases) EXPECT_EQ(Printed("SYNTAX", name), std::vector<std::string>{line}) << name;
}

}  // namespace
}  // namespace kfio::testing
