// The line, token, character and row readers, TWrite and LWrite: what each stores or writes under every nLineMode
// and ListSep, the position after it, the string variables it fetches, and every failure in both error modes.
#include <cctype>
#include <cmath>

#include "text/text_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;
using Cells = std::vector<std::string>;

class Readers : public TextTest {
 public:
  // `args` with a leading % for a target no case used before: a one-column page, or a dataset for ReadArray.
  std::string Target(const std::string& method, std::string args) {
    target_ = (method == "READARRAY" ? "D" : "W") + std::to_string(++targets_);
    if (method != "READARRAY") host.NewPage(target_, 1);
    return args.starts_with("%") ? args.replace(0, 1, target_) : args;
  }
  // What the call stored: the string variable its arguments name (A when none), row 0 of the page, or the
  // dataset's elements.
  Cells Stored(const std::string& method, const std::string& args) const {
    if (method == "TREAD" || method == "LREAD" || method == "READTOKEN" || method == "CREAD")
      return {host.StringVar(std::isalpha(args[0]) ? static_cast<char>(std::toupper(args[0])) : 'A')};
    if (method != "READARRAY") return Row(target_);
    const refhost::HostDataset* d = host.Dataset(target_);
    Cells out;
    for (int32_t i = 0; d != nullptr && i < d->Size(); ++i) out.push_back(d->Text(i));
    return out;
  }

 private:
  std::string target_;
  int targets_ = 0;
};

TEST_F(Readers, StoreAndLeaveThePosition) {
  // 10000 values, the 5001st empty: values are stored in runs, and the read crosses a run's end and a gap.
  std::string many;
  Cells values;
  for (int i = 0; i < 10000; ++i) {
    values.push_back(i == 5000 ? "" : std::to_string(i));
    many += values.back() + (i % 7 == 6 ? "\r\n" : ",");
  }
  // args: % stands for a new page or dataset; stored: A$ as the host holds it (a NUL ends it), the new row of
  // the page, or the elements of the dataset.
  const struct {
    std::string file; const char *method, *args; double result; int position; Cells stored; int offset = 0;
    int lineMode = 0, listSep = 44; bool newMode = false;
  } cases[] = {
      // rule T: mode 0 keeps the breaks between the lines, not the last one
      {"ab\r\ncd\r\nef", "TREAD", "A,2", 6, 8, {"ab\r\ncd"}}, {"ab\r\ncd\r\n", "TREAD", "A,1", 2, 4, {"ab"}},
      {"ab\r\ncd", "TREAD", "A,-1", 6, 6, {"ab\r\ncd"}}, {"ab\r\n", "TREAD", "A,5", 4, 4, {"ab\r\n"}},
      {"a,b\rc\r\nd", "TREAD", "A,1", 4, 7, {"a,bc"}}, {"ab\r\ncd\r\nef", "TREAD", "a$,2", 6, 8, {"ab\rcd\r"}, 0, 1},
      {"ab\r\ncd\rx", "TREAD", "A,2", 5, 7, {"ab\ncd"}, 0, 2},
      // rule L
      {"ab\r\ncd\r\n", "LREAD", "A", 2, 4, {"ab"}}, {"ab\ncd\r\nx", "LREAD", "A", 4, 7, {"abcd"}},
      {"a\0b\r\n"s, "LREAD", "a", 2, 5, {"ab"}}, {"a,b\r\nc", "LREAD", "A", 1, 5, {"b"}, 2},
      {"ab\r\n", "LREAD", "A", 3, 4, {"ab\r"}, 0, 1}, {"a\0b\nc"s, "LREAD", "A", 2, 4, {"ab"}, 0, 1},
      {"a\nb\rc", "LREAD", "A", 3, 4, {"a\nb"}, 0, 2},
      {"abc", "LREAD", "A", 3, 3, {"abc"}},  // the last line, no break, from the start
      {std::string(300000, 'x'), "TREAD", "A,-1", 300000, 300000, {std::string(300000, 'x')}},
      // rule K and the separators
      {"1,2,3\r\n", "READTOKEN", "A,2", 4, 4, {"1,2,"}}, {"x\r\ny", "READTOKEN", "A,1", 1, 3, {"x"}},
      {"x\r\ny", "READTOKEN", "A,1", 3, 3, {"x\r\n"}, 0, 0, 44, true},
      {"x\ny,z", "READTOKEN", "A,2", 3, 4, {"xy,"}, 0, 1}, {"a\tb\tc", "READTOKEN", "A,2", 4, 4, {"a\tb\t"}, 0, 0, 9},
      {"a;b,c;d", "READTOKEN", "A,2", 6, 6, {"a;b,c;"}, 0, 0, 59},
      {"a\0b,c"s, "READTOKEN", "A,1", 2, 2, {"a"}, 0, 0, 0},
      {"a\xC8" "b\r\nc", "READTOKEN", "A,1", 3, 5, {"a\xC8" "b"}, 0, 0, 200},
      {"a,b", "READTOKEN", "A,9", 3, 3, {"a,b"}}, {"abcdef", "CREAD", "A,3", 3, 3, {"abc"}},
      // the rows
      {"1,2,3\r\n4", "LINEROW", "%", 3, 7, {"1", "2", "3"}},
      {"1,,3\r\n", "LINEROW", "%", 3, 6, {"1", "3"}},  // the empty field takes no column
      {"1 2,x,+5\r\n", "LINEROW", "%", 3, 10, {"12", "5"}},
      {"1,2\n3\r\n", "LINEROW", "%", 2, 7, {"1", "23"}},  // a lone LF ends no line in mode 0
      {"1,2\n3", "LINEROW", "%", 2, 4, {"1", "2"}, 0, 1}, {"1,2\r3", "LINEROW", "%", 2, 4, {"1", "2"}, 0, 2},
      {"1;2,5;3", "LINEROW", "%", 3, 7, {"1", "25", "3"}, 0, 0, 59},
      {"1\t2\t3e2", "LINEROW", "%", 3, 7, {"1", "2", "300"}, 0, 0, 9},
      {"9,1\xC8" "2", "LINEROW", "%", 1, 5, {"912"}, 0, 0, 200},  // a separator above 127 never matches
      {"-1.5E1,x", "LINEROW", "%", 2, 8, {"-15", ""}},  // the last field is stored even when empty
      {"a,b\r\nc,d\r\n", "READROW", "%,4", 4, 10, {"", "", "", ""}},  // letters give no number
      {"1,2\r\n3,4\r\n", "READROW", "%,3", 3, 7, {"1", "2", "3"}},
      {"1,2", "READROW", "%,5", 2, 3, {"1", "2"}},  // the last byte ends the last field
      {"1,,3\r\n", "READARRAY", "%,1,3", 3, 6, {"1", "", "3"}},
      {"1 2,x,+5\r\n", "READARRAY", "%,1,3", 3, 10, {"12", "", "5"}},
      {"1,2\r\n3,4", "READARRAY", "%,2,5", 4, 8, {"", "1", "2", "3", "4"}}, {"1,2,3", "READARRAY", "%,5,4", 0, 0, {}},
      {"7,8", "READARRAY", "%,1,9", 2, 3, {"7", "8"}},
      // hostile input: only separators, NUL bytes, the line-end bytes as separators
      {",,,,\r\n", "LINEROW", "%", 5, 6, {""}},
      {",,,,", "READARRAY", "%,1,3", 3, 3, {"", "", ""}},  // the last, empty, is stored
      {"1\0,2"s, "LINEROW", "%", 2, 4, {"1", "2"}},
      {"1\r\n2", "LINEROW", "%", 2, 3, {"1", ""}, 0, 0, 13},  // the field open at the stop is stored empty
      {"1\n2\r\n", "LINEROW", "%", 2, 5, {"1", "2"}, 0, 0, 10},  // an LF that is both counts once
      // one field as long as the piece that holds it
      {std::string(4 << 20, '7') + ",5", "LINEROW", "%", 2, (4 << 20) + 2, {"inf", "5"}},
      {many, "READARRAY", "%,1,10000", 10000, static_cast<int>(many.size()), values},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.method) + "(" + c.args + ") on " + c.file.substr(0, 20));
    Fresh();
    const std::string args = Target(c.method, c.args);
    Prepare(c.file, c.offset, c.lineMode, c.listSep);
    NewMode(c.newMode);
    ExpectOutcome(Invoke(c.method, args), {0, 0, 0, c.result});
    // A line reader stores once, with every line read, and sends the after-method notice; a row reader neither.
    EXPECT_EQ(Stores(), c.args[0] == '%' ? 0 : 1);
    EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kAfterMethod), c.args[0] == '%' ? 0 : 1);
    EXPECT_EQ(Stored(c.method, c.args), c.stored);
    EXPECT_EQ(Position(), c.position);
  }
}

TEST_F(Readers, FailuresInBothModes) {
  using E = CFileException;
  const std::string longName(300, 'W');
  // args: % stands for a new page or dataset; stored: as in the table above; setting: see Arm, or "LREAD": an
  // LRead with `value` before.
  const struct {
    const char* label; std::string file; int offset; const char *method, *args; Expect byDefault, byNew;
    int position; Cells stored; const char* setting = ""; int value = 0;
  } cases[] = {
      {"no nLine", "ab", 0, "TREAD", "A", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {"old"}},
      {"nLine 0", "ab", 0, "TREAD", "A,0", {0, 0, 2, 0}, {12, 0, 12, miss}, 0, {"old"}},
      {"not a letter", "ab", 0, "TREAD", "9,1", {65, 0, 2, none}, {18, 0, 18, none}, 0, {"old"}},
      {"not a letter, kept", "ab", 0, "LREAD", "", {65, 0, 2, none}, {18, 0, 18, none}, 0, {"old"}, "LREAD", 9},
      {"host refuses", "ab\r\nc", 0, "LREAD", "A", {6, 0, 2, miss}, {20, 0, 20, miss}, 4, {"old"}, "refuse",
       op::kSetStringVar},
      {"length query throws", "ab", 0, "TREAD", "A,1", {1028, 5, 2, miss}, {25, E::hardIO, 25, miss}, 0, {"old"},
       "statFd"},
      {"read throws", "ab", 1, "READTOKEN", "A,1", {28, 5, 28, miss}, {28, E::hardIO, 28, miss}, 1, {"old"}, "readAt"},
      {"TRead, empty file", "", 0, "TREAD", "A,1", {0, 0, 0, 0}, {33, 0, 33, miss}, 0, {"old"}},
      {"last line from a later offset", "xyabc", 2, "LREAD", "A", {33, 0, 33, miss}, {33, 0, 33, miss}, 5, {"old"}},
      {"lines short of nLine", "ab\r\ncd", 2, "TREAD", "A,2", {33, 0, 33, miss}, {33, 0, 33, miss}, 6, {"old"}},
      {"nLineMode 3", "ab", 0, "LREAD", "A", {3, 0, 2, none}, {12, 0, 12, none}, 0, {"old"}, "NLINEMODE", 3},
      {"ListSep 256", "ab", 0, "READTOKEN", "A,1", {3, 0, 2, none}, {12, 0, 12, none}, 0, {"old"}, "LISTSEP", 256},
      {"hFile not open", "ab", 0, "TREAD", "A,1,12345", {1156, 9, 2, none}, {14, 0, 270, none}, 0, {"old"}},
      // CRead fills with spaces what it could not read
      {"CRead across pieces", "abcdef", 0, "CREAD", "A,6", {0, 0, 0, 6}, {0, 0, 0, 6}, 6, {"abcdef"}, "pieces"},
      {"CRead three left of five", "abcdef", 3, "CREAD", "A,5", {33, 0, 0, 5}, {33, 0, 0, 5}, 6, {"def  "}},
      {"CRead at the end", "abcdef", 6, "CREAD", "b$,5", {33, 0, 0, 5}, {33, 0, 0, 5}, 6, {"     "}},
      {"CRead read fails", "abcdef", 2, "CREAD", "A,2", {1157, 0, 0, 2}, {30, 0, 0, 2}, 2, {"  "}, "readAt"},
      {"CRead no letter", "abcdef", 0, "CREAD", ",2", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {"old"}},
      {"CRead no nChar", "abcdef", 0, "CREAD", "A", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {"old"}},
      {"CRead nChar 0", "abcdef", 0, "CREAD", "A,0", {0, 0, 2, 0}, {12, 0, 12, miss}, 0, {"old"}},
      {"CRead nChar -1", "abcdef", 0, "CREAD", "A,-1", {3, 0, 2, none}, {12, 0, 12, none}, 0, {"old"}},
      {"CRead not a letter", "abcdef", 0, "CREAD", "[,2", {65, 0, 2, none}, {18, 0, 18, none}, 0, {"old"}},
      {"CRead host refuses", "abcdef", 0, "CREAD", "A,2", {6, 0, 2, miss}, {20, 0, 20, miss}, 2, {"old"}, "refuse",
       op::kSetStringVar},
      // the rows
      {"no page", "1", 0, "LINEROW", "", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {""}},
      {"no dataset", "1", 0, "READARRAY", ",1,2", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {}},
      {"no end", "1", 0, "READARRAY", "%,1", {1024, 0, 2, none}, {10, 0, 10, none}, 0, {}},
      {"no such page: no column to add", "1,2", 0, "LINEROW", "Nope", {6, 0, 2, miss}, {20, 0, 20, miss}, 2, {""}},
      {"a cell refused", "1,2", 0, "LINEROW", "%", {6, 0, 2, miss}, {20, 0, 20, miss}, 2, {""}, "refuse",
       op::kSetElement},
      {"a column refused", "1,2", 0, "READROW", "%,2", {6, 0, 2, miss}, {20, 0, 20, miss}, 3, {"1"}, "refuse",
       op::kAddColumn},
      {"elements refused", "1,2", 0, "READARRAY", "%,1,2", {3, 0, 2, miss}, {12, 0, 12, miss}, 3, {}, "refuse",
       op::kSetElement},
      {"index below 0 refused", "1,2", 0, "READARRAY", "%,0,2", {3, 0, 2, miss}, {12, 0, 12, miss}, 3, {}},
      {"end of file: earlier fields stay", "x1,2", 1, "LINEROW", "%", {33, 0, 33, miss}, {33, 0, 33, miss}, 4, {"1"}},
      {"end of file: earlier values stay", "x1,2", 1, "READARRAY", "%,1,5", {33, 0, 33, miss}, {33, 0, 33, miss}, 4,
       {"1"}},
      {"empty file", "", 0, "READARRAY", "%,1,5", {0, 0, 0, 0}, {33, 0, 33, miss}, 0, {}},
      {"nLineMode 5 set before", "1", 0, "LINEROW", "%", {3, 0, 2, none}, {12, 0, 12, none}, 0, {""}, "NLINEMODE", 5},
      {"a page name of 300 characters", "1", 0, "LINEROW", longName.c_str(), {6, 0, 2, miss}, {20, 0, 20, miss}, 1,
       {""}},
      {"a dataset name refused", "1,2", 0, "READARRAY", "%,1,2", {3, 0, 2, miss}, {12, 0, 12, miss}, 3, {}, "refuse",
       op::kFindDataset},
  };
  for (const auto& c : cases) {
    const std::string setting = c.setting;
    BothModes(c.label, c.method, [&] {
      const std::string args = Target(c.method, c.args);
      Prepare(c.file, c.offset);
      setting == "LREAD" ? void(Invoke("LREAD", std::to_string(c.value))) : Arm(setting, c.value);
      return args;
    }, c.byDefault, c.byNew, [&] {
      EXPECT_EQ(Stored(c.method, c.args), c.stored);
      EXPECT_EQ(Position(), c.position);
    });
  }
}

// LRead keeps its letter between calls; ReadToken's letter is its own.
TEST_F(Readers, LetterKeptBetweenCalls) {
  Prepare("l1\r\nl2\r\nl3,x\r\n");
  for (const auto& [method, args] : {std::pair{"LREAD", "b"}, {"LREAD", ""}, {"READTOKEN", "C,1"}, {"LREAD", ","}})
    EXPECT_EQ(Invoke(method, args).status, 0) << method << "(" << args << ")";
  EXPECT_EQ((Cells{host.StringVar('A'), host.StringVar('B'), host.StringVar('C')}), (Cells{"old", "x", "l3,"}));
}

// The bound is the low 32 bits of the length: in a file 5 bytes past 4 GiB a line stops after 5 bytes, and the
// next call starts there; a separator or line end inside the bound still ends the line first.
TEST_F(Readers, TheBoundIsTheLengthsLow32Bits) {
  const struct { const char* bytes; int nLineMode; Cells stored; int position; } cases[] = {
      {"abcdefghij\r\n", 0, {"abcde", "fghij"}, 10}, {"ab\ncdefgh", 1, {"ab", "cdefg"}, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    Prepare(c.bytes, 0, c.nLineMode);
    std::filesystem::resize_file(Path("t.txt"), (uint64_t{1} << 32) + 5);
    Cells stored;
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(Invoke("LREAD", "A").status, 0);
      stored.push_back(host.StringVar('A'));
    }
    EXPECT_EQ(stored, c.stored);
    EXPECT_EQ(Position(), c.position);
  }
}

TEST_F(Readers, EachCallWritesTheRowBelowTheLongestColumnAndReadRowKeepsItsCount) {
  refhost::HostPage* page = host.NewPage("W", 2);
  page->Column(2)->Resize(3);  // column 1 is empty; column 2 reaches row 3
  page->Column(2)->SetText(0, "t");  // a text column gets the field's text
  Prepare("1,ab,3\r\n4,5\r\n6,7,8,9");
  EXPECT_EQ(Invoke("READROW", "W,3").result, 3);
  EXPECT_EQ(Invoke("LINEROW", "W").result, 2);
  EXPECT_EQ(Invoke("READROW", "W").result, 3);  // the count kept from the first call
  EXPECT_EQ(Position(), 19);
  EXPECT_EQ(page->ColumnCount(), 3);  // one added for the third field
  EXPECT_EQ(Row("W", 3), (Cells{"1", "ab", "3"}));
  EXPECT_EQ(Row("W", 4), (Cells{"4", "5", ""}));
  EXPECT_EQ(Row("W", 5), (Cells{"6", "7", "8"}));
  EXPECT_TRUE(page->Column(2)->HoldsText(4));
  EXPECT_FALSE(page->Column(1)->HoldsText(3));
}

// Every case writes into this file at offset 1.
const std::string kBefore = "#####";

class WriteTest : public TextTest {
 public:
  // Opens the file in `mode` at offset 1, the variables set; counts their fetches, refused when `refuse`.
  void PrepareWrite(int lineMode, int mode = 2, bool refuse = false) {
    OpenFile(MakeFile("w.txt", kBefore), mode);
    Invoke("SETPOS", "1");
    host.SetNumber("NLINEMODE", lineMode);
    for (const auto& [letter, text] : kVariables) host.SetStringVar(letter, text);
    fetches = 0;
    host.serviceProbe = [this, refuse](uint32_t code) {
      if (code != op::kGetStringVar) return;
      ++fetches;
      if (refuse) throw std::runtime_error("refused");
    };
  }
  // The file as it should be with `written` laid over it from offset 1.
  static std::string After(const std::string& written) {
    return std::string(kBefore).replace(1, written.size(), written);
  }

  const std::pair<char, std::string> kVariables[5] = {
      {'A', "alpha"}, {'Z', "zz top"}, {'B', ""}, {'Q', "\"q\""}, {'L', std::string(300, 'v')}};
  int fetches = 0;
};

TEST_F(WriteTest, WritesInBothModes) {
  // args: as the script writes them; written: what reached the file; fetches: of a string variable, refused when
  // `refuse`; byDefault, byNew: none for a success (the length written); setting "half": half of a write goes.
  const struct {
    const char* method; std::string args; int lineMode; std::string written; int fetches = 0; bool refuse = false;
    std::optional<Expect> byDefault = {}, byNew = {}; const char* setting = ""; int openMode = 2;
  } cases[] = {
      {"TWRITE", "\"abc\"", 0, "abc"}, {"LWRITE", "\"abc\"", 0, "abc\r\n"}, {"TWRITE", "\"ab\"cd", 0, "ab"},
      {"TWRITE", "\"ab", 0, "ab"}, {"TWRITE", " \"a, b\" ", 0, "a, b"},
      {"TWRITE", "\"a\\n\"", 0, "a\\n"},  // nothing is unescaped
      {"TWRITE", "123", 0, "123"}, {"TWRITE", "\"\"", 0, ""}, {"LWRITE", "\"\"", 0, "\r\n"},
      {"TWRITE", std::string(300, '1'), 0, std::string(259, '1')},
      {"TWRITE", "\"" + std::string(300, 'y'), 0, std::string(258, 'y')},
      // a letter names a string variable
      {"TWRITE", "A", 0, "alpha", 1}, {"TWRITE", "zebra", 0, "zz top", 1},
      {"TWRITE", "Q", 0, "\"q\"", 1},  // quotes in a variable stay
      {"TWRITE", "b", 0, "", 1}, {"TWRITE", "L", 0, std::string(259, 'v'), 1},
      {"LWRITE", "L", 1, std::string(259, 'v') + "\n", 1},
      // a refused fetch leaves the argument as written
      {"TWRITE", "A", 0, "A", 1, true}, {"LWRITE", "a$", 2, "a$\r", 1, true},
      // failures
      {"TWRITE", "", 0, "", 0, false, {{1024, 0, 2, none}}, {{10, 0, 10, none}}},
      {"LWRITE", "\"abc\"", 3, "", 0, false, {{3, 0, 2, miss}}, {{12, 0, 12, miss}}},
      {"LWRITE", "\"abcd\"", 0, "abc", 0, false, {{6, 0, 0, 6}}, {{31, 0, 0, 6}}, "half"},
      {"LWRITE", "A", 0, "", 1, false, {{6, 0, 0, 7}}, {{31, 0, 0, 7}}, "", 0},  // a file opened for reading
      {"TWRITE", "\"abc\",12345", 0, "", 0, false, {{1156, 9, 2, none}}, {{14, 0, 270, none}}},  // not open
  };
  for (const auto& c : cases) {
    const Expect written = {0, 0, 0, static_cast<double>(c.written.size())};
    BothModes(std::string(c.method) + "(" + c.args.substr(0, 20) + ") mode " + std::to_string(c.lineMode), c.method,
              [&] {
                PrepareWrite(c.lineMode, c.openMode, c.refuse);
                if (c.setting == std::string("half"))
                  sys::g_calls.writeAt = [](int fd, const void* b, std::size_t n, uint64_t off, std::size_t& done) {
                    return sys::kOsCalls.writeAt(fd, b, n / 2, off, done);
                  };
                return c.args;
              }, c.byDefault.value_or(written), c.byNew.value_or(written), [&] {
                EXPECT_EQ(fetches, c.fetches);
                EXPECT_EQ(Position(), 1 + static_cast<int>(c.written.size()));
                EXPECT_EQ(Contents("w.txt"), After(c.written));
              });
  }
}

}  // namespace
}  // namespace kfio::testing
