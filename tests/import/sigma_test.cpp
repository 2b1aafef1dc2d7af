// SigmaWin and SigmaDos: what lands in which column, the file layouts' edge cases, every way an import ends in both error modes, and hostile headers that must not run on.
#include "fum/fum_fixture.h"
#include "import/sigma_files.h"
#include "import/sigma_win.h"

namespace kfio::testing {
namespace {

using namespace sigma;
using fault::Call;
constexpr int kHardIO = CFileException::hardIO;

struct Given {
  int byteOrder = 0, skip = 0, isSigned = 0;
  // "": a fresh page of one column; "nopage": none; "long": too long a name; " ": wksname$ not given.
  std::string page = "";
  std::optional<std::pair<Call, int>> fault = {};  // the (N+1)-th such call fails with EIO
  uint32_t refused = 0;  // a host service that fails
};

class SigmaTest : public FumTest {
 public:
  // Imports `bytes` into a fresh page of one column with the script's
  // settings of `setup`, and checks what every import leaves alone: the
  // nested-call flag, every setting but Error and SysErr, the current file.
  Outcome Import(const char* method, const std::string& bytes, bool newMode, const Given& setup = {}) {
    Fresh();
    page = "w" + std::to_string(++pages);
    host.NewPage(page, 1);
    const std::string name = setup.page.empty() ? page : setup.page == "long" ? "AVeryLongWorksheetName" + page : setup.page;
    if (setup.page == "long") host.NewPage(name, 1);
    const int h = OpenFile(MakeFile("in.bin", bytes));
    const std::vector<std::pair<const char*, double>> settings = {
        {"NBYTES", 2}, {"BYTEORDER", double(setup.byteOrder)}, {"SIGNED", double(setup.isSigned)},
        {"SKIP", double(setup.skip)}, {"NLINEMODE", 1}, {"LISTSEP", ';'}, {"NEWACTIONS", newMode ? 1.0 : 0.0}};
    for (auto [name, value] : settings) host.SetNumber(name, value);
    host.SetStringVar('Z', "old");
    if (setup.fault) fault::Fail(setup.fault->first, EIO, setup.fault->second);
    if (setup.refused) Refuse(setup.refused);
    const Outcome o = Invoke(method, (setup.page == " " ? "" : name) + "," + std::to_string(h));
    Disarm();
    EXPECT_FALSE(TheFum().nestedCall);
    for (auto [name, value] : settings) EXPECT_EQ(Number(name), value) << name;
    EXPECT_EQ(Number("HFILE"), h);
    return o;
  }
  // "A[title]: 1.5 . | B: ..." with "." for the missing value.
  std::string Columns() const {
    const refhost::HostPage* p = host.Page(page);
    std::string out;
    for (int c = 1; c <= p->ColumnCount(); ++c) {
      out += (c > 1 ? " | " : "") + p->ColumnName(c);
      if (!p->ColumnTitle(c).empty()) out += "[" + p->ColumnTitle(c) + "]";
      out += ":";
      for (int32_t r = 0; r < p->Column(c)->Size(); ++r) {
        const double v = p->Column(c)->Value(r);
        out += " " + (v == kMissingValue ? "." : host.FormatNumber(v));
      }
    }
    return out;
  }
  std::string page;  // the page of the last import
  int pages = 0;
};

// Two columns, two titles, and an empty cell whose bytes still hold a number
// before a full one: the column keeps its length when the empty cell is marked.
WinFile Win(BaseFrom from) {
  return {from, 96, 1, {{0, {{2.5, false}, {1.5}}}, {1, {{-3}}}}, {{0, "Time"}, {1, "Volts"}}};
}
const std::string kWinColumns = "A[Time]: . 1.5 | B[Volts]: -3";
// Columns 1 and 2 filled of 3, so the column loop reads on to the end.
const WinFile kNoTitles{BaseFrom::kMarkerAt16, 0, 2, {{0, {{1}}}, {1, {{7}, {8}}}}, {}};
// A column that claims 4 cells, of which the file holds 1 and half of the next.
const std::string kCut = WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {{1.5}, {2}}, 64}}, {}}.Bytes().substr(0, 48 + 32 + 24);

// Rows of one table: each runs in both error modes from a fresh page, with
// the checks of Import; "z" only for SigmaWin, which reads texts into Z.
struct Case {
  const char* method;
  const char* label;
  std::string file;
  Expect byDefault;
  std::optional<Expect> byNew;  // none: as in the default mode
  std::string columns;
  const char* z = nullptr;
  Given setup = {};
};

TEST_F(SigmaTest, ColumnsTitlesAndEveryEnd) {
  const DosFile three{false, false, 0, {{0, {1, 2, 3}}, {2, {4.5}}}};
  const std::string kThree = "A: 1 2 3 | B: | C: 4.5";
  std::string farOffset = three.Bytes();
  Place(farOffset, 13, Int(0xFFFFFFF0, 4));  // q: SetPos cannot reach it
  const char* kMarker = "JSDataWorksheet";
  const Case cases[] = {
      // SigmaWin runs in the new mode whatever the script's: its codes are the same in both.
      {"SIGMAWIN", "the marker at 16: base 0", Win(BaseFrom::kMarkerAt16).Bytes(), {0, 0, 0}, {}, kWinColumns, "Volts"},
      {"SIGMAWIN", "the marker at 32: the base at 50", Win(BaseFrom::kMarkerAt32).Bytes(), {0, 0, 0}, {}, kWinColumns, "Volts"},
      {"SIGMAWIN", "no marker: the base at 80", Win(BaseFrom::kOffset80).Bytes(), {0, 0, 0}, {}, kWinColumns, "Volts"},
      {"SIGMAWIN", "a cell area of 40 bytes is 2 cells",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {{1}, {2}}, 40}}, {{0, "T"}}}.Bytes(), {0, 0, 0}, {}, "A[T]: 1 2", "T"},
      {"SIGMAWIN", "the file ends where a record would start", kNoTitles.Bytes(), {0, 0, 0}, {}, "A: 1 | B: 7 8 | C:", kMarker},
      {"SIGMAWIN", "the file ends inside a column", kCut, {0, 0, 0}, {}, "A: 1.5 . . .", kMarker},
      {"SIGMAWIN", "the script's Signed makes a cell area negative",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {}, 0x80000000}}, {}}.Bytes(), {12, 0, 524}, {}, "A:", kMarker, {0, 0, 1}},
      {"SIGMAWIN", "an empty file", "", {33, 0, 545}, {}, "A:", "old"},
      {"SIGMAWIN", "wksname$ missing", "", {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A:", "old", {0, 0, 0, " "}},
      {"SIGMAWIN", "no such page", kNoTitles.Bytes(), {20, 0, 20}, {}, "A:", kMarker, {0, 0, 0, "nopage"}},
      {"SIGMAWIN", "no text from Z", kNoTitles.Bytes(), {20, 0, 20}, {}, "A:", kMarker, {.refused = op::kGetStringVar}},
      {"SIGMAWIN", "a column the page lacks", WinFile{BaseFrom::kMarkerAt16, 0, 0, {{3, {{1}}}}, {}}.Bytes(), {20, 0, 20},
       {}, "A:", kMarker},
      {"SIGMAWIN", "a title for a column the page lacks",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {}}}, {{5, "T"}}}.Bytes(), {20, 0, 20}, {}, "A:", "T"},
      // Nested calls failing where a good file cannot: SetPos(16), the first
      // cell's Jump and GetPos, the column loop's kind byte, a status byte, Size.
      {"SIGMAWIN", "SetPos fails", kNoTitles.Bytes(), {27, kHardIO, 539}, {}, "A:", "old", {0, 0, 0, "", {{Call::seek, 0}}}},
      {"SIGMAWIN", "a cell's Jump fails", Win(BaseFrom::kMarkerAt16).Bytes(), {27, kHardIO, 27}, {}, "A: 2.5 1.5 | B:",
       kMarker, {0, 0, 0, "", {{Call::seek, 7}}}},
      {"SIGMAWIN", "a cell's GetPos fails", Win(BaseFrom::kMarkerAt16).Bytes(), {26, kHardIO, 538}, {}, "A: . 1.5 | B:",
       kMarker, {0, 0, 0, "", {{Call::seek, 8}}}},
      {"SIGMAWIN", "a kind byte cannot be read", kNoTitles.Bytes(), {28, kHardIO, 28}, {}, "A: 1 | B: 7 8 | C:", kMarker,
       {0, 0, 0, "", {{Call::readAt, 1}}}},
      {"SIGMAWIN", "a status byte cannot be read", kCut, {28, kHardIO, 28}, {}, "A: 1.5", kMarker,
       {0, 0, 0, "", {{Call::readAt, 1}}}},
      {"SIGMAWIN", "Size fails", Win(BaseFrom::kMarkerAt16).Bytes(), {25, kHardIO, 537}, {}, "A: . 1.5 | B: -3", kMarker,
       {0, 0, 0, "", {{Call::statFd, 4}}}},

      {"SIGMADOS", "little-endian", three.Bytes(), {0, 0, 0}, {}, kThree},
      {"SIGMADOS", "big-endian, a marker in the first byte", DosFile{true, true, 0, three.columns}.Bytes(), {0, 0, 0}, {},
       kThree, nullptr, {2}},
      {"SIGMADOS", "Skip 2: values 10 bytes apart", DosFile{false, false, 2, three.columns}.Bytes(), {0, 0, 0}, {}, kThree,
       nullptr, {0, 2}},
      {"SIGMADOS", "wksname$ missing", three.Bytes(), {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A:", nullptr, {0, 0, 0, " "}},
      {"SIGMADOS", "no marker", "no marker here", {1158, 0, 2}, {{33, 0, 33}}, "A:"},
      {"SIGMADOS", "no such page", three.Bytes(), {6, 0, 2}, {{20, 0, 20}}, "A:", nullptr, {0, 0, 0, "nopage"}},
      {"SIGMADOS", "a dataset name too long for a lookup", three.Bytes(), {6, 0, 2}, {{20, 0, 20}}, "A:", nullptr,
       {0, 0, 0, "long"}},
      {"SIGMADOS", "a column beyond a page's limit", DosFile{false, false, 0, {{kMaxColumns, {1}}}}.Bytes(), {41, 0, 41},
       {}, "A:"},
      {"SIGMADOS", "the script's Signed makes a column index negative",
       DosFile{false, false, 0, {{0xFFFFFFFF, {1}}}}.Bytes(), {41, 0, 41}, {}, "A:", nullptr, {0, 0, 1}},
      {"SIGMADOS", "a block length that wraps round to its own start",
       DosFile{false, false, 0, {{0, {1}, 0x100000000 - 28}}}.Bytes(), {41, 0, 41}, {}, "A:"},
      {"SIGMADOS", "a block too short for its values", DosFile{false, false, 0, {{0, {1, 2}, -1}}}.Bytes(), {41, 0, 41},
       {}, "A:"},
      {"SIGMADOS", "a negative Skip: ARead refuses", three.Bytes(), {4, 0, 4}, {{12, 0, 524}}, "A:", nullptr, {0, -1}},
      {"SIGMADOS", "an offset SetPos cannot reach", farOffset, {4, 0, 4}, {{27, CFileException::badSeek, 539}}, "A:"},
      {"SIGMADOS", "GetPos after the marker fails", three.Bytes(), {4, 5, 4}, {{26, kHardIO, 538}}, "A:", nullptr,
       {0, 0, 0, "", {{Call::seek, 0}}}},
  };
  for (const Case& c : cases) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(std::string(c.method) + ": " + c.label + (newMode ? " (new mode)" : ""));
      const Expect& e = newMode ? c.byNew.value_or(c.byDefault) : c.byDefault;
      ExpectOutcome(Import(c.method, c.file, newMode, c.setup),
                    {e.error, e.sysErr, e.status, e.result.value_or(kMissingValue)});
      EXPECT_EQ(Columns(), c.columns);
      if (c.z != nullptr) {
        EXPECT_EQ(host.StringVar('Z'), c.z);
      }
    }
  }
  EXPECT_EQ(Printed("SYNTAX", "sigmawin"), std::vector<std::string>{"fum.sigmawin(wksname$[,hFile])"});
  EXPECT_EQ(Printed("SYNTAX", "sigmados"), std::vector<std::string>{"fum.sigmados(wksname$[,hFile])"});
}

// Headers that claim more than the file holds end in bounded time and memory.
TEST_F(SigmaTest, HostileHeadersStopAtTheirBounds) {
  // A cell area of 4 GiB behind one cell: the missing value fills only as far
  // as the bound past the end.
  ExpectOutcome(Import("SIGMAWIN", WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {{5}}, 0xFFFFFFF0}}, {}}.Bytes(), false),
                {0, 0, 0});
  const refhost::HostDataset* a = host.Page(page)->Column(1);
  EXPECT_EQ(a->Size(), 1 + XoSigmaWin::kMaxCellsPastEnd);
  EXPECT_EQ(a->Value(0), 5);
  EXPECT_EQ(a->Value(a->Size() - 1), kMissingValue);
  // A page's limit of columns asked for is met; one more, or 65536, is refused before any column is added.
  for (const int last : {kMaxColumns - 1, kMaxColumns, 0xFFFF}) {
    SCOPED_TRACE(last);
    const bool fits = last < kMaxColumns;
    ExpectOutcome(Import("SIGMAWIN", WinFile{BaseFrom::kMarkerAt16, 0, uint16_t(last), {}, {}}.Bytes(), true),
                  fits ? Expect{0, 0, 0} : Expect{20, 0, 20});
    EXPECT_EQ(host.Page(page)->ColumnCount(), fits ? kMaxColumns : 1);
  }
  EXPECT_EQ(host.NewPage("wide", kMaxColumns + 1), nullptr);
  // A title with no NUL in its record: each title would be read up to the
  // NUL at the end of the file.
  const std::string noNul =
      WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {}}}, {}}.Bytes() + "\x02" + std::string(2000, 'x') + '\0';
  ExpectOutcome(Import("SIGMAWIN", noNul, false), {41, 0, 41});
  EXPECT_EQ(host.StringVar('Z'), std::string(1977, 'x'));
}

}  // namespace
}  // namespace kfio::testing
