// Mathematica, SigmaWin, SigmaDos and Wav through XODLL: what lands in which column, hostile files that must stay
// bounded, every refusal and failing nested call in both error modes, and the settings and current file that each
// import leaves as it found them.
#include <stdexcept>
#include <tuple>

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
  const char *method, *label;
  std::string file;
  Expect byDefault;  // a result not given must be the missing value
  std::optional<Expect> byNew = {};  // none: as in the default mode
  std::string columns = "";  // see Imports::Columns
  int position = -1;         // of the imported file afterwards; -1: not looked at
  std::string z = "";        // Z$ afterwards ("old" before; SigmaWin reads its texts into Z$); "": not looked at
  // "read:N", "seek:N", "stat:N": the (N+1)-th such system call fails with EIO; "cell:N", "column:N", "getvar:N":
  // the host refuses the (N+1)-th text cell, added column or string variable fetch; "NAME=V": the script's setting.
  std::string fault = "";
  // %w stands for the page, %h for the file's handle; null: "%w" for Mathematica, so that the file is the current
  // one, "%w,%h" for the others, with another file current.
  const char* args = nullptr;
};

class Imports : public FumTest {
 public:
  // Runs `c` from a fresh state, and checks what every import leaves alone: the nested-call flag, every setting
  // but Error and SysErr, the current file.
  Outcome Import(const Case& c, bool newMode) {
    Fresh();
    const std::string method = c.method;
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
    const Outcome o = Invoke(c.method, args);
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

// Two columns, two titles, and an empty cell whose bytes still hold a number before a full one: the column keeps
// its length when the empty cell is marked.
WinFile Win(BaseFrom from) { return {from, 96, 1, {{0, {{2.5, false}, {1.5}}}, {1, {{-3}}}}, {{0, "Time"}, {1, "Volts"}}}; }
// A WAV file, field by field; the data size is the samples' length unless given.
struct WavFile {
  std::string samples;
  uint16_t channels = 1, bits = 16;
  uint32_t rate = 4;
  uint16_t tag = 1;
  uint32_t fmtSize = 16;
  std::string chunk = "data";
  int64_t dataSize = -1;
  std::string riff = "RIFF", wave = "WAVE", fmt = "fmt ";

  std::string Bytes() const {
    const uint32_t align = channels * (bits / 8);
    std::string s = riff + Int(0, 4) + wave + fmt + Int(fmtSize, 4) + Int(tag, 2) + Int(channels, 2) + Int(rate, 4) +
                    Int(rate * align, 4) + Int(align, 2) + Int(bits, 2) + std::string(fmtSize > 16 ? fmtSize - 16 : 0, '\0');
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
  const Expect done{0, 0, 0};
  const std::string lists = "{{1, 2}, {3, 4, 5}}";
  const std::string kWinColumns = "A[Time]: .,1.5 | B[Volts]: -3", kMarker = "JSDataWorksheet";
  // Columns 1 and 2 filled of 3, so the column loop reads on to the end.
  const std::string noTitles = WinFile{BaseFrom::kMarkerAt16, 0, 2, {{0, {{1}}}, {1, {{7}, {8}}}}, {}}.Bytes();
  // A column that claims 4 cells, of which the file holds 1 and half of the next.
  const std::string cut = WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {{1.5}, {2}}, 64}}, {}}.Bytes().substr(0, 104);
  const DosFile three{false, false, 0, {{0, {1, 2, 3}}, {2, {4.5}}}};
  const std::string kThree = "A: 1,2,3 | B: | C: 4.5";
  std::string farOffset = three.Bytes();
  Place(farOffset, 13, Int(0xFFFFFFF0, 4));  // q: SetPos cannot reach it
  const std::string mono = Int16s({1, -2, 32767, -32768}), stereo = Int16s({1, -1, 2, -2, 3, -3});
  const std::string all4 = "A: 0.25,0.5,0.75,1 | Data: 1,-2,32767,-32768";
  const Case cases[] = {
      {"MATHEMATICA", "a flat list", "{1, 2.5, 3*^-4}", done, {}, "A$: 1,2.5,3E-4 | B$:", 15},
      {"MATHEMATICA", "a list of lists", lists, done, {}, "A$: 1,2 | B$: 3,4,5", 19},
      {"MATHEMATICA", "by hFile", lists, done, {}, "A$: 1,2 | B$: 3,4,5", 19, "", "", "%w,%h"},
      {"MATHEMATICA", "a third inner list adds a column", "{{1},{2},{3}}", done, {}, "A$: 1 | B$: 2 | C$: 3", 13},
      {"MATHEMATICA", "a million braces", std::string(1'000'000, '{'), {41, 0, 41}, {}, "A: | B:", 3},
      {"MATHEMATICA", "no brace", "1, 2", {41, 0, 41}, {}, "A: | B:", 0},
      {"MATHEMATICA", "a blank between } and ,", "{{1} , {2}}", done, {}, "A$: 1 | B$: ,2", 11},
      {"MATHEMATICA", "130 characters", "{" + std::string(121, 'a') + std::string(9, 'b') + "}", done, {},
       "A$: " + std::string(121, 'a') + "," + std::string(9, 'b') + " | B$:", 132},
      {"MATHEMATICA", "a tab, CR LF, blanks, ^ and {", "{a\tb ,\r\n 1*^2^, x{y}", done, {}, "A$: a\tb,1E2,xy | B$:", 20},
      {"MATHEMATICA", "an empty list", "{}", done, {}, "A$:  | B$:", 2},
      {"MATHEMATICA", "empty inner lists", "{{},{}}", done, {}, "A$:  | B$: ", 7},
      {"MATHEMATICA", "empty elements", "{,1,}", done, {}, "A$: ,1, | B$:", 5},
      {"MATHEMATICA", "a flat list cut short", "{1, 2", done, {}, "A$: 1,2 | B$:", 5},
      {"MATHEMATICA", "a list of lists cut short", "{{1},{2", {1158, 0, 0}, {{33, 0, 0}}, "A$: 1 | B$: 2", 7},
      {"MATHEMATICA", "an empty file", "", {4, 0, 4}, {{33, 0, 545}}, "A: | B:", 0},
      {"MATHEMATICA", "braces only", "{{", {4, 0, 4}, {{33, 0, 545}}, "A: | B:", 2},
      {"MATHEMATICA", "no such worksheet", lists, {39, 0, 39}, {}, "A: | B:", 2, "", "", "nosuch"},
      {"MATHEMATICA", "no wksname$", lists, {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A: | B:", 0, "", "", ""},
      {"MATHEMATICA", "the step back fails", lists, {4, 5, 4}, {{27, kHardIO, 539}}, "A: | B:", 3, "", "seek:0"},
      {"MATHEMATICA", "an element read fails", "{1,2", {1157, 5, 2}, {{30, kHardIO, 30}}, "A$: 1 | B$:", 4, "",
       "read:1"},
      {"MATHEMATICA", "a cell refused", "{1,2,3}", {6, 0, 2}, {{20, 0, 20}}, "A$: 1 | B$:", 5, "", "cell:1"},
      {"MATHEMATICA", "a column refused", "{{1},{2},{3}}", {6, 0, 2}, {{20, 0, 20}}, "A$: 1 | B$: 2", 9, "", "column:0"},

      // SigmaWin runs in the new mode whatever the script's: its codes are the same in both.
      {"SIGMAWIN", "the marker at 16: base 0", Win(BaseFrom::kMarkerAt16).Bytes(), done, {}, kWinColumns, -1, "Volts"},
      {"SIGMAWIN", "the marker at 32: the base at 50", Win(BaseFrom::kMarkerAt32).Bytes(), done, {}, kWinColumns, -1,
       "Volts"},
      {"SIGMAWIN", "no marker: the base at 80", Win(BaseFrom::kOffset80).Bytes(), done, {}, kWinColumns, -1, "Volts"},
      {"SIGMAWIN", "a cell area of 40 bytes is 2 cells",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {{1}, {2}}, 40}}, {{0, "T"}}}.Bytes(), done, {}, "A[T]: 1,2", -1, "T"},
      {"SIGMAWIN", "the file ends where a record would start", noTitles, done, {}, "A: 1 | B: 7,8 | C:", -1, kMarker},
      {"SIGMAWIN", "the file ends inside a column", cut, done, {}, "A: 1.5,.,.,.", -1, kMarker},
      {"SIGMAWIN", "a cell area of 4 GiB: missing values only as far as the bound past the end",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {{5}}, 0xFFFFFFF0}}, {}}.Bytes(), done, {},
       "A: 5,.,.,...,.(" + std::to_string(1 + XoSigmaWin::kMaxCellsPastEnd) + ")"},
      // Each title would be read up to the NUL at the end of the file.
      {"SIGMAWIN", "a title with no NUL in its record",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {}}}, {}}.Bytes() + "\x02" + std::string(2000, 'x') + '\0',
       {41, 0, 41}, {}, "A:", -1, std::string(1977, 'x')},
      {"SIGMAWIN", "the script's Signed makes a cell area negative",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {}, 0x80000000}}, {}}.Bytes(), {12, 0, 524}, {}, "A:", -1, kMarker,
       "SIGNED=1"},
      {"SIGMAWIN", "an empty file", "", {33, 0, 545}, {}, "A:", -1, "old"},
      {"SIGMAWIN", "wksname$ missing", "", {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A:", -1, "old", "", ",%h"},
      {"SIGMAWIN", "no such page", noTitles, {20, 0, 20}, {}, "A:", -1, kMarker, "", "nopage,%h"},
      {"SIGMAWIN", "no text from Z", noTitles, {20, 0, 20}, {}, "A:", -1, kMarker, "getvar:0"},
      {"SIGMAWIN", "a column the page lacks", WinFile{BaseFrom::kMarkerAt16, 0, 0, {{3, {{1}}}}, {}}.Bytes(),
       {20, 0, 20}, {}, "A:", -1, kMarker},
      {"SIGMAWIN", "a title for a column the page lacks",
       WinFile{BaseFrom::kMarkerAt16, 0, 0, {{0, {}}}, {{5, "T"}}}.Bytes(), {20, 0, 20}, {}, "A:", -1, "T"},
      // Nested calls failing where a good file cannot: the first cell's Jump and GetPos, Size.
      {"SIGMAWIN", "a cell's Jump fails", Win(BaseFrom::kMarkerAt16).Bytes(), {27, kHardIO, 27}, {}, "A: 2.5,1.5 | B:",
       -1, kMarker, "seek:7"},
      {"SIGMAWIN", "a cell's GetPos fails", Win(BaseFrom::kMarkerAt16).Bytes(), {26, kHardIO, 538}, {}, "A: .,1.5 | B:",
       -1, kMarker, "seek:8"},
      {"SIGMAWIN", "Size fails", Win(BaseFrom::kMarkerAt16).Bytes(), {25, kHardIO, 537}, {}, "A: .,1.5 | B: -3", -1,
       kMarker, "stat:4"},

      {"SIGMADOS", "little-endian", three.Bytes(), done, {}, kThree, -1, "old"},
      {"SIGMADOS", "big-endian, a marker in the first byte", DosFile{true, true, 0, three.columns}.Bytes(), done, {},
       kThree, -1, "", "BYTEORDER=2"},
      {"SIGMADOS", "Skip 2: values 10 bytes apart", DosFile{false, false, 2, three.columns}.Bytes(), done, {}, kThree,
       -1, "", "SKIP=2"},
      {"SIGMADOS", "wksname$ missing", three.Bytes(), {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A:", -1, "", "", ",%h"},
      {"SIGMADOS", "no marker", "no marker here", {1158, 0, 2}, {{33, 0, 33}}, "A:"},
      {"SIGMADOS", "no such page", three.Bytes(), {6, 0, 2}, {{20, 0, 20}}, "A:", -1, "", "", "nopage,%h"},
      {"SIGMADOS", "a dataset name too long for a lookup", three.Bytes(), {6, 0, 2}, {{20, 0, 20}}, "A:", -1, "", "",
       "AVeryLongWorksheetName%w,%h"},
      {"SIGMADOS", "a column beyond a page's limit", DosFile{false, false, 0, {{kMaxColumns, {1}}}}.Bytes(),
       {41, 0, 41}, {}, "A:"},
      {"SIGMADOS", "the script's Signed makes a column index negative",
       DosFile{false, false, 0, {{0xFFFFFFFF, {1}}}}.Bytes(), {41, 0, 41}, {}, "A:", -1, "", "SIGNED=1"},
      {"SIGMADOS", "a block length that wraps round to its own start",
       DosFile{false, false, 0, {{0, {1}, 0x100000000 - 28}}}.Bytes(), {41, 0, 41}, {}, "A:"},
      {"SIGMADOS", "a block too short for its values", DosFile{false, false, 0, {{0, {1, 2}, -1}}}.Bytes(),
       {41, 0, 41}, {}, "A:"},
      {"SIGMADOS", "a negative Skip: ARead refuses", three.Bytes(), {4, 0, 4}, {{12, 0, 524}}, "A:", -1, "", "SKIP=-1"},
      {"SIGMADOS", "an offset SetPos cannot reach", farOffset, {4, 0, 4}, {{27, CFileException::badSeek, 539}}, "A:"},

      {"WAV", "16-bit mono", WavFile{mono}.Bytes(), done, {}, all4, 52},
      {"WAV", "8-bit samples are unsigned", WavFile{"\x00\x80\xff"s, 1, 8}.Bytes(), done, {},
       "A: 0.25,0.5,0.75 | Data: 0,128,255", 47},
      {"WAV", "24-bit samples are unsigned", WavFile{"\xff\xff\xff\x01\x00\x00"s, 1, 24}.Bytes(), done, {},
       "A: 0.25,0.5 | Data: 16777215,1", 50},
      {"WAV", "stereo", WavFile{stereo, 2}.Bytes(), done, {}, "A: 0.25,0.5,0.75 | Left: 1,2,3 | Right: -1,-2,-3", 56},
      {"WAV", "three channels stay interleaved", WavFile{stereo, 3}.Bytes(), done, {},
       "A: 0.25,0.5 | Data: 1,-1,2,-2,3,-3", 56},
      {"WAV", "stereo, half a frame at the end", WavFile{stereo.substr(0, 6), 2}.Bytes(), done, {},
       "A: 0.25 | Left: 1 | Right: -1", 50},
      {"WAV", "an 18-byte fmt chunk", WavFile{mono, 1, 16, 4, 1, 18}.Bytes(), done, {}, all4, 54},
      {"WAV", "a fact chunk", WavFile{mono, 1, 16, 4, 1, 16, "fact"}.Bytes(), done, {}, all4, 64},
      {"WAV", "data size all ones", WavFile{mono, 1, 16, 4, 1, 16, "data", 0xFFFFFFFF}.Bytes(), done, {}, all4, 52},
      {"WAV", "data size 0", WavFile{mono, 1, 16, 4, 1, 16, "data", 0}.Bytes(), done, {}, all4, 52},
      {"WAV", "data size beyond the file", WavFile{mono + "\x07", 1, 16, 4, 1, 16, "data", 1000}.Bytes(), done, {},
       all4, 52},
      {"WAV", "data size inside the file", WavFile{mono, 1, 16, 4, 1, 16, "data", 3}.Bytes(), done, {},
       "A: 0.25 | Data: 1", 46},
      {"WAV", "Skip gaps count against the file",
       WavFile{Int16s({1, 9, 2, 9, 3}), 1, 16, 4, 1, 16, "data", 0xFFFFFFFF}.Bytes(), done, {},
       "A: 0.25,0.5,0.75 | Data: 1,2,3", 56, "", "SKIP=2"},
      {"WAV", "no samples", WavFile{}.Bytes(), done, {}, "A:", 44},
      {"WAV", "not PCM", WavFile{mono, 1, 16, 4, 3}.Bytes(), {41, 0, 41}, {}, "A:", 21},
      {"WAV", "not RIFF", WavFile{.samples = mono, .riff = "RIFX"}.Bytes(), {41, 0, 41}, {}, "A:", 16},
      {"WAV", "not WAVE", WavFile{.samples = mono, .wave = "AVI "}.Bytes(), {41, 0, 41}, {}, "A:", 16},
      {"WAV", "no fmt chunk at 12", WavFile{.samples = mono, .fmt = "JUNK"}.Bytes(), {41, 0, 41}, {}, "A:", 16},
      {"WAV", "a 21-byte fmt chunk", WavFile{mono, 1, 16, 4, 1, 21}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"WAV", "a LIST chunk before the data", WavFile{mono, 1, 16, 4, 1, 16, "LIST"}.Bytes(), {41, 0, 41}, {}, "A:",
       40},
      {"WAV", "0 channels", WavFile{mono, 0}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"WAV", "4 bits per sample", WavFile{mono, 1, 4}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"WAV", "40 bits per sample", WavFile{mono, 1, 40}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"WAV", "a rate of 0", WavFile{mono, 1, 16, 0}.Bytes(), {41, 0, 41}, {}, "A:", 36},
      {"WAV", "no wksname$", WavFile{mono}.Bytes(), {1024, 0, 2, -99}, {{10, 0, 10, -99}}, "A:", 0, "", "", ",%h"},
      {"WAV", "an empty file", "", {4, 0, 4}, {{33, 0, 545}}, "A:", 20},
      {"WAV", "the file ends in the header", WavFile{mono}.Bytes().substr(0, 35), {4, 0, 4}, {{33, 0, 545}}, "A:", 35},
      {"WAV", "the first Read fails", WavFile{mono}.Bytes(), {4, 5, 4}, {{28, kHardIO, 540}}, "A:", 20, "", "read:0"},
      {"WAV", "ARead refuses a negative Skip", WavFile{mono}.Bytes(), {4, 0, 4}, {{12, 0, 524}}, "A:", 44, "",
       "SKIP=-1"},
      {"WAV", "ARead's read fails: soft, as for ARead", WavFile{std::string(1 << 17, '\x01')}.Bytes(), {1157, 0, 0},
       {{30, 0, 0}}, "A: 0.25,0.5,0.75,...,16384(65536)", 44, "", "read:2"},
  };
  for (const Case& c : cases) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(std::string(c.method) + ": " + c.label + (newMode ? " (new mode)" : " (default mode)"));
      const Expect& e = newMode ? c.byNew.value_or(c.byDefault) : c.byDefault;
      ExpectOutcome(Import(c, newMode), {e.error, e.sysErr, e.status, e.result.value_or(kMiss)});
      EXPECT_EQ(Columns(), c.columns);
      EXPECT_EQ(c.z.empty() ? "" : host.StringVar('Z'), c.z);
      EXPECT_EQ(c.position < 0 ? -1 : Position(), c.position);
    }
  }
}

// Files that would add a column per three bytes, or keep a whole element, end bounded; so does a page's limit of
// columns asked for, which is met, and one more, or 65536, refused before any column is added.
TEST_F(Imports, HostileFilesStayBounded) {
  constexpr int kMax = XoMathematica::kMaxColumns;
  std::string manyLists = "{";
  for (int i = 0; i <= kMax; ++i) manyLists += "{x},";
  manyLists.back() = '}';
  // the file, the outcome in each mode, the page's columns, the column looked at, its cells, the lengths of its
  // first and last cells, the position
  const std::tuple<std::string, Expect, Expect, int, int, int32_t, std::size_t, std::size_t, int> cases[] = {
      {manyLists, {6, 0, 2, kMiss}, {20, 0, 20, kMiss}, kMax, kMax, 1, 1, 1, 1 + 4 * kMax},
      {"{" + std::string(1'000'000, 'a') + "}", {0, 0, 0, kMiss}, {0, 0, 0, kMiss}, 2, 1, 8265, 121, 56, 1'000'002},
  };
  for (const auto& [file, byDefault, byNew, columns, column, rows, first, last, position] : cases) {
    for (bool newMode : {false, true}) {
      ExpectOutcome(Import({"MATHEMATICA", "", file, byDefault}, newMode), newMode ? byNew : byDefault);
      const refhost::HostPage* p = host.Page(page);
      ASSERT_EQ(p->ColumnCount(), columns);
      EXPECT_EQ(p->Column(column)->Size(), rows);
      EXPECT_EQ(p->Column(column)->Text(0).size(), first);
      EXPECT_EQ(p->Column(column)->Text(rows - 1).size(), last);
      EXPECT_EQ(Position(), position);
    }
  }
  for (const int lastColumn : {kMaxColumns - 1, kMaxColumns, 0xFFFF}) {
    SCOPED_TRACE(lastColumn);
    const bool fits = lastColumn < kMaxColumns;
    const std::string file = WinFile{BaseFrom::kMarkerAt16, 0, uint16_t(lastColumn), {}, {}}.Bytes();
    ExpectOutcome(Import({"SIGMAWIN", "", file, {}}, true), fits ? Expect{0, 0, 0, kMiss} : Expect{20, 0, 20, kMiss});
    EXPECT_EQ(host.Page(page)->ColumnCount(), fits ? kMaxColumns : 1);
  }
  EXPECT_EQ(host.NewPage("wide", kMaxColumns + 1), nullptr);
}

}  // namespace
}  // namespace kfio::testing
