// ARead and AWrite: Skip gaps, ranges, bad arguments, short files, halving when memory runs short, a host that
// refuses the values.
#include <tuple>

#include "binary/binary_fixture.h"

namespace kfio::testing {
namespace {

class Arrays : public BinaryTest {
 public:
  // A fresh state with in.bin (0, 1, 2...) open, the dataset d empty and no calls recorded.
  void OpenCounting(int n) {
    Fresh();
    if (refhost::HostDataset* d = host.Dataset("d")) d->Resize(0);
    OpenFile(MakeFile("in.bin", Counting(n)));
    host.ClearCalls();
  }
};

TEST_F(Arrays, ReadLayouts) {
  std::vector<double> all32;
  for (int i = 0; i < 32; ++i) all32.push_back(i);
  const double m = kMissingValue;
  // what, nBytes, Skip, Signed, arguments, result, the dataset, the position after, Error
  const std::tuple<const char*, int, int, int, const char*, double, std::vector<double>, double, int> cases[] = {
      {"bytes", 1, 0, 0, "d,1,4,0", 4, {0, 1, 2, 3}, 4, 0},
      {"skip gaps", 2, 2, 0, "d,1,3,0", 3, {0x0100, 0x0504, 0x0908}, 10, 0},
      {"a stretch", 1, 0, 0, "d,5,7,0", 3, {m, m, m, m, 0, 1, 2}, 3, 0}, {"nothing", 1, 0, 0, "d,1,0,0", 0, {}, 0, 0},
      {"float with 2 bytes", 2, 0, 0, "d,1,3,1", 3, {}, 6, 43},
      {"short file: values past the end are not stored", 1, 0, 0, "d,1,40,0", 40, all32, 32, 33},
      {"signed", 1, 0, 1, "d,1,1,0", 1, {0}, 1, 0},
      {"a gap too large to add in 32 bits", 4, 2147483647, 0, "d,1,1,0", 1, {0x03020100}, 4, 0},
      {"an extended value beyond a double: recorded, the count stays", 10, 0, 0, "d,1,1,1", 1, {m}, 10, 34},
  };
  for (const auto& [label, nBytes, skip, isSigned, args, result, dataset, position, error] : cases) {
    SCOPED_TRACE(label);
    OpenCounting(32);
    host.SetNumber("NBYTES", nBytes);
    host.SetNumber("SKIP", skip);
    host.SetNumber("SIGNED", isSigned);
    const Outcome o = Invoke("AREAD", args);
    EXPECT_EQ(o.result, result);
    EXPECT_EQ(o.error, error);
    EXPECT_EQ(Values("d"), dataset);
    EXPECT_EQ(Position(), position);
  }
}

TEST_F(Arrays, WriteLayoutsAndOneResize) {
  refhost::HostDataset* src = host.NewDataset("src");
  for (double v : {1, 258, -2, 70000}) src->SetValue(src->Size(), v), src->Resize(src->Size() + 1);
  OpenFile(Path("out.bin"), 1);
  host.SetNumber("NBYTES", 2);
  host.SetNumber("SKIP", 1);
  ExpectOutcome(Invoke("AWRITE", "src,1,4,0"), {0, -1, 0, 4});
  Call("CLOSEALL");
  // gaps as zero, none after the last
  EXPECT_EQ(Contents("out.bin"), std::string("\x01\x00\x00\x02\x01\x00\xFE\xFF\x00\x70\x11", 11));

  OpenCounting(10);
  Invoke("AREAD", "fresh,1,10,0");
  EXPECT_EQ(host.elementCalls, 10u);
  EXPECT_EQ(std::count(host.calls.begin(), host.calls.end(), op::kResize), 1);  // the dataset takes its length once
  EXPECT_EQ(Values("fresh").size(), 10u);
}

TEST_F(Arrays, BadArgumentsInBothModes) {
  // setting: set to `value` before the call.
  const struct {
    const char *args, *setting = ""; int value = 0; const char* method = "AREAD";
    Expect byDefault = {3, -1, 2}, byNew = {12, -1, 12};
  } cases[] = {
      {"d,1,4", "", 0, "AREAD", {1024, -1, 2}, {10, -1, 10}}, {"d,0,5,0", "", 0, "AREAD", {64, -1, 2}, {19, -1, 19}},
      {"d,3,1,0", "", 0, "AREAD", {64, -1, 2}, {19, -1, 19}},
      {"d,1,4,3"}, {"d,1,4,0", "SKIP", -1}, {"d,1,2000000000,0", "NBYTES", 4}, {"d,1,4,0", "SIGNED", 3},
      // Indexes and lengths a host's signed 32-bit dataset sizes cannot hold.
      {"d,2147483647,-2147483647,0"}, {"d,2147483647,-2147483647,0", "", 0, "AWRITE"},
      {"d,2147483647,-2147483648,0"}, {"d,1,-1,0"},
  };
  for (const auto& c : cases) {
    BothModes(c.args, c.method, [&] {
      OpenFile(MakeFile("in.bin", Counting(8)));
      if (*c.setting) host.SetNumber(c.setting, c.value);
      return std::string(c.args);
    }, c.byDefault, c.byNew);
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

TEST_F(Arrays, HalvingWhenMemoryRunsShort) {
  // n bytes open, the allocator limited; then ARead's arguments, the requests it made, the values it stored (0 to
  // stored - 1), the result and Error.
  const std::tuple<int, std::size_t, const char*, std::vector<std::size_t>, int, double, int> cases[] = {
      {16, 4, "d,1,16,0", {16, 8, 4, 4, 8, 4, 4}, 16, 16, 0},  // halves of halves
      {16, 4, "d,1,15,0", {15, 7, 3, 4, 8, 4, 4}, 15, 15, 0},  // the second half takes the one left over
      {8, SIZE_MAX, "d,1,1000000000,0", {8}, 8, 1e9, 33},        // a hostile count: no request beyond the file
  };
  for (const auto& [n, limit, args, requests, stored, result, error] : cases) {
    SCOPED_TRACE(args);
    OpenCounting(n);
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
TEST_F(Arrays, ValuesTheHostRefusesReachError) {
  for (const std::size_t stored : {5u, 0u}) {
    int writes = 0;
    BothModes("stored " + std::to_string(stored), "AREAD", [&] {
      OpenCounting(16);
      writes = 0;
      host.serviceProbe = [&](uint32_t code) {
        if (stored == 5 ? code == op::kSetElement && writes++ >= 5 : code == op::kResize) throw std::bad_alloc();
      };
      return "d,1,16,0";
    }, {3, -1, 0, 16}, {12, -1, 0, 16}, [&] { EXPECT_EQ(Values("d").size(), stored); });
  }
}

}  // namespace
}  // namespace kfio::testing
