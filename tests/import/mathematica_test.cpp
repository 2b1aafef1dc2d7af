// Mathematica: lists into text cells, the brace count, the settings and the current file after every outcome, every failure in both error modes, and hostile files.
#include <stdexcept>

#include "fum/fum_fixture.h"
#include "kutl/missing_value.h"

namespace kfio::testing {
namespace {

using Columns = std::vector<std::string>;

constexpr double kMissing = kMissingValue;

class MathematicaTest : public FumTest {
 public:
  // A new page of two numeric columns; then `bytes` open as the current
  // file (or, `byHandle`, under another current file).
  int Prepare(const std::string& bytes, bool byHandle = false) {
    page = "w" + std::to_string(pages++);
    host.NewPage(page, 2);
    if (!byHandle) OpenFile(MakeFile("other.txt", "x"));
    const int h = OpenFile(MakeFile("list.m", bytes));
    if (byHandle) OpenFile(MakeFile("other.txt", "x"));
    return h;
  }
  // Each column of the page as its cells joined by '|': "-" for no cell,
  // "#" for a cell that holds a number rather than a text.
  Columns Cells() const {
    const refhost::HostPage* p = host.Page(page);
    Columns columns;
    for (int c = 1; c <= p->ColumnCount(); ++c) {
      const refhost::HostDataset* data = p->Column(c);
      std::string cells = data->Size() == 0 ? "-" : "";
      for (int32_t r = 0; r < data->Size(); ++r)
        cells += (r > 0 ? "|" : "") + (data->HoldsText(r) ? data->Text(r) : "#");
      columns.push_back(cells);
    }
    return columns;
  }
  int Position() { return static_cast<int>(Invoke("GETPOS", "").result); }
  // Makes the host fail the `n`-th call (from 0) of the service `opcode`.
  void RefuseService(uint32_t opcode, int n) {
    host.serviceProbe = [opcode, n, seen = 0](uint32_t called) mutable {
      if (called == opcode && seen++ == n) throw std::runtime_error("refused");
    };
  }

  std::string page;
  int pages = 0;
};

TEST_F(MathematicaTest, ListsAndFailuresInBothModes) {
  const Expect done{0, 0, 0, kMissing};
  const double none = -99;  // a refused parse leaves the result alone
  const int hardIO = CFileException::hardIO;
  const std::string lists = "{{1, 2}, {3, 4, 5}}";
  const struct {
    const char* label;
    std::string file;
    Expect byDefault;
    std::optional<Expect> byNew;  // none: as the default mode
    Columns cells;                // of page w (2 columns) afterwards
    int position;                 // of the list file afterwards
    bool text;                    // w's columns were made text columns
    std::string args = "w";
    // "read:N", "seek:N": the (N+1)-th read or seek of the file fails;
    // "cell:N", "column:N": the host refuses the (N+1)-th text cell or added
    // column; "handle": the file is given by hFile, another one is current.
    std::string fault = "";
  } cases[] = {
      {"a flat list", "{1, 2.5, 3*^-4}", done, {}, {"1|2.5|3E-4", "-"}, 15, true},
      {"a list of lists", lists, done, {}, {"1|2", "3|4|5"}, 19, true},
      {"by hFile", lists, done, {}, {"1|2", "3|4|5"}, 19, true, "w", "handle"},
      {"a third inner list adds a column", "{{1},{2},{3}}", done, {}, {"1", "2", "3"}, 13, true},
      {"a third brace", "{{{1}}}", {41, 0, 41, kMissing}, {}, {"-", "-"}, 3, false},
      {"no brace", "1, 2", {41, 0, 41, kMissing}, {}, {"-", "-"}, 0, false},
      {"a blank between } and ,", "{{1} , {2}}", done, {}, {"1", "|2"}, 11, true},
      {"130 characters", "{" + std::string(121, 'a') + std::string(9, 'b') + "}", done, {},
       {std::string(121, 'a') + "|" + std::string(9, 'b'), "-"}, 132, true},
      {"a tab, CR LF, blanks, ^ and {", "{a\tb ,\r\n 1*^2^, x{y}", done, {}, {"a\tb|1E2|xy", "-"}, 20, true},
      {"an empty list", "{}", done, {}, {"", "-"}, 2, true},
      {"empty inner lists", "{{},{}}", done, {}, {"", ""}, 7, true},
      {"empty elements", "{,1,}", done, {}, {"|1|", "-"}, 5, true},
      {"a flat list cut short", "{1, 2", done, {}, {"1|2", "-"}, 5, true},
      {"a list of lists cut short", "{{1},{2", {1158, 0, 0, kMissing}, {{33, 0, 0, kMissing}}, {"1", "2"}, 7, true},
      {"an empty file", "", {4, 0, 4, kMissing}, {{33, 0, 545, kMissing}}, {"-", "-"}, 0, false},
      {"braces only", "{{", {4, 0, 4, kMissing}, {{33, 0, 545, kMissing}}, {"-", "-"}, 2, false},
      {"no such worksheet", lists, {39, 0, 39, kMissing}, {}, {"-", "-"}, 2, false, "nosuch"},
      {"no wksname$", lists, {1024, 0, 2, none}, {{10, 0, 10, none}}, {"-", "-"}, 0, false, ""},
      {"the brace read fails", lists, {4, 5, 4, kMissing}, {{28, hardIO, 540, kMissing}}, {"-", "-"}, 0, false, "w",
       "read:0"},
      {"the step back fails", lists, {4, 5, 4, kMissing}, {{27, hardIO, 539, kMissing}}, {"-", "-"}, 3, false, "w",
       "seek:0"},
      {"an element read fails", "{1,2", {1157, 5, 2, kMissing}, {{30, hardIO, 30, kMissing}}, {"1", "-"}, 4, true,
       "w", "read:1"},
      {"a cell refused", "{1,2,3}", {6, 0, 2, kMissing}, {{20, 0, 20, kMissing}}, {"1", "-"}, 5, true, "w", "cell:1"},
      {"a column refused", "{{1},{2},{3}}", {6, 0, 2, kMissing}, {{20, 0, 20, kMissing}}, {"1", "2"}, 9, true, "w",
       "column:0"},
  };
  for (const auto& c : cases) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + ": Mathematica(" + c.args + ")" + (newMode ? " (new mode)" : ""));
      Fresh();
      const int h = Prepare(c.file, c.fault == "handle");
      std::string args = c.args == "w" ? page : c.args;
      if (c.fault == "handle") args += "," + std::to_string(h);
      host.SetNumber("NBYTES", 2);
      host.SetNumber("BYTEORDER", 1);
      host.SetNumber("LISTSEP", ';');
      NewMode(newMode);
      if (c.fault.starts_with("read:")) fault::Fail(fault::Call::readAt, EIO, std::stoi(c.fault.substr(5)));
      if (c.fault.starts_with("seek:")) fault::Fail(fault::Call::seek, EIO, std::stoi(c.fault.substr(5)));
      if (c.fault.starts_with("cell:")) RefuseService(op::kSetText, std::stoi(c.fault.substr(5)));
      if (c.fault.starts_with("column:")) RefuseService(op::kAddColumn, std::stoi(c.fault.substr(7)));
      ExpectOutcome(Invoke("MATHEMATICA", args), newMode ? c.byNew.value_or(c.byDefault) : c.byDefault);
      fault::Clear();
      host.serviceProbe = nullptr;
      EXPECT_FALSE(TheFum().nestedCall);
      EXPECT_EQ(Number("HFILE"), h);
      EXPECT_EQ((std::vector{Number("NBYTES"), Number("BYTEORDER"), Number("LISTSEP"), Number("NEWACTIONS")}),
                (std::vector<double>{2, 1, ';', newMode ? 1.0 : 0.0}));
      EXPECT_EQ(Cells(), c.cells);
      EXPECT_EQ(host.Page(page)->Column(2)->IsText(), c.text);
      NewMode(false);
      EXPECT_EQ(Position(), c.position);
    }
  }
  EXPECT_EQ(Printed("SYNTAX", "mathematica"), std::vector<std::string>{"fum.mathematica(wksname$[,hFile])"});
}

// Files that would make an unguarded import loop long, add a column per
// three bytes, or keep a whole element: each ends bounded.
TEST_F(MathematicaTest, HostileFilesStayBounded) {
  constexpr int kMax = XoMathematica::kMaxColumns;
  std::string manyLists = "{";
  for (int i = 0; i <= kMax; ++i) manyLists += "{x},";
  manyLists.back() = '}';
  const Expect done{0, 0, 0, kMissing};
  const struct {
    const char* label;
    std::string file;
    Expect byDefault, byNew;
    int columns;              // of the page (2 before)
    int column;               // the column looked at
    int32_t rows;             // its cells
    std::size_t first, last;  // the lengths of its first and last cells
    int position;
  } cases[] = {
      {"a million braces", std::string(1'000'000, '{'), {41, 0, 41, kMissing}, {41, 0, 41, kMissing}, 2, 1, 0, 0, 0,
       3},
      {"an inner list past the column limit", manyLists, {6, 0, 2, kMissing}, {20, 0, 20, kMissing}, kMax, kMax, 1,
       1, 1, 1 + 4 * kMax},
      {"a megabyte element", "{" + std::string(1'000'000, 'a') + "}", done, done, 2, 1, 8265, 121, 56, 1'000'002},
  };
  for (const auto& c : cases) {
    for (bool newMode : {false, true}) {
      SCOPED_TRACE(std::string(c.label) + (newMode ? " (new mode)" : ""));
      Fresh();
      Prepare(c.file);
      NewMode(newMode);
      ExpectOutcome(Invoke("MATHEMATICA", page), newMode ? c.byNew : c.byDefault);
      const refhost::HostPage* p = host.Page(page);
      ASSERT_EQ(p->ColumnCount(), c.columns);
      const refhost::HostDataset* cells = p->Column(c.column);
      EXPECT_EQ(cells->Size(), c.rows);
      if (c.rows > 0) {
        EXPECT_EQ(cells->Text(0).size(), c.first);
        EXPECT_EQ(cells->Text(c.rows - 1).size(), c.last);
      }
      NewMode(false);
      EXPECT_EQ(Position(), c.position);
    }
  }
}

}  // namespace
}  // namespace kfio::testing
