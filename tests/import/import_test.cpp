// Mathematica, SigmaWin, SigmaDos and Wav: what lands in which column, hostile files that must stay bounded, every
// refusal and failing nested call in both error modes, and the settings and current file each leaves as it found.
#include <stdexcept>

#include "fum/fum_fixture.h"
#include "import/sigma_files.h"
#include "import/sigma_win.h"

namespace kfio::testing {
namespace {

using namespace sigma;
using namespace std::string_literals;
constexpr int kHardIO = CFileException::hardIO;
constexpr double kMiss = kMissingValue;

// One import, run in both error modes from a fresh page.
struct Case {
  const char* label;
  std::string file;
  Expect byDefault;  // a result not given must be the missing value
  std::optional<Expect> byNew = {};  // none: as in the default mode
  std::string columns = "";  // see Imports::Columns
  int position = -1;         // of the imported file afterwards; -1: not looked at
  std::string z = "";        // Z$ afterwards ("old" before; SigmaWin reads its texts into Z$); "": not looked at
  // "read:N", "seek:N", "stat:N": the (N+1)-th such system call fails with EIO; "cell:N", "column:N", "getvar:N":
  // the host refuses the (N+1)-th text cell, added column or string variable fetch; "NAME=V": the script's setting.
  std::string fault = "";
  // %w: the page, %h: the file's handle; null: "%w" for Mathematica (the file current), else "%w,%h".
  const char* args = nullptr;
};

class Imports : public FumTest {
 public:
  // Runs `c` from a fresh state, and checks what every import leaves alone: the nested-call flag, every setting
  // but Error and SysErr, the current file.
  Outcome Import(const std::string& method, const Case& c, bool newMode) {
    Fresh();
    page = "w" + std::to_string(++pages);
    host.NewPage(page, method == "MATHEMATICA" ? 2 : 1);
    std::string args = c.args ? c.args : method == "MATHEMATICA" ? "%w" : "%w,%h";
    if (const auto w = args.find("%w"); w != std::string::npos) args.replace(w, 2, page);
    if (const std::string name = args.substr(0, args.find(',')); name != page && name.ends_with(page))
      host.NewPage(name, 1);
    const bool byHandle = args.find("%h") != std::string::npos;
    if (!byHandle) OpenFile(MakeFile("other.bin", "x"));
    handle = OpenFile(MakeFile("in.dat", c.file));
    if (byHandle) args.replace(args.find("%h"), 2, std::to_string(handle)), OpenFile(MakeFile("other.bin", "x"));
    // The script's settings: each differs from what the import sets for its nested calls.
    std::vector<std::pair<std::string, double>> settings = {
        {"NBYTES", method == "WAV" ? 8 : 2}, {"BYTEORDER", method == "MATHEMATICA"}, {"SIGNED", method == "WAV"},
        {"SKIP", 0}, {"NLINEMODE", 1}, {"LISTSEP", ';'}};
    for (auto& [name, value] : settings)
      if (c.fault.starts_with(name + "=")) value = std::stod(c.fault.substr(name.size() + 1));
    for (const auto& [name, value] : settings) host.SetNumber(name, value);
    host.SetStringVar('Z', "old");
    NewMode(newMode);
    const auto colon = c.fault.find(':');
    const std::string kind = c.fault.substr(0, colon);
    const int n = colon == std::string::npos ? 0 : std::stoi(c.fault.substr(colon + 1));
    if (kind == "read" || kind == "seek" || kind == "stat")
      fault::Fail(kind == "read" ? fault::Call::readAt : kind == "seek" ? fault::Call::seek : fault::Call::statFd,
                  EIO, n);
    const uint32_t refused = kind == "cell" ? op::kSetText : kind == "column" ? op::kAddColumn : op::kGetStringVar;
    if (kind == "cell" || kind == "column" || kind == "getvar")
      host.serviceProbe = [refused, n, seen = 0](uint32_t code) mutable {
        if (code == refused && seen++ == n) throw std::runtime_error("refused");
      };
    const Outcome o = Invoke(method.c_str(), args);
    Disarm();
    EXPECT_FALSE(TheFum().nestedCall);
    for (const auto& [name, value] : settings) EXPECT_EQ(Number(name.c_str()), value) << name;
    EXPECT_EQ(Number("NEWACTIONS"), newMode);
    EXPECT_EQ(Number("HFILE"), handle);  // hFile makes its file current, as for every file method
    return o;
  }
  int Position() { return static_cast<int>(Invoke("GETPOS", std::to_string(handle)).result); }
  // "NAME$[title]: cell,cell | ...": $ for a text column, the title when there is one; each cell its text, "#" for
  // a number in a text column, "." for the missing value; of more than 8 cells, the first 3, "..." and the last,
  // then the count.
  std::string Columns() const {
    const refhost::HostPage* p = host.Page(page);
    std::string out;
    for (int c = 1; c <= p->ColumnCount(); ++c) {
      const refhost::HostDataset* d = p->Column(c);
      out += (c > 1 ? " | " : "") + p->ColumnName(c) + (d->IsText() ? "$" : "");
      if (!p->ColumnTitle(c).empty()) out += "[" + p->ColumnTitle(c) + "]";
      out += d->Size() > 0 ? ": " : ":";
      for (int32_t r = 0; r < d->Size(); ++r) {
        if (d->Size() > 8 && r == 3) out += ",...", r = d->Size() - 1;
        const double v = d->Value(r);
        out += (r > 0 ? "," : "") + (d->HoldsText(r) ? d->Text(r) : d->IsText() ? "#" : v == kMiss ? "." : d->Text(r));
      }
      if (d->Size() > 8) out += "(" + std::to_string(d->Size()) + ")";
    }
    return out;
  }

  std::string page;  // the page of the last import
  int pages = 0, handle = 0;
};

// A SigmaWin sheet with the marker at 16 and base 0: its last column, its columns, its titles.
std::string Win(uint16_t last, std::vector<WinColumn> columns,
                std::vector<std::pair<uint16_t, std::string>> titles = {}) {
  return WinFile{BaseFrom::kMarkerAt16, 0, last, std::move(columns), std::move(titles)}.Bytes();
}
// Two columns, two titles, and an empty cell whose bytes still hold a number before a full one: the column keeps
// its length when the empty cell is marked.
std::string Win(BaseFrom from = BaseFrom::kMarkerAt16) {
  return WinFile{from, 96, 1, {{0, {{2.5, false}, {1.5}}}, {1, {{-3}}}}, {{0, "Time"}, {1, "Volts"}}}.Bytes();
}
std::string Dos(std::vector<DosColumn> columns, bool big = false, bool markerFirst = false, uint32_t gap = 0) {
  return DosFile{big, markerFirst, gap, std::move(columns)}.Bytes();
}
// A WAV file, field by field; the data size is the samples' length unless given.
struct WavFile {
  std::string samples;
  uint16_t channels = 1, bits = 16;
  uint32_t rate = 4, tag = 1, fmtSize = 16;
  std::string chunk = "data";
  int64_t dataSize = -1;
  std::string riff = "RIFF", wave = "WAVE", fmt = "fmt ";

  operator std::string() const {
    const uint32_t align = channels * (bits / 8);
    std::string s = riff + Int(0, 4) + wave + fmt + Int(fmtSize, 4) + Int(tag, 2) + Int(channels, 2) + Int(rate, 4) +
                    Int(rate * align, 4) + Int(align, 2) + Int(bits, 2);
    s += std::string(fmtSize > 16 ? fmtSize - 16 : 0, '\0');
    s += chunk + (chunk == "fact" ? Int(4, 4) + Int(0, 4) + "data" : "");
    return s + Int(dataSize < 0 ? samples.size() : static_cast<uint32_t>(dataSize), 4) + samples;
  }
};
std::string Int16s(const std::vector<int>& values) {
  std::string s;
  for (int v : values) s += Int(static_cast<uint32_t>(v), 2);
  return s;
}

TEST_F(Imports, ColumnsRefusalsAndFailuresInBothModes) {
  const Expect done{0, 0, 0}, refused{41, 0, 41};
  const std::string lists = "{{1, 2}, {3, 4, 5}}", a121 = std::string(121, 'a'), b9 = std::string(9, 'b');
  const std::string kWin = "A[Time]: .,1.5 | B[Volts]: -3", kMarker = "JSDataWorksheet";
  const std::string noTitles = Win(2, {{0, {{1}}}, {1, {{7}, {8}}}});  // 2 columns of 3: read on to the end
  const std::string cut = Win(0, {{0, {{1.5}, {2}}, 64}}).substr(0, 104);  // of 4 cells, 1 and half the next
  const std::vector<DosColumn> three = {{0, {1, 2, 3}}, {2, {4.5}}};
  const std::string kThree = "A: 1,2,3 | B: | C: 4.5";
  std::string farOffset = Dos(three);
  Place(farOffset, 13, Int(0xFFFFFFF0, 4));  // q: SetPos cannot reach it
  const std::string mono = Int16s({1, -2, 32767, -32768}), stereo = Int16s({1, -1, 2, -2, 3, -3});
  const std::string all4 = "A: 0.25,0.5,0.75,1 | Data: 1,-2,32767,-32768";
  const std::pair<const char*, std::vector<Case>> tables[] = {
      {"MATHEMATICA", {
          {"a flat list", "{1, 2.5, 3*^-4}", done, {}, "A$: 1,2.5,3E-4 | B$:", 15},
          {"a list of lists, by hFile", lists, done, {}, "A$: 1,2 | B$: 3,4,5", 19, "", "", "%w,%h"},
          {"a third inner list adds a column", "{{1},{2},{3}}", done, {}, "A$: 1 | B$: 2 | C$: 3", 13},
          {"a million braces", std::string(1'000'000, '{'), refused, {}, "A: | B:", 3},
          {"no brace", "1, 2", refused, {}, "A: | B:", 0},
          {"a blank between } and ,", "{{1} , {2}}", done, {}, "A$: 1 | B$: ,2", 11},
          {"130 characters", "{" + a121 + b9 + "}", done, {}, "A$: " + a121 + "," + b9 + " | B$:", 132},
          {"a megabyte element, in cells of 121 characters", "{" + std::string(1'000'000, 'a') + "}", done, {},
           "A$: " + a121 + "," + a121 + "," + a121 + ",...," + std::string(56, 'a') + "(8265) | B$:", 1'000'002},
          {"a tab, CR LF, blanks, ^ and {", "{a\tb ,\r\n 1*^2^, x{y}", done, {}, "A$: a\tb,1E2,xy | B$:", 20},
          {"an empty list", "{}", done, {}, "A$:  | B$:", 2},
          {"empty inner lists", "{{},{}}", done, {}, "A$:  | B$: ", 7},
          {"empty elements", "{,1,}", done, {}, "A$: ,1, | B$:", 5},
          {"a flat list cut short", "{1, 2", done, {}, "A$: 1,2 | B$:", 5},
          {"a list of lists cut short", "{{1},{2", {1158, 0, 0}, {{33, 0, 0}}, "A$: 1 | B$: 2", 7},
          {"an empty file", "", {4, 0, 4}, {{33, 0, 545}}, "A: | B:", 0},
          {"braces only", "{{", {4, 0, 4}, {{33, 0, 545}}, "A: | B:", 2},
          {"no such worksheet", lists, {39, 0, 39}, {}, "A: | B:", 2, "", "", "nosuch"},
          {"no wksname$", lists, {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A: | B:", 0, "", "", ""},
          {"the step back fails", lists, {4, 5, 4}, {{27, kHardIO, 539}}, "A: | B:", 3, "", "seek:0"},
          {"an element read fails", "{1,2", {1157, 5, 2}, {{30, kHardIO, 30}}, "A$: 1 | B$:", 4, "", "read:1"},
          {"a cell refused", "{1,2,3}", {6, 0, 2}, {{20, 0, 20}}, "A$: 1 | B$:", 5, "", "cell:1"},
          {"a column refused", "{{1},{2},{3}}", {6, 0, 2}, {{20, 0, 20}}, "A$: 1 | B$: 2", 9, "", "column:0"}}},
      // SigmaWin runs in the new mode whatever the script's: its codes are the same in both.
      {"SIGMAWIN", {
          {"the marker at 16: base 0", Win(), done, {}, kWin, -1, "Volts"},
          {"the marker at 32: the base at 50", Win(BaseFrom::kMarkerAt32), done, {}, kWin, -1, "Volts"},
          {"no marker: the base at 80", Win(BaseFrom::kOffset80), done, {}, kWin, -1, "Volts"},
          {"40 bytes of cells are 2 cells", Win(0, {{0, {{1}, {2}}, 40}}, {{0, "T"}}), done, {}, "A[T]: 1,2", -1, "T"},
          {"the file ends where a record would start", noTitles, done, {}, "A: 1 | B: 7,8 | C:", -1, kMarker},
          {"the file ends inside a column", cut, done, {}, "A: 1.5,.,.,.", -1, kMarker},
          {"a cell area of 4 GiB: missing values only as far as the bound past the end",
           Win(0, {{0, {{5}}, 0xFFFFFFF0}}), done, {},
           "A: 5,.,.,...,.(" + std::to_string(1 + XoSigmaWin::kMaxCellsPastEnd) + ")"},
          // Each title would be read up to the NUL at the end of the file.
          {"a title with no NUL in its record", Win(0, {{0, {}}}) + "\x02" + std::string(2000, 'x') + '\0', refused,
           {}, "A:", -1, std::string(1977, 'x')},
          {"the script's Signed makes a cell area negative", Win(0, {{0, {}, 0x80000000}}), {12, 0, 524}, {}, "A:", -1,
           kMarker, "SIGNED=1"},
          {"an empty file", "", {33, 0, 545}, {}, "A:", -1, "old"},
          {"no such page", noTitles, {20, 0, 20}, {}, "A:", -1, kMarker, "", "nopage,%h"},
          {"no text from Z", noTitles, {20, 0, 20}, {}, "A:", -1, kMarker, "getvar:0"},
          {"a column the page lacks", Win(0, {{3, {{1}}}}), {20, 0, 20}, {}, "A:", -1, kMarker},
          {"a title for a column the page lacks", Win(0, {{0, {}}}, {{5, "T"}}), {20, 0, 20}, {}, "A:", -1, "T"},
          // Nested calls failing where a good file cannot: the first cell's Jump and GetPos, Size.
          {"a cell's Jump fails", Win(), {27, kHardIO, 27}, {}, "A: 2.5,1.5 | B:", -1, kMarker, "seek:7"},
          {"a cell's GetPos fails", Win(), {26, kHardIO, 538}, {}, "A: .,1.5 | B:", -1, kMarker, "seek:8"},
          {"Size fails", Win(), {25, kHardIO, 537}, {}, "A: .,1.5 | B: -3", -1, kMarker, "stat:4"}}},
      {"SIGMADOS", {
          {"little-endian", Dos(three), done, {}, kThree, -1, "old"},
          {"big-endian, a marker in the first byte", Dos(three, true, true), done, {}, kThree, -1, "", "BYTEORDER=2"},
          {"Skip 2: values 10 bytes apart", Dos(three, false, false, 2), done, {}, kThree, -1, "", "SKIP=2"},
          {"no marker", "no marker here", {1158, 0, 2}, {{33, 0, 33}}, "A:"},
          {"no such page", Dos(three), {6, 0, 2}, {{20, 0, 20}}, "A:", -1, "", "", "nopage,%h"},
          {"a dataset name too long for a lookup", Dos(three), {6, 0, 2}, {{20, 0, 20}}, "A:", -1, "", "",
           "AVeryLongWorksheetName%w,%h"},
          {"a column beyond a page's limit", Dos({{kMaxColumns, {1}}}), refused, {}, "A:"},
          {"the script's Signed makes a column index negative", Dos({{0xFFFFFFFF, {1}}}), refused, {}, "A:", -1, "",
           "SIGNED=1"},
          {"a block length that wraps round to its own start", Dos({{0, {1}, 0x100000000 - 28}}), refused, {}, "A:"},
          {"a block too short for its values", Dos({{0, {1, 2}, -1}}), refused, {}, "A:"},
          {"a negative Skip: ARead refuses", Dos(three), {4, 0, 4}, {{12, 0, 524}}, "A:", -1, "", "SKIP=-1"},
          {"an offset SetPos cannot reach", farOffset, {4, 0, 4}, {{27, CFileException::badSeek, 539}}, "A:"}}},
      {"WAV", {
          {"16-bit mono", WavFile{mono}, done, {}, all4, 52},
          {"8-bit samples are unsigned", WavFile{"\x00\x80\xff"s, 1, 8}, done, {}, "A: 0.25,0.5,0.75 | Data: 0,128,255",
           47},
          {"24-bit samples are unsigned", WavFile{"\xff\xff\xff\x01\x00\x00"s, 1, 24}, done, {},
           "A: 0.25,0.5 | Data: 16777215,1", 50},
          {"stereo", WavFile{stereo, 2}, done, {}, "A: 0.25,0.5,0.75 | Left: 1,2,3 | Right: -1,-2,-3", 56},
          {"three channels stay interleaved", WavFile{stereo, 3}, done, {}, "A: 0.25,0.5 | Data: 1,-1,2,-2,3,-3", 56},
          {"stereo, half a frame left", WavFile{stereo.substr(0, 6), 2}, done, {}, "A: 0.25 | Left: 1 | Right: -1", 50},
          {"an 18-byte fmt chunk", WavFile{mono, 1, 16, 4, 1, 18}, done, {}, all4, 54},
          {"a fact chunk", WavFile{mono, 1, 16, 4, 1, 16, "fact"}, done, {}, all4, 64},
          {"data size all ones", WavFile{mono, 1, 16, 4, 1, 16, "data", 0xFFFFFFFF}, done, {}, all4, 52},
          {"data size 0", WavFile{mono, 1, 16, 4, 1, 16, "data", 0}, done, {}, all4, 52},
          {"data size beyond the file", WavFile{mono + "\x07", 1, 16, 4, 1, 16, "data", 1000}, done, {}, all4, 52},
          {"data size inside the file", WavFile{mono, 1, 16, 4, 1, 16, "data", 3}, done, {}, "A: 0.25 | Data: 1", 46},
          {"Skip gaps count against the file", WavFile{Int16s({1, 9, 2, 9, 3}), 1, 16, 4, 1, 16, "data", 0xFFFFFFFF},
           done, {}, "A: 0.25,0.5,0.75 | Data: 1,2,3", 56, "", "SKIP=2"},
          {"no samples", WavFile{}, done, {}, "A:", 44}, {"not PCM", WavFile{mono, 1, 16, 4, 3}, refused, {}, "A:", 21},
          {"not RIFF", WavFile{.samples = mono, .riff = "RIFX"}, refused, {}, "A:", 16},
          {"not WAVE", WavFile{.samples = mono, .wave = "AVI "}, refused, {}, "A:", 16},
          {"no fmt chunk at 12", WavFile{.samples = mono, .fmt = "JUNK"}, refused, {}, "A:", 16},
          {"a 21-byte fmt chunk", WavFile{mono, 1, 16, 4, 1, 21}, refused, {}, "A:", 36},
          {"a LIST chunk before the data", WavFile{mono, 1, 16, 4, 1, 16, "LIST"}, refused, {}, "A:", 40},
          {"0 channels", WavFile{mono, 0}, refused, {}, "A:", 36},
          {"4 bits per sample", WavFile{mono, 1, 4}, refused, {}, "A:", 36},
          {"40 bits per sample", WavFile{mono, 1, 40}, refused, {}, "A:", 36},
          {"a rate of 0", WavFile{mono, 1, 16, 0}, refused, {}, "A:", 36},
          {"no wksname$", WavFile{mono}, {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A:", 0, "", "", ",%h"},
          {"an empty file", "", {4, 0, 4}, {{33, 0, 545}}, "A:", 20},
          {"the file ends in the header", std::string(WavFile{mono}).substr(0, 35), {4, 0, 4}, {{33, 0, 545}}, "A:",
           35},
          {"the first Read fails", WavFile{mono}, {4, 5, 4}, {{28, kHardIO, 540}}, "A:", 20, "", "read:0"},
          {"ARead refuses a negative Skip", WavFile{mono}, {4, 0, 4}, {{12, 0, 524}}, "A:", 44, "", "SKIP=-1"},
          {"ARead's read fails: soft, as for ARead", WavFile{std::string(1 << 17, '\x01')}, {1157, 0, 0}, {{30, 0, 0}},
           "A: 0.25,0.5,0.75,...,16384(65536)", 44, "", "read:2"}}},
  };
  for (const auto& [method, cases] : tables) {
    for (const Case& c : cases) {
      for (bool newMode : {false, true}) {
        SCOPED_TRACE(std::string(method) + ": " + c.label + (newMode ? " (new mode)" : " (default mode)"));
        const Expect& e = newMode ? c.byNew.value_or(c.byDefault) : c.byDefault;
        ExpectOutcome(Import(method, c, newMode), {e.error, e.sysErr, e.status, e.result.value_or(kMiss)});
        EXPECT_EQ(Columns(), c.columns);
        EXPECT_EQ(c.z.empty() ? "" : host.StringVar('Z'), c.z);
        EXPECT_EQ(c.position < 0 ? -1 : Position(), c.position);
      }
    }
  }
}

// More inner lists than a page holds columns: the import stops at the limit. SigmaWin's last column: the limit is
// met, and one more, or 65536, refused before any column is added.
TEST_F(Imports, ColumnLimits) {
  constexpr int kMax = XoMathematica::kMaxColumns;
  std::string manyLists = "{";
  for (int i = 0; i <= kMax; ++i) manyLists += "{x},";
  manyLists.back() = '}';
  for (bool newMode : {false, true}) {
    ExpectOutcome(Import("MATHEMATICA", {"", manyLists, {}}, newMode), {newMode ? 20 : 6, 0, newMode ? 20 : 2, kMiss});
    ASSERT_EQ(host.Page(page)->ColumnCount(), kMax);
    EXPECT_EQ(host.Page(page)->Column(kMax)->Size(), 1);
    EXPECT_EQ(host.Page(page)->Column(kMax)->Text(0), "x");
    EXPECT_EQ(Position(), 1 + 4 * kMax);
  }
  for (const int lastColumn : {kMaxColumns - 1, kMaxColumns, 0xFFFF}) {
    SCOPED_TRACE(lastColumn);
    const bool fits = lastColumn < kMaxColumns;
    ExpectOutcome(Import("SIGMAWIN", {"", Win(uint16_t(lastColumn), {}), {}}, true),
                  {fits ? 0 : 20, 0, fits ? 0 : 20, kMiss});
    EXPECT_EQ(host.Page(page)->ColumnCount(), fits ? kMaxColumns : 1);
  }
}

}  // namespace
}  // namespace kfio::testing
