// ARead, AWrite and ReadRowBin: layouts, ranges and Skip gaps, short files, transfers streamed piece by piece,
// memory running short, a host that refuses values or rows, and bad arguments in both error modes.
#include <optional>
#include <tuple>

#include "binary/binary_fixture.h"

namespace kfio::testing {
namespace {

using namespace std::string_literals;
const std::string kShorts = "\x01\x00\x02\x00\x03\x00"s;

// What a transfer left behind: the result, Error, the position, the dataset d, and out.bin for a write.
struct Left {
  double result; int error; double position; std::vector<double> values; std::string file;
  bool operator==(const Left&) const = default;
};

// bytes: in.bin; more: what to set or arm; what one buffer leaves: Error, the position, the size of d (of the file,
// for a write), and when given the values and the result.
struct Scenario {
  const char* label; std::string bytes; int nBytes, skip; const char *method, *args;
  std::function<void(FumTest&)> more; int error = 0; double position = 0; std::size_t size = 0;
  std::optional<std::vector<double>> values = {}; double result = -1;  // when given
};

class Transfers : public BinaryTest {
 public:
  // A fresh state with in.bin (`bytes`) open, d empty, no out.bin, no calls recorded; answers the handle.
  int Open(const std::string& bytes, int nBytes = 1, int skip = 0, int isSigned = 0) {
    Fresh();
    if (refhost::HostDataset* d = host.Dataset("d")) d->Resize(0);
    std::filesystem::remove(Path("out.bin"));
    host.SetNumber("NBYTES", nBytes);
    host.SetNumber("SKIP", skip);
    host.SetNumber("SIGNED", isSigned);
    const int h = OpenFile(MakeFile("in.bin", bytes));
    host.ClearCalls();
    host.commands.clear();
    return h;
  }
  // A scenario in pieces of `pieceBytes` (0: one buffer); a write takes d's twelve values into out.bin.
  Left Run(const Scenario& s, std::size_t pieceBytes) {
    Open(s.bytes, s.nBytes, s.skip);
    if (pieceBytes != 0) XoBulk::SetPieceBytes(pieceBytes);
    refhost::HostDataset* d = host.Dataset("d") ? host.Dataset("d") : host.NewDataset("d");
    if (std::string(s.method) == "AWRITE") {
      d->Resize(12);
      for (int i = 0; i < 12; ++i) d->SetValue(i, i % 2 ? -300 - i : 0x10203 * i);
      OpenFile(Path("out.bin"), 1);
    }
    if (s.more) s.more(*this);
    const Outcome o = Invoke(s.method, s.args);
    Left left{o.result, o.error, Position(), Values(d), {}};
    Call("CLOSEALL");
    left.file = Contents("out.bin");
    return left;
  }
  // Page W of two columns for ReadRowBin.
  refhost::HostPage* Page() { return host.Page("W") ? host.Page("W") : host.NewPage("W", 2); }
};

TEST_F(Transfers, WriteLayoutsAndOneResize) {
  refhost::HostDataset* src = host.NewDataset("src");
  for (double v : {1, 258, -2, 70000}) src->SetValue(src->Size(), v), src->Resize(src->Size() + 1);
  OpenFile(Path("out.bin"), 1);
  host.SetNumber("NBYTES", 2);
  host.SetNumber("SKIP", 1);
  ExpectOutcome(Invoke("AWRITE", "src,1,4,0"), {0, -1, 0, 4});
  Call("CLOSEALL");
  EXPECT_EQ(Contents("out.bin"), Hex("01 00 00 02 01 00 FE FF 00 70 11"));  // gaps as zero, none after the last

  Open(Counting(10));
  Invoke("AREAD", "fresh,1,10,0");
  EXPECT_EQ(host.elementCalls, 10u);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kResize), 1);  // the dataset takes its length once
  EXPECT_EQ(Values("fresh").size(), 10u);
}

// Layouts, ranges and gaps; and, streamed through a small buffer, piece after piece, a transfer leaves exactly what
// one buffer for the whole transfer leaves: the values stored, Error, the result, the position, the bytes written.
TEST_F(Transfers, PiecesLeaveWhatOneBufferLeaves) {
  std::string bcd;  // ten packed BCD values of 10 bytes, the fourth with a nibble above 9
  for (int v = 0; v < 10; ++v) bcd += static_cast<char>(v == 3 ? 0x1A : 0x10 + v) + std::string(9, '\0');
  const auto reversed = [](FumTest& t) { t.host.SetNumber("SIGNED", 1); t.host.SetNumber("BYTEORDER", 1); };
  const std::string bytes = Counting(40, 7, 1);
  constexpr int kRange = FUM_TypeConverter::kOutOfRange;
  const double m = kMissingValue;
  const auto isSigned = [](FumTest& t) { t.host.SetNumber("SIGNED", 1); };
  const Scenario scenarios[] = {
      {"bytes", Counting(32), 1, 0, "AREAD", "d,1,4,0", nullptr, 0, 4, 4, {{0, 1, 2, 3}}, 4},
      {"skip gaps", Counting(32), 2, 2, "AREAD", "d,1,3,0", nullptr, 0, 10, 3, {{0x0100, 0x0504, 0x0908}}, 3},
      {"a stretch", Counting(32), 1, 0, "AREAD", "d,5,7,0", nullptr, 0, 3, 7, {{m, m, m, m, 0, 1, 2}}, 3},
      {"nothing", Counting(32), 1, 0, "AREAD", "d,1,0,0", nullptr, 0, 0, 0, {{}}, 0},
      {"signed", Counting(32), 1, 0, "AREAD", "d,1,1,0", isSigned, 0, 1, 1, {{0}}, 1},
      {"a gap too large to add in 32 bits", Counting(32), 4, 2147483647, "AREAD", "d,1,1,0", nullptr, 0, 4, 1,
       {{0x03020100}}, 1},
      {"an extended value beyond a double: recorded, the count stays", Counting(32), 10, 0, "AREAD", "d,1,1,1",
       nullptr, 34, 10, 1, {{m}}, 1},
      {"whole file", bytes, 2, 0, "AREAD", "d,1,20,0", nullptr, 0, 40, 20},
      {"gaps", bytes, 2, 3, "AREAD", "d,2,8,0", nullptr, 0, 32, 8},
      {"file ends inside a value", Counting(41, 7, 1), 4, 0, "AREAD", "d,1,20,0", nullptr, 33, 41, 10},
      {"file ends inside a gap", Counting(27, 7, 1), 2, 3, "AREAD", "d,1,9,0", nullptr, 33, 27, 6},
      {"no routine for the width", bytes, 2, 0, "AREAD", "d,1,10,1", nullptr, 43, 20, 0},
      {"a bad digit in the fourth value: the whole image read", bcd, 10, 0, "AREAD", "d,1,10,2", nullptr, 32, 100, 3},
      {"signed, reversed", bytes, 4, 1, "AREAD", "d,1,8,0", reversed, 0, 39, 8},
      // Odd values are negative: unsigned 24 bits cannot hold them.
      {"writing with gaps", "", 3, 2, "AWRITE", "d,2,11,0", nullptr, kRange, 48, 48},
      {"writing 24-bit values out of range", "", 3, 0, "AWRITE", "d,1,12,0", nullptr, kRange, 36, 36},
  };
  for (const Scenario& s : scenarios) {
    SCOPED_TRACE(s.label);
    const Left whole = Run(s, 0);
    const bool writing = std::string(s.method) == "AWRITE";
    EXPECT_EQ(std::make_tuple(whole.error, whole.position, writing ? whole.file.size() : whole.values.size()),
              std::make_tuple(s.error, s.position, s.size));
    EXPECT_EQ(whole.values, s.values.value_or(whole.values));
    EXPECT_EQ(whole.result, s.result < 0 ? whole.result : s.result);
    for (std::size_t piece : {1u, 3u, 7u, 10u, 16u}) {
      SCOPED_TRACE("pieces of " + std::to_string(piece) + " bytes");
      EXPECT_EQ(Run(s, piece), whole);
    }
  }
  // A read that fails after a piece was stored: its values stay, the rest do not, the count is the result.
  for (bool newMode : {false, true}) {
    const Left left = Run({"", std::string(200000, '\x05'), 1, 0, "AREAD", "d,1,200000,0", [newMode](FumTest& t) {
                             t.NewMode(newMode);
                             fault::Fail(fault::Call::readAt, EIO, 1);  // the second piece's read
                           }}, 65536);
    EXPECT_EQ(left.error, newMode ? 30 : 1157);
    EXPECT_EQ(left.result, 200000);
    EXPECT_EQ(left.values, std::vector<double>(65536, 5.0));
  }
}

// An allocator that refuses anything larger than a limit, and counts.
std::size_t g_limit = 0;
std::vector<std::size_t> g_requests;
unsigned char* Limited(std::size_t bytes) {
  g_requests.push_back(bytes);
  if (bytes > g_limit) throw std::bad_alloc();
  return new unsigned char[bytes];
}

TEST_F(Transfers, HalvingWhenMemoryRunsShort) {
  // n bytes open, the allocator's limit, ARead's arguments, its requests, the values stored (0...), result, Error
  const std::tuple<int, std::size_t, const char*, std::vector<std::size_t>, int, double, int> cases[] = {
      {16, 4, "d,1,16,0", {16, 8, 4, 4, 8, 4, 4}, 16, 16, 0},  // halves of halves
      {8, SIZE_MAX, "d,1,1000000000,0", {8}, 8, 1e9, 33},        // a hostile count: no request beyond the file
  };
  for (const auto& [n, limit, args, requests, stored, result, error] : cases) {
    SCOPED_TRACE(args);
    Open(Counting(n));
    g_requests.clear();
    g_limit = limit;
    XoBulk::SetAllocator(Limited, [](unsigned char* p) { delete[] p; });
    ExpectOutcome(Invoke("AREAD", args), {error, -1, 0, result});
    EXPECT_EQ(g_requests, requests);
    std::vector<double> expected;
    for (int i = 0; i < stored; ++i) expected.push_back(i);
    EXPECT_EQ(Values("d"), expected);
  }
  // Nothing fits: the budget runs out and the call fails, the result left as each mode's run preset it.
  Invoke("REWIND", "");
  g_limit = 0;
  ExpectOutcome(Invoke("AREAD", "e,1,16,0"), {0, 0, 1, kMissingValue});
  Invoke("REWIND", "");
  NewMode(true);
  EXPECT_EQ(Invoke("AREAD", "e,1,16,0").result, -1.0);
}

// The host refuses element writes from index 5 on, or the dataset's final length: the transfer ran, so the
// count is the result, as for a full disk.
TEST_F(Transfers, ValuesTheHostRefusesReachError) {
  for (const std::size_t stored : {5u, 0u}) {
    int writes = 0;
    BothModes("stored " + std::to_string(stored), "AREAD", [&] {
      Open(Counting(16));
      writes = 0;
      host.serviceProbe = [&](uint32_t code) {
        if (stored == 5 ? code == op::kSetElement && writes++ >= 5 : code == op::kResize) throw std::bad_alloc();
      };
      return "d,1,16,0";
    }, {3, -1, 0, 16}, {12, -1, 0, 16}, [&] { EXPECT_EQ(Values("d").size(), stored); });
  }
}

// A row handed over: the numeric arguments evaluated, the page found, a column added or not, the row, the command.
std::vector<uint32_t> RowCalls(int numbers, bool addsColumn) {
  std::vector<uint32_t> calls(numbers, op::kEvaluate);
  calls.insert(calls.end(), {op::kFindPage, op::kColumnCount});
  if (addsColumn) calls.push_back(op::kAddColumn);
  calls.insert(calls.end(), {op::kWorksheetHandle, op::kTakeRow, op::kRunCommand, op::kAfterMethod});
  return calls;
}

TEST_F(Transfers, EachReadRowBinAppendsOneRowBelowTheLast) {
  // bytes, nBytes, Skip, Signed, arguments (the file's handle appended when `named`), the row, the position after
  const std::tuple<std::string, int, int, int, std::string, bool, std::vector<double>, double> cases[] = {
      {kShorts, 2, 0, 0, "W,3,0", false, {1, 2, 3}, 6},  // the page gets a third column
      {"\xFF\0\0\x02\0\0\x80\x09"s, 1, 2, 1, "w,3,0", false, {-1, 2, -128}, 7},  // no gap read after the last
      {"\0\0\xC0\x3F\0\0\x10\xC1"s, 4, 0, 0, "W,2,1", true, {1.5, -9}, 8},
  };
  int32_t rows = 0;
  refhost::HostPage* page = Page();
  for (const auto& [bytes, nBytes, skip, isSigned, args, named, row, position] : cases) {
    SCOPED_TRACE(args);
    const int h = Open(bytes, nBytes, skip, isSigned);
    ExpectOutcome(Invoke("READROWBIN", named ? args + "," + std::to_string(h) : args),
                  {0, -1, 0, static_cast<double>(row.size())});
    EXPECT_EQ(host.calls, RowCalls(named ? 3 : 2, rows == 0));
    EXPECT_EQ(host.commands, std::vector<std::string>{"doc -uw"});
    ASSERT_EQ(page->RowCount(), ++rows);
    for (std::size_t c = 0; c < row.size(); ++c) EXPECT_EQ(page->Column(c + 1)->Value(rows - 1), row[c]) << c;
    EXPECT_EQ(Position(), position);
  }
}

TEST_F(Transfers, TheHostRefusingAnyCallButTheCommandLeavesNoRow) {
  const std::vector<uint32_t> all = RowCalls(2, true);
  for (const uint32_t refused : {op::kAddColumn, op::kWorksheetHandle, op::kTakeRow, op::kRunCommand}) {
    const bool taken = refused == op::kRunCommand;  // its answer is not looked at
    std::vector<uint32_t> made(all.begin(), std::find(all.begin(), all.end(), refused));
    made.push_back(op::kAfterMethod);
    const refhost::HostPage* target = nullptr;
    BothModes(std::to_string(refused), "READROWBIN", [&] {
      const std::string name = "R" + std::to_string(refused) + (target ? "new" : "");
      target = host.NewPage(name, 2);
      Open(kShorts, 2);
      Refuse(refused);
      return name + ",3,0";
    }, {taken ? 0 : 6, -1, 0, 3.0}, {taken ? 0 : 20, -1, 0, 3.0}, [&] {
      EXPECT_EQ(host.calls, made);
      EXPECT_EQ(target->RowCount(), taken ? 1 : 0);
      EXPECT_EQ(Position(), 6);
    });
  }
}

// Missing and unknown pages, a short file, 2-byte floats and too many values run as the binary_rows script.
TEST_F(Transfers, BadArgumentsInBothModes) {
  // setting: set to `value` before the call; bytes: in.bin (8 counting bytes for ARead); position: where a
  // ReadRowBin left the file, which gets no row.
  const struct {
    const char *method, *args, *setting = ""; int value = 0; Expect byDefault = {3, -1, 2}, byNew = {12, -1, 12};
    std::string bytes = kShorts; double position = 0;
  } cases[] = {
      {"AREAD", "d,1,4", "", 0, {1024, -1, 2}, {10, -1, 10}}, {"AREAD", "d,0,5,0", "", 0, {64, -1, 2}, {19, -1, 19}},
      {"AREAD", "d,3,1,0", "", 0, {64, -1, 2}, {19, -1, 19}},
      {"AREAD", "d,1,4,3"}, {"AREAD", "d,1,4,0", "SKIP", -1}, {"AREAD", "d,1,2000000000,0", "NBYTES", 4},
      {"AREAD", "d,1,4,0", "SIGNED", 3},
      // Indexes and lengths a host's signed 32-bit dataset sizes cannot hold.
      {"AREAD", "d,2147483647,-2147483647,0"}, {"AWRITE", "d,2147483647,-2147483647,0"},
      {"AREAD", "d,2147483647,-2147483648,0"}, {"AREAD", "d,1,-1,0"},
      {"READROWBIN", "W,2", "", 0, {1024, -1, 2}, {10, -1, 10}}, {"READROWBIN", "W,2,3"},
      {"READROWBIN", "W,-1,0"}, {"READROWBIN", "W,1,0", "SIGNED", 2},
      {"READROWBIN", "W,65536,0"},  // beyond the row block's 16-bit count
      {"READROWBIN", "W,1,2", "NBYTES", 10, {32, -1, 0, 1}, {32, -1, 0, 1}, std::string(10, '\xAA'), 10},
      {"READROWBIN", "W,3,0", "", 0, {33, -1, 0, 3}, {33, -1, 0, 3}, kShorts.substr(0, 5), 5},
  };
  for (const auto& c : cases) {
    const bool rows = std::string(c.method) == "READROWBIN";
    BothModes(std::string(c.method) + "(" + c.args + ")", c.method, [&] {
      Open(rows ? c.bytes : Counting(8), rows ? 2 : 1);
      if (*c.setting) host.SetNumber(c.setting, c.value);
      Page();
      return std::string(c.args);
    }, c.byDefault, c.byNew, [&] {
      if (!rows) return;
      EXPECT_TRUE(host.commands.empty());
      EXPECT_EQ(Page()->RowCount(), 0);
      EXPECT_EQ(Position(), c.position);
    });
  }
}

}  // namespace
}  // namespace kfio::testing
